#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modkit/core/HexFunctions.h"
#include "modkit/core/KeyedCollection.h"

namespace modkit {

class MDLObject;
class ModelList;
class XMLBGLSectionList;

enum class XMLBGLSectionType : int32_t {
    airport = 3,
    VORILS = 19,
    NDB = 23,
    Markers = 24,
    Boundary = 32,
    Waypoint = 34,
    GeoPol = 35,
    SceneryObject = 37,
    NameList = 39,
    mdl = 43,
    AdditionalAirport = 44,
    Exclusion = 46,
};

// Where one model's MDL file image stands in a scenery library.
struct MODKIT_EXPORT ModelLocation {
    int64_t offset = 0;  // 0-based, from the start of the library file
    int64_t length = 0;
};

// One section of an XML-style BGL file, or one subsection of a section. As a
// section: its type, number of subsections and the offset and size of its
// subsection table. As a subsection: the number of records in its data and the
// offset and size of that data.
class MODKIT_EXPORT XMLBGLSection {
public:
    XMLBGLSection();

    int32_t sectionType() const { return sectionType_; }
    void setSectionType(int32_t v) { sectionType_ = v; }
    int32_t numSubSection() const { return numSubSection_; }
    void setNumSubSection(int32_t v) { numSubSection_ = v; }
    int32_t offset() const { return offset_; }
    void setOffset(int32_t v) { offset_ = v; }
    int32_t headerSize() const { return headerSize_; }
    void setHeaderSize(int32_t v) { headerSize_ = v; }

    // The subsections read by readSubSections.
    std::shared_ptr<XMLBGLSectionList> subSections() const { return subSections_; }

    // Reads the 20-byte section record at the current position.
    void readFromFile(ByteReader& file);
    // Reads the 16-byte subsection records at offset. Error 100 when the table
    // lies outside the file; `number` names the section in that message.
    void readSubSections(ByteReader& file, int number = 0);
    // Where the models of an mdl section stand, subsections in table order,
    // models in index order. Error 100 when an index or a model lies outside
    // the file; `number` names the section in that message.
    std::vector<ModelLocation> modelIndex(const ByteReader& file, int number = 0) const;
    // Loads every model of an mdl section from its bytes and appends it to m,
    // with path as its MDLPath. A model that does not load stops the read; the
    // models before it stay.
    void fillModelList(modkit::ModelList& m, const ByteReader& file, const std::string& path = std::string()) const;

private:
    int32_t sectionType_ = 0;
    int32_t numSubSection_ = 0;
    int32_t offset_ = 0;
    int32_t headerSize_ = 0;
    std::shared_ptr<XMLBGLSectionList> subSections_;
};

// The model stored at loc, loaded straight from the library's bytes.
MODKIT_EXPORT std::shared_ptr<MDLObject> loadModelAt(const ByteReader& file, const ModelLocation& loc, const std::string& path);

class MODKIT_EXPORT XMLBGLSectionList : public KeyedCollection<XMLBGLSection> {
public:
    XMLBGLSectionList() : KeyedCollection<XMLBGLSection>("Modkit.XMLBGLSectionList") {}
};

}  // namespace modkit
