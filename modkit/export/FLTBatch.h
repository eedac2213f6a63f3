#pragma once
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "modkit/core/Error.h"
#include "modkit/core/Export.h"

namespace modkit {

class MDLObject;

struct MODKIT_EXPORT FLTBatchOptions {
    std::string outFolder;  // empty: each database beside its model
    std::string texFormat = "RGB";
    bool saveATTR = true;
    float extraRotation = 0;
};

struct MODKIT_EXPORT FLTBatchResult {
    std::string model;
    std::string output;
    std::optional<Error> error;         // empty when the model was converted
    std::vector<std::string> warnings;  // what the output lacks (a texture not read, ...)
    bool converted() const { return !error; }
};

// Converts model files one at a time, each through its own MDLObject, so one
// model that fails costs only itself. OpenFlight by default; any other export
// runs through the same batch with its own writer and extension.
class MODKIT_EXPORT FLTBatch {
public:
    // Writes the model to output; returns the warnings to report with it.
    using Writer = std::function<std::vector<std::string>(MDLObject& model, const std::string& output)>;

    explicit FLTBatch(FLTBatchOptions options);
    FLTBatch(std::string outFolder, std::string extension, Writer write);

    // The output's name: the model's file name in lower case with ".mdl" (any
    // case) replaced by extension (appended when there is none, so a model is
    // never its own output), in outFolder or, when that is empty, beside the model.
    static std::string outputName(const std::string& model, const std::string& outFolder,
                                  const std::string& extension = ".flt");

    // Reads model and writes its output. Errors come back in the result; a
    // second model of the batch that would land on an output already written
    // fails instead of overwriting it.
    FLTBatchResult convert(const std::string& model);

    int converted() const { return converted_; }
    int failed() const { return failed_; }

private:
    std::string outFolder_;
    std::string extension_;
    Writer write_;
    std::set<std::string> written_;
    int converted_ = 0;
    int failed_ = 0;
};

}  // namespace modkit
