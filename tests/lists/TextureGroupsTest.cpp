#include <gtest/gtest.h>

#include "CommandLists.h"
#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/lists/TextureGroups.h"

using namespace modkit;
using Role = TextureGroups::Role;

namespace {

std::shared_ptr<TextureList> textures(const std::vector<std::string>& names) {
    auto l = std::make_shared<TextureList>();
    for (const auto& n : names) l->Add()->setBitmap(n);
    return l;
}

}  // namespace

TEST(TextureGroups, VariantsByNameIgnoringCase) {
    auto l = textures({"BRICK.BMP", "brick_fa.bmp", "Roof.bmp", "brick_WI.bmp", "roof_sp.bmp", "roof_lm.bmp", "brick_hw.bmp"});
    TextureGroups g;
    g.recognise(*l);
    EXPECT_EQ(g.bases(), (std::vector<int16_t>{1, 3}));
    std::string groups;  // parent:variant (summer 0, autumn 1, winter 2, heavy winter 3, spring 4)
    for (const auto& t : *l) groups += std::to_string(t->parent()) + ":" + std::to_string(int(t->textureVariant())) + " ";
    EXPECT_EQ(groups, "1:0 1:1 3:0 1:2 3:4 3:0 1:3 ");
    EXPECT_EQ(g.roleOf(3), Role::base);  // a later texture is a base of its own
    EXPECT_EQ(g.roleOf(5), Role::seasonal);
    EXPECT_EQ(g.roleOf(6), Role::night);
    EXPECT_MODKIT_ERROR(g.roleOf(8), 5);
}

TEST(TextureGroups, NoTextureIsAVariantOfItself) {
    // Without ".bmp" a name gives no variant name; a second texture of the same
    // name is a base again, and a variant listed before its base is a base too.
    auto l = textures({"water.dds", "water.dds", "wall_fa.bmp", "wall.bmp", "wall.bmp"});
    TextureGroups g;
    g.recognise(*l);
    EXPECT_EQ(g.bases(), (std::vector<int16_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(TextureGroups::variantName("A.BMP.bmp", "_FA"), "a_fa.bmp_fa.bmp");
}

TEST(TextureGroups, OtherSuffixesAndDefaults) {
    SeasonSuffixes s;  // the default days are pinned by the season blocks below
    s.suffix[1] = "-autumn";
    auto l = textures({"tree.bmp", "tree-AUTUMN.bmp", "tree_fa.bmp"});
    l->Item(3)->setTextureVariant(textureVariant::winter);  // left over from before: reset for a base
    TextureGroups g(s);
    g.recognise(*l);
    EXPECT_EQ(l->Item(2)->parent(), 1);
    EXPECT_EQ(l->Item(2)->textureVariant(), textureVariant::autumn);
    EXPECT_EQ(l->Item(3)->parent(), 3);
    EXPECT_EQ(l->Item(3)->textureVariant(), textureVariant::summer);
}

// The texture editor's changes: variants added and removed, seasons coded.
namespace {

using testcmds::cmd;
using testcmds::picture;

// BRICK.BMP (selected with material 5) and ROOF.BMP (material 1), each before a
// draw list, and a distance test jumping over the roof.
std::unique_ptr<MDLObject> twoTextures() {
    auto m = std::make_unique<MDLObject>();
    m->readMDLBytes(modelgen::mdlFile({}, {}));
    for (const char* name : {"BRICK.BMP", "ROOF.BMP"}) {
        auto t = m->TextureList()->Add();
        t->setBitmap(name);
        t->setTextureType(6);
        t->setSize(2);
    }
    for (int i = 0; i < 3; ++i) m->VertexList()->Add();
    const auto tris = [] { return cmd(BGLOpcode::DRAW_TRI_LIST_BEGIN, {"0", "0", "3"}); };
    const auto tri = [] { return cmd(BGLOpcode::DRAW_TRI_LIST_ITEM, {"0", "1", "2"}); };
    testcmds::add(*m->BGLCommandList(), {cmd(BGLOpcode::SET_MATERIAL, {"5", "0"}), tris(), tri(),
                                         cmd(BGLOpcode::IFIN1, {"", "827", "0", "10"}, 8), cmd(BGLOpcode::SET_MATERIAL, {"1", "1"}),
                                         tris(), tri(), cmd(BGLOpcode::BGL_RETURN)});
    return m;
}

std::vector<std::string> names(const TextureList& l) {
    std::vector<std::string> out;
    for (const auto& t : l) out.push_back(t->bitmap());
    return out;
}

TextureUpdate seasonsUpdate(int16_t position, std::array<bool, 5> seasons) {
    TextureUpdate u;
    u.position = position;
    u.seasons = seasons;
    const SeasonSuffixes defaults;
    u.dayStart = defaults.dayStart;
    u.dayEnd = defaults.dayEnd;
    u.rgb = {"255", "255", "255"};
    u.size = "2";
    return u;
}

// The two-texture model, its groups recognised.
struct TextureEditing : ::testing::Test {
    std::unique_ptr<MDLObject> m = twoTextures();
    TextureList& list = *m->TextureList();
    BGLCommandList& commands = *m->BGLCommandList();
    TextureGroups g;
    void SetUp() override { g.recognise(list); }
};

}  // namespace

// Summer, autumn, winter, spring by default: 239->240, 329->330, 59->60, 149->150.
TEST(TextureGroups, SeasonCheckWantsARingOfDays) {
    using Days = std::array<std::string, 5>;
    const SeasonSuffixes d;
    const Days start = {"1", "", "", "", "183"}, end = {"182", "", "", "", "365"};  // around the turn of the year
    const std::string gap = TextureGroups::seasonGap;
    const struct {
        std::array<bool, 5> seasons;
        Days start, end;
        std::string expected;
    } cases[] = {
        {{true, true, true, false, true}, d.dayStart, d.dayEnd, ""},
        {{true, true, true, true, true}, d.dayStart, d.dayEnd, gap},  // heavy winter without days
        {{false, false, false, true, false}, d.dayStart, d.dayEnd, ""},  // one season alone needs no days
        {{true, true, true, false, true}, d.dayStart, {"239", "328", "59", "", "149"}, gap},
        {{true, false, false, false, true}, start, end, ""},
        {{true, false, false, false, true}, start, {"182", "", "", "", "366"}, gap},
        {{true, false, false, false, true}, {"1.5", "", "", "", "183"}, end, gap},
        {{true, false, false, false, true}, {"x", "", "", "", "183"}, end, gap},
    };
    for (const auto& c : cases) EXPECT_EQ(TextureGroups::seasonCheck(c.seasons, c.start, c.end), c.expected) << c.end[1];
}

// One group edited step by step; each step's textures (parent, type, size,
// colour, variant, role), bases and stream: tests/data/lists/texture-edits.txt.
TEST_F(TextureEditing, EditsStepByStep) {
    std::string text;
    auto step = [&](const char* what, const TextureUpdate& u) {
        ASSERT_EQ(g.fieldCheck(list, u), "") << what;
        g.applyUpdate(list, commands, u);
        text += std::string("## ") + what + "\n";
        for (int i = 1; i <= list.Count(); ++i) {
            const Texture& t = *list.Item(i);
            const char* roles[] = {"base", "seasonal", "night"};
            text += std::to_string(i) + " " + t.bitmap() + " parent " + std::to_string(t.parent()) + " type " +
                    std::to_string(t.textureType()) + " size " + numtext::singleText(t.size()) + " colour " +
                    std::to_string(t.Color()->Ri()) + "," + std::to_string(t.Color()->Gi()) + "," +
                    std::to_string(t.Color()->Bi()) + " variant " + std::to_string(int(t.textureVariant())) + " " +
                    roles[int(g.roleOf(int16_t(i)))] + "\n";
        }
        text += "bases";
        for (int16_t b : g.bases()) text += " " + std::to_string(b);
        text += ", night map of 1 at " + std::to_string(g.nightPosition(list, 1)) + "\n" +
                testcmds::pictureText(commands, false);
    };
    // Colour limited to 0..255; the roof becomes texture 4, the block keeps
    // material 5, winter is the fallback.
    TextureUpdate u = seasonsUpdate(1, {true, true, true, false, true});
    u.rgb = {"10", "300", "-4"};
    u.size = "7.5";
    u.typeName = "TEXTURE_GROUND";
    step("summer, autumn, winter and spring on the ground", u);
    const seasonalTextures r = m->readSeasonalDates(1);
    EXPECT_EQ(r.active, (std::array<bool, 5>{true, true, true, false, true}));
    EXPECT_EQ(r.dayStart, (std::array<int16_t, 5>{150, 240, 330, 0, 60}));
    EXPECT_EQ(r.dayEnd, (std::array<int16_t, 5>{239, 329, 59, 0, 149}));
    // Saved and read back, the names give the same groups.
    MDLObject back;
    back.readMDLBytes(m->toBytes());
    TextureGroups again;
    again.recognise(*back.TextureList());
    EXPECT_EQ(again.bases(), g.bases());
    EXPECT_EQ(back.TextureList()->Item(4)->textureVariant(), textureVariant::spring);
    EXPECT_EQ(picture(*back.BGLCommandList(), false), picture(commands, false));

    u.night = true;  // the type chosen for the group leaves the night map a night map
    step("and a night map", u);
    u.seasons = {true, true, false, false, false};  // around the year
    u.night = false;
    u.dayStart[0] = "60";
    u.dayEnd[1] = "59";
    step("summer and autumn only", u);
    TextureUpdate autumn = seasonsUpdate(2, {});  // a variant changes alone; its boxes are off
    autumn.rgb = {"1", "2", "3"};
    autumn.typeName = "TEXTURE_EFFECT";
    step("the autumn texture alone", autumn);
    testutil::expectGolden("lists/texture-edits.txt", text);

    // Summer alone: the block gives way to the one SET_MATERIAL it replaced.
    u.seasons = {true, false, false, false, false};
    g.applyUpdate(list, commands, u);
    EXPECT_EQ(names(list), (std::vector<std::string>{"BRICK.BMP", "ROOF.BMP"}));
    EXPECT_EQ(picture(commands, false), picture(*twoTextures()->BGLCommandList(), false));
}

TEST_F(TextureEditing, TexturesWithoutSeasonsLeaveTheStreamAlone) {
    // A SET_MATERIAL of another texture right behind the roof's is no season block.
    commands.Add(cmd(BGLOpcode::SET_MATERIAL, {"2", "0"}), std::string(), 6);
    const auto before = picture(commands, false);
    TextureUpdate u = seasonsUpdate(2, {true, false, false, false, false});
    u.size = "3";
    g.applyUpdate(list, commands, u);
    EXPECT_EQ(picture(commands, false), before);
    EXPECT_EQ(list.Item(2)->size(), 3.0f);
}

TEST_F(TextureEditing, FieldsThatCannotBeStored) {
    const std::string invalid = TextureGroups::fieldsInvalid;
    TextureUpdate u = seasonsUpdate(1, {true, false, false, false, false});
    EXPECT_EQ(g.fieldCheck(list, u), "");
    for (auto spoil : std::vector<void (*)(TextureUpdate&)>{[](TextureUpdate& x) { x.size = "big"; },
                                                           [](TextureUpdate& x) { x.size = "-1"; },
                                                           [](TextureUpdate& x) { x.size = "1E+39"; },
                                                           [](TextureUpdate& x) { x.rgb[1] = ""; },
                                                           [](TextureUpdate& x) { x.position = 3; }}) {
        TextureUpdate bad = u;
        spoil(bad);
        EXPECT_EQ(g.fieldCheck(list, bad), invalid);
    }

    // A variant's name must fit the record; a name without ".bmp" has none.
    list.Item(1)->setBitmap(std::string(58, 'A') + ".BMP");
    g.recognise(list);
    u = seasonsUpdate(1, {true, true, false, false, false});
    EXPECT_NE(g.fieldCheck(list, u).find("longer than 64 characters"), std::string::npos);
    u.seasons = {true, false, false, false, false};
    EXPECT_EQ(g.fieldCheck(list, u), "");
    list.Item(1)->setBitmap("WATER.DDS");
    u.night = true;
    EXPECT_NE(g.fieldCheck(list, u).find("WATER.DDS"), std::string::npos);
}
