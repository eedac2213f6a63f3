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
namespace {

// How a message names what is not a regular file.
const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "a special file";
}

[[noreturn]] void refuseSpecial(const std::string& path, mode_t mode, const std::string& source) {
    raiseRuntime(err::PathFileAccess, source, "'" + path + "' is " + kindOf(mode) + ", not a regular file");
}

[[noreturn]] void raiseMissing(const std::string& path, int e, const std::string& source) {
    std::string folder = folderOf(path);
    if (e == ENOENT && !folder.empty() && !folderExists(folder)) raiseRuntime(err::PathNotFound, source);
    raiseFromErrno(e, source);
}

// The file a path ends at once its final links are followed (the folders on
// the way are the kernel's business). A link to nothing gives the path it names.
std::string followLinks(std::string path, const std::string& source) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) raiseFromErrno(errno, source);
        target.resize(static_cast<size_t>(n));
        // A link's text is a POSIX path: only "/" separates, only "/" starts an absolute one.
        const size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    raiseRuntime(err::PathFileAccess, source, "'" + path + "' is a chain of links that does not end");
}

}  // namespace

void requireRegularFile(const std::string& path, const std::string& source) {
    if (path.empty()) raiseRuntime(err::FileNotFound, source);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) raiseMissing(path, errno, source);
    if (!S_ISREG(st.st_mode)) refuseSpecial(path, st.st_mode, source);
}

std::string readFileBytes(const std::string& path, const std::string& source, uint64_t maxSize) {
    // Checked before opening: opening a FIFO waits for a writer, and opening a
    // device may do something of its own.
    requireRegularFile(path, source);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) raiseMissing(path, errno, source);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        raiseFromErrno(e, source);
    }
    if (!S_ISREG(st.st_mode)) {  // replaced between the look and the open
        ::close(fd);
        refuseSpecial(path, st.st_mode, source);
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size > maxSize) {
        ::close(fd);
        raiseLibrary(source, "'" + path + "' holds " + std::to_string(size) + " bytes, more than the format can hold (" +
                                 std::to_string(maxSize) + " bytes)");
    }
    std::string data(static_cast<size_t>(size), '\0');
    size_t got = 0;
    // A file that grows while it is read is taken at the size it had.
    while (got < data.size()) {
        ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            raiseFromErrno(e, source);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    data.resize(got);
    return data;
}

void writeFileAtomically(const std::string& path, const std::string& bytes, const std::string& source) {
    writeFileAtomically(path, [&](const std::function<void(std::string_view)>& write) { write(bytes); }, source);
}

void writeFileAtomically(const std::string& path, const FileWriteFill& fill, const std::string& source) {
    if (path.empty()) raiseRuntime(err::PathNotFound, source);
    // Through a link the file it names is replaced; the link itself stays.
    const std::string target = followLinks(path, source);
    std::string folder = folderOf(target);
    if (!folder.empty() && !folderExists(folder)) raiseRuntime(err::PathNotFound, source);

    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) refuseSpecial(path, st.st_mode, source);
        // Root may write anything; the file's own permission bits decide.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) raiseRuntime(err::PermissionDenied, source);
    }

    std::string tmpl = joinPath(folder, "." + fileNameOf(target) + ".XXXXXX");
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) raiseFromErrno(errno, source);
    auto fail = [&](int e) {
        ::close(fd);
        fd = -1;
        ::unlink(tmpl.c_str());
        raiseFromErrno(e, source);
    };
    auto write = [&](std::string_view bytes) {
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
    };
    try {
        fill(write);
    } catch (...) {
        // A failed write has closed and removed the temporary file already.
        if (fd >= 0) {
            ::close(fd);
            ::unlink(tmpl.c_str());
        }
        throw;
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
    if (::rename(tmpl.c_str(), target.c_str()) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        raiseFromErrno(e, source);
    }
}

}  // namespace modkit
