#pragma once
#include <cstdint>
#include "modkit/core/Export.h"
#include <functional>
#include <string>
#include <string_view>

namespace modkit {

// The largest file a reader takes by default: every format we read keeps its
// sizes and offsets in 32 bits.
inline constexpr uint64_t kMaxFile32 = UINT32_MAX;

// Reads a whole file; failures become the nearest runtime error (53, 70, 75, 76).
// What is not a regular file (FIFO, device, directory) fails at once with error
// 75 without waiting for a writer; a file above maxSize fails with error 100
// before a byte is read. Never reads more than the size the file had when opened.
MODKIT_EXPORT std::string readFileBytes(const std::string& path, const std::string& source, uint64_t maxSize = kMaxFile32);

// Raises 53 (76 when the folder is missing) for nothing at path and 75 for
// something that is not a regular file; returns for a regular file.
MODKIT_EXPORT void requireRegularFile(const std::string& path, const std::string& source);

// Writes bytes to a temporary file beside path and renames it over path, so a
// failed save leaves the old file as it was. A target without write permission
// fails with error 70 and stays unchanged. A symbolic link is followed: the
// file it points to is replaced and the link stays a link. A FIFO, device or
// directory as target fails with error 75.
MODKIT_EXPORT void writeFileAtomically(const std::string& path, const std::string& bytes, const std::string& source);

// The same, for bytes made piece by piece: fill passes each piece to write as
// it is ready, so the whole file need never be held at once. Whatever fill
// throws leaves path as it was and is passed on.
using FileWriteFill = std::function<void(const std::function<void(std::string_view)>& write)>;
MODKIT_EXPORT void writeFileAtomically(const std::string& path, const FileWriteFill& fill, const std::string& source);

}  // namespace modkit
