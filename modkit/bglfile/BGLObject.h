#pragma once
#include "modkit/core/Export.h"
#include <memory>
#include <string>
#include <vector>

#include "modkit/bglfile/ModelList.h"
#include "modkit/bglfile/XMLBGLSection.h"

namespace modkit {

// A compiled XML-style BGL scenery library: its section table and the MDL
// models its mdl sections hold.
class MODKIT_EXPORT BGLObject {
public:
    // True when f is a file whose first two bytes are 01 02.
    bool isXMLBGL(const std::string& f) const;
    // Reads the library and loads every model of every mdl section, in file
    // order. A missing file changes nothing. A library whose tables or index
    // point outside the file fails before any model is loaded; a model that
    // does not load stops the read with its error, the models before it stay.
    void readXMLBGL(const std::string& f);
    // Reads the section table and the model index only, without loading the
    // models: the models' bytes are available even where a model would not load.
    void scanXMLBGL(const std::string& f);
    // readXMLBGL over the bytes of a library file; path becomes path() and the
    // models' MDLPath.
    void readXMLBGLBytes(std::string bytes, const std::string& path = std::string());

    std::shared_ptr<modkit::ModelList> ModelList() const { return models_; }
    std::shared_ptr<XMLBGLSectionList> sections() const { return sections_; }

    // Every model the library's index names, in file order (Object 1 first),
    // whether it loads or not.
    const std::vector<ModelLocation>& modelLocations() const { return locations_; }
    int modelCount() const { return static_cast<int>(locations_.size()); }
    // Size in bytes and the bytes of object n (1-based) as the library stores
    // them; error 5 for a number outside 1..modelCount().
    int64_t modelSize(int n) const;
    std::string modelBytes(int n) const;
    const std::string& path() const { return path_; }

private:
    // Reads the file, its tables and the model index; false for a missing file.
    bool scan(const std::string& f);
    void scanBytes(std::string bytes, const std::string& f);
    void loadModels();

    std::shared_ptr<modkit::ModelList> models_ = std::make_shared<modkit::ModelList>();
    std::shared_ptr<XMLBGLSectionList> sections_ = std::make_shared<XMLBGLSectionList>();
    std::vector<ModelLocation> locations_;
    std::string bytes_;
    std::string path_;
};

}  // namespace modkit
