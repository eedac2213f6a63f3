// Every reader must survive any bytes with a library error: no crash, no hang,
// no allocation beyond the input. Run under the sanitizers in CI.
#include <gtest/gtest.h>

#include <random>

#include "Models.h"
#include "TestUtil.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/MDLObject.h"

using namespace modkit;
using namespace modelgen;

namespace {

// Loads bytes; returns the error number, 0 when the load succeeded.
int tryLoad(const std::string& bytes) {
    try {
        MDLObject m;
        m.readMDLBytes(bytes);
        m.toBytes();  // whatever was read can be encoded again or fails cleanly
        return 0;
    } catch (const Error& e) {
        return e.number();
    }
}

std::string withLong(std::string s, size_t at, int32_t v) {
    ByteWriter w;
    putLong(w, v);
    s.replace(at, 4, w.bytes());
    return s;
}

}  // namespace

TEST(DamagedInput, EveryTruncationFailsCleanly) {
    std::string file = testmodels::everything();
    for (size_t n = 0; n < file.size(); ++n) {
        int e = tryLoad(file.substr(0, n));
        EXPECT_EQ(e, 100) << "length " << n;
        // The same with a RIFF size that agrees, so the sections themselves are cut.
        if (n >= 12) {
            e = tryLoad(withLong(file.substr(0, n), 4, static_cast<int32_t>(n) - 8));
            EXPECT_TRUE(e == 0 || e == 100) << "length " << n << " gave " << e;
        }
    }
}

TEST(DamagedInput, RandomCorruptionNeverCrashes) {
    std::mt19937 rng(2024);
    std::string base = testmodels::everything();
    for (int round = 0; round < 3000; ++round) {
        std::string s = base;
        int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) s[rng() % s.size()] = static_cast<char>(rng() & 0xFF);
        int e = tryLoad(s);
        EXPECT_NE(e, -1);
    }
    for (int round = 0; round < 500; ++round) {
        std::string s(rng() % 200, '\0');
        for (char& c : s) c = static_cast<char>(rng() & 0xFF);
        if (rng() % 2) s.replace(0, std::min<size_t>(12, s.size()), std::string("RIFF\x40\0\0\0MDL9", 12).substr(0, std::min<size_t>(12, s.size())));
        tryLoad(s);
    }
}

TEST(DamagedInput, SizesThatRunPastTheEndOrAreNegative) {
    std::string file = mdlFile({{"MDLH", headerBody({})}, {"ISFT", "abcdef"}}, {});
    // RIFF size too large, negative.
    auto e = testutil::errorOf([&] { MDLObject().readMDLBytes(withLong(file, 4, 100000)); });
    EXPECT_EQ(e.number(), 100);
    EXPECT_NE(e.description().find("runs past the end"), std::string::npos) << e.description();
    EXPECT_EQ(testutil::errorOf([&] { MDLObject().readMDLBytes(withLong(file, 4, -8)); }).number(), 100);
    // A section size beyond the file, and a negative one.
    size_t isft = file.find("ISFT");
    e = testutil::errorOf([&] { MDLObject().readMDLBytes(withLong(file, isft + 4, 0x7FFFFFF0)); });
    EXPECT_EQ(e.number(), 100);
    EXPECT_NE(e.description().find("\"ISFT\""), std::string::npos) << e.description();
    EXPECT_EQ(testutil::errorOf([&] { MDLObject().readMDLBytes(withLong(file, isft + 4, -1)); }).number(), 100);
}

TEST(DamagedInput, ListCountsBeyondTheirSection) {
    // A count that claims more records than the body holds must not allocate them.
    std::string verts = verticesBody({});
    verts[2] = verts[3] = static_cast<char>(0xFF);
    auto e = testutil::errorOf([&] { MDLObject().readMDLBytes(mdlFile({}, {{"VERT", verts}})); });
    EXPECT_EQ(e.number(), 100);
    EXPECT_EQ(e.source(), "Modkit.VertexList");

    std::string mats = materialsBody({});
    mats[2] = static_cast<char>(0xFF);
    mats[3] = 0x7F;
    EXPECT_EQ(testutil::errorOf([&] { MDLObject().readMDLBytes(mdlFile({}, {{"MATE", mats}})); }).source(),
              "Modkit.MaterialList");
    std::string texs = texturesBody({});
    texs[2] = 5;
    EXPECT_EQ(testutil::errorOf([&] { MDLObject().readMDLBytes(mdlFile({}, {{"TEXT", texs}})); }).source(),
              "Modkit.TextureList");
}

TEST(DamagedInput, ABodyEndingInsideACommand) {
    // DRAW_TRI_LIST_BEGIN announcing 65535 indices with none behind it.
    std::string bgl = testutil::bytes({0xB9, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF});
    auto e = testutil::errorOf([&] { MDLObject().readMDLBytes(mdlFile({}, {{"BGL ", bgl}})); });
    EXPECT_EQ(e.number(), 100);
    EXPECT_EQ(e.source(), "Modkit.BGLCommandList");
    EXPECT_NE(e.description().find("ends inside"), std::string::npos);
    // An IFIN1 cut after its opcode word.
    e = testutil::errorOf([&] { MDLObject().readMDLBytes(mdlFile({}, {{"BGL ", testutil::bytes({0x24, 0x00, 0x01})}})); });
    EXPECT_EQ(e.number(), 100);
}

TEST(DamagedInput, ANestedRiffHeaderIsRefused) {
    std::string inner = mdlFile({}, {});
    auto e = testutil::errorOf([&] { MDLObject().readMDLBytes(mdlFile({{"RIFF", inner.substr(8)}}, {})); });
    EXPECT_EQ(e.number(), 100);
    EXPECT_NE(e.description().find("RIFF"), std::string::npos);
}
