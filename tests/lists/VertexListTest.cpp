#include <gtest/gtest.h>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/lists/VertexList.h"

using namespace modkit;
using testutil::hex;

TEST(VertexList, EncodesAndReadsBack) {
    VertexList empty;
    EXPECT_EQ(hex(empty.asString()), "B5 00 00 00 00 00 00 00 22 00");
    std::vector<modelgen::Vtx> v(3);
    v[2] = {1, 2, 3, 0.5f, 0.25f, -1, 0.1f, 0.9f};
    std::string body = modelgen::verticesBody(v);
    VertexList l;
    l.fillCollection(body);
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Item(3)->nz(), -1);
    EXPECT_EQ(l.Item(3)->ty(), 0.9f);
    EXPECT_EQ(l.asString(), body);
}

TEST(VertexList, CountsAreUnsigned) {
    std::vector<modelgen::Vtx> many(65535);
    std::string body = modelgen::verticesBody(many);
    EXPECT_EQ(hex(body.substr(2, 2)), "FF FF");
    VertexList l;
    l.fillCollection(body);
    EXPECT_EQ(l.Count(), 65535);

    VertexList forty;
    for (int i = 0; i < 40000; ++i) forty.Add();
    std::string enc = forty.asString();
    EXPECT_EQ(hex(enc.substr(2, 2)), "40 9C");
    VertexList back;
    back.fillCollection(enc);
    EXPECT_EQ(back.Count(), 40000);

    l.Add();  // 65536 vertices cannot be counted in the field
    EXPECT_MODKIT_ERROR(l.asString(), 6);
}

TEST(VertexList, WrongOpcode) {
    VertexList l;
    auto e = testutil::errorOf([&] { l.fillCollection(testutil::bytes({0xB6, 0, 0, 0, 0, 0, 0, 0})); });
    EXPECT_EQ(e.source(), "Modkit.VertexList");
    EXPECT_EQ(e.description(), "Error while reading vertex list");
}
