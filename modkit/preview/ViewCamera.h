#pragma once
// The preview's camera as plain numbers: no window, no GL. It works in the
// draw list's space (a vertex x, y, z is drawn at x, z, y: the up axis is the
// third), turns about its target by heading and pitch, and looks at it from
// distance along a 60-degree vertical field of view. Picture positions are
// pixels with the origin at the top left.
#include <array>
#include <optional>
#include <vector>

#include "modkit/core/Export.h"

namespace modkit {

struct ViewPoint {
    float x = 0, y = 0, z = 0;
};

// Where the draw list puts a model vertex.
inline ViewPoint drawSpace(float x, float y, float z) { return {x, z, y}; }

struct PicturePoint {
    float x = 0, y = 0;
};

class MODKIT_EXPORT ViewCamera {
public:
    static constexpr float fieldOfView = 60;  // vertical, degrees
    // The zoom percentages the program's slider offers (100: the framed view).
    static constexpr float minZoom = 10, maxZoom = 250;

    float heading = 45, pitch = -75;  // degrees
    ViewPoint target;
    float distance = 1;

    // Column-major 4x4 matrices, as glLoadMatrixf takes them.
    std::array<float, 16> viewMatrix() const;
    std::array<float, 16> projectionMatrix(float aspect) const;
    // The picture position of p; none when p is at or behind the eye.
    std::optional<PicturePoint> project(const ViewPoint& p, float width, float height) const;
    // The point of the plane through the target, facing the eye, seen at pixel (x, y).
    ViewPoint pointAt(float x, float y, float width, float height) const;

    // Moves the picture by (dx, dy) pixels: what lies at the target's depth follows the mouse.
    void pan(float dx, float dy, float height);
    // Comes closer by factor (below 1: goes away), keeping the point under
    // pixel (x, y) there. The distance stays within the zoom range.
    void zoomAt(float factor, float x, float y, float width, float height);
    // Sets the distance for a zoom percentage of the framed distance; the target stays.
    void setZoom(float percent);
    float zoom() const { return 100 * framedDistance_ / distance; }

    // Aims at the middle of points and comes as close as lets every one of them
    // lie inside the picture, margin being the share of the picture they may
    // fill (heading and pitch stay). Points that are not finite are skipped;
    // without any, a unit box at the origin is framed. This distance is zoom 100.
    void frame(const std::vector<ViewPoint>& points, float aspect, float margin = 0.85f);

private:
    // Rows: the eye's right, up and backward axes in draw space.
    std::array<std::array<double, 3>, 3> axes() const;

    float framedDistance_ = 1;
    ViewPoint sceneCentre_;
    float sceneRadius_ = 1;
};

}  // namespace modkit
