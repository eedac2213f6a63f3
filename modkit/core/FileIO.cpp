#include "modkit/core/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

#include "modkit/core/Error.h"
#include "modkit/core/Paths.h"

namespace modkit {

std::string readFileBytes(const std::string& path, const std::string& source) {
    if (path.empty()) raiseRuntime(err::FileNotFound, source);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int e = errno;
        std::string folder = folderOf(path);
        if (e == ENOENT && !folder.empty() && !folderExists(folder)) raiseRuntime(err::PathNotFound, source);
        raiseFromErrno(e, source);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int e = errno;
        ::close(fd);
        if (S_ISDIR(st.st_mode)) raiseRuntime(err::PathFileAccess, source);
        raiseFromErrno(e, source);
    }
    std::string data;
    data.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            raiseFromErrno(e, source);
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

void writeFileAtomically(const std::string& path, const std::string& bytes, const std::string& source) {
    if (path.empty()) raiseRuntime(err::PathNotFound, source);
    std::string folder = folderOf(path);
    if (!folder.empty() && !folderExists(folder)) raiseRuntime(err::PathNotFound, source);

    struct stat st {};
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) raiseRuntime(err::PathFileAccess, source);
        // Root may write anything; the file's own permission bits decide.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) raiseRuntime(err::PermissionDenied, source);
    }

    std::string tmpl = joinPath(folder, "." + fileNameOf(path) + ".XXXXXX");
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) raiseFromErrno(errno, source);
    auto fail = [&](int e) {
        ::close(fd);
        ::unlink(tmpl.c_str());
        raiseFromErrno(e, source);
    };
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 && errno != EINVAL) fail(errno);
    // Keep the permissions of the file being replaced; new files get the usual ones.
    mode_t mode = exists ? (st.st_mode & 07777) : [] {
        mode_t m = ::umask(0);
        ::umask(m);
        return static_cast<mode_t>(0666 & ~m);
    }();
    ::fchmod(fd, mode);
    if (::close(fd) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        raiseFromErrno(e, source);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        raiseFromErrno(e, source);
    }
}

}  // namespace modkit
