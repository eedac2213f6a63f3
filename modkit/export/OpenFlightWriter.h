#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>
#include <vector>

#include "modkit/core/HexFunctions.h"

namespace modkit {

class MaterialList;
class TextureList;
class VertexList;

// Writes an OpenFlight database (format revision 16.0) record by record, and
// the texture attribute files that go with its textures. All numbers are
// big-endian. The caller decides the order of the records.
//
// The database is built in memory; closeDB writes it, then the attribute
// files, each through a temporary file, so an export that fails before
// closeDB changes no file on disk.
class MODKIT_EXPORT OpenFlightWriter {
public:
    static constexpr int paletteColors = 1024;

    // Starts a database for file; its folder ("." when the path has none) is
    // where the attribute files go.
    void createDB(const std::string& file);
    // Writes the database and the attribute files queued for it.
    void closeDB();

    void writePushLevel();
    void writePopLevel();
    void writePushSubface();
    void writePopSubface();
    void writePushAttribute();
    void writePopAttribute();

    void writeHeader();
    void writeGroup(const std::string& name);
    void writeObject(const std::string& name);
    // Color is a colour palette entry, Texture a texture pattern index (-1 for
    // none), Material a material palette index.
    void writeFace(const std::string& name, int32_t Color, int16_t Texture, int16_t Material);
    // One triangle; the arguments are 0-based positions in the vertex palette.
    void writeVertexList(int32_t v1, int32_t v2, int32_t v3);
    void writeLOD(const std::string& name, double switchIn, double switchOut);
    // The palette record and one vertex per member of vList, with the model's
    // up axis (y) turned into the database's (z). extraRotation turns the model
    // clockwise seen from above, in degrees, as a heading does.
    void writeVertexPalette(const modkit::VertexList& vList, float extraRotation);
    void writeVertex(double x, double y, double z, float nx, float ny, float nz, float tx, float ty);
    // The diffuse colour of each material, then white up to 1024 entries.
    void writeColorPalette(const modkit::MaterialList& mList);
    // One record per material, then the plain white material textured faces use.
    void writeMaterialPalette(const modkit::MaterialList& mList);
    void writeTexturePalette(const modkit::TextureList& tList, const std::string& texFormat, bool saveATTR);
    // The attribute file of texture file name `file`, in the database's folder.
    void writeTextureAttribute(const std::string& file);
    void writeComment(const std::string& comment);
    void writeLongID(const std::string& name);

    // The texture palette name of a bitmap: lower case, ".bmp" -> "." + texFormat.
    static std::string textureFileName(const std::string& bitmap, const std::string& texFormat);
    // The 1608 bytes of every attribute file.
    static const std::string& attributeFileBytes();
    // The revision date of the header: the current local day as YYYY-MM-DD.
    static std::string dateText();

    const std::string& folder() const { return folder_; }
    // The database's bytes so far.
    const std::string& bytes() const { return out_.bytes(); }
    // Where the queued attribute files will be written.
    const std::vector<std::string>& attributeFiles() const { return attrFiles_; }

private:
    void control(int16_t opcode);
    void recordStart(int16_t opcode, int16_t length);
    void nodeID(const std::string& name);
    void longIDAfter(const std::string& name);
    void paddedText(int16_t opcode, const std::string& text);

    ByteWriter out_;
    std::string file_;
    std::string folder_;
    std::vector<std::string> attrFiles_;
    bool open_ = false;
};

}  // namespace modkit
