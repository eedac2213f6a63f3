#include "modkit/export/OpenFlightWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/lists/MaterialList.h"
#include "modkit/lists/TextureList.h"
#include "modkit/lists/VertexList.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.OpenFlightWriter";
constexpr bool BE = true;

enum Opcode : int16_t {
    opHeader = 1,
    opGroup = 2,
    opObject = 4,
    opFace = 5,
    opPushLevel = 10,
    opPopLevel = 11,
    opPushSubface = 19,
    opPopSubface = 20,
    opComment = 31,
    opColorPalette = 32,
    opLongID = 33,
    opTexturePalette = 64,
    opVertexPalette = 67,
    opVertexColorNormalUV = 70,
    opVertexList = 72,
    opLOD = 73,
    opMaterialPalette = 113,
    opPushAttribute = 122,
    opPopAttribute = 123,
};

constexpr int kVertexRecord = 64;
constexpr int kVertexPaletteHeader = 8;

void zeros(ByteWriter& w, int n) {
    for (int i = 0; i < n; ++i) putByte(w, 0);
}

// Quarter turns come out exact; other angles through sin and cos.
void headingTerms(float degrees, double& c, double& s) {
    double d = std::fmod(static_cast<double>(degrees), 360.0);
    if (d < 0) d += 360.0;
    if (d == 0) { c = 1; s = 0; }
    else if (d == 90) { c = 0; s = 1; }
    else if (d == 180) { c = -1; s = 0; }
    else if (d == 270) { c = 0; s = -1; }
    else {
        const double r = d * (3.14159265358979323846 / 180.0);
        c = std::cos(r);
        s = std::sin(r);
    }
}

// Models converted together share their textures: an attribute file that
// already holds these bytes is left as it is.
void writeAttributeFile(const std::string& path) {
    const std::string& bytes = OpenFlightWriter::attributeFileBytes();
    if (fileExists(path)) {
        std::ifstream in(path, std::ios::binary);
        std::string have(bytes.size() + 1, '\0');
        in.read(have.data(), static_cast<std::streamsize>(have.size()));
        if (in.gcount() == static_cast<std::streamsize>(bytes.size()) && have.compare(0, bytes.size(), bytes) == 0)
            return;
    }
    writeFileAtomically(path, bytes, kSource);
}

}  // namespace

void OpenFlightWriter::createDB(const std::string& file) {
    file_ = file;
    folder_ = folderOf(file);
    if (folder_.empty()) folder_ = ".";
    out_ = ByteWriter();
    attrFiles_.clear();
    open_ = true;
}

void OpenFlightWriter::closeDB() {
    if (!open_) return;
    open_ = false;
    writeFileAtomically(file_, out_.bytes(), kSource);
    for (const std::string& a : attrFiles_) writeAttributeFile(a);
}

void OpenFlightWriter::recordStart(int16_t opcode, int16_t length) {
    putInteger(out_, opcode, BE);
    putInteger(out_, length, BE);
}

void OpenFlightWriter::control(int16_t opcode) { recordStart(opcode, 4); }

void OpenFlightWriter::writePushLevel() { control(opPushLevel); }
void OpenFlightWriter::writePopLevel() { control(opPopLevel); }
void OpenFlightWriter::writePushSubface() { control(opPushSubface); }
void OpenFlightWriter::writePopSubface() { control(opPopSubface); }
void OpenFlightWriter::writePushAttribute() { control(opPushAttribute); }
void OpenFlightWriter::writePopAttribute() { control(opPopAttribute); }

// The 8-byte ID field: up to 7 characters, the rest follows in a Long ID record.
void OpenFlightWriter::nodeID(const std::string& name) { putString(out_, name.substr(0, 7), 8); }

void OpenFlightWriter::longIDAfter(const std::string& name) {
    if (name.size() > 7) writeLongID(name);
}

std::string OpenFlightWriter::dateText() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return buf;
}

void OpenFlightWriter::writeHeader() {
    recordStart(opHeader, 324);
    putString(out_, "db", 8);
    putLong(out_, 1600, BE);  // format revision
    putLong(out_, 1, BE);     // edit revision
    putString(out_, dateText(), 32);
    for (int i = 0; i < 4; ++i) putInteger(out_, 0, BE);  // next group, LOD, object, face IDs
    putInteger(out_, 1, BE);                              // unit multiplier
    putByte(out_, 0);                                     // metres
    putByte(out_, 0);                                     // texture white
    zeros(out_, 60);                                      // flags, reserved, projection
    putInteger(out_, 0, BE);                              // next DOF ID
    putInteger(out_, 1, BE);                              // double-precision vertices
    putLong(out_, 100, BE);                               // database origin
    zeros(out_, 32 + 20 + 4 + 64 + 16 + 4 + 12 + 16 + 4 + 4 + 16);
}

void OpenFlightWriter::writeGroup(const std::string& name) {
    recordStart(opGroup, 44);
    nodeID(name);
    zeros(out_, 32);
    longIDAfter(name);
}

void OpenFlightWriter::writeObject(const std::string& name) {
    recordStart(opObject, 28);
    nodeID(name);
    zeros(out_, 16);
    longIDAfter(name);
}

void OpenFlightWriter::writeFace(const std::string& name, int32_t Color, int16_t Texture, int16_t Material) {
    const int64_t colorIndex = int64_t(Color) * 128 + 127;  // full intensity of entry Color
    if (colorIndex < INT32_MIN || colorIndex > INT32_MAX) raiseRuntime(err::Overflow, kSource);
    recordStart(opFace, 80);
    nodeID(name);
    putLong(out_, 0, BE);      // IR colour code
    putInteger(out_, 0, BE);   // relative priority
    putByte(out_, 0);          // draw type
    putByte(out_, 1);          // texture white
    putInteger(out_, 0, BE);   // colour name index
    putInteger(out_, 0, BE);   // alternate colour name index
    putByte(out_, 0);          // reserved
    putByte(out_, 0);          // template
    putInteger(out_, -1, BE);  // detail texture
    putInteger(out_, Texture, BE);
    putInteger(out_, Material, BE);
    putInteger(out_, 0, BE);   // surface material code
    putInteger(out_, 0, BE);   // feature ID
    putLong(out_, -1, BE);     // IR material code
    putInteger(out_, 0, BE);   // transparency
    putByte(out_, 0);          // LOD generation control
    putByte(out_, 0);          // line style
    putLong(out_, 0, BE);      // flags
    putByte(out_, 2);          // light mode
    zeros(out_, 7);
    putString(out_, std::string("\xFF\x00\x00\xFF", 4), 4);  // packed primary colour
    putLong(out_, 0, BE);      // packed alternate colour
    putInteger(out_, -1, BE);  // texture mapping
    putInteger(out_, 0, BE);
    putLong(out_, static_cast<int32_t>(colorIndex), BE);
    putLong(out_, -1, BE);     // alternate colour index
    putInteger(out_, 0, BE);
    putInteger(out_, -1, BE);  // shader
    longIDAfter(name);
}

void OpenFlightWriter::writeVertexList(int32_t v1, int32_t v2, int32_t v3) {
    int32_t offsets[3];
    const int32_t v[3] = {v1, v2, v3};
    for (int i = 0; i < 3; ++i) {
        const int64_t o = int64_t(v[i]) * kVertexRecord + kVertexPaletteHeader;
        if (o < INT32_MIN || o > INT32_MAX) raiseRuntime(err::Overflow, kSource);
        offsets[i] = static_cast<int32_t>(o);
    }
    recordStart(opVertexList, 16);
    for (int32_t o : offsets) putLong(out_, o, BE);
}

void OpenFlightWriter::writeLOD(const std::string& name, double switchIn, double switchOut) {
    recordStart(opLOD, 80);
    nodeID(name);
    putLong(out_, 0, BE);
    putDouble(out_, switchIn, BE);
    putDouble(out_, switchOut, BE);
    zeros(out_, 4 + 4 + 40);  // effect IDs, flags, centre, transition range, significant size
    longIDAfter(name);
}

void OpenFlightWriter::writeVertexPalette(const modkit::VertexList& vList, float extraRotation) {
    const int64_t total = int64_t(kVertexPaletteHeader) + int64_t(kVertexRecord) * vList.Count();
    if (total > INT32_MAX) raiseRuntime(err::Overflow, kSource);
    recordStart(opVertexPalette, 8);
    putLong(out_, static_cast<int32_t>(total), BE);
    out_.reserve(out_.size() + static_cast<size_t>(total));

    double c = 1, s = 0;
    headingTerms(extraRotation, c, s);
    const bool turn = s != 0 || c != 1;
    for (int32_t k = 1; k <= vList.Count(); ++k) {
        const Vertex vertex = vList.at(k);
        const Vertex* v = &vertex;
        // The model's y is up and z forward; the database's z is up.
        double x = v->x(), y = v->z(), z = v->y();
        float nx = v->nx(), ny = v->nz(), nz = v->ny();
        if (turn) {
            const double rx = x * c + y * s, ry = y * c - x * s;
            x = rx;
            y = ry;
            const double rnx = nx * c + ny * s, rny = ny * c - nx * s;
            nx = static_cast<float>(rnx);
            ny = static_cast<float>(rny);
        }
        writeVertex(x, y, z, nx, ny, nz, v->tx(), v->ty());
        pumpEvents();
    }
}

void OpenFlightWriter::writeVertex(double x, double y, double z, float nx, float ny, float nz, float tx, float ty) {
    recordStart(opVertexColorNormalUV, kVertexRecord);
    putInteger(out_, 0, BE);  // colour name index
    putInteger(out_, 0, BE);  // flags
    putDouble(out_, x, BE);
    putDouble(out_, y, BE);
    putDouble(out_, z, BE);
    putSingle(out_, nx, BE);
    putSingle(out_, ny, BE);
    putSingle(out_, nz, BE);
    putSingle(out_, tx, BE);
    putSingle(out_, ty, BE);
    zeros(out_, 12);  // packed colour, colour index, reserved
}

void OpenFlightWriter::writeColorPalette(const modkit::MaterialList& mList) {
    // The record has room for 1024 entries and no way to say more.
    if (mList.Count() > paletteColors)
        raiseLibrary(kSource, "The OpenFlight colour palette holds at most 1024 colours; the model has " +
                                  numtext::intText(mList.Count()) + " materials");
    recordStart(opColorPalette, 4228);
    zeros(out_, 128);
    for (const auto& m : mList) putString(out_, m->Diffuse()->packedColor(), 4);
    for (int i = mList.Count(); i < paletteColors; ++i) putLong(out_, -1, BE);
}

void OpenFlightWriter::writeMaterialPalette(const modkit::MaterialList& mList) {
    auto rgb = [&](float r, float g, float b) {
        putSingle(out_, r, BE);
        putSingle(out_, g, BE);
        putSingle(out_, b, BE);
    };
    auto record = [&](int32_t i) {
        recordStart(opMaterialPalette, 84);
        putLong(out_, i, BE);
        putString(out_, numtext::intText(i), 12);
        putLong(out_, 1, BE);  // flags
    };
    int32_t i = 0;
    for (const auto& m : mList) {
        record(i++);
        for (const auto& c : {m->Ambient(), m->Diffuse(), m->Specular(), m->Emmisive()}) rgb(c->r(), c->g(), c->b());
        putSingle(out_, m->Power(), BE);
        putSingle(out_, m->Diffuse()->a(), BE);
        putLong(out_, 0, BE);
    }
    // The plain white material of textured faces.
    record(i);
    rgb(1, 1, 1);
    rgb(1, 1, 1);
    rgb(0, 0, 0);
    rgb(0, 0, 0);
    putSingle(out_, 0, BE);
    putSingle(out_, 1, BE);
    putLong(out_, 0, BE);
}

std::string OpenFlightWriter::textureFileName(const std::string& bitmap, const std::string& texFormat) {
    const std::string lower = lowerCase(bitmap);
    std::string out;
    const std::string ext = "." + texFormat;
    size_t from = 0;
    for (size_t at; (at = lower.find(".bmp", from)) != std::string::npos; from = at + 4)
        out += lower.substr(from, at - from) + ext;
    return out + lower.substr(from);
}

void OpenFlightWriter::writeTexturePalette(const modkit::TextureList& tList, const std::string& texFormat,
                                           bool saveATTR) {
    int32_t i = 0;
    for (const auto& t : tList) {
        const std::string name = textureFileName(t->bitmap(), texFormat);
        recordStart(opTexturePalette, 216);
        putString(out_, name, 200);
        putLong(out_, i++, BE);
        zeros(out_, 8);  // x and y location
        if (saveATTR) writeTextureAttribute(name);
    }
}

const std::string& OpenFlightWriter::attributeFileBytes() {
    static const std::string bytes = [] {
        std::string b(1608, '\0');
        auto word = [&](size_t at, int32_t v) {
            ByteWriter w;
            putLong(w, v, BE);
            b.replace(at, 4, w.bytes());
        };
        const std::pair<size_t, int32_t> words[] = {
            {0, 100},    {4, 100},    {8, 1000},  {12, 1000}, {16, 64},   {24, 4},    {28, 6},
            {32, 1},     {40, 3},     {44, 3},    {120, 100}, {124, 1570}, {132, 1},  {244, 2},
            {248, 2},    {320, 32831}, {1536, -1}, {1540, -1}, {1544, 1},  {1556, 128}, {1568, 1},
            {1572, 1},   {1592, 1570},
        };
        for (const auto& [at, v] : words) word(at, v);
        ByteWriter d;
        putDouble(d, 1000.0, BE);  // real-world size in u and v
        b.replace(104, 8, d.bytes());
        b.replace(112, 8, d.bytes());
        return b;
    }();
    return bytes;
}

void OpenFlightWriter::writeTextureAttribute(const std::string& file) {
    // Only the name's last part: a name from a model file never places a file
    // outside the database's folder. Every attribute file holds the same bytes.
    const std::string path = joinPath(folder_.empty() ? "." : folder_, fileNameOf(file) + ".attr");
    if (!open_) {
        writeAttributeFile(path);
        return;
    }
    if (std::find(attrFiles_.begin(), attrFiles_.end(), path) == attrFiles_.end()) attrFiles_.push_back(path);
}

void OpenFlightWriter::paddedText(int16_t opcode, const std::string& text) {
    // Room for the text and at least one NUL, rounded up to 4 bytes.
    const int64_t n = (int64_t(text.size()) + 1 + 3) / 4 * 4;
    if (n + 4 > INT16_MAX) raiseRuntime(err::Overflow, kSource);
    recordStart(opcode, static_cast<int16_t>(n + 4));
    putString(out_, text, static_cast<int16_t>(n));
}

void OpenFlightWriter::writeComment(const std::string& comment) { paddedText(opComment, comment); }

void OpenFlightWriter::writeLongID(const std::string& name) { paddedText(opLongID, name); }

}  // namespace modkit
