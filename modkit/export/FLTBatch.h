#pragma once
#include "modkit/core/Export.h"
#include <optional>
#include <set>
#include <string>

#include "modkit/core/Error.h"

namespace modkit {

struct MODKIT_EXPORT FLTBatchOptions {
    std::string outFolder;  // empty: each database beside its model
    std::string texFormat = "RGB";
    bool saveATTR = true;
    float extraRotation = 0;
};

struct MODKIT_EXPORT FLTBatchResult {
    std::string model;
    std::string output;
    std::optional<Error> error;  // empty when the model was converted
    bool converted() const { return !error; }
};

// Converts model files to OpenFlight databases one at a time, each through its
// own MDLObject, so one model that fails costs only itself.
class MODKIT_EXPORT FLTBatch {
public:
    explicit FLTBatch(FLTBatchOptions options) : options_(std::move(options)) {}

    // The database's name: the model's file name in lower case with ".mdl" (any
    // case) replaced by ".flt" (appended when there is none, so a model is never
    // its own output), in outFolder or, when that is empty, beside the model.
    static std::string outputName(const std::string& model, const std::string& outFolder);

    // Reads model and writes its database. Errors come back in the result; a
    // second model of the batch that would land on a database already written
    // fails instead of overwriting it.
    FLTBatchResult convert(const std::string& model);

    int converted() const { return converted_; }
    int failed() const { return failed_; }

private:
    FLTBatchOptions options_;
    std::set<std::string> written_;
    int converted_ = 0;
    int failed_ = 0;
};

}  // namespace modkit
