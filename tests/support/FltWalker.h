#pragma once
// An independent reader of the OpenFlight files the exporter writes: walks the
// records with the opcode/length table of format revision 16.0 and reports
// every structural fault it finds, so that tests can check any written file.
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace fltcheck {

struct Face {
    std::string id;
    int32_t colorIndex = 0;
    int16_t texture = 0, material = 0;
    std::array<int32_t, 3> vertices{};  // palette positions
};

struct Database {
    std::vector<std::string> problems;  // empty for a sound file
    std::vector<int> opcodes;           // every record in order
    int materials = 0;
    std::vector<std::string> textures;
    std::vector<std::array<double, 3>> positions;
    std::vector<std::array<float, 5>> normalsUV;  // i, j, k, u, v
    std::vector<Face> faces;
    std::vector<std::string> nodeNames;  // full names (Long IDs applied)
};

inline uint32_t be32(const std::string& b, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}
inline uint16_t be16(const std::string& b, size_t at) {
    return static_cast<uint16_t>((static_cast<unsigned char>(b[at]) << 8) | static_cast<unsigned char>(b[at + 1]));
}
inline double beDouble(const std::string& b, size_t at) {
    uint64_t v = (uint64_t(be32(b, at)) << 32) | be32(b, at + 4);
    double d;
    std::memcpy(&d, &v, 8);
    return d;
}
inline float beFloat(const std::string& b, size_t at) {
    uint32_t v = be32(b, at);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}
inline std::string cString(const std::string& b, size_t at, size_t n) {
    std::string s = b.substr(at, n);
    return s.substr(0, s.find('\0'));
}

inline Database walk(const std::string& b) {
    // Fixed record lengths of revision 16.0 for the records a database may hold here.
    static const std::map<int, int> fixed = {{1, 324}, {2, 44},  {4, 28},   {5, 80},  {10, 4},  {11, 4},
                                             {19, 4},  {20, 4},  {32, 4228}, {64, 216}, {67, 8}, {70, 64},
                                             {72, 16}, {73, 80}, {113, 84}, {122, 4}, {123, 4}};
    Database db;
    auto fail = [&](size_t at, const std::string& what) { db.problems.push_back("byte " + std::to_string(at) + ": " + what); };
    size_t at = 0, paletteStart = 0;
    int depth = 0, lastNode = 0;
    bool inFaces = false;
    int64_t paletteLength = -1;
    while (at < b.size()) {
        if (b.size() - at < 4) { fail(at, "truncated record header"); break; }
        const int op = be16(b, at), len = be16(b, at + 2);
        db.opcodes.push_back(op);
        if (len < 4 || at + len > b.size()) { fail(at, "record length " + std::to_string(len)); break; }
        if (at == 0 && op != 1) fail(at, "the first record is no header");
        auto f = fixed.find(op);
        if (f != fixed.end() && f->second != len)
            fail(at, "opcode " + std::to_string(op) + " has length " + std::to_string(len));
        switch (op) {
        case 1:
            if (be32(b, at + 12) != 1600) fail(at, "format revision");
            if (be16(b, at + 126) != 1) fail(at, "vertex storage");
            break;
        case 10: ++depth; inFaces = true; break;
        case 11: if (--depth < 0) fail(at, "pop without push"); break;
        case 2: case 4: case 5: case 73:
            lastNode = op;
            db.nodeNames.push_back(cString(b, at + 4, 8));
            if (op == 5) {
                Face fc;
                fc.id = db.nodeNames.back();
                fc.texture = static_cast<int16_t>(be16(b, at + 28));
                fc.material = static_cast<int16_t>(be16(b, at + 30));
                fc.colorIndex = static_cast<int32_t>(be32(b, at + 68));
                fc.vertices = {-1, -1, -1};
                db.faces.push_back(fc);
            }
            break;
        case 33: case 31: {
            const std::string text = b.substr(at + 4, len - 4);
            if (len % 4 || text.find('\0') == std::string::npos) fail(at, "text record padding");
            if (op == 33) {
                if (!lastNode || db.nodeNames.empty()) fail(at, "long ID without a node");
                else if (cString(text, 0, text.size()).substr(0, 7) != db.nodeNames.back().substr(0, 7))
                    fail(at, "long ID does not match its node");
                else db.nodeNames.back() = cString(text, 0, text.size());
            }
            break;
        }
        case 113:
            if (static_cast<int>(be32(b, at + 4)) != db.materials) fail(at, "material index out of order");
            ++db.materials;
            break;
        case 64:
            if (static_cast<int>(be32(b, at + 204)) != static_cast<int>(db.textures.size())) fail(at, "pattern index");
            db.textures.push_back(cString(b, at + 4, 200));
            break;
        case 67:
            paletteStart = at;
            paletteLength = be32(b, at + 4);
            break;
        case 70:
            if (paletteLength < 0 || inFaces) fail(at, "vertex outside the vertex palette");
            if (at != paletteStart + 8 + 64 * db.positions.size()) fail(at, "vertex records not contiguous");
            db.positions.push_back({beDouble(b, at + 8), beDouble(b, at + 16), beDouble(b, at + 24)});
            db.normalsUV.push_back({beFloat(b, at + 32), beFloat(b, at + 36), beFloat(b, at + 40), beFloat(b, at + 44),
                                    beFloat(b, at + 48)});
            break;
        case 72:
            if (db.faces.empty() || db.faces.back().vertices[0] != -1) { fail(at, "vertex list without its face"); break; }
            for (int k = 0; k < 3; ++k) {
                const int64_t o = static_cast<int32_t>(be32(b, at + 4 + 4 * k));
                if (o < 8 || (o - 8) % 64 || (o - 8) / 64 >= static_cast<int64_t>(db.positions.size()))
                    fail(at, "vertex offset " + std::to_string(o) + " lands on no vertex");
                db.faces.back().vertices[k] = static_cast<int32_t>((o - 8) / 64);
            }
            break;
        default:
            if (f == fixed.end()) fail(at, "unknown opcode " + std::to_string(op));
        }
        at += static_cast<size_t>(len);
    }
    if (depth != 0) fail(at, "push/pop unbalanced: " + std::to_string(depth));
    if (paletteLength >= 0 && paletteLength != 8 + 64 * static_cast<int64_t>(db.positions.size()))
        fail(paletteStart, "vertex palette length");
    for (const Face& fc : db.faces) {
        if (fc.texture != -1 && (fc.texture < 0 || fc.texture >= static_cast<int>(db.textures.size())))
            fail(0, "face " + fc.id + ": texture " + std::to_string(fc.texture) + " out of range");
        if (fc.material < 0 || fc.material >= db.materials)
            fail(0, "face " + fc.id + ": material " + std::to_string(fc.material) + " out of range");
        if (fc.colorIndex % 128 != 127 || fc.colorIndex / 128 >= 1024)
            fail(0, "face " + fc.id + ": colour index " + std::to_string(fc.colorIndex));
        if (fc.vertices[0] == -1) fail(0, "face " + fc.id + " has no vertex list");
    }
    return db;
}

}  // namespace fltcheck
