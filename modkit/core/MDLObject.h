#pragma once
#include "modkit/core/Export.h"
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/bgl/BGLOpcodeDictionary.h"
#include "modkit/bgl/SeasonalTextures.h"
#include "modkit/core/BoundingBox.h"
#include "modkit/core/MDLHeader.h"
#include "modkit/lists/MaterialList.h"
#include "modkit/lists/TextureList.h"
#include "modkit/lists/VertexList.h"
#include "modkit/core/TextureLoadFailure.h"

namespace modkit {

class GLSurface;
class WalkState;
class OpenGLPreviewObject;
class ViewCamera;
struct ViewPoint;
struct PreviewDrawList;

enum class LoadingStatus : int32_t {
    loadingHEAD = 0,
    loadingMATE = 1,
    loadingTEXT = 2,
    loadingVERT = 3,
    loadingBGL = 4,
    generatingDrawList = 5,
};

// One slot of the RIFF section table.
struct MODKIT_EXPORT RIFFSection {
    std::string name;   // the 4-character tag
    int32_t size = 0;   // body size
    std::string data;   // body (empty until read; VERT and BGL live in their lists until updateData)
    int16_t parent = -1;
};

// The parts of a model an edit may touch. Undo keeps copies of only these.
enum ModelPart : uint32_t {
    partHeader = 1,
    partBBox = 2,
    partISFT = 4,
    partMaterials = 8,
    partTextures = 16,
    partVertices = 32,
    partCommands = 64,
    partSections = 128,  // the section table (SHAD, DICT, sizes, ...), ISFT included
    partAll = 255,
};

// A copy of some parts of one model that can be put back exactly. The small
// parts are deep copies; vertices and commands are kept as their encoded
// section bodies, which is a fraction of their decoded size.
class MODKIT_EXPORT ModelPartsCopy {
public:
    uint32_t parts() const { return parts_; }
    bool empty() const { return parts_ == 0; }
    // Keeps only the given parts.
    void keep(uint32_t parts);
    // Adds the parts of other this copy does not hold yet.
    void addMissing(const ModelPartsCopy& other);
    // About what the copy holds, in bytes.
    size_t bytes() const;

private:
    friend class MDLObject;
    uint32_t parts_ = 0;
    std::shared_ptr<modkit::MDLHeader> header_;
    std::shared_ptr<modkit::BoundingBox> bbox_;
    RIFFSection isft_;
    std::shared_ptr<modkit::MaterialList> materials_;
    std::shared_ptr<modkit::TextureList> textures_;
    std::string vertices_;
    std::string commands_;
    std::vector<std::pair<int16_t, RIFFSection>> sections_;  // the slots kept
};

// One model: its RIFF section table and, once read, its decoded header,
// bounding box and element lists. The getters hand out the owned objects.
class MODKIT_EXPORT MDLObject {
public:
    static constexpr int slotCount = 20;  // 0..18 used, 19 stays empty
    static constexpr int slotEXTE = 7;

    MDLObject();
    MDLObject(const MDLObject&) = delete;
    MDLObject& operator=(const MDLObject&) = delete;
    ~MDLObject();

    // A deep copy: sections, records, every list element and the in-memory
    // fields (texture files, variants, parents, Loaded, LoadingStatus, path).
    // Undo keeps these as snapshots, so nothing may be shared with the original.
    std::shared_ptr<MDLObject> clone() const;

    // Copies the given parts (ModelPart flags).
    ModelPartsCopy copyParts(uint32_t parts);
    // Puts the parts of c back into this model's own lists (whose objects stay
    // the same, so holders of the getters' pointers see the restored data).
    void restoreParts(const ModelPartsCopy& c);
    // A copy of the same parts (and section slots) as c holds.
    ModelPartsCopy copyLike(const ModelPartsCopy& c);
    // Drops from c what this model still has unchanged (parts and section
    // slots); gives the parts that differ.
    uint32_t keepChangesOnly(ModelPartsCopy& c);

    bool Loaded() const { return loaded_; }
    void setLoaded(bool v) { loaded_ = v; }
    modkit::LoadingStatus LoadingStatus() const { return status_; }
    void setLoadingStatus(modkit::LoadingStatus s);

    std::shared_ptr<modkit::TextureList> TextureList() const { return textures_; }
    std::shared_ptr<modkit::MaterialList> MaterialList() const { return materials_; }
    std::shared_ptr<modkit::VertexList> VertexList() const { return vertices_; }
    std::shared_ptr<modkit::BGLCommandList> BGLCommandList() const { return commands_; }
    std::shared_ptr<modkit::BoundingBox> BoundingBox() const { return bbox_; }
    std::shared_ptr<modkit::MDLHeader> MDLHeader() const { return header_; }

    std::string getISFT() const;
    void setISFT(const std::string& data);

    // Slot of the tag (compared exactly), -1 when none.
    int16_t getRIFFSectionIndex(const std::string& tag) const;
    // Error 9 outside 0..19.
    int32_t getRIFFSectionSize(int16_t index) const;
    int16_t getNumRIFFSections() const { return 19; }
    // The slot itself (error 9 outside 0..19).
    const RIFFSection& section(int16_t index) const;
    // Replaces a slot's body; its size becomes the body's length.
    void setSection(int16_t index, std::string data);

    // About the bytes the decoded lists hold (vertices and commands with what
    // they keep of the stream; materials and textures estimated), without the
    // section bodies.
    size_t decodedBytes() const;

    // Reads a model file.
    void readMDL(const std::string& file);
    // Reads a model from the bytes of a model file (a model inside a scenery
    // library); path becomes MDLPath.
    void readMDLBytes(const std::string& bytes, const std::string& path = std::string());

    // Re-encodes the records and lists into their sections, then updateSectionSize.
    void updateData();
    // Recomputes the sizes of BGL, TEXT, EXTE and RIFF.
    void updateSectionSize();
    // updateData, then writes the file through a temporary file in its folder.
    void saveMDL(const std::string& file);
    // The bytes saveMDL would write.
    std::string toBytes();
    // updateData, then the file's bytes section by section to write.
    void writeSections(const std::function<void(std::string_view)>& write);

    // Tweaks. Each changes the model in memory only.
    // The SHAD section becomes the 12-byte body that switches the shadow off.
    void addKillShadow();
    // Drops the SHAD section, whatever it held.
    void removeKillShadow();
    // Drops the DICT section.
    void cleanDICT();
    // cleanDICT, then removes the VAR_BASE_OVERRIDE commands and the IFMSK
    // commands with a mask of 200 or less that stand in the unbroken run right
    // before each BGL_LIGHT. Jumps that landed on a removed command land on the
    // next command kept.
    void fixLights();

    // Texture sizes: grows each texture group's size to the largest ratio of an
    // edge's length in model space to its length in texture space among the
    // triangles drawn with it. Needs the textures' parents assigned.
    void updateTextureSize();
    // Kept for the interface; does nothing.
    void recalcTextureSizes();
    // The seasons coded in the command stream for the base texture at 1-based
    // position parent of the texture list (Material left 0).
    seasonalTextures readSeasonalDates(int16_t parent);

    // Writes the model as a BGLC assembler listing (modkit/export).
    void exportASM(const std::string& f);
    // Writes the model as an OpenFlight database with its texture attribute
    // files (modkit/export). texFormat replaces "bmp" in the texture names;
    // extraRotation turns the model about its vertical axis, in degrees.
    void exportFLT(const std::string& f, const std::string& texFormat, bool saveATTR = true, float extraRotation = 0);

    const std::string& MDLPath() const { return path_; }
    void setMDLPath(const std::string& p) { path_ = p; }

    const BGLOpcodeDictionary& dictionary() const { return dictionary_; }

    // Preview: defined in the preview library (modkit::preview), which a
    // program calling these links; the model library itself has no GL. The
    // context of the preview object or surface must be current.
    // Loads every texture that has a file into a GL texture. Every texture is
    // tried; afterwards the first failure, if any, is raised (error 100).
    void glLoadTextureList(OpenGLPreviewObject& oglPObj);
    // Builds the model's draw list, replacing its previous one: every
    // triangle without a state, what the simulator draws under state
    // otherwise. The vertices go to one GL buffer, the state changes between
    // runs of triangles are kept to be replayed at each frame.
    void glGenerateDrawList(const WalkState* state = nullptr);
    // Textures, then the display list; sets Loaded. A texture that fails does
    // not stop it: its triangles are drawn untextured and the failures are
    // returned for the caller to report.
    std::vector<TextureLoadFailure> glPreparepreview(OpenGLPreviewObject& oglPreview, const WalkState* state = nullptr);
    // After a texture edit, on a prepared preview: loads only the textures
    // that are new, renamed or whose file was written since, keeps the GL
    // textures of the others, deletes those no entry uses any more, then
    // compiles the display list. Failures are returned as by glPreparepreview.
    std::vector<TextureLoadFailure> glReloadChangedTextures(OpenGLPreviewObject& oglPreview,
                                                            const WalkState* state = nullptr);
    // Draws one frame: heading and pitch in degrees, pan in model units, the
    // picture size in pixels, zoom in percent.
    void glDrawMDL(float heading, float pitch, float panX, float panY, float picWidth, float picHeigth,
                   GLSurface& surface, float zoom);
    // Draws one frame as camera sees it, the picture size in pixels.
    void glDrawView(const ViewCamera& camera, float picWidth, float picHeight, GLSurface& surface);
    // The vertices in the draw list's space, for the camera to frame (the
    // header's box only when there are none: it is often empty or wrong).
    std::vector<ViewPoint> viewPoints() const;
    // Deletes this model's display list and textures from the current context.
    void glReleasePreview();
    // The GL buffer holding the draw list's vertices (0 when none was made,
    // or when the context has no buffer objects and they stay in memory).
    uint32_t previewList() const { return previewList_; }

private:
    // The RIFF section table and bodies from the bytes of a model file.
    void readSections(const std::string& bytes);
    void decodeSections();
    std::vector<TextureLoadFailure> loadPreviewTextures(OpenGLPreviewObject& oglPObj);
    void compileDrawList(const WalkState* state);
    bool glReplayDrawList(GLSurface& surface);

    std::array<RIFFSection, slotCount> sections_;
    std::shared_ptr<modkit::MDLHeader> header_;
    std::shared_ptr<modkit::BoundingBox> bbox_;
    std::shared_ptr<modkit::MaterialList> materials_;
    std::shared_ptr<modkit::TextureList> textures_;
    std::shared_ptr<modkit::VertexList> vertices_;
    std::shared_ptr<modkit::BGLCommandList> commands_;
    BGLOpcodeDictionary dictionary_;
    bool loaded_ = false;
    modkit::LoadingStatus status_ = modkit::LoadingStatus::loadingHEAD;
    std::string path_;
    uint32_t previewList_ = 0;
    std::shared_ptr<PreviewDrawList> drawList_;  // what a frame draws (modkit/preview)
    int32_t previewTime_ = 1;  // the time of day the preview list was made for (Time of day values)
};

}  // namespace modkit
