#include "modkit/bglfile/XMLBGLSection.h"

#include "modkit/bglfile/ModelList.h"
#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.BGLObject";
const char* const kInvalid = "This is not a valid XML style BGL file";

using numtext::intText;

constexpr int64_t kSubsectionRecord = 16;
constexpr int64_t kModelEntry = 24;

[[noreturn]] void outside(const std::string& what, int64_t count, int64_t recordSize, const std::string& unit,
                          int64_t at, int64_t fileSize) {
    std::string where = intText(count) + " " + unit + (recordSize ? " of " + intText(recordSize) + " bytes" : "") +
                        " at byte " + intText(at);
    const char* how = count < 0 ? "has a negative size" : at < 0 ? "starts before the file" : "runs past the end of the file";
    raiseLibrary(kSource, std::string(kInvalid) + ": " + what + " (" + where + ") " + how + " (" +
                              intText(fileSize) + " bytes)");
}

// True when count records of recordSize bytes at `at` lie inside the file.
bool inside(int64_t at, int64_t count, int64_t recordSize, int64_t fileSize) {
    return count >= 0 && at >= 0 && at <= fileSize && count * recordSize <= fileSize - at;
}

std::string sectionName(int number, int32_t type) {
    return (number > 0 ? "section " + intText(number) : std::string("a section")) + " (type " + intText(type) + ")";
}

}  // namespace

XMLBGLSection::XMLBGLSection() : subSections_(std::make_shared<XMLBGLSectionList>()) {}

void XMLBGLSection::readFromFile(ByteReader& file) {
    sectionType_ = getLong(file);
    getLong(file);
    numSubSection_ = getLong(file);
    offset_ = getLong(file);
    headerSize_ = getLong(file);
}

void XMLBGLSection::readSubSections(ByteReader& file, int number) {
    subSections_ = std::make_shared<XMLBGLSectionList>();
    if (numSubSection_ == 0) return;
    const int64_t size = static_cast<int64_t>(file.size());
    if (!inside(offset_, numSubSection_, kSubsectionRecord, size))
        outside("the subsection table of " + sectionName(number, sectionType_), numSubSection_, kSubsectionRecord,
                "records", offset_, size);
    file.seek(static_cast<size_t>(offset_));
    for (int32_t i = 0; i < numSubSection_; ++i) {
        auto s = std::make_shared<XMLBGLSection>();
        getLong(file);
        s->numSubSection_ = getLong(file);
        s->offset_ = getLong(file);
        s->headerSize_ = getLong(file);
        subSections_->Add(s);
    }
}

std::vector<ModelLocation> XMLBGLSection::modelIndex(const ByteReader& file, int number) const {
    const int64_t size = static_cast<int64_t>(file.size());
    std::vector<ModelLocation> out;
    int sub = 0;
    for (const auto& s : *subSections_) {
        ++sub;
        const std::string subName = "subsection " + intText(sub) + " of " + sectionName(number, sectionType_);
        const int64_t records = s->numSubSection();
        if (records == 0) continue;
        if (!inside(s->offset(), records, kModelEntry, size))
            outside("the model index of " + subName, records, kModelEntry, "entries", s->offset(), size);
        ByteReader in(file.data());
        for (int64_t j = 0; j < records; ++j) {
            in.seek(static_cast<size_t>(s->offset() + j * kModelEntry + 16));  // past the model identifier
            const int64_t start = getLong(in);
            const int64_t length = getLong(in);
            const ModelLocation loc{s->offset() + start, length};
            if (!inside(loc.offset, length, 1, size))
                outside("model " + intText(j + 1) + " of " + subName, length, 0, "bytes", loc.offset, size);
            out.push_back(loc);
        }
    }
    return out;
}

std::shared_ptr<MDLObject> loadModelAt(const ByteReader& file, const ModelLocation& loc, const std::string& path) {
    auto model = std::make_shared<MDLObject>();
    model->readMDLBytes(
        std::string(file.data().substr(static_cast<size_t>(loc.offset), static_cast<size_t>(loc.length))), path);
    pumpEvents();
    return model;
}

void XMLBGLSection::fillModelList(modkit::ModelList& m, const ByteReader& file, const std::string& path) const {
    for (const ModelLocation& loc : modelIndex(file)) m.Add(loadModelAt(file, loc, path));
}

}  // namespace modkit
