#include <gtest/gtest.h>

#include "TestUtil.h"
#include "modkit/bgl/BGLOpcode.h"
#include "modkit/bgl/BGLOpcodeDictionary.h"

using namespace modkit;

TEST(Dictionary, SampleEntries) {
    // Lengths and jump flags are guarded by the stream round trips; here the
    // entries whose layout is unusual.
    BGLOpcodeDictionary d;
    auto tag = d.getEntry(177);
    EXPECT_EQ(tag.name, "BGL_TAG");
    EXPECT_EQ(tag.strLength[0], 16);
    EXPECT_EQ(d.getEntry(256).length, 6);
    EXPECT_EQ(d.getEntry(257).length, 4);
    EXPECT_EQ(toInt(BGLOpcode::jump), 13);
    auto interp = d.getEntry(158);
    EXPECT_TRUE(interp.isJump[1] && interp.isJump[3] && interp.isJump[5]);
    EXPECT_FALSE(interp.isJump[0]);
}

TEST(Dictionary, UndefinedAndOutOfRange) {
    BGLOpcodeDictionary d;
    for (int16_t op : {0, 5, 145, 260}) {
        auto e = d.getEntry(op);
        EXPECT_EQ(e.length, 0) << op;
        EXPECT_EQ(e.name, "");
    }
    EXPECT_MODKIT_ERROR(d.getEntry(261), 9);
    EXPECT_MODKIT_ERROR(d.getEntry(-1), 9);
}

TEST(Dictionary, LengthsAddUpAndJumpsAreIntegers) {
    BGLOpcodeDictionary d;
    int defined = 0;
    for (int16_t op = 0; op <= 260; ++op) {
        auto e = d.getEntry(op);
        if (e.length == 0) continue;
        ++defined;
        int sum = (op == 256 || op == 257) ? 0 : 2;
        for (int i = 0; i < e.numParam; ++i) {
            sum += parameterWidth(e.paramType[i], e.strLength[i]);
            if (e.isJump[i]) {
                EXPECT_TRUE(e.paramType[i] == parameterType::pInteger || e.paramType[i] == parameterType::pLong);
            }
        }
        EXPECT_EQ(sum, e.length) << e.name;
    }
    EXPECT_EQ(defined, 33);
}
