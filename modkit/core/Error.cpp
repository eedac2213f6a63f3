#include "modkit/core/Error.h"

#include <cerrno>

namespace modkit {

Error::Error(int number, std::string source, std::string description)
    : std::runtime_error(description), number_(number), source_(std::move(source)),
      description_(std::move(description)) {}

const char* runtimeDescription(int number) {
    switch (number) {
    case err::InvalidCall: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::Subscript: return "Subscript out of range";
    case err::TypeMismatch: return "Type mismatch";
    case err::FileNotFound: return "File not found";
    case err::DiskFull: return "Disk full";
    case err::PermissionDenied: return "Permission denied";
    case err::PathFileAccess: return "Path/File access error";
    case err::PathNotFound: return "Path not found";
    case err::DuplicateKey: return "This key is already associated with an element of this collection";
    default: return "Application-defined or object-defined error";
    }
}

void raiseRuntime(int number, const std::string& source) {
    throw Error(number, source, runtimeDescription(number));
}

void raiseRuntime(int number, const std::string& source, const std::string& detail) {
    throw Error(number, source, std::string(runtimeDescription(number)) + ": " + detail);
}

void raiseLibrary(const std::string& source, const std::string& message) {
    throw Error(err::Library, source, message);
}

void raiseFromErrno(int e, const std::string& source) {
    switch (e) {
    case ENOENT: raiseRuntime(err::FileNotFound, source);
    case ENOTDIR: raiseRuntime(err::PathNotFound, source);
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: raiseRuntime(err::PermissionDenied, source);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: raiseRuntime(err::DiskFull, source);
    case ENOMEM: raiseRuntime(err::Overflow, source);
    default: raiseRuntime(err::PathFileAccess, source);
    }
}

}  // namespace modkit
