#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>

#include "FltWalker.h"
#include "TestUtil.h"
#include "modkit/export/OpenFlightWriter.h"
#include "modkit/lists/MaterialList.h"
#include "modkit/lists/TextureList.h"
#include "modkit/lists/VertexList.h"

using namespace modkit;
using testutil::TempDir;

namespace {

// Runs steps on a writer for a database in a fresh folder; returns its bytes.
std::string written(const std::function<void(OpenFlightWriter&)>& steps) {
    TempDir dir;
    OpenFlightWriter w;
    w.createDB(dir.file("db.flt"));
    steps(w);
    w.closeDB();
    return testutil::readFile(dir.file("db.flt"));
}

// 16 bytes a line; a run of equal lines shows as "*".
std::string hexDump(const std::string& b) {
    std::string out, previous;
    bool starred = false;
    for (size_t at = 0; at < b.size(); at += 16) {
        const std::string line = testutil::hex(b.substr(at, 16));
        if (line == previous && at + 16 < b.size()) {
            if (!starred) out += "*\n";
            starred = true;
            continue;
        }
        char offset[16];
        std::snprintf(offset, sizeof offset, "%06zX  ", at);
        out += offset + line + "\n";
        previous = line, starred = false;
    }
    return out + "(" + std::to_string(b.size()) + " bytes)\n";
}

void threeMaterials(MaterialList& mats) {
    for (int i = 0; i < 3; ++i) {
        auto m = mats.Add();
        m->Diffuse()->setR(i == 0 ? 1.0f : 0.0f);
        m->Diffuse()->setG(0.5f);
        m->Diffuse()->setB(i == 2 ? 1.0f : 0.0f);
        m->Diffuse()->setA(0.25f);
        m->Ambient()->setR(0.1f);
        m->Specular()->setG(0.2f);
        m->Emmisive()->setB(0.3f);
        m->setPower(7);
    }
}

void twoVertices(VertexList& v) {
    auto a = v.Add();
    a->setX(1), a->setY(2), a->setZ(3);
    a->setNx(0.25f), a->setNy(0.5f), a->setNz(0.75f);
    a->setTx(0.125f), a->setTy(0.625f);
    v.Add();
}

}  // namespace

// Every record kind, byte by byte, against tests/data/flt/records.txt. The
// header's date (bytes 20..51) is checked apart and blanked in the dump.
TEST(OpenFlightWriter, RecordsByteByByte) {
    MaterialList mats;
    VertexList verts;
    threeMaterials(mats), twoVertices(verts);
    using Steps = std::function<void(OpenFlightWriter&)>;
    const std::pair<const char*, Steps> cases[] = {
        {"push level", [](auto& w) { w.writePushLevel(); }},
        {"pop level, push/pop subface, push/pop attribute", [](auto& w) {
             w.writePopLevel(), w.writePushSubface(), w.writePopSubface(), w.writePushAttribute(), w.writePopAttribute();
         }},
        {"vertex list 0 1 2", [](auto& w) { w.writeVertexList(0, 1, 2); }},
        {"group g1", [](auto& w) { w.writeGroup("g1"); }},
        {"group with a long ID", [](auto& w) { w.writeGroup("groupname"); }},
        {"object with a long ID", [](auto& w) { w.writeObject("objectname1"); }},
        {"LOD 5000..0", [](auto& w) { w.writeLOD("lod", 5000.0, 0.0); }},
        {"long ID of 8, 11 characters", [](auto& w) { w.writeLongID(std::string(8, 'a')), w.writeLongID(std::string(11, 'a')); }},
        {"comment of 12 characters, empty comment", [](auto& w) { w.writeComment(std::string(12, 'a')), w.writeComment(""); }},
        {"face colour 2, texture 3, material 4", [](auto& w) { w.writeFace("p1", 2, 3, 4); }},
        {"untextured face", [](auto& w) { w.writeFace("p2", 1, -1, 1); }},
        {"header", [](auto& w) { w.writeHeader(); }},
        {"colour palette of 3 materials", [&](auto& w) { w.writeColorPalette(mats); }},
        {"material palette of 3 materials and white", [&](auto& w) { w.writeMaterialPalette(mats); }},
        {"vertex palette", [&](auto& w) { w.writeVertexPalette(verts, 0); }},
    };
    std::string dump;
    for (const auto& [name, steps] : cases) {
        std::string b = written(steps);
        if (std::string(name) == "header") {
            const std::string date = b.substr(20, 32), text = date.substr(0, date.find('\0'));
            EXPECT_TRUE(std::regex_match(text, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}"))) << text;
            EXPECT_EQ(text, OpenFlightWriter::dateText());
            EXPECT_EQ(date.substr(text.size()), std::string(32 - text.size(), '\0'));
            b.replace(20, 32, std::string(32, '\0'));
        }
        dump += std::string("## ") + name + "\n" + hexDump(b);
    }
    dump += "## attribute file\n" + hexDump(OpenFlightWriter::attributeFileBytes());
    testutil::expectGolden("flt/records.txt", dump);
}

TEST(OpenFlightWriter, ValuesTheFieldsCannotHoldAreRefused) {
    // The database is written only when closed: a failed export leaves the old one (tests/export/FLTExportTest).
    EXPECT_MODKIT_ERROR(written([](auto& w) { w.writeComment(std::string(40000, 'a')); }), 6);
    EXPECT_MODKIT_ERROR(written([](auto& w) { w.writeLongID(std::string(40000, 'x')); }), 6);
    EXPECT_MODKIT_ERROR(written([](auto& w) { w.writeFace("p", 16777216, 0, 0); }), 6);
    EXPECT_MODKIT_ERROR(written([](auto& w) { w.writeVertexList(0, 33554432, 0); }), 6);
    MaterialList mats;
    for (int i = 0; i < 1025; ++i) mats.Add();
    auto e = testutil::errorOf([&] { written([&](auto& w) { w.writeColorPalette(mats); }); });
    EXPECT_EQ(e.number(), 100);
    EXPECT_NE(e.description().find("1025 materials"), std::string::npos) << e.description();
    mats.Remove(1);
    EXPECT_EQ(written([&](auto& w) { w.writeColorPalette(mats); }).size(), 4228u);
}

TEST(OpenFlightWriter, TexturePaletteAndAttributeFiles) {
    TempDir dir;
    TextureList tex;
    tex.Add()->setBitmap("Roof.BMP");
    tex.Add()->setBitmap("Wall.bmp.BMP");
    tex.Add()->setBitmap("NOEXT");
    tex.Add()->setBitmap("..\\..\\up.bmp");  // a folder part never leads out of the folder
    testutil::writeFile(dir.file("roof.RGB.attr"), "an older attribute file");
    OpenFlightWriter w;
    w.createDB(dir.file("db.flt"));
    w.writeTexturePalette(tex, "RGB", true);
    // Nothing is on disk before the database is closed.
    EXPECT_FALSE(std::filesystem::exists(dir.file("noext.attr")));
    EXPECT_EQ(testutil::readFile(dir.file("roof.RGB.attr")), "an older attribute file");
    w.closeDB();
    testutil::expectGolden("flt/texture-palette.txt", hexDump(testutil::readFile(dir.file("db.flt"))));
    for (const char* name : {"roof.RGB.attr", "wall.RGB.RGB.attr", "noext.attr", "up.RGB.attr"})
        EXPECT_EQ(testutil::readFile(dir.file(name)), OpenFlightWriter::attributeFileBytes()) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 5);

    // A name longer than 200 bytes fails (without saveATTR no attribute file: tests/cli, --no-attr).
    TextureList longName;
    longName.Add()->setBitmap(std::string(201, 'n'));
    EXPECT_MODKIT_ERROR(written([&](auto& w) { w.writeTexturePalette(longName, "RGB", false); }), 100);
}

TEST(OpenFlightWriter, VertexPaletteTurnsTheUpAxis) {
    VertexList v;
    twoVertices(v);
    // A quarter turn clockwise seen from above: north (db y) becomes east (db x).
    auto db = fltcheck::walk(written([&](auto& w) { w.writeVertexPalette(v, 90); }));
    ASSERT_EQ(db.positions.size(), 2u);
    EXPECT_EQ(db.positions[0], (std::array<double, 3>{3, -1, 2}));
    EXPECT_EQ(db.normalsUV[0], (std::array<float, 5>{0.75f, -0.25f, 0.5f, 0.125f, 0.625f}));
    EXPECT_EQ(fltcheck::walk(written([&](auto& w) { w.writeVertexPalette(v, 360); })).positions[0],
              (std::array<double, 3>{1, 3, 2}));
    auto turned = fltcheck::walk(written([&](auto& w) { w.writeVertexPalette(v, 45); })).positions[0];
    EXPECT_NEAR(turned[0], (1 + 3) / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(turned[1], (3 - 1) / std::sqrt(2.0), 1e-12);
}

TEST(OpenFlightWriter, FolderWithoutAFolderPartIsTheCurrentOne) {
    TempDir dir;
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    TextureList tex;
    tex.Add()->setBitmap("a.bmp");
    OpenFlightWriter w;
    w.createDB("plain.flt");
    EXPECT_EQ(w.folder(), ".");
    w.writeTexturePalette(tex, "TIF", true);
    w.closeDB();
    std::filesystem::current_path(old);
    EXPECT_TRUE(std::filesystem::exists(dir.file("plain.flt")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("a.TIF.attr")));
}
