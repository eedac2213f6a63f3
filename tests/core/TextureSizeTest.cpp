#include <gtest/gtest.h>

#include "CommandLists.h"
#include "TestUtil.h"
#include "modkit/core/MDLObject.h"

using namespace modkit;
using testcmds::cmd;

namespace {

struct V {
    float x, y, z, tx, ty;
};

// A model with the given textures (size each; parent set as given) and vertices.
std::unique_ptr<MDLObject> model(const std::vector<std::pair<float, int16_t>>& textures, const std::vector<V>& verts) {
    auto m = std::make_unique<MDLObject>();
    for (auto [size, parent] : textures) {
        auto t = m->TextureList()->Add();
        t->setSize(size);
        t->setParent(parent);
    }
    for (const V& v : verts) {
        auto x = m->VertexList()->Add();
        x->setX(v.x), x->setY(v.y), x->setZ(v.z), x->setTx(v.tx), x->setTy(v.ty);
    }
    return m;
}

const std::vector<V> rightTriangle = {{0, 0, 0, 0, 0}, {10, 0, 0, 1, 0}, {0, 10, 0, 0, 1}};

void draw(MDLObject& m, const char* texture, int base = 0, std::vector<std::string> tri = {"0", "1", "2"}) {
    auto& l = *m.BGLCommandList();
    if (texture) l.Add(cmd(BGLOpcode::SET_MATERIAL, {"0", texture}));
    l.Add(cmd(BGLOpcode::DRAW_TRI_LIST_BEGIN, {std::to_string(base), "0", "3"}));
    l.Add(cmd(BGLOpcode::DRAW_TRI_LIST_ITEM, tri));
}

}  // namespace

TEST(TextureSize, GrowsToTheLargestEuclideanEdgeRatio) {
    std::vector<V> far(40000);
    far[39000] = {0, 0, 0, 0, 0};
    far[39001] = {20, 0, 0, 1, 0};
    far[39002] = {0, 20, 0, 0, 1};
    struct Case {
        float size;
        std::vector<V> verts;
        int base;
        float expected;
    } cases[] = {
        {0, rightTriangle, 0, 10},
        {25, rightTriangle, 0, 25},  // never shrinks
        {0, {{0, 0, 0, 0, 0}, {3, 4, 12, 1, 0}, {0, 0, 0, 0, 0}}, 0, 13},  // root of dx^2 + dy^2 + dz^2
        {0, far, 39000, 20},  // a vertex base above 32767
    };
    for (const Case& c : cases) {
        auto m = model({{c.size, 1}}, c.verts);
        draw(*m, "0", c.base);
        m->updateTextureSize();
        EXPECT_FLOAT_EQ(m->TextureList()->Item(1)->size(), c.expected) << c.expected;
        m->updateTextureSize();  // a second pass changes nothing
        EXPECT_FLOAT_EQ(m->TextureList()->Item(1)->size(), c.expected) << c.expected;
    }
}

TEST(TextureSize, TheWholeGroupTakesTheSize) {
    // A base at position 2 with two variants; texture 1 is another group.
    auto m = model({{1, 1}, {0, 2}, {5, 2}, {0, 2}}, rightTriangle);
    draw(*m, "2");  // a variant selects the group of its base
    m->updateTextureSize();
    for (int i = 2; i <= 4; ++i) EXPECT_FLOAT_EQ(m->TextureList()->Item(i)->size(), 10) << i;
    EXPECT_FLOAT_EQ(m->TextureList()->Item(1)->size(), 1);
}

TEST(TextureSize, TrianglesWithoutATextureGroupAreSkipped) {
    auto m = model({{0, 1}, {0, 0}}, rightTriangle);
    draw(*m, nullptr);  // before any SET_MATERIAL
    draw(*m, "-1");     // untextured
    draw(*m, "1");      // a texture whose group was never assigned
    m->updateTextureSize();
    EXPECT_EQ(m->TextureList()->Item(1)->size(), 0);

    auto flat = model({{0, 1}}, {{0, 0, 0, 0.5f, 0.5f}, {10, 0, 0, 0.5f, 0.5f}, {0, 10, 0, 0.5f, 0.5f}});
    draw(*flat, "0");  // every edge has uv length 0
    flat->updateTextureSize();
    EXPECT_EQ(flat->TextureList()->Item(1)->size(), 0);
}

TEST(TextureSize, BadReferencesFail) {
    for (auto [texture, tri, number] : std::vector<std::tuple<const char*, std::vector<std::string>, int>>{
             {"0", {"0", "one", "2"}, 13}, {"0", {"0", "1", "3"}, 5}, {"1", {"0", "1", "2"}, 5}}) {
        auto m = model({{0, 1}}, rightTriangle);
        draw(*m, texture, 0, tri);
        EXPECT_MODKIT_ERROR(m->updateTextureSize(), number) << texture << " " << tri[1] << tri[2];
    }
    auto none = model({{3, 1}}, rightTriangle);
    none->recalcTextureSizes();
    EXPECT_EQ(none->TextureList()->Item(1)->size(), 3);
}
