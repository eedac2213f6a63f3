#include <gtest/gtest.h>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/lists/MaterialList.h"

using namespace modkit;
using testutil::hex;

TEST(Color, IntegerViewsAndPackedColor) {
    Color c;
    c.setR(0.5f);
    EXPECT_EQ(c.Ri(), 128);
    c.setR(1.0f);
    EXPECT_EQ(c.Ri(), 255);
    c.setR(1.5f);
    EXPECT_EQ(c.Ri(), 382);  // 382.5 to even
    c.setR(200.0f);
    EXPECT_MODKIT_ERROR(c.Ri(), 6);
    for (int v = 0; v <= 255; ++v) {
        c.setGi(static_cast<int16_t>(v));
        ASSERT_EQ(c.Gi(), v);
    }
    c.setR(1.0f);
    c.setG(0.5f);
    c.setB(0.0f);
    c.setA(0.3f);
    EXPECT_EQ(hex(c.packedColor()), "FF 00 80 FF");
    c.setB(-1.0f);
    EXPECT_MODKIT_ERROR(c.packedColor(), 5);
}

TEST(MaterialList, EncodesAndReadsBack) {
    MaterialList empty;
    EXPECT_EQ(hex(empty.asString()), "B6 00 00 00 00 00 00 00 22 00");

    modelgen::Mat m;
    m.diffuse = {0.1f, 0.2f, 0.3f, 0.4f};
    m.power = 12.5f;
    std::string body = modelgen::materialsBody({m, modelgen::Mat{}});
    MaterialList l;
    l.readList(body);
    ASSERT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Item(1)->Diffuse()->g(), 0.2f);
    EXPECT_EQ(l.Item(1)->Power(), 12.5f);
    EXPECT_EQ(l.asString(), body);
}

TEST(MaterialList, OddBodies) {
    std::string body = modelgen::materialsBody({modelgen::Mat{}});
    MaterialList noMarker;
    noMarker.readList(body.substr(0, body.size() - 2));
    EXPECT_EQ(noMarker.Count(), 1);

    std::string negative = body;
    negative[3] = static_cast<char>(0x80);  // count 0x8001
    MaterialList none;
    none.readList(negative);
    EXPECT_EQ(none.Count(), 0);

    std::string reserved = body;
    reserved[4] = 9;  // the reserved field comes back as 0
    MaterialList r;
    r.readList(reserved);
    EXPECT_EQ(r.asString(), body);

    MaterialList wrong;
    wrong.Add();
    auto e = testutil::errorOf([&] { wrong.readList(testutil::bytes({0xB7, 0, 0, 0, 0, 0, 0, 0})); });
    EXPECT_EQ(e.number(), 100);
    EXPECT_EQ(e.source(), "Modkit.MaterialList");
    EXPECT_EQ(e.description(), "Data does not contain a valid material list");
    EXPECT_EQ(wrong.Count(), 1);
    wrong.readList(body);  // the next decode works as usual
    EXPECT_EQ(wrong.Count(), 2);
}
