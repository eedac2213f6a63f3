#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <regex>

#include "FltWalker.h"
#include "TestUtil.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/export/OpenFlightWriter.h"
#include "modkit/lists/MaterialList.h"
#include "modkit/lists/TextureList.h"
#include "modkit/lists/VertexList.h"

using namespace modkit;
using testutil::hex;
using testutil::TempDir;

namespace {

// Runs steps on a writer for a database in a fresh folder; returns its bytes.
template <class Steps>
std::string written(Steps steps) {
    TempDir dir;
    OpenFlightWriter w;
    w.createDB(dir.file("db.flt"));
    steps(w);
    w.closeDB();
    return testutil::readFile(dir.file("db.flt"));
}

// Big-endian bytes of a value.
std::string be32(int32_t v) { ByteWriter w; putLong(w, v, true); return w.take(); }
std::string beF(float v) { ByteWriter w; putSingle(w, v, true); return w.take(); }
std::string beD(double v) { ByteWriter w; putDouble(w, v, true); return w.take(); }

}  // namespace

TEST(OpenFlightWriter, ControlAndVertexListRecords) {
    EXPECT_EQ(hex(written([](auto& w) { w.writePushLevel(); })), "00 0A 00 04");
    EXPECT_EQ(hex(written([](auto& w) {
                  w.writePopLevel();
                  w.writePushSubface();
                  w.writePopSubface();
                  w.writePushAttribute();
                  w.writePopAttribute();
              })),
              "00 0B 00 04 00 13 00 04 00 14 00 04 00 7A 00 04 00 7B 00 04");
    EXPECT_EQ(hex(written([](auto& w) { w.writeVertexList(0, 1, 2); })),
              "00 48 00 10 00 00 00 08 00 00 00 48 00 00 00 88");
}

TEST(OpenFlightWriter, NodeNamesAndLongIDs) {
    std::string g = written([](auto& w) { w.writeGroup("g1"); });
    ASSERT_EQ(g.size(), 44u);
    EXPECT_EQ(g.substr(0, 12), std::string("\0\x02\0\x2C" "g1\0\0\0\0\0\0", 12));
    EXPECT_EQ(g.substr(12), std::string(32, '\0'));

    std::string lg = written([](auto& w) { w.writeGroup("groupname"); });
    ASSERT_EQ(lg.size(), 44u + 16u);
    EXPECT_EQ(lg.substr(4, 8), std::string("groupna\0", 8));
    EXPECT_EQ(lg.substr(44), std::string("\0\x21\0\x10" "groupname\0\0\0", 16));

    std::string o = written([](auto& w) { w.writeObject("objectname1"); });
    EXPECT_EQ(o.size(), 28u + 16u);
    std::string lod = written([](auto& w) { w.writeLOD("lod", 5000.0, 0.0); });
    ASSERT_EQ(lod.size(), 80u);
    EXPECT_EQ(lod.substr(16, 16), beD(5000.0) + beD(0.0));
    EXPECT_EQ(lod.substr(32), std::string(48, '\0'));

    // n = text + NUL rounded up to 4: 8 -> 12, 11 -> 12, 12 -> 16; no text -> 4.
    EXPECT_EQ(written([](auto& w) { w.writeLongID(std::string(8, 'a')); }).size(), 16u);
    EXPECT_EQ(written([](auto& w) { w.writeLongID(std::string(11, 'a')); }).size(), 16u);
    EXPECT_EQ(hex(written([](auto& w) { w.writeComment(std::string(12, 'a')); }).substr(0, 4)), "00 1F 00 14");
    EXPECT_EQ(hex(written([](auto& w) { w.writeComment(""); })), "00 1F 00 08 00 00 00 00");
    EXPECT_MODKIT_ERROR(written([](auto& w) { w.writeComment(std::string(40000, 'a')); }), 6);
}

TEST(OpenFlightWriter, FaceRecordFieldByField) {
    std::string f = written([](auto& w) { w.writeFace("p1", 2, 3, 4); });
    std::string expected = std::string("\0\x05\0\x50" "p1\0\0\0\0\0\0", 12) +
                           std::string(4, '\0') + std::string(2, '\0') + std::string("\0\x01", 2) +  // draw type, white
                           std::string(4, '\0') + std::string(2, '\0') +                             // names, reserved, template
                           "\xFF\xFF" + std::string("\0\x03\0\x04", 4) + std::string(4, '\0') +      // detail, texture, material
                           "\xFF\xFF\xFF\xFF" + std::string(8, '\0') + "\x02" + std::string(7, '\0') +
                           std::string("\xFF\0\0\xFF", 4) + std::string(4, '\0') + "\xFF\xFF" + std::string(2, '\0') +
                           be32(2 * 128 + 127) + be32(-1) + std::string(2, '\0') + "\xFF\xFF";
    EXPECT_EQ(hex(f), hex(expected));

    std::string untextured = written([](auto& w) { w.writeFace("p2", 1, -1, 1); });
    EXPECT_EQ(hex(untextured.substr(28, 4)), "FF FF 00 01");
    EXPECT_EQ(untextured.substr(68, 4), be32(255));
    // Colour and vertex indices that do not fit 32 bits.
    EXPECT_MODKIT_ERROR(written([](auto& w) { w.writeFace("p", 16777216, 0, 0); }), 6);
    EXPECT_MODKIT_ERROR(written([](auto& w) { w.writeVertexList(0, 33554432, 0); }), 6);
}

TEST(OpenFlightWriter, HeaderRecord) {
    std::string h = written([](auto& w) { w.writeHeader(); });
    ASSERT_EQ(h.size(), 324u);
    EXPECT_EQ(hex(h.substr(0, 20)), "00 01 01 44 64 62 00 00 00 00 00 00 00 00 06 40 00 00 00 01");
    // The date: the day, locale-independent, NUL padded.
    std::string date = h.substr(20, 32);
    std::string text = date.substr(0, date.find('\0'));
    EXPECT_TRUE(std::regex_match(text, std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}"))) << text;
    EXPECT_EQ(text, OpenFlightWriter::dateText());
    EXPECT_EQ(date.substr(text.size()), std::string(32 - text.size(), '\0'));
    std::string rest = std::string(8, '\0') + std::string("\0\x01\0\0", 4) + std::string(60, '\0') +
                       std::string("\0\0\0\x01", 4) + be32(100) + std::string(192, '\0');
    EXPECT_EQ(hex(h.substr(52)), hex(rest));
}

TEST(OpenFlightWriter, PalettesOfThreeMaterials) {
    MaterialList mats;
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
    std::string c = written([&](auto& w) { w.writeColorPalette(mats); });
    ASSERT_EQ(c.size(), 4228u);
    EXPECT_EQ(hex(c.substr(0, 4)), "00 20 10 84");
    EXPECT_EQ(c.substr(4, 128), std::string(128, '\0'));
    EXPECT_EQ(hex(c.substr(132, 12)), "FF 00 80 FF FF 00 80 00 FF FF 80 00");
    EXPECT_EQ(c.substr(144), std::string(1021 * 4, '\xFF'));

    std::string p = written([&](auto& w) { w.writeMaterialPalette(mats); });
    ASSERT_EQ(p.size(), 4u * 84u);
    std::string second = p.substr(84, 84);
    EXPECT_EQ(second.substr(0, 20), std::string("\0\x71\0\x54\0\0\0\x01" "1\0\0\0\0\0\0\0\0\0\0\0", 20));
    EXPECT_EQ(second.substr(20, 64), be32(1) + beF(0.1f) + beF(0) + beF(0) + beF(0) + beF(0.5f) + beF(0) + beF(0) +
                                         beF(0.2f) + beF(0) + beF(0) + beF(0) + beF(0.3f) + beF(7) + beF(0.25f) +
                                         be32(0));
    std::string white = p.substr(252);
    EXPECT_EQ(white.substr(4, 8), be32(3) + std::string("3\0\0\0", 4));
    EXPECT_EQ(white.substr(20), be32(1) + beF(1) + beF(1) + beF(1) + beF(1) + beF(1) + beF(1) + std::string(24, '\0') +
                                    beF(0) + beF(1) + be32(0));
}

TEST(OpenFlightWriter, MoreThan1024MaterialsAreRefused) {
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
    std::string b = testutil::readFile(dir.file("db.flt"));
    ASSERT_EQ(b.size(), 4u * 216u);
    EXPECT_EQ(b.substr(0, 4 + 200 + 12),
              std::string("\0\x40\0\xD8", 4) + "roof.RGB" + std::string(192, '\0') + std::string(12, '\0'));
    EXPECT_EQ(b.substr(216 + 4, 16), std::string("wall.RGB.RGB\0\0\0\0", 16));
    EXPECT_EQ(b.substr(216 + 204, 4), be32(1));
    EXPECT_EQ(b.substr(2 * 216 + 4, 6), std::string("noext\0", 6));

    const std::string attr = OpenFlightWriter::attributeFileBytes();
    for (const char* name : {"roof.RGB.attr", "wall.RGB.RGB.attr", "noext.attr", "up.RGB.attr"})
        EXPECT_EQ(testutil::readFile(dir.file(name)), attr) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 5);

    // Without saveATTR no attribute file; a name longer than 200 bytes fails.
    TextureList longName;
    longName.Add()->setBitmap(std::string(201, 'n'));
    EXPECT_MODKIT_ERROR(written([&](auto& w) { w.writeTexturePalette(longName, "RGB", false); }), 100);
    TempDir other;
    OpenFlightWriter w2;
    w2.createDB(other.file("x.flt"));
    w2.writeTexturePalette(tex, "DDS", false);
    w2.closeDB();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(other.path()), {}), 1);
}

TEST(OpenFlightWriter, AttributeFileBytes) {
    const std::string& a = OpenFlightWriter::attributeFileBytes();
    ASSERT_EQ(a.size(), 1608u);
    EXPECT_EQ(hex(a.substr(0, 48)),
              "00 00 00 64 00 00 00 64 00 00 03 E8 00 00 03 E8 00 00 00 40 00 00 00 00 "
              "00 00 00 04 00 00 00 06 00 00 00 01 00 00 00 00 00 00 00 03 00 00 00 03");
    EXPECT_EQ(a.substr(48, 56), std::string(56, '\0'));
    EXPECT_EQ(hex(a.substr(104, 32)),
              "40 8F 40 00 00 00 00 00 40 8F 40 00 00 00 00 00 00 00 00 64 00 00 06 22 00 00 00 00 00 00 00 01");
    EXPECT_EQ(a.substr(136, 108), std::string(108, '\0'));
    EXPECT_EQ(a.substr(244, 8), be32(2) + be32(2));
    EXPECT_EQ(a.substr(252, 68), std::string(68, '\0'));
    EXPECT_EQ(hex(a.substr(320, 4)), "00 00 80 3F");
    EXPECT_EQ(a.substr(324, 1212), std::string(1212, '\0'));
    EXPECT_EQ(a.substr(1536), be32(-1) + be32(-1) + be32(1) + be32(0) + be32(0) + be32(128) + be32(0) + be32(0) +
                                  be32(1) + be32(1) + std::string(16, '\0') + be32(1570) + std::string(12, '\0'));
}

TEST(OpenFlightWriter, VertexPaletteTurnsTheUpAxis) {
    VertexList v;
    auto a = v.Add();
    a->setX(1); a->setY(2); a->setZ(3);
    a->setNx(0.25f); a->setNy(0.5f); a->setNz(0.75f);
    a->setTx(0.125f); a->setTy(0.625f);
    v.Add();
    std::string b = written([&](auto& w) { w.writeVertexPalette(v, 0); });
    ASSERT_EQ(b.size(), 8u + 128u);
    EXPECT_EQ(hex(b.substr(0, 8)), "00 43 00 08 00 00 00 88");
    EXPECT_EQ(b.substr(8, 64), std::string("\0\x46\0\x40\0\0\0\0", 8) + beD(1) + beD(3) + beD(2) + beF(0.25f) +
                                   beF(0.75f) + beF(0.5f) + beF(0.125f) + beF(0.625f) + std::string(12, '\0'));

    // A quarter turn clockwise seen from above: north (db y) becomes east (db x).
    auto db = fltcheck::walk(written([&](auto& w) { w.writeVertexPalette(v, 90); }));
    ASSERT_EQ(db.positions.size(), 2u);
    EXPECT_EQ(db.positions[0], (std::array<double, 3>{3, -1, 2}));
    EXPECT_FLOAT_EQ(db.normalsUV[0][0], 0.75f);
    EXPECT_FLOAT_EQ(db.normalsUV[0][1], -0.25f);
    EXPECT_FLOAT_EQ(db.normalsUV[0][2], 0.5f);
    EXPECT_EQ(fltcheck::walk(written([&](auto& w) { w.writeVertexPalette(v, 360); })).positions[0],
              (std::array<double, 3>{1, 3, 2}));
    auto turned = fltcheck::walk(written([&](auto& w) { w.writeVertexPalette(v, 45); })).positions[0];
    EXPECT_NEAR(turned[0], (1 + 3) / std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(turned[1], (3 - 1) / std::sqrt(2.0), 1e-12);
}

TEST(OpenFlightWriter, DatabaseIsWrittenOnlyWhenClosed) {
    TempDir dir;
    std::string path = dir.file("db.flt");
    testutil::writeFile(path, "good database");
    {
        OpenFlightWriter w;
        w.createDB(path);
        w.writeHeader();
        EXPECT_MODKIT_ERROR(w.writeLongID(std::string(40000, 'x')), 6);
    }  // abandoned after the failure
    EXPECT_EQ(testutil::readFile(path), "good database");

    ::chmod(path.c_str(), 0444);
    OpenFlightWriter w;
    w.createDB(path);
    w.writeHeader();
    EXPECT_MODKIT_ERROR(w.closeDB(), 70);
    EXPECT_EQ(testutil::readFile(path), "good database");
    w.closeDB();  // a second close does nothing
}

TEST(OpenFlightWriter, FolderWithoutAFolderPartIsTheCurrentOne) {
    TempDir dir;
    char old[4096];
    ASSERT_NE(::getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    TextureList tex;
    tex.Add()->setBitmap("a.bmp");
    OpenFlightWriter w;
    w.createDB("plain.flt");
    EXPECT_EQ(w.folder(), ".");
    w.writeTexturePalette(tex, "TIF", true);
    w.closeDB();
    ASSERT_EQ(::chdir(old), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("plain.flt")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("a.TIF.attr")));
}
