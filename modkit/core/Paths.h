#pragma once
#include "modkit/core/Export.h"
#include <string>
#include <vector>

// Path helpers shared by the library, the program and the command line.
namespace modkit {

// The part after the last "/" or "\" (the whole text when there is none).
MODKIT_EXPORT std::string fileNameOf(const std::string& path);
// The part before the last "/" or "\" (empty when there is none).
MODKIT_EXPORT std::string folderOf(const std::string& path);
// folder + "/" + name; name alone when folder is empty.
MODKIT_EXPORT std::string joinPath(const std::string& folder, const std::string& name);
// True for "/..." and for paths holding a drive colon ("C:\...").
MODKIT_EXPORT bool isAbsolutePath(const std::string& path);
// Replaces a final ".mdl" (any case) by newSuffix, or appends newSuffix.
MODKIT_EXPORT std::string replaceMdlExtension(const std::string& path, const std::string& newSuffix);

// The text with its ASCII letters in lower case (names in models are 8-bit text).
MODKIT_EXPORT std::string lowerCase(std::string text);
MODKIT_EXPORT std::string upperCase(std::string text);

MODKIT_EXPORT bool fileExists(const std::string& path);
MODKIT_EXPORT bool folderExists(const std::string& path);
// True when anything (file, folder, FIFO, device) is at path, links followed.
MODKIT_EXPORT bool pathExists(const std::string& path);

// True when both paths name one existing file: the same device and inode once
// links are followed, so "a.mdl", "./a.mdl" and a link to it all match.
MODKIT_EXPORT bool sameFile(const std::string& a, const std::string& b);

// The check every writer makes before it writes anything: an output that is
// the same file as one of the command's inputs fails with error 75 naming both.
MODKIT_EXPORT void refuseOutputOverInput(const std::string& output, const std::vector<std::string>& inputs,
                           const std::string& source);

// Finds name in folder: the exact name first, then a file whose name matches
// ignoring case. Returns the full path, or empty when there is none.
MODKIT_EXPORT std::string findFileInFolder(const std::string& folder, const std::string& name);

// Locates a texture bitmap: the model's folder first, then each search folder
// (relative ones are taken from the model's folder). Empty when not found.
MODKIT_EXPORT std::string locateTextureFile(const std::string& bitmap, const std::string& modelFolder,
                              const std::vector<std::string>& searchFolders);

}  // namespace modkit
