#include <gtest/gtest.h>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/lists/TextureList.h"

using namespace modkit;
using testutil::hex;

TEST(TextureList, EncodesAndReadsBack) {
    TextureList empty;
    EXPECT_EQ(hex(empty.asString()), "B7 00 00 00 00 00 00 00 22 00");

    modelgen::Tex t;
    t.bitmap = "walls.bmp";
    t.bagr = {0x10, 0x20, 0x30, 0x40};
    t.size = 2.5f;
    modelgen::Tex full;
    full.bitmap = std::string(64, 'z');
    std::string body = modelgen::texturesBody({t, full});
    TextureList l;
    l.fillCollection(body);
    ASSERT_EQ(l.Count(), 2);
    auto c = l.Item(1)->Color();
    EXPECT_EQ(c->Bi(), 16);
    EXPECT_EQ(c->Ai(), 32);
    EXPECT_EQ(c->Ri(), 48);
    EXPECT_EQ(c->Gi(), 64);
    EXPECT_EQ(l.Item(1)->bitmap(), "walls.bmp");
    EXPECT_EQ(l.Item(2)->bitmap().size(), 64u);
    EXPECT_EQ(l.Item(1)->size(), 2.5f);
    EXPECT_EQ(l.Item(1)->textureVariant(), textureVariant::summer);
    EXPECT_EQ(l.asString(), body);

    l.Item(1)->setBitmap(std::string(65, 'n'));
    EXPECT_MODKIT_ERROR(l.asString(), 100);
}

TEST(TextureList, NamesDropEveryNulAndTypeNames) {
    Texture t;
    t.setBitmap(std::string("ab\0cd\0\0", 7));
    EXPECT_EQ(t.bitmap(), "abcd");
    t.setTextureType(0x300);
    EXPECT_EQ(t.getTypeString(), "TEXTURE2_LIGHTMAP");
    t.setTextureType(9);
    EXPECT_EQ(t.getTypeString(), "");
    EXPECT_EQ(t.getTypeVal("TEXTURE_MAP"), 2);
    EXPECT_EQ(t.getTypeVal("texture_map"), 0);
}

TEST(TextureList, FindTextureIndexAndInsertion) {
    TextureList l;
    l.Add()->setParent(1);
    auto winter = l.Add();
    winter->setParent(1);
    winter->setTextureVariant(textureVariant::winter);
    EXPECT_EQ(l.findTextureIndex(1, 0), 1);
    EXPECT_EQ(l.findTextureIndex(1, 2), 2);
    EXPECT_EQ(l.findTextureIndex(1, 1), 0);
    EXPECT_EQ(l.findTextureIndex(2, 0), 0);
    auto inserted = l.Add(nullptr, "night", 2);
    EXPECT_EQ(l.Item(2), inserted);
    EXPECT_EQ(l.Item("night"), inserted);
}

TEST(TextureList, WrongOpcode) {
    TextureList l;
    auto e = testutil::errorOf([&] { l.fillCollection(testutil::bytes({0xB6, 0, 0, 0, 0, 0, 0, 0})); });
    EXPECT_EQ(e.source(), "Modkit.TextureList");
    EXPECT_EQ(e.description(), "No valid texture list data in string");
}
