#include "document/FailureText.h"

#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"

namespace fettle {
namespace {

const char* verb(FileTask task) {
    switch (task) {
    case FileTask::open: return "open";
    case FileTask::save: return "save";
    default: return "export";
    }
}

std::string advice(FileTask task, const modkit::Error& e, bool damaged) {
    namespace err = modkit::err;
    if (task == FileTask::open) {
        if (damaged)
            return "The file was left untouched. Open an undamaged copy of the model, or write it again with the "
                   "tool that made it.";
        switch (e.number()) {
        case err::FileNotFound:
        case err::PathNotFound: return "Check the name and the folder, or choose the file again.";
        case err::PermissionDenied: return "Ask for read permission on the file, or open a copy of it.";
        case err::PathFileAccess: return "Choose an MDL model file: folders, devices and pipes cannot be opened.";
        default: return "The file was left untouched. Choose an MDL model file (a RIFF file of form MDL9).";
        }
    }
    const std::string what = task == FileTask::save ? "The model was not saved" : "The model was not exported";
    switch (e.number()) {
    case err::PermissionDenied:
        return what + "; a file already there was left as it was. Choose a folder you may write to, or "
                      "another name.";
    case err::DiskFull: return what + "; a file already there was left as it was. Free some disk space and try again.";
    case err::PathNotFound:
    case err::FileNotFound: return what + ". Choose a folder that exists.";
    default: return what + "; a file already there was left as it was. Choose another folder or name and try again.";
    }
}

}  // namespace

// Where in the file a read stopped, for a failure that says the data is damaged
// (not for a file that could not be read at all or is no model).
std::string damagedSection(const modkit::MDLObject& m, const modkit::Error& e) {
    namespace err = modkit::err;
    const int n = e.number();
    if (n != err::Library && n != err::InvalidCall && n != err::Overflow && n != err::Subscript &&
        n != err::TypeMismatch)
        return {};
    if (e.description().rfind("This is not a valid RIFF", 0) == 0) return {};
    switch (m.LoadingStatus()) {
    case modkit::LoadingStatus::loadingHEAD: return "the file header (RIFF, MDLH, BBOX sections)";
    case modkit::LoadingStatus::loadingMATE: return "the material list (MATE section)";
    case modkit::LoadingStatus::loadingTEXT: return "the texture list (TEXT section)";
    case modkit::LoadingStatus::loadingVERT: return "the vertex list (VERT section)";
    case modkit::LoadingStatus::loadingBGL: return "the BGL command stream (BGL section)";
    default: return {};
    }
}


std::string failureText(const std::string& firstLine, FileTask task, const std::string& path, const modkit::Error& e,
                        const std::string& section) {
    const bool damaged = task == FileTask::open && !section.empty();
    std::string found = e.description();
    if (damaged) found = "the model is damaged in " + section + ": " + found;
    return firstLine + "\n\nFile: " + path + "\nFound: " + found + "\nWhat to do: " + advice(task, e, damaged);
}

std::string failureLogLine(FileTask task, const std::string& path, const modkit::Error& e) {
    return std::string("could not ") + verb(task) + " \"" + path + "\": Error " + std::to_string(e.number()) + " (" +
           e.description() + ")";
}

}  // namespace fettle
