#pragma once
#include "modkit/core/Export.h"
#include <stdexcept>
#include <string>

namespace modkit {

// The one error type the library throws. Numbers follow the runtime numbering
// the program's messages show: 100 for the library's own errors, 5/6/9/13/457
// and the file errors for the standard failures.
class MODKIT_EXPORT Error : public std::runtime_error {
public:
    Error(int number, std::string source, std::string description);

    int number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }

private:
    int number_;
    std::string source_;
    std::string description_;
};

namespace err {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int Subscript = 9;
inline constexpr int TypeMismatch = 13;
inline constexpr int FileNotFound = 53;
inline constexpr int DiskFull = 61;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int DuplicateKey = 457;
inline constexpr int Library = 100;
}

// The standard description of a runtime error number ("Overflow", ...).
MODKIT_EXPORT const char* runtimeDescription(int number);

// Throws a runtime error with its standard description.
[[noreturn]] MODKIT_EXPORT void raiseRuntime(int number, const std::string& source = "Modkit");

// Throws a runtime error whose description is the standard one followed by
// ": " and detail (what the path is and why it was refused).
[[noreturn]] MODKIT_EXPORT void raiseRuntime(int number, const std::string& source, const std::string& detail);

// Throws one of the library's own errors (number 100).
[[noreturn]] MODKIT_EXPORT void raiseLibrary(const std::string& source, const std::string& message);

// Maps an errno value from a failed file operation to the nearest runtime error.
[[noreturn]] MODKIT_EXPORT void raiseFromErrno(int errnoValue, const std::string& source);

}  // namespace modkit
