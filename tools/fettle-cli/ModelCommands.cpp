// info and save: the model file as the library reads and writes it.
#include <cstdio>

#include "Cli.h"
#include "modkit/bgl/CommandWalk.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"

namespace cli {
namespace {

using modkit::numtext::singleText;

std::string jsonNumber(float v) {
    std::string t = singleText(v);
    return (t == "NaN" || t == "Infinity" || t == "-Infinity") ? "null" : t;
}

}  // namespace

int cmdInfo(Args& args) {
    bool json = args.flag("--json");
    std::string path = args.positionals(1, 1)[0];
    modkit::MDLObject m;
    m.readMDL(path);
    const auto& bb = *m.BoundingBox();
    const auto& tex = *m.TextureList();
    const int64_t triangles = modkit::countTriangles(*m.BGLCommandList());

    if (json) {
        std::string out = "{\"file\":" + jsonString(path) + ",\"sections\":[";
        bool first = true;
        for (int16_t i = 0; i < m.getNumRIFFSections(); ++i) {
            const auto& s = m.section(i);
            if (s.size <= 0 && i != 0) continue;
            out += std::string(first ? "" : ",") + "{\"tag\":" + jsonString(s.name) + ",\"size\":" + std::to_string(s.size) + "}";
            first = false;
        }
        out += "],\"materials\":" + std::to_string(m.MaterialList()->Count());
        out += ",\"textures\":[";
        first = true;
        for (const auto& t : tex) {
            out += std::string(first ? "" : ",") + jsonString(t->bitmap());
            first = false;
        }
        out += "],\"vertices\":" + std::to_string(m.VertexList()->Count());
        out += ",\"commands\":" + std::to_string(m.BGLCommandList()->Count());
        out += ",\"triangles\":" + std::to_string(triangles);
        out += ",\"boundingBox\":{\"xmin\":" + jsonNumber(bb.xmin()) + ",\"ymin\":" + jsonNumber(bb.ymin()) +
               ",\"zmin\":" + jsonNumber(bb.zmin()) + ",\"xmax\":" + jsonNumber(bb.xmax()) +
               ",\"ymax\":" + jsonNumber(bb.ymax()) + ",\"zmax\":" + jsonNumber(bb.zmax()) + "}}";
        std::printf("%s\n", out.c_str());
        return 0;
    }

    std::printf("File: %s\nSections:\n", path.c_str());
    for (int16_t i = 0; i < m.getNumRIFFSections(); ++i) {
        const auto& s = m.section(i);
        if (s.size <= 0 && i != 0) continue;
        std::printf("  %s%-4s %10d\n", s.parent == modkit::MDLObject::slotEXTE ? "  " : "", s.name.c_str(), s.size);
    }
    std::printf("Materials: %d\n", m.MaterialList()->Count());
    std::printf("Textures: %d\n", tex.Count());
    int i = 0;
    for (const auto& t : tex) std::printf("  %d %s\n", ++i, t->bitmap().c_str());
    std::printf("Vertices: %d\n", m.VertexList()->Count());
    std::printf("Commands: %d\n", m.BGLCommandList()->Count());
    std::printf("Triangles: %lld\n", static_cast<long long>(triangles));
    std::printf("Bounding box: x %s .. %s, y %s .. %s, z %s .. %s\n", singleText(bb.xmin()).c_str(),
                singleText(bb.xmax()).c_str(), singleText(bb.ymin()).c_str(), singleText(bb.ymax()).c_str(),
                singleText(bb.zmin()).c_str(), singleText(bb.zmax()).c_str());
    return 0;
}

int cmdSave(Args& args) {
    auto p = args.positionals(2, 2);
    modkit::refuseOutputOverInput(p[1], {p[0]}, "fettle-cli");
    modkit::MDLObject m;
    m.readMDL(p[0]);
    m.saveMDL(p[1]);
    return 0;
}

}  // namespace cli
