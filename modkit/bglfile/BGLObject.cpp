#include "modkit/bglfile/BGLObject.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "modkit/core/Error.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.BGLObject";
const char* const kInvalid = "This is not a valid XML style BGL file";
constexpr int16_t kMagic = 513;
constexpr int64_t kFileHeader = 56;
constexpr int64_t kSectionRecord = 20;
constexpr int64_t kSubsectionRecord = 16;
constexpr int64_t kModelEntry = 24;

bool isModelSection(const XMLBGLSection& s) { return s.sectionType() == static_cast<int32_t>(XMLBGLSectionType::mdl); }

[[noreturn]] void tooMuch(const std::string& what, int64_t count, const char* unit, int64_t size) {
    raiseLibrary(kSource, std::string(kInvalid) + ": " + what + " claim " + numtext::intText(count) + " " + unit +
                              " in all, more than the file holds (" + numtext::intText(size) + " bytes)");
}

}  // namespace

bool BGLObject::isXMLBGL(const std::string& f) const {
    if (!fileExists(f)) return false;
    int fd = ::open(f.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char b[2] = {0, 0};
    ssize_t n = ::read(fd, b, 2);
    ::close(fd);
    return n == 2 && static_cast<int16_t>(b[0] | (b[1] << 8)) == kMagic;
}

bool BGLObject::scan(const std::string& f) {
    if (!pathExists(f)) return false;  // a FIFO or folder is refused by the read below
    std::string bytes = readFileBytes(f, kSource);
    scanBytes(std::move(bytes), f);
    return true;
}

void BGLObject::scanBytes(std::string bytes, const std::string& f) {
    ByteReader in(bytes);
    if (bytes.size() < 2 || getInteger(in) != kMagic) raiseLibrary(kSource, kInvalid);

    bytes_ = std::move(bytes);
    path_ = f;
    models_ = std::make_shared<modkit::ModelList>();
    sections_ = std::make_shared<XMLBGLSectionList>();
    locations_.clear();

    in = ByteReader(bytes_);
    const int64_t size = static_cast<int64_t>(bytes_.size());
    if (size < kFileHeader)
        raiseLibrary(kSource, std::string(kInvalid) + ": the file header (56 bytes) runs past the end of the file (" +
                                  numtext::intText(size) + " bytes)");
    in.seek(20);
    const int64_t n = getLong(in);
    if (n < 0 || n * kSectionRecord > size - kFileHeader)
        raiseLibrary(kSource, std::string(kInvalid) + ": the section table (" + numtext::intText(n) +
                                  " sections of 20 bytes at byte 56) " +
                                  (n < 0 ? "has a negative size" : "runs past the end of the file") + " (" +
                                  numtext::intText(size) + " bytes)");
    in.seek(static_cast<size_t>(kFileHeader));
    for (int64_t i = 0; i < n; ++i) {
        auto s = std::make_shared<XMLBGLSection>();
        s->readFromFile(in);
        sections_->Add(s);
    }
    // Each table and index lies inside the file; so must all of them together,
    // or a small file could make the reader hold or decode far more than it.
    int64_t records = 0;
    for (const auto& s : *sections_) records += std::max<int32_t>(s->numSubSection(), 0);
    if (records * kSubsectionRecord > size)
        tooMuch("the subsection tables of the " + numtext::intText(n) + " sections", records, "records", size);
    int number = 0;
    for (const auto& s : *sections_) s->readSubSections(in, ++number);

    int64_t entries = 0;
    for (const auto& s : *sections_)
        if (isModelSection(*s))
            for (const auto& sub : *s->subSections()) entries += std::max<int32_t>(sub->numSubSection(), 0);
    if (entries * kModelEntry > size) tooMuch("the model indexes", entries, "entries", size);
    number = 0;
    int64_t modelBytes = 0;
    for (const auto& s : *sections_) {
        ++number;
        if (!isModelSection(*s)) continue;
        for (const ModelLocation& loc : s->modelIndex(in, number)) {
            modelBytes += loc.length;
            locations_.push_back(loc);
        }
    }
    if (modelBytes > size) tooMuch("the models of the index", modelBytes, "bytes", size);
}

void BGLObject::scanXMLBGL(const std::string& f) { scan(f); }

void BGLObject::readXMLBGL(const std::string& f) {
    if (scan(f)) loadModels();
}

void BGLObject::readXMLBGLBytes(std::string bytes, const std::string& path) {
    scanBytes(std::move(bytes), path);
    loadModels();
}

void BGLObject::loadModels() {
    ByteReader in(bytes_);
    for (const ModelLocation& loc : locations_) models_->Add(loadModelAt(in, loc, path_));
}

int64_t BGLObject::modelSize(int n) const {
    if (n < 1 || n > modelCount()) raiseRuntime(err::InvalidCall, kSource);
    return locations_[static_cast<size_t>(n - 1)].length;
}

std::string BGLObject::modelBytes(int n) const {
    if (n < 1 || n > modelCount()) raiseRuntime(err::InvalidCall, kSource);
    const ModelLocation& loc = locations_[static_cast<size_t>(n - 1)];
    return bytes_.substr(static_cast<size_t>(loc.offset), static_cast<size_t>(loc.length));
}

}  // namespace modkit
