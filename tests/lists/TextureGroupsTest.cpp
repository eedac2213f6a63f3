#include <gtest/gtest.h>

#include "CommandLists.h"
#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/core/MDLObject.h"
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
    const std::vector<std::pair<int16_t, textureVariant>> expected = {
        {1, textureVariant::summer}, {1, textureVariant::autumn}, {3, textureVariant::summer},
        {1, textureVariant::winter}, {3, textureVariant::spring}, {3, textureVariant::summer},
        {1, textureVariant::heavywinter}};
    for (int i = 1; i <= l->Count(); ++i) {
        EXPECT_EQ(l->Item(i)->parent(), expected[i - 1].first) << i;
        EXPECT_EQ(l->Item(i)->textureVariant(), expected[i - 1].second) << i;
    }
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

TEST(TextureGroups, SeasonCheckWantsARingOfDays) {
    const SeasonSuffixes d;
    const std::string gap = TextureGroups::seasonGap;
    // Summer, autumn, winter, spring: 239->240, 329->330, 59->60, 149->150.
    EXPECT_EQ(TextureGroups::seasonCheck({true, true, true, false, true}, d.dayStart, d.dayEnd), "");
    // Heavy winter checked without days.
    EXPECT_EQ(TextureGroups::seasonCheck({true, true, true, true, true}, d.dayStart, d.dayEnd), gap);
    // One season alone needs no days at all.
    EXPECT_EQ(TextureGroups::seasonCheck({false, false, false, true, false}, d.dayStart, d.dayEnd), "");
    auto start = d.dayStart, end = d.dayEnd;
    end[1] = "328";  // a day between autumn and winter
    EXPECT_EQ(TextureGroups::seasonCheck({true, true, true, false, true}, start, end), gap);
    // Two seasons around the turn of the year: 365 is followed by 1.
    start = {"1", "", "", "", "183"};
    end = {"182", "", "", "", "365"};
    EXPECT_EQ(TextureGroups::seasonCheck({true, false, false, false, true}, start, end), "");
    end[4] = "366";
    EXPECT_EQ(TextureGroups::seasonCheck({true, false, false, false, true}, start, end), gap);
    end[4] = "365";
    start[0] = "1.5";
    EXPECT_EQ(TextureGroups::seasonCheck({true, false, false, false, true}, start, end), gap);
    start[0] = "x";
    EXPECT_EQ(TextureGroups::seasonCheck({true, false, false, false, true}, start, end), gap);
}

TEST_F(TextureEditing, AddingSeasonsKeepsEveryReferenceAndCodesTheBlock) {
    TextureUpdate u = seasonsUpdate(1, {true, true, true, false, true});
    u.rgb = {"10", "300", "-4"};
    u.size = "7.5";
    u.typeName = "TEXTURE_GROUND";
    ASSERT_EQ(g.fieldCheck(list, u), "");
    g.applyUpdate(list, commands, u);

    EXPECT_EQ(names(list), (std::vector<std::string>{"BRICK.BMP", "BRICK_FA.BMP", "BRICK_WI.BMP", "BRICK_SP.BMP", "ROOF.BMP"}));
    for (int i = 1; i <= 4; ++i) {
        const Texture& t = *list.Item(i);
        EXPECT_EQ(t.parent(), 1) << i;
        EXPECT_EQ(t.textureType(), 5) << i;
        EXPECT_EQ(t.size(), 7.5f) << i;
        EXPECT_EQ(t.Color()->Ri(), 10) << i;
        EXPECT_EQ(t.Color()->Gi(), 255) << i;
        EXPECT_EQ(t.Color()->Bi(), 0) << i;
    }
    EXPECT_EQ(list.Item(5)->parent(), 5);
    EXPECT_EQ(list.Item(5)->textureType(), 6);  // another group
    EXPECT_EQ(g.bases(), (std::vector<int16_t>{1, 5}));
    // The roof is now texture 4; the block keeps material 5 and winter is the fallback.
    testutil::expectGolden("lists/seasons-added.txt", testcmds::pictureText(commands, false));
    const seasonalTextures r = m->readSeasonalDates(1);
    EXPECT_EQ(r.active, (std::array<bool, 5>{true, true, true, false, true}));
    EXPECT_EQ(r.dayStart, (std::array<int16_t, 5>{150, 240, 330, 0, 60}));
    EXPECT_EQ(r.dayEnd, (std::array<int16_t, 5>{239, 329, 59, 0, 149}));

    // Saved and read back, the names give the same groups.
    MDLObject back;
    back.readMDLBytes(m->toBytes());
    TextureGroups again;
    again.recognise(*back.TextureList());
    EXPECT_EQ(again.bases(), (std::vector<int16_t>{1, 5}));
    EXPECT_EQ(back.TextureList()->Item(4)->textureVariant(), textureVariant::spring);
    EXPECT_EQ(picture(*back.BGLCommandList(), false), picture(commands, false));
}

TEST_F(TextureEditing, RemovingSeasonsAndNightMaps) {
    TextureUpdate u = seasonsUpdate(1, {true, true, true, false, true});
    u.night = true;
    g.applyUpdate(list, commands, u);
    ASSERT_EQ(names(list), (std::vector<std::string>{"BRICK.BMP", "BRICK_FA.BMP", "BRICK_WI.BMP", "BRICK_SP.BMP",
                                                     "BRICK_LM.BMP", "ROOF.BMP"}));
    EXPECT_EQ(g.nightPosition(list, 1), 5);
    EXPECT_EQ(g.roleOf(5), TextureGroups::Role::night);
    EXPECT_EQ(list.Item(5)->textureType(), 256);
    EXPECT_EQ(commands.Item(14)->param(1), "5");  // the roof

    // A type chosen for the group leaves the night map a night map.
    u.typeName = "TEXTURE_GROUND";
    g.applyUpdate(list, commands, u);
    EXPECT_EQ(list.Item(1)->textureType(), 5);
    EXPECT_EQ(list.Item(5)->textureType(), 256);

    // Summer and autumn only, around the year; winter, spring and the night map go.
    u.seasons = {true, true, false, false, false};
    u.night = false;
    u.dayStart[0] = "60";
    u.dayEnd[1] = "59";
    ASSERT_EQ(TextureGroups::seasonCheck(u.seasons, u.dayStart, u.dayEnd), "");
    g.applyUpdate(list, commands, u);
    EXPECT_EQ(names(list), (std::vector<std::string>{"BRICK.BMP", "BRICK_FA.BMP", "ROOF.BMP"}));
    EXPECT_EQ(g.nightPosition(list, 1), 0);
    testutil::expectGolden("lists/seasons-kept.txt", testcmds::pictureText(commands, false));

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

TEST_F(TextureEditing, AVariantChangesAlone) {
    g.applyUpdate(list, commands, seasonsUpdate(1, {true, true, false, false, false}));
    const auto stream = picture(commands, false);
    TextureUpdate u = seasonsUpdate(2, {});  // the autumn texture; its boxes are off
    u.rgb = {"1", "2", "3"};
    u.typeName = "TEXTURE_EFFECT";
    g.applyUpdate(list, commands, u);
    EXPECT_EQ(names(list), (std::vector<std::string>{"BRICK.BMP", "BRICK_FA.BMP", "ROOF.BMP"}));
    EXPECT_EQ(list.Item(2)->textureType(), 7);
    EXPECT_EQ(list.Item(2)->Color()->Bi(), 3);
    EXPECT_EQ(list.Item(1)->textureType(), 6);
    EXPECT_EQ(picture(commands, false), stream);
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
