#pragma once
#include "modkit/core/Export.h"
#include <string>

namespace modkit {

// Reads a whole file; failures become the nearest runtime error (53, 70, 75, 76).
MODKIT_EXPORT std::string readFileBytes(const std::string& path, const std::string& source);

// Writes bytes to a temporary file beside path and renames it over path, so a
// failed save leaves the old file as it was. A target without write permission
// fails with error 70 and stays unchanged.
MODKIT_EXPORT void writeFileAtomically(const std::string& path, const std::string& bytes, const std::string& source);

}  // namespace modkit
