#include <gtest/gtest.h>

#include <cmath>

#include "modkit/preview/ViewCamera.h"

using modkit::ViewCamera;
using modkit::ViewPoint;

namespace {

constexpr float kW = 640, kH = 400;

// A long low shed off the origin, in draw space (up is the third axis).
std::vector<ViewPoint> shed() {
    std::vector<ViewPoint> p;
    for (float x : {40.f, 70.f})
        for (float y : {-5.f, 5.f})
            for (float z : {0.f, 3.f}) p.push_back({x, y, z});
    return p;
}

struct View {
    float heading, pitch;
};

class ViewCameraTest : public ::testing::TestWithParam<View> {
protected:
    ViewCamera cam() const {
        ViewCamera c;
        c.heading = GetParam().heading;
        c.pitch = GetParam().pitch;
        c.frame(shed(), kW / kH);
        return c;
    }
};

TEST_P(ViewCameraTest, FrameAllPutsEveryVertexInsideThePicture) {
    ViewCamera c = cam();
    float left = kW, right = 0, top = kH, bottom = 0;
    for (const ViewPoint& p : shed()) {
        auto s = c.project(p, kW, kH);
        ASSERT_TRUE(s);
        left = std::min(left, s->x), right = std::max(right, s->x), top = std::min(top, s->y), bottom = std::max(bottom, s->y);
    }
    EXPECT_TRUE(left > 0 && right < kW && top > 0 && bottom < kH) << left << " " << right << " " << top << " " << bottom;
    EXPECT_NEAR(c.zoom(), 100, 1e-3);
    // Not lost in the distance either: the model spans a good part of the picture.
    EXPECT_GT(std::max((right - left) / kW, (bottom - top) / kH), 0.5f);
}

TEST_P(ViewCameraTest, PanMovesThePicturesCentreByTheMouseOffset) {
    ViewCamera c = cam();
    const ViewPoint centre = c.target;
    c.pan(37, -21, kH);
    auto s = c.project(centre, kW, kH);
    ASSERT_TRUE(s);
    EXPECT_NEAR(s->x, kW / 2 + 37, 0.05);
    EXPECT_NEAR(s->y, kH / 2 - 21, 0.05);
}

TEST_P(ViewCameraTest, WheelZoomKeepsThePointUnderTheCursor) {
    ViewCamera c = cam();
    for (float factor : {1.25f, 0.8f}) {
        const ViewPoint p = c.pointAt(500, 90, kW, kH);
        auto before = c.project(p, kW, kH);
        ASSERT_TRUE(before);
        EXPECT_NEAR(before->x, 500, 0.05);
        const float zoom = c.zoom();
        c.zoomAt(factor, 500, 90, kW, kH);
        EXPECT_NEAR(c.zoom(), zoom * factor, 1e-2);
        auto after = c.project(p, kW, kH);
        ASSERT_TRUE(after);
        EXPECT_NEAR(after->x, 500, 0.05);
        EXPECT_NEAR(after->y, 90, 0.05);
    }
}

INSTANTIATE_TEST_SUITE_P(Headings, ViewCameraTest,
                         ::testing::Values(View{45, -75}, View{0, 0}, View{0, -90}, View{-90, -90}, View{135, -60},
                                           View{270, -30}));

}  // namespace

TEST(ViewCamera, ZoomStaysWithinTheSlidersRangeAndSkipsNonNumbers) {
    ViewCamera c;
    c.frame({{0, 0, 0}, {1, 1, 1}, {NAN, 0, 0}}, 1);
    EXPECT_NEAR(c.target.x, 0.5f, 1e-5);
    c.zoomAt(100, 10, 10, 100, 100);
    EXPECT_NEAR(c.zoom(), ViewCamera::maxZoom, 1e-3);
    c.setZoom(1);
    EXPECT_NEAR(c.zoom(), ViewCamera::minZoom, 1e-3);
}
