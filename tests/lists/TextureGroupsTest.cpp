#include <gtest/gtest.h>

#include "TestUtil.h"
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
    SeasonSuffixes s;
    EXPECT_EQ(s.suffix[4], "_SP");
    EXPECT_EQ(s.dayStart[2], "330");
    EXPECT_EQ(s.dayEnd[2], "59");
    EXPECT_EQ(s.dayStart[3], "");
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
