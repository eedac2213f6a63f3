#include "modkit/export/FLTBatch.h"

#include <filesystem>
#include <new>

#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.FLTBatch";

}  // namespace

FLTBatch::FLTBatch(FLTBatchOptions options)
    : FLTBatch(options.outFolder, ".flt", [options](MDLObject& m, const std::string& output) {
          m.exportFLT(output, options.texFormat, options.saveATTR, options.extraRotation);
          return std::vector<std::string>();
      }) {}

FLTBatch::FLTBatch(std::string outFolder, std::string extension, Writer write)
    : outFolder_(std::move(outFolder)), extension_(std::move(extension)), write_(std::move(write)) {}

std::string FLTBatch::outputName(const std::string& model, const std::string& outFolder, const std::string& extension) {
    const std::string name = replaceMdlExtension(lowerCase(fileNameOf(model)), extension);
    return joinPath(outFolder.empty() ? folderOf(model) : outFolder, name);
}

FLTBatchResult FLTBatch::convert(const std::string& model) {
    FLTBatchResult r;
    r.model = model;
    r.output = outputName(model, outFolder_, extension_);
    std::error_code ec;
    std::string key = std::filesystem::weakly_canonical(r.output, ec).string();
    if (ec) key = r.output;
    try {
        // Two models whose names differ only in case or folder would land on one file.
        if (written_.count(key))
            throw Error(err::Library, kSource, "another model of this run was already written to " + r.output);
        MDLObject m;
        m.readMDL(model);
        r.warnings = write_(m, r.output);
        written_.insert(key);
    } catch (const Error& e) {
        r.error = e;
    } catch (const std::bad_alloc&) {
        r.error = Error(7, kSource, "Out of memory");
    } catch (const std::exception& e) {
        r.error = Error(err::InvalidCall, kSource, e.what());
    }
    if (r.error) ++failed_;
    else ++converted_;
    return r;
}

}  // namespace modkit
