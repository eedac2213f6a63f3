// The bundled sample model: a small house with brick walls, a tiled gable roof
// and a plain door, behind a distance condition.
#include <cmath>

#include "ModelBuilder.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/MDLObject.h"
#include "modkit/lists/TextureGroups.h"

namespace modelgen {
namespace {

struct P {
    float x, y, z;
};

class Mesh {
public:
    // Adds a flat polygon (3 or 4 corners, in order) with texture coordinates
    // scaled so one repeat covers `repeat` metres.
    void face(std::initializer_list<P> corners, float repeat) {
        std::vector<P> c(corners);
        P u{c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
        P v{c[2].x - c[0].x, c[2].y - c[0].y, c[2].z - c[0].z};
        // Corners run counter-clockwise seen from outside in the model's left-handed
        // axes (y up, z north), so v x u points outwards.
        P n{v.y * u.z - v.z * u.y, v.z * u.x - v.x * u.z, v.x * u.y - v.y * u.x};
        float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        float ulen = std::sqrt(u.x * u.x + u.y * u.y + u.z * u.z);
        auto first = static_cast<uint16_t>(verts.size());
        for (const P& p : c) {
            P d{p.x - c[0].x, p.y - c[0].y, p.z - c[0].z};
            float s = (d.x * u.x + d.y * u.y + d.z * u.z) / ulen;   // along the first edge
            float t = std::sqrt(std::max(0.0f, d.x * d.x + d.y * d.y + d.z * d.z - s * s));
            verts.push_back(Vtx{p.x, p.y, p.z, n.x / len, n.y / len, n.z / len, s / repeat, t / repeat});
        }
        tris.push_back({first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2)});
        if (c.size() == 4) tris.push_back({first, static_cast<uint16_t>(first + 2), static_cast<uint16_t>(first + 3)});
    }
    std::vector<Vtx> verts;
    std::vector<std::array<uint16_t, 3>> tris;
};

}  // namespace

std::string sampleHouse() {
    const float w = 4, d = 3, h = 4, ridge = 6.5f, eave = 0.4f;
    Mesh walls, roof, door;
    // Walls, counter-clockwise seen from outside (x east, y up, z north).
    walls.face({{-w, 0, -d}, {w, 0, -d}, {w, h, -d}, {-w, h, -d}}, 2);
    walls.face({{w, 0, d}, {-w, 0, d}, {-w, h, d}, {w, h, d}}, 2);
    walls.face({{w, 0, -d}, {w, 0, d}, {w, h, d}, {w, h, -d}}, 2);
    walls.face({{-w, 0, d}, {-w, 0, -d}, {-w, h, -d}, {-w, h, d}}, 2);
    walls.face({{w, h, -d}, {w, h, d}, {w, ridge, 0}}, 2);   // gables
    walls.face({{-w, h, d}, {-w, h, -d}, {-w, ridge, 0}}, 2);
    // Roof planes overhanging the walls a little.
    roof.face({{-w - eave, h - 0.3f, -d - eave}, {w + eave, h - 0.3f, -d - eave}, {w + eave, ridge, 0}, {-w - eave, ridge, 0}}, 2);
    roof.face({{w + eave, h - 0.3f, d + eave}, {-w - eave, h - 0.3f, d + eave}, {-w - eave, ridge, 0}, {w + eave, ridge, 0}}, 2);
    // The door stands just in front of the south wall.
    door.face({{-0.6f, 0, -d - 0.02f}, {0.6f, 0, -d - 0.02f}, {0.6f, 2.1f, -d - 0.02f}, {-0.6f, 2.1f, -d - 0.02f}}, 1);

    std::vector<Vtx> verts;
    auto append = [&](const Mesh& m) {
        int base = static_cast<int>(verts.size());
        verts.insert(verts.end(), m.verts.begin(), m.verts.end());
        return base;
    };
    int wallBase = append(walls), roofBase = append(roof), doorBase = append(door);

    BglBuilder b;
    Label end = b.label(), body = b.label();
    b.cmd(36, {end, 827.0, 0.0, 5000.0});  // drawn within 5 km
    b.cmd(138, {body});
    b.place(end);
    b.cmd(189, {});
    b.place(body);
    b.cmd(184, {0.0, 0.0});
    b.triList(wallBase, walls.tris);
    b.cmd(184, {1.0, 1.0});
    b.triList(roofBase, roof.tris);
    b.cmd(184, {2.0, -1.0});
    b.triList(doorBase, door.tris);
    b.cmd(34, {});

    Mat brick, tiles, wood;
    tiles.ambient = {0.6f, 0.6f, 0.6f, 1};
    wood.diffuse = {0.45f, 0.26f, 0.12f, 1};
    wood.ambient = {0.3f, 0.17f, 0.08f, 1};
    Tex wallsTex, roofTex;
    wallsTex.bitmap = "house_walls.bmp";
    wallsTex.size = 2;
    roofTex.bitmap = "house_roof.bmp";
    roofTex.size = 2;

    std::string isft = "Fettle II sample house";
    isft.push_back('\0');
    return mdlFile({{"MDLH", headerBody({0, 0, 0, 0, 0, 0, 0, 0, 0})},
                    {"ISFT", isft},
                    {"BBOX", bboxBody(-w - eave, 0, -d - eave, w + eave, ridge, d + eave)}},
                   {{"TEXT", texturesBody({wallsTex, roofTex})},
                    {"MATE", materialsBody({brick, tiles, wood})},
                    {"VERT", verticesBody(verts)},
                    {"BGL ", b.bytes()}});
}

std::vector<Bitmap> sampleBitmaps() {
    const int n = 64;
    Bitmap walls{"house_walls.bmp", n, n, std::vector<uint8_t>(static_cast<size_t>(n * n * 3))};
    Bitmap roof{"house_roof.bmp", n, n, std::vector<uint8_t>(static_cast<size_t>(n * n * 3))};
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            uint8_t* p = &walls.rgb[static_cast<size_t>((y * n + x) * 3)];
            int row = y / 8, shift = (row % 2) * 8;
            bool mortar = y % 8 == 7 || (x + shift) % 16 == 15;
            int grain = ((x * 7 + y * 13) % 5) * 4;
            if (mortar) { p[0] = 200; p[1] = 196; p[2] = 188; }
            else { p[0] = static_cast<uint8_t>(170 + grain); p[1] = static_cast<uint8_t>(60 + grain); p[2] = 40; }
            uint8_t* q = &roof.rgb[static_cast<size_t>((y * n + x) * 3)];
            bool edge = y % 8 == 0 || (x + (y / 8 % 2) * 6) % 12 == 0;
            if (edge) { q[0] = 40; q[1] = 30; q[2] = 30; }
            else { q[0] = static_cast<uint8_t>(90 + grain); q[1] = 45; q[2] = 35; }
        }
    }
    return {walls, roof};
}

std::string bmpFile(const Bitmap& b) {
    using namespace modkit;
    const int rowBytes = (b.width * 3 + 3) & ~3;
    ByteWriter w;
    for (int y = b.height - 1; y >= 0; --y) {  // bottom-up
        for (int x = 0; x < b.width; ++x) {
            const uint8_t* p = &b.rgb[static_cast<size_t>((y * b.width + x) * 3)];
            putByte(w, p[2]);
            putByte(w, p[1]);
            putByte(w, p[0]);
        }
        for (int pad = b.width * 3; pad < rowBytes; ++pad) putByte(w, 0);
    }
    return bitmapFile(b.width, b.height, 24, 0, "", w.bytes());
}

}  // namespace modelgen

namespace modelgen {

std::string seasonalSampleHouse() {
    modkit::MDLObject m;
    m.readMDLBytes(sampleHouse());
    modkit::TextureGroups groups;
    groups.recognise(*m.TextureList());
    modkit::TextureUpdate u;
    u.rgb = {"255", "255", "255"};
    u.size = "2";
    // The walls get a night map.
    u.position = 1;
    u.seasons = {true, false, false, false, false};
    u.night = true;
    groups.applyUpdate(*m.TextureList(), *m.BGLCommandList(), u);
    // The roof a winter texture, days 330..59; summer the rest of the year.
    u.position = 3;
    u.seasons = {true, false, true, false, false};
    u.night = false;
    u.dayStart = {"60", "", "330", "", ""};
    u.dayEnd = {"329", "", "59", "", ""};
    groups.applyUpdate(*m.TextureList(), *m.BGLCommandList(), u);
    return m.toBytes();
}

std::vector<Bitmap> seasonalSampleBitmaps() {
    const int n = 64;
    Bitmap snow{"house_roof_wi.bmp", n, n, std::vector<uint8_t>(static_cast<size_t>(n * n * 3))};
    Bitmap night{"house_walls_lm.bmp", n, n, std::vector<uint8_t>(static_cast<size_t>(n * n * 3))};
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const int grain = ((x * 7 + y * 13) % 5) * 3;
            uint8_t* p = &snow.rgb[static_cast<size_t>((y * n + x) * 3)];
            const bool edge = y % 8 == 0 && (x + y) % 3 == 0;
            p[0] = static_cast<uint8_t>(edge ? 150 : 225 + grain);
            p[1] = static_cast<uint8_t>(edge ? 160 : 232 + grain);
            p[2] = static_cast<uint8_t>(edge ? 190 : 240);
            // Dark walls with one lit window a repeat.
            uint8_t* q = &night.rgb[static_cast<size_t>((y * n + x) * 3)];
            const bool window = x >= 20 && x < 44 && y >= 16 && y < 40;
            q[0] = static_cast<uint8_t>(window ? 255 : 10);
            q[1] = static_cast<uint8_t>(window ? 200 : 8);
            q[2] = static_cast<uint8_t>(window ? 90 : 12);
        }
    }
    return {snow, night};
}

}  // namespace modelgen
