// Every reader must survive any bytes with a library error: no crash, no hang,
// no allocation beyond the input. Random damage is the fuzzers' (tests/fuzz);
// here every cut of a file and the sizes a reader must not trust.
#include <gtest/gtest.h>

#include "Models.h"
#include "TestUtil.h"
#include "modkit/core/MDLObject.h"

using namespace modkit;
using namespace modelgen;
using testutil::withLong;

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

}  // namespace

TEST(DamagedInput, EveryTruncationFailsCleanly) {
    std::string file = testmodels::everything();
    for (size_t n = 0; n < file.size(); ++n) {
        EXPECT_EQ(tryLoad(file.substr(0, n)), 100) << "length " << n;
        // The same with a RIFF size that agrees, so the sections themselves are cut.
        if (n >= 12) {
            int e = tryLoad(withLong(file.substr(0, n), 4, static_cast<int32_t>(n) - 8));
            EXPECT_TRUE(e == 0 || e == 100) << "length " << n << " gave " << e;
        }
    }
}

TEST(DamagedInput, SizesAndCountsThatRunPastTheEndAreNamed) {
    const std::string file = mdlFile({{"MDLH", headerBody({})}, {"ISFT", "abcdef"}}, {});
    const size_t isft = file.find("ISFT");
    std::string verts = verticesBody({}), mats = materialsBody({}), texs = texturesBody({});
    verts[2] = verts[3] = static_cast<char>(0xFF);  // counts claiming more records than the body holds
    mats[2] = static_cast<char>(0xFF), mats[3] = 0x7F;
    texs[2] = 5;
    // What each says, number, source and all: tests/data/core/damaged-sizes.txt.
    const std::string cases[] = {
        withLong(file, 4, 100000), withLong(file, 4, -8), withLong(file, isft + 4, 0x7FFFFFF0), withLong(file, isft + 4, -1),
        mdlFile({}, {{"VERT", verts}}), mdlFile({}, {{"MATE", mats}}), mdlFile({}, {{"TEXT", texs}}),
        // DRAW_TRI_LIST_BEGIN announcing 65535 indices with none behind it; an IFIN1 cut after its opcode.
        mdlFile({}, {{"BGL ", testutil::bytes({0xB9, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF})}}),
        mdlFile({}, {{"BGL ", testutil::bytes({0x24, 0x00, 0x01})}}), mdlFile({{"RIFF", mdlFile({}, {}).substr(8)}}, {})};
    std::string said;
    for (const auto& bytes : cases) said += testutil::errorText([&] { MDLObject().readMDLBytes(bytes); }) + "\n";
    testutil::expectGolden("core/damaged-sizes.txt", said);
}
