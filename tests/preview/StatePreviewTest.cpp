// The preview under a simulator state, on the sample house with seasons.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/bgl/WalkState.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "modkit/preview/EglOffscreenSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"

using Rgb = std::array<int, 3>;

TEST(StatePreview, SeasonTimeAndDistanceChangeWhatIsDrawn) {
    constexpr int kSide = 48;
    testutil::TempDir dir;
    for (const auto& list : {modelgen::sampleBitmaps(), modelgen::seasonalSampleBitmaps()})
        for (const auto& b : list) testutil::writeFile(dir.file(b.name), modelgen::bmpFile(b));
    modkit::MDLObject m;
    m.readMDLBytes(modelgen::seasonalSampleHouse());
    for (const auto& t : *m.TextureList()) t->setFile(modkit::locateTextureFile(t->bitmap(), dir.path(), {}));
    std::unique_ptr<modkit::EglOffscreenSurface> surface;
    try {
        surface = std::make_unique<modkit::EglOffscreenSurface>(kSide, kSide);
    } catch (const modkit::Error& e) {
        FAIL() << "no offscreen OpenGL context: " << e.description();
    }
    modkit::OpenGLPreviewObject gl;
    gl.initOpenGL(*surface);

    // The middle of the picture, seen from straight above: the roof.
    auto roof = [&](const modkit::WalkState* s) {
        m.glPreparepreview(gl, s);
        m.glDrawMDL(0, 0, 0, 0, kSide, kSide, *surface, 60);
        const std::vector<uint8_t> px = surface->readPixelsRGB();
        const size_t i = (static_cast<size_t>(kSide / 2) * kSide + kSide / 2) * 3;
        return Rgb{px[i], px[i + 1], px[i + 2]};
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
         [](Rgb c) { return c == Rgb{255, 255, 255}; }},
    };
    for (const Case& c : cases) {
        modkit::WalkState s;
        c.set(s);
        const Rgb got = roof(&s);
        EXPECT_TRUE(c.expected(got)) << c.name << ": " << got[0] << "," << got[1] << "," << got[2];
    }
}
