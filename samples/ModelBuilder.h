#pragma once
// Builds MDL model files in memory, field by field, without going through the
// model classes: tests use it to make the files they read, the benchmarks to
// make large models, and the sample generator to make the bundled house.
#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace modelgen {

struct Vtx {
    float x = 0, y = 0, z = 0, nx = 0, ny = 1, nz = 0, tx = 0, ty = 0;
};

struct Mat {
    std::array<float, 4> diffuse{1, 1, 1, 1}, ambient{0.5f, 0.5f, 0.5f, 1}, specular{0, 0, 0, 1}, emissive{0, 0, 0, 1};
    float power = 0;
};

struct Tex {
    int32_t type = 6;                  // TEXTURE_BUILDING
    std::array<uint8_t, 4> bagr{0, 255, 255, 255};  // colour bytes as stored: blue, alpha, red, green
    float size = 0;
    std::string bitmap;
};

// A parameter of a command: a number, a text (for BGL_TAG) or a jump label.
struct Label {
    int id;
};
using Arg = std::variant<double, std::string, Label>;

// Encodes a BGL command stream; jump parameters name labels that are placed
// later (or earlier) and resolved to byte offsets by bytes().
class BglBuilder {
public:
    Label label();
    void place(Label l);  // at the start of the next command
    // Any command of the dictionary, parameters in order.
    void cmd(int opcode, const std::vector<Arg>& args);
    void triList(int base, const std::vector<std::array<uint16_t, 3>>& tris);
    void lineList(int base, const std::vector<std::array<uint16_t, 2>>& lines);
    // Raw bytes (for damaged streams).
    void raw(const std::string& bytes);
    size_t size() const { return out_.size(); }
    std::string bytes() const;

private:
    struct Patch {
        size_t at;
        size_t commandStart;
        int label;
        int width;
    };
    std::string out_;
    std::vector<int64_t> labels_;
    std::vector<Patch> patches_;
};

std::string materialsBody(const std::vector<Mat>& mats);
std::string texturesBody(const std::vector<Tex>& texs);
std::string verticesBody(const std::vector<Vtx>& verts);
std::string headerBody(const std::array<int32_t, 9>& p);
std::string bboxBody(float xmin, float ymin, float zmin, float xmax, float ymax, float zmax);

struct Section {
    std::string tag;
    std::string body;
};

// "RIFF" size "MDL9", the top sections in order, then (when exte is not empty)
// an EXTE section holding the given sections.
std::string mdlFile(const std::vector<Section>& top, const std::vector<Section>& exte, const std::string& form = "MDL9");

// A synthetic model of `vertices` vertices and `triangles` triangles in draw
// lists of up to 100 items, spread over `jumpBlocks` blocks that each sit behind
// an IFIN1 jumping over them; an object-level condition and body call in front.
std::string syntheticModel(int vertices, int triangles, int jumpBlocks);

// A model of about `commands` commands of which `lights` are BGL_LIGHT, each
// preceded by a VAR_BASE_OVERRIDE and an IFMSK (on variable 100: both go); the
// rest are triangles in blocks behind IFIN1 tests that jump over them.
std::string lightsModel(int commands, int lights);

// A model whose first texture is selected by `selections` SET_MATERIAL
// commands, each followed by a draw list of `trianglesEach` triangles, with
// IFIN1 tests jumping over every tenth; its textures are base.bmp and the
// variants base_fa.bmp, base_wi.bmp and base_sp.bmp, then other.bmp, which is
// selected after each draw list.
std::string seasonalModel(int selections, int trianglesEach);

// An XML-style BGL scenery library: the 56-byte header, the section table, the
// subsection tables, then each subsection's data. In a section of type 43 each
// subsection holds MDL file images, as a 24-byte index entry per model followed
// by the models' bytes; in any other section the strings are its records.
struct LibSection {
    int32_t type = 43;
    std::vector<std::vector<std::string>> subsections;
};
std::string xmlBglLibrary(const std::vector<LibSection>& sections);

// A flat, regular mesh of `triangles` small untextured triangles (red, facing
// up) over a 100 x 100 square that fills the bounding box. Each square cell of
// the grid holds two triangles, or four (both diagonals) once one layer would
// need more vertices than a model can hold.
std::string meshModel(int triangles);

// The bundled sample: a small textured house. Its two bitmaps are written by
// writeSampleBitmaps.
std::string sampleHouse();
struct Bitmap {
    std::string name;
    int width, height;
    std::vector<uint8_t> rgb;  // top-down rows, 3 bytes a pixel
};
std::vector<Bitmap> sampleBitmaps();
// The sample house after the texture editor's edits: a night map for the walls
// and a winter texture for the roof (days 330..59), coded by season; and the
// two bitmaps those add.
std::string seasonalSampleHouse();
std::vector<Bitmap> seasonalSampleBitmaps();
// A 24-bit Windows bitmap file.
std::string bmpFile(const Bitmap& b);
// A Windows bitmap file with the given header fields: `palette` (4 bytes an
// entry) and `pixels` follow the 54-byte header as they are given.
std::string bitmapFile(int32_t width, int32_t height, int16_t bitCount, uint32_t compression,
                       const std::string& palette, const std::string& pixels);

// A DDS file: the 128-byte header, then `data`. With a FourCC ("DXT1"...) the
// data is blocks; with an empty fourCC it is uncompressed texels of `bitCount`
// bits under the channel masks (luminance: the red mask holds the grey level).
struct DdsFormat {
    std::string fourCC;
    int bitCount = 0;
    uint32_t r = 0, g = 0, b = 0, a = 0;
    bool luminance = false;
};
std::string ddsFile(int width, int height, const DdsFormat& format, const std::string& data);

}  // namespace modelgen
