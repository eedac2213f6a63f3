#include <gtest/gtest.h>

#include "TestUtil.h"
#include "modkit/bgl/BGLOpcodeDictionary.h"

using namespace modkit;

// Names and layouts are guarded by the listings and the every-opcode round
// trip; here the lengths must add up and jumps must be whole numbers.
TEST(Dictionary, LengthsAddUpJumpsAreIntegersAndOutOfRangeFails) {
    BGLOpcodeDictionary d;
    int defined = 0;
    for (int16_t op = 0; op <= 260; ++op) {
        auto e = d.getEntry(op);
        if (e.length == 0) {
            EXPECT_EQ(e.name, "") << op;
            continue;
        }
        ++defined;
        int sum = (op == 256 || op == 257) ? 0 : 2;
        for (int i = 0; i < e.numParam; ++i) {
            sum += parameterWidth(e.paramType[i], e.strLength[i]);
            if (e.isJump[i]) EXPECT_TRUE(e.paramType[i] == parameterType::pInteger || e.paramType[i] == parameterType::pLong);
        }
        EXPECT_EQ(sum, e.length) << e.name;
    }
    EXPECT_EQ(defined, 33);
    EXPECT_MODKIT_ERROR(d.getEntry(261), 9);
    EXPECT_MODKIT_ERROR(d.getEntry(-1), 9);
}
