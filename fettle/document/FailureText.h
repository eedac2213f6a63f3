#pragma once
#include <string>

namespace modkit {
class Error;
class MDLObject;
}

namespace fettle {

// Where in the file a failed read of m stopped ("the vertex list (VERT
// section)"), for an error that says the data is damaged; empty for a file
// that could not be read at all or is no model.
std::string damagedSection(const modkit::MDLObject& m, const modkit::Error& e);

enum class FileTask { open, save, exportFile };

// The body of the box for a failed open, save or export: firstLine (the
// "Error N (description) ..." line those who know the numbers look for), then
// the file, what was found there (for a damaged model, in which section) and
// what the user can do.
std::string failureText(const std::string& firstLine, FileTask task, const std::string& path,
                        const modkit::Error& e, const std::string& section = {});
// The event log's line for it: "could not open "path": Error N (description)".
std::string failureLogLine(FileTask task, const std::string& path, const modkit::Error& e);

}  // namespace fettle
