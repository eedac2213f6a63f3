#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "FltWalker.h"
#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/MDLObject.h"
#include "modkit/export/FLTBatch.h"
#include "modkit/export/OpenFlightWriter.h"

using namespace modkit;
using namespace modelgen;
using testutil::TempDir;

namespace {

std::vector<Vtx> grid(int n) {
    std::vector<Vtx> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = {float(i), float(i % 3), float(-i), 0, 1, 0, 0.5f, 0.25f};
    return v;
}

std::shared_ptr<MDLObject> model(int materials, const std::vector<std::string>& textures, int vertices,
                                  const std::string& stream) {
    std::vector<Tex> t;
    for (const auto& name : textures) t.push_back(Tex{6, {0, 255, 255, 255}, 0, name});
    std::vector<Section> exte = {{"TEXT", texturesBody(t)},
                                 {"MATE", materialsBody(std::vector<Mat>(static_cast<size_t>(materials)))},
                                 {"VERT", verticesBody(grid(vertices))}};
    if (!stream.empty()) exte.push_back({"BGL ", stream});
    auto m = std::make_shared<MDLObject>();
    m->readMDLBytes(mdlFile({}, exte));
    return m;
}

fltcheck::Database exported(MDLObject& m, const std::string& format = "RGB", float rotation = 0) {
    TempDir dir;
    m.exportFLT(dir.file("out.flt"), format, true, rotation);
    return fltcheck::walk(testutil::readFile(dir.file("out.flt")));
}

std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += x + "\n";
    return s;
}

// The records, node names and faces (name colour texture material: vertices) of a database.
std::string summary(const fltcheck::Database& db) {
    std::string s = "records:";
    for (int op : db.opcodes) s += " " + std::to_string(op);
    s += "\nnodes: " + joined(db.nodeNames);
    for (const auto& f : db.faces)
        s += f.id + " " + std::to_string(f.colorIndex) + " " + std::to_string(f.texture) + " " + std::to_string(f.material) +
             ": " + std::to_string(f.vertices[0]) + " " + std::to_string(f.vertices[1]) + " " + std::to_string(f.vertices[2]) + "\n";
    return s;
}

}  // namespace

// Palettes and the node chain, then a face per triangle taking the material,
// texture and vertex base in force (tests/data/flt/*.txt).
TEST(FLTExport, NodeChainAndFaces) {
    auto empty = model(2, {"a.bmp"}, 3, "");
    auto db = exported(*empty);
    EXPECT_TRUE(db.problems.empty()) << joined(db.problems);
    testutil::expectGolden("flt/no-commands.txt", summary(db));

    BglBuilder b;
    b.triList(0, {{0, 1, 2}});  // before any SET_MATERIAL: material 0, texture 0
    b.cmd(184, {1.0, -1.0});
    b.triList(10, {{0, 1, 2}});
    b.cmd(184, {1.0, 0.0});
    b.triList(3, {{2, 1, 0}, {0, 0, 0}});
    auto m = model(2, {"a.bmp"}, 13, b.bytes());
    db = exported(*m);
    EXPECT_TRUE(db.problems.empty()) << joined(db.problems);
    testutil::expectGolden("flt/faces.txt", summary(db));
}

TEST(FLTExport, FaceCountLimitAndBadIndicesLeaveTheOldFiles) {
    TempDir dir;
    std::string out = dir.file("big.flt");
    MDLObject most;
    most.readMDLBytes(syntheticModel(100, 32767, 0));
    most.exportFLT(out, "RGB");
    auto db = fltcheck::walk(testutil::readFile(out));
    EXPECT_TRUE(db.problems.empty()) << joined(db.problems);
    EXPECT_EQ(db.faces.size(), 32767u);

    testutil::writeFile(out, "old database");
    std::filesystem::remove(dir.file("synthetic_a.RGB.attr"));
    MDLObject tooMany;
    tooMany.readMDLBytes(syntheticModel(100, 32768, 0));
    EXPECT_MODKIT_ERROR(tooMany.exportFLT(dir.file("big.flt"), "RGB"), 6);
    EXPECT_EQ(testutil::readFile(out), "old database");
    EXPECT_FALSE(std::filesystem::exists(dir.file("synthetic_a.RGB.attr")));

    // A triangle whose vertex lies past the pool.
    BglBuilder b;
    b.triList(1, {{0, 1, 2}});
    auto m = model(1, {}, 3, b.bytes());
    EXPECT_EQ(testutil::errorText([&] { m->exportFLT(out, "RGB"); }),
              "100 Modkit.MDLObject: Triangle 1 refers to vertex 3, but the model has 3 vertices");
    EXPECT_EQ(testutil::readFile(out), "old database");

    // A parameter that is no number.
    BglBuilder c;
    c.cmd(184, {0.0, 0.0});
    auto bad = model(1, {}, 3, c.bytes());
    bad->BGLCommandList()->Item(1)->setParam(1, "none");
    EXPECT_MODKIT_ERROR(bad->exportFLT(out, "RGB"), 13);
}

namespace {

// A 2 x 2 uncompressed SGI image, so that the converter can load each texture.
std::string sgiImage() {
    ByteWriter w;
    putInteger(w, 474, true);
    putByte(w, 0);
    putByte(w, 1);
    putInteger(w, 3, true);
    putInteger(w, 2, true);
    putInteger(w, 2, true);
    putInteger(w, 3, true);
    putLong(w, 0, true);
    putLong(w, 255, true);
    putString(w, "", 512 - 20);
    putString(w, std::string(12, '\x80'));
    return w.take();
}

}  // namespace

TEST(FLTExport, OpenSceneGraphReadsTheSameModel) {
    const std::string osgconv = "osgconv";
    if (std::system("command -v osgconv >/dev/null 2>&1") != 0) GTEST_SKIP() << "osgconv (Debian package openscenegraph) is not installed";
    MDLObject m;
    m.readMDLBytes(sampleHouse());
    TempDir dir;
    m.exportFLT(dir.file("house.flt"), "RGB");
    for (const auto& t : *m.TextureList())
        testutil::writeFile(dir.file(OpenFlightWriter::textureFileName(t->bitmap(), "RGB")), sgiImage());
    std::string cmd = osgconv + " " + dir.file("house.flt") + " " + dir.file("house.osgt") + " >" +
                      dir.file("log") + " 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << testutil::readFile(dir.file("log"));
    std::string text = testutil::readFile(dir.file("house.osgt"));

    // Triangles: every primitive set must be triangles.
    EXPECT_EQ(text.find("DrawElements"), std::string::npos);
    int triangles = 0;
    std::regex drawArrays(R"(osg::DrawArrays \{\s*UniqueID \d+\s*Mode (\w+)\s*(?:First \d+\s*)?Count (\d+))");
    for (std::sregex_iterator i(text.begin(), text.end(), drawArrays), e; i != e; ++i) {
        EXPECT_EQ((*i)[1].str(), "TRIANGLES");
        triangles += std::stoi((*i)[2].str()) / 3;
    }
    EXPECT_EQ(triangles, 16);

    // Positions: every corner of every face, as our own reader finds them in the file.
    std::multiset<std::string> expected, seen;
    auto key = [](double x, double y, double z) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "%.3f %.3f %.3f", x + 0.0, y + 0.0, z + 0.0);
        return std::string(buf);
    };
    const auto db = fltcheck::walk(testutil::readFile(dir.file("house.flt")));
    for (const auto& f : db.faces)
        for (int32_t v : f.vertices) expected.insert(key(db.positions[size_t(v)][0], db.positions[size_t(v)][1], db.positions[size_t(v)][2]));
    std::regex vertexArray(R"(VertexArray TRUE \{\s*osg::Vec3Array \{[^}]*\}\s*\}\s*Binding \w+\s*vector \d+ \{([^}]*)\})");
    for (std::sregex_iterator i(text.begin(), text.end(), vertexArray), e; i != e; ++i) {
        std::istringstream in((*i)[1].str());
        double x, y, z;
        while (in >> x >> y >> z) seen.insert(key(x, y, z));
    }
    EXPECT_EQ(seen, expected);

    // Texture file names.
    std::set<std::string> names;
    std::regex fileName(R"re(FileName "([^"]*)")re");
    for (std::sregex_iterator i(text.begin(), text.end(), fileName), e; i != e; ++i)
        names.insert(std::filesystem::path((*i)[1].str()).filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"house_walls.RGB", "house_roof.RGB"}));
}

TEST(FLTExport, BatchOutputNamesLowerCaseOnlyTheFileNameAndNeverNameTheModel) {
    EXPECT_EQ(FLTBatch::outputName("/Models/House.MDL", ""), "/Models/house.flt");
    EXPECT_EQ(FLTBatch::outputName("/Models/House.MDL", "/Out/"), "/Out/house.flt");
    // A model file without the extension keeps its bytes: the database goes beside it.
    EXPECT_EQ(FLTBatch::outputName("/m/Hangar.bin", ""), "/m/hangar.bin.flt");
    EXPECT_EQ(FLTBatch::outputName("/m/x.flt", ""), "/m/x.flt.flt");
    EXPECT_EQ(FLTBatch::outputName("plain.mdl", ""), "plain.flt");
}
