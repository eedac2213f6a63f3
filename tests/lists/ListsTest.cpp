// The material, texture and vertex lists: their records read back to the same
// bytes, and a body of another list is refused without change.
#include <gtest/gtest.h>

#include <functional>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/lists/MaterialList.h"
#include "modkit/lists/TextureList.h"
#include "modkit/lists/VertexList.h"

using namespace modkit;
using testutil::hex;

namespace {

// Decodes a body and encodes the list again; "" gives an empty list's bytes.
template <class List>
std::function<std::string(const std::string&)> decoder(void (List::*read)(const std::string&)) {
    return [read](const std::string& body) {
        List l;
        if (!body.empty()) (l.*read)(body);
        return l.asString();
    };
}

}  // namespace

TEST(Lists, EmptyListsRoundTripsAndForeignBodies) {
    modelgen::Mat m;
    m.diffuse = {0.1f, 0.2f, 0.3f, 0.4f};
    m.power = 12.5f;
    modelgen::Tex t{6, {0x10, 0x20, 0x30, 0x40}, 2.5f, "walls.bmp"}, full;
    full.bitmap = std::string(64, 'z');  // a full-length name, no NUL
    std::vector<modelgen::Vtx> v(3);
    v[2] = {1, 2, 3, 0.5f, 0.25f, -1, 0.1f, 0.9f};
    const struct {
        const char* list;
        std::function<std::string(const std::string&)> decode;
        std::string body, emptyHex, source, wrong;
    } cases[] = {
        {"materials", decoder(&MaterialList::readList), modelgen::materialsBody({m, modelgen::Mat{}}),
         "B6 00 00 00 00 00 00 00 22 00", "Modkit.MaterialList", "Data does not contain a valid material list"},
        {"textures", decoder(&TextureList::fillCollection), modelgen::texturesBody({t, full}),
         "B7 00 00 00 00 00 00 00 22 00", "Modkit.TextureList", "No valid texture list data in string"},
        {"vertices", decoder(&VertexList::fillCollection), modelgen::verticesBody(v), "B5 00 00 00 00 00 00 00 22 00",
         "Modkit.VertexList", "Error while reading vertex list"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(hex(c.decode(c.body)), hex(c.body));
        EXPECT_EQ(hex(c.decode("")), c.emptyHex);
        std::string foreign = testutil::bytes({0xB4, 0, 0, 0, 0, 0, 0, 0});  // an opcode of no list
        EXPECT_EQ(testutil::errorText([&] { c.decode(foreign); }), "100 " + c.source + ": " + c.wrong);
    }
}

TEST(Lists, ValuesAsRead) {
    modelgen::Tex t{6, {0x10, 0x20, 0x30, 0x40}, 2.5f, "walls.bmp"};
    TextureList textures;
    textures.fillCollection(modelgen::texturesBody({t}));
    const auto c = textures.Item(1)->Color();  // stored blue, alpha, red, green
    EXPECT_EQ((std::vector<int>{c->Bi(), c->Ai(), c->Ri(), c->Gi()}), (std::vector<int>{16, 32, 48, 64}));
    EXPECT_EQ(textures.Item(1)->bitmap(), "walls.bmp");
    EXPECT_EQ(textures.Item(1)->size(), 2.5f);
    Texture named;
    named.setBitmap(std::string("ab\0cd\0\0", 7));
    EXPECT_EQ(named.bitmap(), "abcd");  // every NUL dropped
}

TEST(Lists, MaterialBodiesThatAreOdd) {
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
    // A failed decode keeps what was there; the next one works as usual.
    MaterialList wrong;
    wrong.Add();
    EXPECT_MODKIT_ERROR(wrong.readList(testutil::bytes({0xB7, 0, 0, 0, 0, 0, 0, 0})), 100);
    EXPECT_EQ(wrong.Count(), 1);
    wrong.readList(body);
    EXPECT_EQ(wrong.Count(), 2);
}

TEST(Lists, ColourViewsAndVertexCountsAreChecked) {
    Color c;
    c.setR(1.5f);
    EXPECT_EQ(c.Ri(), 382);  // 382.5 to even
    c.setR(200.0f);
    EXPECT_MODKIT_ERROR(c.Ri(), 6);
    for (int v = 0; v <= 255; ++v) {
        c.setGi(static_cast<int16_t>(v));
        ASSERT_EQ(c.Gi(), v);
    }
    c.setR(1.0f), c.setG(0.5f), c.setB(0.0f), c.setA(0.3f);
    EXPECT_EQ(hex(c.packedColor()), "FF 00 80 FF");
    c.setB(-1.0f);
    EXPECT_MODKIT_ERROR(c.packedColor(), 5);

    // Counts are unsigned: 40000 and 65535 vertices read back; 65536 cannot be counted.
    VertexList l;
    for (int i = 0; i < 40000; ++i) l.Add();
    EXPECT_EQ(hex(l.asString().substr(2, 2)), "40 9C");
    VertexList many;
    many.fillCollection(modelgen::verticesBody(std::vector<modelgen::Vtx>(65535)));
    EXPECT_EQ(many.Count(), 65535);
    many.Add();
    EXPECT_MODKIT_ERROR(many.asString(), 6);
}
