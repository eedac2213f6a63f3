#include "modkit/core/Paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>

#include "modkit/core/Error.h"

namespace modkit {
namespace {

size_t lastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::string fileNameOf(const std::string& path) {
    size_t p = lastSeparator(path);
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string folderOf(const std::string& path) {
    size_t p = lastSeparator(path);
    return p == std::string::npos ? std::string() : path.substr(0, p);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + "/" + name;
}

bool isAbsolutePath(const std::string& path) {
    if (path.empty()) return false;
    if (path[0] == '/' || path[0] == '\\') return true;
    return path.size() >= 2 && path[1] == ':';
}

std::string replaceMdlExtension(const std::string& path, const std::string& newSuffix) {
    if (path.size() >= 4 && equalsIgnoringCase(path.substr(path.size() - 4), ".mdl"))
        return path.substr(0, path.size() - 4) + newSuffix;
    return path + newSuffix;
}

std::string lowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string upperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void refuseOutputOverInput(const std::string& output, const std::vector<std::string>& inputs,
                           const std::string& source) {
    for (const std::string& in : inputs)
        if (sameFile(output, in))
            raiseRuntime(err::PathFileAccess, source,
                         "the output '" + output + "' is the same file as the input '" + in +
                             "'; nothing was written");
}

std::string findFileInFolder(const std::string& folder, const std::string& name) {
    if (name.empty()) return {};
    std::string exact = joinPath(folder.empty() ? "." : folder, name);
    if (fileExists(exact)) return joinPath(folder, name);
    DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        std::string candidate = e->d_name;
        if (equalsIgnoringCase(candidate, name) && fileExists(joinPath(folder.empty() ? "." : folder, candidate))) {
            found = joinPath(folder, candidate);
            break;
        }
    }
    ::closedir(d);
    return found;
}

std::string locateTextureFile(const std::string& bitmap, const std::string& modelFolder,
                              const std::vector<std::string>& searchFolders) {
    // Names stored in models may carry a folder part written with "\".
    std::string name = fileNameOf(bitmap);
    if (std::string f = findFileInFolder(modelFolder, name); !f.empty()) return f;
    for (const std::string& folder : searchFolders) {
        if (folder.empty()) continue;
        std::string where = isAbsolutePath(folder) ? folder : joinPath(modelFolder, folder);
        if (std::string f = findFileInFolder(where, name); !f.empty()) return f;
    }
    return {};
}

}  // namespace modkit
