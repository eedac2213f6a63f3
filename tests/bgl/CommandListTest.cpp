#include <gtest/gtest.h>

#include "Models.h"
#include "TestUtil.h"
#include "modkit/bgl/BGLCommandList.h"

using namespace modkit;
using testutil::bytes;
using testutil::hex;

TEST(CommandList, TriangleListsAreUnsigned) {
    BGLCommandList l;
    std::string body = bytes({0xB9, 0x00, 0x00, 0x00, 0x04, 0x00, 0x06, 0x00,  // base 0, 4, 6 indices
                              0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00});
    l.readList(body);
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Item(1)->param(1), "4");
    EXPECT_EQ(l.Item(2)->opcode(), BGLOpcode::DRAW_TRI_LIST_ITEM);
    EXPECT_EQ(l.Item(3)->param(0), "65535");
    EXPECT_EQ(l.Item(2)->parent(), 0);
    EXPECT_EQ(l.asString(), body);
}

TEST(CommandList, LineListItemCountsRoundHalfToEven) {
    auto lineList = [](int count, int items) {
        std::string b = bytes({0xBA, 0x00, 0, 0, 0, 0, count, 0});
        b += std::string(static_cast<size_t>(items) * 4, '\x01');
        return b;
    };
    BGLCommandList five;
    five.readList(lineList(5, 2));  // 2.5 -> 2
    EXPECT_EQ(five.Count(), 3);
    BGLCommandList seven;
    seven.readList(lineList(7, 4));  // 3.5 -> 4
    EXPECT_EQ(seven.Count(), 5);
    EXPECT_EQ(seven.Item(5)->opcode(), BGLOpcode::DRAW_LINE_LIST_ITEM);
    EXPECT_EQ(seven.Item(5)->param(1), "257");
    // Items the header announces must really be there.
    BGLCommandList cut;
    EXPECT_MODKIT_ERROR(cut.readList(lineList(7, 3)), 100);
}

TEST(CommandList, UnknownOpcodes) {
    BGLCommandList l;
    l.readList(bytes({0xBD, 0x00}));
    EXPECT_EQ(testutil::errorText([&] { l.readList(bytes({0x22, 0x00, 0x2A, 0x00})); }),
              "100 Modkit.BGLCommandList: Unrecognised BGL Opcode: 42");
    EXPECT_EQ(l.Count(), 2);  // what came before stays
    BGLCommandList l2;
    EXPECT_MODKIT_ERROR(l2.readList(bytes({0xFF, 0xFF})), 9);
    for (const auto& item : {bytes({0x00, 0x01, 0, 0, 0, 0, 0, 0}), bytes({0x01, 0x01, 0, 0, 0, 0})})  // list items alone
        EXPECT_EQ(testutil::errorOf([&] { BGLCommandList().readList(item); }).description(),
                  "Unrecognised BGL Opcode: " + std::to_string(256 + item[0]));
}

TEST(CommandList, TagsSinglesAndEncodingErrors) {
    BGLCommandList l;
    std::string body = bytes({0xB1, 0x00}) + std::string(16, 'n') + bytes({0xCD, 0xCC, 0xCC, 0x3D});  // 0.1f
    l.readList(body);
    EXPECT_EQ(l.Item(1)->param(1), "0.1");
    EXPECT_EQ(l.asString(), body);
    // A tag keeps its 16 bytes (a NUL inside: the every-opcode listing), shorter ones padded.
    l.Item(1)->setParam(0, std::string(17, 'x'));
    EXPECT_MODKIT_ERROR(l.asString(), 100);
    l.Item(1)->setParam(0, "short");
    EXPECT_EQ(l.asString().substr(2, 16), std::string("short") + std::string(11, '\0'));
    l.Item(1)->setParam(1, "abc");
    EXPECT_MODKIT_ERROR(l.asString(), 13);

    BGLCommandList z;
    z.readList(bytes({0xAC, 0x00, 0x02, 0x00}));  // BGL_ZBIAS 2
    z.Item(1)->setParam(0, "40000");
    EXPECT_MODKIT_ERROR(z.asString(), 6);
    z.Item(1)->setOpcode(static_cast<BGLOpcode>(300));
    EXPECT_MODKIT_ERROR(z.asString(), 9);
    z.Item(1)->setOpcode(static_cast<BGLOpcode>(40000));
    EXPECT_MODKIT_ERROR(z.asString(), 6);
    z.Item(1)->setOpcode(static_cast<BGLOpcode>(42));  // undefined: the opcode word alone
    EXPECT_EQ(hex(z.asString()), "2A 00");
}

TEST(CommandList, CommandIndexChecks) {
    BGLCommand c;
    c.setParam(32, "x");  // the last slot of each kind is usable
    c.setJumpDest(32, 7);
    EXPECT_EQ(c.jumpDest(32), 7);
    EXPECT_MODKIT_ERROR(c.param(33), 9);
    EXPECT_MODKIT_ERROR(c.setParam(-1, "x"), 9);
    EXPECT_MODKIT_ERROR(c.jumpDest(33), 9);
}

TEST(CommandList, CommandsHeldAsBytesReadAsTheirObjects) {
    const std::string body = testmodels::everyOpcodeStream();
    BGLCommandList held, made;
    held.readList(body);
    made.readList(body);
    held.processParent();
    made.processParent();
    for (int k = 1; k <= made.Count(); ++k) {
        const BGLCommandView v = held.view(k);
        const auto& c = made.Item(k);
        ASSERT_EQ(v.opcodeValue(), c->opcodeValue());
        ASSERT_EQ(v.paramSlots(), c->paramSlots()) << k;
        ASSERT_EQ(v.parent(), c->parent()) << k;
        ASSERT_EQ(v.jumpDest(0), c->jumpDest(0)) << k;
        for (int i = 0; i <= v.paramSlots(); ++i) ASSERT_EQ(v.param(i), c->param(i)) << k << "," << i;
    }
    EXPECT_EQ(hex(made.asString()), hex(body));
    // An object handed out stays the member through edits of the list, and a copy is apart.
    BGLCommandList copy;
    copy.copyFrom(held);
    const auto kept = held.Item(2);
    held.Remove(1);
    kept->setOpcode(BGLOpcode::BGL_END);
    EXPECT_EQ(held.view(1).opcode(), BGLOpcode::BGL_END);
    EXPECT_EQ(copy.asString().substr(0, 4), body.substr(0, 4));
    EXPECT_NE(held.asString().substr(0, 2), body.substr(0, 2));
}
