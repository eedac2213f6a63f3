#include <gtest/gtest.h>

#include <random>

#include "CommandLists.h"
#include "ModelBuilder.h"
#include "Models.h"
#include "TestUtil.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"

using namespace modkit;
using testcmds::cmd;

namespace {

// A distance test jumping onto the SET_MATERIAL of the base texture (material
// 5), its draw list, and a return.
std::unique_ptr<MDLObject> oneSelection() {
    auto m = std::make_unique<MDLObject>();
    m->readMDLBytes(modelgen::mdlFile({}, {}));
    const char* names[] = {"base.bmp", "base_fa.bmp", "base_wi.bmp", "base_sp.bmp"};
    const textureVariant variants[] = {textureVariant::summer, textureVariant::autumn, textureVariant::winter,
                                       textureVariant::spring};
    for (int i = 0; i < 4; ++i) {
        auto t = m->TextureList()->Add();
        t->setBitmap(names[i]);
        t->setParent(1);
        t->setTextureVariant(variants[i]);
    }
    for (int i = 0; i < 3; ++i) m->VertexList()->Add();
    testcmds::add(*m->BGLCommandList(), {cmd(BGLOpcode::IFIN1, {"", "827", "0", "10"}, 2), cmd(BGLOpcode::SET_MATERIAL, {"5", "0"}),
                                         cmd(BGLOpcode::DRAW_TRI_LIST_BEGIN, {"0", "0", "3"}),
                                         cmd(BGLOpcode::DRAW_TRI_LIST_ITEM, {"0", "1", "2"}), cmd(BGLOpcode::BGL_RETURN)});
    return m;
}

}  // namespace

TEST(Seasonal, DefaultDaysBlock) {
    auto m = oneSelection();
    m->BGLCommandList()->addSeasonalTextures(testmodels::defaultSeasons());
    auto back = testutil::reloaded(*m);
    testutil::expectGolden("bgl/default-seasons.txt", testcmds::pictureText(*back->BGLCommandList(), false));

    // Again with the same record: the old block is found through its summer
    // SET_MATERIAL and replaced whole.
    back->BGLCommandList()->addSeasonalTextures(testmodels::defaultSeasons());
    testutil::expectGolden("bgl/default-seasons.txt", testcmds::pictureText(*testutil::reloaded(*back)->BGLCommandList(), false));

    // The days read back as in tests/lists (TextureEditing); the materials are not read.
    EXPECT_EQ(back->readSeasonalDates(1).Material, (std::array<int16_t, 5>{}));
}

TEST(Seasonal, ReadingDates) {
    auto m = oneSelection();
    auto& l = *m->BGLCommandList();
    l.Remove(1);  // the selecting SET_MATERIAL is first: it has no test
    EXPECT_EQ(m->readSeasonalDates(1).active, (std::array<bool, 5>{}));
    EXPECT_EQ(m->readSeasonalDates(2).active, (std::array<bool, 5>{}));
    l.Item(1)->setParam(1, "9");
    EXPECT_MODKIT_ERROR(m->readSeasonalDates(1), 5);
    l.Item(1)->setParam(1, "x");
    EXPECT_MODKIT_ERROR(m->readSeasonalDates(1), 13);
    l.Item(1)->setParam(1, "-1");
    EXPECT_EQ(m->readSeasonalDates(1).active, (std::array<bool, 5>{}));
}

// Random streams given random season records (each run selecting the base
// gets its block once, keeping its material; a record without summer finds
// nothing; jumps onto a run land on its block); the results are pinned in
// tests/data (they once equalled the command-by-command replacement with
// updateJumpDest that the batch edit replaced).
TEST(Seasonal, RandomRecordsGiveThePinnedStreams) {
    std::mt19937 rng(17);
    std::vector<std::string> cases;
    for (int round = 0; round < 600; ++round) {
        BGLCommandList l;
        const int n = 1 + static_cast<int>(rng() % 25);
        for (int i = 0; i < n; ++i) {
            std::shared_ptr<BGLCommand> c;
            switch (rng() % 6) {
            case 0:
            case 1: c = cmd(BGLOpcode::SET_MATERIAL, {std::to_string(rng() % 3), std::to_string(static_cast<int>(rng() % 3) - 1)}); break;
            case 2: c = cmd(BGLOpcode::IFIN1, {"", rng() % 2 ? "906" : "827", "1", "2"}); break;
            case 3: c = cmd(BGLOpcode::BGL_JUMP_32, {""}); break;
            case 4: c = cmd(BGLOpcode::BGL_END); break;
            default: c = cmd(BGLOpcode::DRAW_TRI_LIST_BEGIN, {"0", "0", "0"}); break;
            }
            if (BGLOpcodeDictionary::hasJump(c->opcodeValue()))
                c->setJumpDest(0, static_cast<int32_t>(rng() % static_cast<unsigned>(n + 3)) - 1);
            l.Add(c);
        }
        std::string text = testcmds::pictureText(l) + "with\n";
        seasonalTextures s;
        for (int j = 0; j < 5; ++j) {
            s.Material[j] = static_cast<int16_t>(rng() % 3);
            s.active[j] = rng() % 2 == 0;
            s.dayStart[j] = static_cast<int16_t>(rng() % 365 + 1);
            s.dayEnd[j] = static_cast<int16_t>(rng() % 365 + 1);
            text += std::to_string(s.Material[j]) + (s.active[j] ? " on " : " off ") + std::to_string(s.dayStart[j]) + ".." +
                    std::to_string(s.dayEnd[j]) + "\n";
        }
        l.addSeasonalTextures(s);
        cases.push_back(text + "gives\n" + testcmds::pictureText(l));
    }
    testutil::expectGoldenDigests("bgl/random-seasons.txt", cases);
}
