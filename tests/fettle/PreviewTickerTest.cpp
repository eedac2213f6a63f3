#include <gtest/gtest.h>

#include "preview/PreviewTicker.h"

using fettle::PreviewTicker;

namespace {
struct Frames {
    std::vector<fettle::PreviewView> drawn;
    std::function<void(const fettle::PreviewView&)> fn() {
        return [this](const fettle::PreviewView& v) { drawn.push_back(v); };
    }
};
}  // namespace

TEST(PreviewTicker, DrawOnceDrawsOneFrameInTheDefaultViewThenIdlesAndARightDragTurns) {
    PreviewTicker t;
    Frames f;
    t.mouseDown(10, 10);
    t.mouseMove(2, 50, 10, 100);
    t.drawMDLOnce();
    EXPECT_EQ(t.tick(false, true, f.fn()), PreviewTicker::Result::Nothing);  // no model yet
    EXPECT_EQ(t.tick(true, false, f.fn()), PreviewTicker::Result::Nothing);  // no context yet
    EXPECT_EQ(t.tick(true, true, f.fn()), PreviewTicker::Result::Drew);
    ASSERT_EQ(f.drawn.size(), 1u);
    EXPECT_FLOAT_EQ(f.drawn[0].heading, 45);  // a pending drag step is dropped
    EXPECT_FLOAT_EQ(f.drawn[0].pitch, -75);
    t.tick(true, true, f.fn());
    t.tick(true, true, f.fn());
    EXPECT_EQ(f.drawn.size(), 1u);
    EXPECT_FALSE(t.redraw());

    // A right drag turns by the steps once, then holds.
    t.mouseDown(0, 0);
    t.mouseMove(2, 400, 0, 400);  // the full width
    for (int i = 0; i < 2; ++i) {
        t.tick(true, true, f.fn());
        EXPECT_FLOAT_EQ(t.view().heading, 109);
    }
    EXPECT_EQ(f.drawn.size(), 3u);  // redraw stays on while the button is held
    t.mouseUp();
    t.tick(true, true, f.fn());
    EXPECT_EQ(f.drawn.size(), 3u);

    // Both buttons, or none: nothing.
    t.mouseDown(0, 0);
    t.mouseMove(3, 100, 100, 400);
    t.mouseMove(0, 100, 100, 400);
    EXPECT_FALSE(t.redraw());
    EXPECT_EQ(t.headingStep(), 0);
}

TEST(PreviewTicker, AnglesWrapAndLeftOrMiddleDragPansInThePicture) {
    EXPECT_FLOAT_EQ(fettle::wrapAngle(170, 20), -170);
    EXPECT_FLOAT_EQ(fettle::wrapAngle(-175, -10), 175);
    EXPECT_FLOAT_EQ(fettle::wrapAngle(180, 0), 180);

    // Left or middle drag pans in the picture's plane, event by event.
    PreviewTicker t;
    t.drawMDLOnce();
    t.mouseDown(0, 0);
    t.mouseMove(1, 32, 0, 64, 32);
    t.mouseMove(4, 40, 10, 64, 32);
    EXPECT_TRUE(t.redraw());
    modkit::ViewCamera expected;
    expected.pan(40, 10, 32);
    EXPECT_NEAR(t.view().target.x, expected.target.x, 1e-5);
    EXPECT_NEAR(t.view().target.y, expected.target.y, 1e-5);
    EXPECT_NEAR(t.view().target.z, expected.target.z, 1e-5);
}
