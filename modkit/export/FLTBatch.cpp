#include "modkit/export/FLTBatch.h"

#include <filesystem>
#include <new>

#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.FLTBatch";

}  // namespace

std::string FLTBatch::outputName(const std::string& model, const std::string& outFolder) {
    const std::string name = replaceMdlExtension(lowerCase(fileNameOf(model)), ".flt");
    return joinPath(outFolder.empty() ? folderOf(model) : outFolder, name);
}

FLTBatchResult FLTBatch::convert(const std::string& model) {
    FLTBatchResult r;
    r.model = model;
    r.output = outputName(model, options_.outFolder);
    std::error_code ec;
    std::string key = std::filesystem::weakly_canonical(r.output, ec).string();
    if (ec) key = r.output;
    try {
        // Two models whose names differ only in case or folder would land on one file.
        if (written_.count(key))
            throw Error(err::Library, kSource, "another model of this run was already written to " + r.output);
        MDLObject m;
        m.readMDL(model);
        m.exportFLT(r.output, options_.texFormat, options_.saveATTR, options_.extraRotation);
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
