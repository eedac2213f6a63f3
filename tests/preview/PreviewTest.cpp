// Drawing checked by reading back the pixels of an offscreen surface.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>
#include <gtest/gtest.h>

#include <QImage>

#include <array>
#include <cmath>
#include <functional>
#include <memory>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/bgl/WalkState.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "modkit/preview/EglOffscreenSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"

using namespace modelgen;
using Rgb = std::array<int, 3>;

namespace {

constexpr Rgb kWhite{255, 255, 255}, kRed{255, 0, 0};

// A model made of triangles on the ground plane (y = 0), normals up, inside
// the box (-1, -1, -1)..(1, 1, 1) unless told otherwise.
struct Scene {
    std::vector<Vtx> verts;
    std::vector<Mat> mats;
    std::vector<Tex> texs;
    BglBuilder bgl;
    std::array<float, 6> box{-1, -1, -1, 1, 1, 1};

    int solid(std::array<float, 4> rgba) {
        Mat m;
        m.diffuse = m.ambient = rgba;
        mats.push_back(m);
        return static_cast<int>(mats.size()) - 1;
    }
    int texture(const std::string& bitmap) {
        Tex t;
        t.bitmap = bitmap;
        texs.push_back(t);
        return static_cast<int>(texs.size()) - 1;
    }
    void use(int material, int texture = -1) { bgl.cmd(184, {double(material), double(texture)}); }
    // One triangle list holding a triangle with corners (x, z) on the ground;
    // ty is the texture row all three corners sample.
    void triangle(std::array<std::array<float, 2>, 3> corners, float ty = 0.5f) {
        const auto first = static_cast<uint16_t>(verts.size());
        for (const auto& c : corners) verts.push_back(Vtx{c[0], 0, c[1], 0, 1, 0, 0.5f, ty});
        bgl.triList(first, {{0, 1, 2}});
    }
    std::string bytes() const {
        std::vector<Section> exte = {{"MATE", materialsBody(mats)}, {"VERT", verticesBody(verts)}, {"BGL ", bgl.bytes()}};
        if (!texs.empty()) exte.insert(exte.begin(), {"TEXT", texturesBody(texs)});
        return mdlFile({{"MDLH", headerBody({0, 0, 0, 0, 0, 0, 0, 0, 0})},
                        {"BBOX", bboxBody(box[0], box[1], box[2], box[3], box[4], box[5])}},
                       exte);
    }
};

// Points east from the middle: seen from above it covers pixel (41, 32) of a
// 64 x 64 picture and leaves (32, 23) white.
constexpr std::array<std::array<float, 2>, 3> kArrow = {{{0.3f, -0.3f}, {0.9f, 0}, {0.3f, 0.3f}}};
// Covers the middle of the picture in any view from above.
constexpr std::array<std::array<float, 2>, 3> kCentre = {{{-0.8f, -0.8f}, {0.8f, -0.8f}, {0, 0.8f}}};

class FailingSurface : public modkit::GLSurface {
public:
    bool makeCurrent() override { return false; }
    void present() override {}
};

class Preview : public ::testing::Test {
protected:
    static constexpr int kSide = 64;

    void SetUp() override {
        try {
            surface_ = std::make_unique<modkit::EglOffscreenSurface>(kSide, kSide);
        } catch (const modkit::Error& e) {
            FAIL() << "no offscreen OpenGL context: Error " << e.number() << " (" << e.description() << ")";
        }
        gl_.initOpenGL(*surface_);
    }

    std::unique_ptr<modkit::MDLObject> prepared(const Scene& s) {
        auto m = std::make_unique<modkit::MDLObject>();
        m->readMDLBytes(s.bytes());
        const auto& textures = *m->TextureList();
        for (int i = 1; i <= textures.Count(); ++i)
            if (!textures.Item(i)->bitmap().empty()) textures.Item(i)->setFile(dir_.file(textures.Item(i)->bitmap()));
        failures_ = m->glPreparepreview(gl_);
        return m;
    }

    void draw(modkit::MDLObject& m, float heading = 0, float pitch = 0, float panX = 0, float panY = 0,
              float zoom = 100) {
        m.glDrawMDL(heading, pitch, panX, panY, kSide, kSide, *surface_, zoom);
        pixels_ = surface_->readPixelsRGB();
    }

    Rgb at(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * kSide + static_cast<size_t>(x)) * 3;
        return {pixels_[i], pixels_[i + 1], pixels_[i + 2]};
    }
    int count(Rgb colour) const {
        int n = 0;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) n += at(x, y) == colour;
        return n;
    }

    // A texture file of one colour on its top half and another on its bottom half.
    void bitmap(const std::string& name, Rgb top, Rgb bottom) {
        Bitmap b{name, 4, 4, {}};
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                for (int c : (y < 2 ? top : bottom)) b.rgb.push_back(static_cast<uint8_t>(c));
        testutil::writeFile(dir_.file(name), bmpFile(b));
    }

    testutil::TempDir dir_;
    std::unique_ptr<modkit::EglOffscreenSurface> surface_;
    modkit::OpenGLPreviewObject gl_;
    std::vector<modkit::TextureLoadFailure> failures_;
    std::vector<uint8_t> pixels_;
};

void expectNear(Rgb got, Rgb want, int tolerance = 2) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[size_t(c)], want[size_t(c)], tolerance) << "channel " << c;
}

TEST_F(Preview, CameraPlacesTheModelTurnsItAndPansIt) {
    Scene s;
    s.use(s.solid({1, 0, 0, 1}));
    s.triangle(kArrow);
    auto m = prepared(s);
    ASSERT_TRUE(m->Loaded());

    const struct {
        const char* view;
        float heading, panX, panY, zoom;
        std::vector<std::pair<int, int>> red, white;
    } views[] = {
        {"from above: north up, east right", 0, 0, 0, 100, {{41, 32}}, {{32, 23}, {22, 32}, {0, 0}, {50, 32}}},
        {"a quarter turn: east now points north", 90, 0, 0, 100, {{32, 23}}, {{41, 32}}},
        {"panned half a unit east", 0, 0.5f, 0, 100, {{50, 32}}, {}},
        {"and north", 0, 0, 0.5f, 100, {{41, 23}}, {{41, 32}}},
        {"twice as close", 0, 0, 0, 200, {{50, 32}}, {}},
    };
    for (const auto& v : views) {
        SCOPED_TRACE(v.view);
        draw(*m, v.heading, 0, v.panX, v.panY, v.zoom);
        for (auto [x, y] : v.red) EXPECT_EQ(at(x, y), kRed) << x << "," << y;
        for (auto [x, y] : v.white) EXPECT_EQ(at(x, y), kWhite) << x << "," << y;
    }
    // The box's middle is the picture's: a box reaching half a unit further west is a view panned east.
    m->BoundingBox()->setXmin(-1.5f), m->BoundingBox()->setXmax(0.5f);
    draw(*m);
    EXPECT_EQ(at(50, 32), kRed);
}

TEST_F(Preview, WideViewsKeepTheHeightOfTheView) {
    auto m = prepared(Scene{});
    m->glDrawMDL(0, 0, 0, 0, 400, 300, *surface_, 100);
    GLfloat pr[16];
    GLint viewport[4];
    glGetFloatv(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}), (std::array<GLint, 4>{0, 0, 400, 300}));
    const float f = 1 / std::tan(30 * 3.14159265f / 180);  // 60 degrees high, aspect 4:3
    EXPECT_NEAR(pr[5], f, 1e-4);
    EXPECT_NEAR(pr[0], f * 3 / 4, 1e-4);
}

TEST_F(Preview, MaterialColoursUnderTheFixedLights) {
    // Lit from the viewer: colour = emissive + (0.5 + 0.05) ambient + 0.5 diffuse
    // (N.L) + 0.05 specular where lit.
    Scene s;
    Mat m;
    m.diffuse = {0.4f, 0.2f, 0, 1};
    m.ambient = {0.2f, 0.4f, 0, 1};
    m.specular = {0.2f, 0.2f, 0.2f, 1};
    m.emissive = {0, 0, 0.3f, 1};
    s.mats.push_back(m);
    s.use(0);
    s.triangle({{{-0.9f, -0.9f}, {-0.1f, -0.9f}, {-0.5f, 0.9f}}});
    // The second triangle's first normal points north, which the axis swap
    // turns away from the light; the whole triangle takes that normal.
    s.triangle({{{0.1f, -0.9f}, {0.9f, -0.9f}, {0.5f, 0.9f}}});
    s.verts[3].ny = 0;
    s.verts[3].nz = 1;
    auto model = prepared(s);
    draw(*model);
    expectNear(at(23, 32), {82, 84, 79});  // 0.32, 0.33, 0.31
    expectNear(at(41, 32), {28, 56, 77});  // ambient and emissive only
}

TEST_F(Preview, ZBiasPullsLaterTrianglesInFront) {
    for (bool bias : {false, true}) {
        SCOPED_TRACE(bias ? "with BGL_ZBIAS 2" : "without");
        Scene s;
        int red = s.solid({1, 0, 0, 1}), green = s.solid({0, 1, 0, 1});
        s.use(red);
        s.triangle(kCentre);
        if (bias) s.bgl.cmd(172, {2.0});
        s.use(green);
        s.triangle(kCentre);  // the same place: equal depth loses
        auto m = prepared(s);
        draw(*m, 0, -45);  // the factor needs a sloped polygon to act on
        expectNear(at(32, 32), bias ? Rgb{0, 230, 0} : Rgb{230, 0, 0});  // lit at 45 degrees
    }
}

TEST_F(Preview, TextureWithoutFileBindsTextureZero) {
    Scene s;
    s.use(s.solid({1, 0, 0, 1}), s.texture(""));
    s.triangle(kCentre);
    // Whatever texture 0 holds shows, in white light.
    const uint8_t green[4] = {0, 255, 0, 0};
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, green);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    auto m = prepared(s);
    EXPECT_EQ(m->TextureList()->Item(1)->glPointer(), 0);
    draw(*m);
    EXPECT_EQ(at(32, 32), (Rgb{0, 255, 0}));
    EXPECT_EQ(gl_.loadTexture(""), 0);
}

TEST_F(Preview, FailedTexturesDrawUntexturedAndAreReported) {
    testutil::writeFile(dir_.file("broken.bmp"), "BM this is no bitmap");
    bitmap("good.bmp", {200, 60, 40}, {30, 160, 90});
    Scene s;
    int red = s.solid({1, 0, 0, 1});
    s.use(red, s.texture("broken.bmp"));
    s.triangle({{{-0.9f, -0.9f}, {-0.1f, -0.9f}, {-0.5f, 0.9f}}});
    s.use(red, s.texture("good.bmp"));
    s.triangle({{{0.1f, -0.9f}, {0.9f, -0.9f}, {0.5f, 0.9f}}}, 0.25f);  // t = 0 is the bitmap's bottom row
    s.texture("absent.bmp");
    s.texture("good.bmp");  // listed twice: loaded once
    auto m = prepared(s);
    EXPECT_EQ(m->TextureList()->Item(4)->glPointer(), m->TextureList()->Item(2)->glPointer());

    ASSERT_EQ(failures_.size(), 2u);
    EXPECT_EQ(failures_[0].path, dir_.file("broken.bmp"));
    EXPECT_EQ(failures_[0].error.description(), "Loading Texture File: '" + dir_.file("broken.bmp") +
                  "' Failed! (not an image format that can be read, or a damaged or oversized image)");
    EXPECT_EQ(failures_[1].path, dir_.file("absent.bmp"));
    EXPECT_TRUE(m->Loaded());
    draw(*m);
    EXPECT_EQ(at(23, 32), kRed);  // the material's own colour
    EXPECT_EQ(at(41, 32), (Rgb{30, 160, 90}));  // not tinted by the red material

    // Called alone, the texture step still raises the first failure, after
    // trying every texture.
    auto e = testutil::errorOf([&] { m->glLoadTextureList(gl_); });
    EXPECT_EQ(e.description(), failures_[0].error.description());
    EXPECT_GT(m->TextureList()->Item(2)->glPointer(), 0);
}

TEST_F(Preview, DegenerateBoxAndOddZoomStillShowTheModel) {
    Scene framed;
    framed.use(framed.solid({1, 0, 0, 1}));
    framed.triangle(kArrow);
    framed.box = {0.3f, 0, -0.3f, 0.9f, 0, 0.3f};  // the triangle's own extent
    auto reference = prepared(framed);
    draw(*reference);
    const std::vector<uint8_t> expected = pixels_;
    EXPECT_GT(count(kRed), 100);

    for (float bad : {0.0f, NAN, INFINITY}) {
        Scene s = framed;
        s.box = {bad, bad, bad, bad, bad, bad};
        auto m = prepared(s);
        draw(*m);  // the vertices frame the camera instead
        EXPECT_EQ(pixels_, expected) << "box of " << bad;
    }

    draw(*reference, 0, 0, 0, 0, 10);
    const std::vector<uint8_t> farthest = pixels_;
    for (float zoom : {0.0f, -50.0f, NAN}) {
        draw(*reference, 0, 0, 0, 0, zoom);
        EXPECT_EQ(pixels_, farthest) << "zoom " << zoom;
    }

    Scene lines;  // line lists are not drawn
    lines.box = {0, 0, 0, 0, 0, 0};
    lines.use(lines.solid({1, 0, 0, 1}));
    lines.verts = {Vtx{-1, 0, -1}, Vtx{1, 0, 1}, Vtx{-1, 0, 1}};
    lines.bgl.lineList(0, {{0, 1}, {1, 2}, {2, 0}});
    auto nothing = prepared(lines);
    draw(*nothing);
    EXPECT_EQ(count(kWhite), kSide * kSide);

    reference->glDrawMDL(0, 0, 0, 0, 0, 0, *surface_, 100);  // no area: nothing but the clear
    pixels_ = surface_->readPixelsRGB();
    EXPECT_EQ(count(kWhite), kSide * kSide);
}

TEST_F(Preview, BadCommandsRaiseAndLeaveTheContextUsable) {
    auto lastTriangleVertex = [](Scene& s, int v) {
        s.triangle(kCentre);
        s.bgl.triList(0, {{0, 1, static_cast<uint16_t>(v)}});
    };
    Scene badMaterial;
    badMaterial.solid({1, 0, 0, 1});
    badMaterial.use(3);
    Scene badVertex;  // fails inside a run of triangles
    badVertex.use(badVertex.solid({1, 0, 0, 1}));
    lastTriangleVertex(badVertex, 40);
    Scene badTexture;
    badTexture.use(badTexture.solid({1, 0, 0, 1}), 2);

    for (Scene* s : {&badMaterial, &badVertex, &badTexture}) {
        modkit::MDLObject m;
        m.readMDLBytes(s->bytes());
        EXPECT_MODKIT_ERROR(m.glPreparepreview(gl_), modkit::err::InvalidCall);
        EXPECT_FALSE(m.Loaded());
        EXPECT_EQ(m.previewList(), 0u);
    }

    Scene good;
    good.use(good.solid({1, 0, 0, 1}));
    good.triangle(kArrow);
    modkit::MDLObject notANumber;
    notANumber.readMDLBytes(good.bytes());
    notANumber.BGLCommandList()->Item(1)->setParam(1, "none");
    EXPECT_MODKIT_ERROR(notANumber.glGenerateDrawList(), modkit::err::TypeMismatch);

    auto m = prepared(good);
    draw(*m);
    EXPECT_EQ(at(41, 32), kRed);
}

TEST_F(Preview, PreparingAgainReplacesTheListAndTextures) {
    bitmap("t.bmp", {1, 2, 3}, {4, 5, 6});
    Scene s;
    s.use(s.solid({1, 0, 0, 1}), s.texture("t.bmp"));
    s.triangle(kCentre);
    auto m = prepared(s);
    const GLuint list = m->previewList();
    const auto texture = static_cast<GLuint>(m->TextureList()->Item(1)->glPointer());
    ASSERT_TRUE(glIsBuffer(list));
    ASSERT_TRUE(glIsTexture(texture));
    m->glPreparepreview(gl_);
    EXPECT_TRUE(glIsBuffer(m->previewList()));
    EXPECT_TRUE(glIsTexture(static_cast<GLuint>(m->TextureList()->Item(1)->glPointer())));
    // The old names were freed (GL may hand the same ones out again).
    EXPECT_TRUE(m->previewList() == list || !glIsBuffer(list));
    EXPECT_TRUE(static_cast<GLuint>(m->TextureList()->Item(1)->glPointer()) == texture || !glIsTexture(texture));

    m->glReleasePreview();
    EXPECT_FALSE(m->Loaded());
    EXPECT_EQ(m->previewList(), 0u);
}

// The sample house with seasons under a simulator state: the middle of the
// picture, seen from straight above, is the roof.
TEST_F(Preview, SeasonTimeAndDistanceChangeWhatIsDrawn) {
    for (const auto& list : {sampleBitmaps(), seasonalSampleBitmaps()})
        for (const auto& b : list) testutil::writeFile(dir_.file(b.name), bmpFile(b));
    modkit::MDLObject m;
    m.readMDLBytes(seasonalSampleHouse());
    for (const auto& t : *m.TextureList()) t->setFile(modkit::locateTextureFile(t->bitmap(), dir_.path(), {}));
    auto roof = [&](const modkit::WalkState* s) {
        m.glPreparepreview(gl_, s);
        draw(m, 0, 0, 0, 0, 60);
        return at(kSide / 2, kSide / 2);
    };
    modkit::WalkState summer;
    const Rgb tiles = roof(&summer);
    // Without a state every block is drawn: the last texture set, the winter one, stays.
    EXPECT_NE(roof(nullptr), tiles);
    struct Case {
        const char* name;
        std::function<void(modkit::WalkState&)> set;
        std::function<bool(Rgb)> expected;
    };
    const Case cases[] = {
        {"summer day: the base tiles", [](modkit::WalkState& s) { s.setDayOfYear(196); },
         [](Rgb c) { return c[0] > c[2] + 10 && c[2] < 100; }},
        {"winter day: the snow", [](modkit::WalkState& s) { s.setDayOfYear(15); },
         [](Rgb c) { return c[0] > 170 && c[1] > 170 && c[2] > 170; }},
        {"night: darker tiles", [](modkit::WalkState& s) { s.setTimeOfDay(modkit::WalkState::night); },
         [&](Rgb c) { return c[0] < tiles[0] / 2 && c[0] > 0; }},
        {"beyond the 5 km bound: only the sky", [](modkit::WalkState& s) { s.setDistance(5001); },
         [](Rgb c) { return c == kWhite; }},
    };
    for (const Case& c : cases) {
        modkit::WalkState s;
        c.set(s);
        const Rgb got = roof(&s);
        EXPECT_TRUE(c.expected(got)) << c.name << ": " << got[0] << "," << got[1] << "," << got[2];
    }
}

TEST(PreviewContext, SurfaceThatCannotBeMadeCurrent) {
    FailingSurface failing;
    modkit::OpenGLPreviewObject gl;
    EXPECT_EQ(testutil::errorText([&] { gl.initOpenGL(failing); }), "100 Modkit.OpenGLPreviewObject: Could not initialize OpenGL");
    EXPECT_FALSE(gl.openGLInit());
    EXPECT_MODKIT_ERROR(gl.loadTexture("some.bmp"), 100);
    EXPECT_MODKIT_ERROR(modkit::EglOffscreenSurface(0, 10), modkit::err::InvalidCall);
}

TEST(PreviewContext, SeveralSurfacesKeepTheirOwnPixels) {
    auto a = std::make_unique<modkit::EglOffscreenSurface>(8, 4);
    modkit::EglOffscreenSurface b(2, 2);
    ASSERT_TRUE(a->makeCurrent());
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(b.makeCurrent());
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const auto red = a->readPixelsRGB();
    EXPECT_EQ(red.size(), 8u * 4 * 3);
    EXPECT_EQ((Rgb{red[0], red[1], red[2]}), kRed);
    const auto blue = b.readPixelsRGB();
    EXPECT_EQ((Rgb{blue[9], blue[10], blue[11]}), (Rgb{0, 0, 255}));
    a.reset();
    EXPECT_TRUE(b.makeCurrent());  // the display outlives the other surface
    EXPECT_EQ(b.toImage().pixelColor(1, 1).blue(), 255);
}

}  // namespace
