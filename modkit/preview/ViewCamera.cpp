#include "modkit/preview/ViewCamera.h"

#include <algorithm>
#include <cmath>

namespace modkit {
namespace {

constexpr double kPi = 3.14159265358979323846;

double focal() { return 1.0 / std::tan(ViewCamera::fieldOfView * kPi / 360); }

bool finite(const ViewPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

std::array<std::array<double, 3>, 3> ViewCamera::axes() const {
    // The eye turns the scene by heading about the up axis, then by pitch about its own x axis.
    const double h = heading * kPi / 180, p = pitch * kPi / 180;
    const double ch = std::cos(h), sh = std::sin(h), cp = std::cos(p), sp = std::sin(p);
    return {{{ch, -sh, 0}, {cp * sh, cp * ch, -sp}, {sp * sh, sp * ch, cp}}};
}

std::array<float, 16> ViewCamera::viewMatrix() const {
    const auto r = axes();
    const double t[3] = {target.x, target.y, target.z};
    std::array<float, 16> m{};
    for (int row = 0; row < 3; ++row) {
        double dot = 0;
        for (int col = 0; col < 3; ++col) {
            m[static_cast<size_t>(col * 4 + row)] = static_cast<float>(r[row][col]);
            dot += r[row][col] * t[col];
        }
        m[static_cast<size_t>(12 + row)] = static_cast<float>(-dot);
    }
    m[14] -= distance;
    m[15] = 1;
    return m;
}

std::array<float, 16> ViewCamera::projectionMatrix(float aspect) const {
    // The clip planes hug the model, so that a 16-bit depth buffer keeps its precision.
    const auto r = axes();
    const double ex = target.x + distance * r[2][0] - sceneCentre_.x;
    const double ey = target.y + distance * r[2][1] - sceneCentre_.y;
    const double ez = target.z + distance * r[2][2] - sceneCentre_.z;
    const double toCentre = std::sqrt(ex * ex + ey * ey + ez * ez);
    const double reach = 1.5 * sceneRadius_ + 1e-3;
    const double far = toCentre + reach;
    const double near = std::max(toCentre - reach, far / 2000);
    const double f = focal();
    std::array<float, 16> m{};
    m[0] = static_cast<float>(f / (aspect > 0 ? aspect : 1));
    m[5] = static_cast<float>(f);
    m[10] = static_cast<float>((far + near) / (near - far));
    m[11] = -1;
    m[14] = static_cast<float>(2 * far * near / (near - far));
    return m;
}

std::optional<PicturePoint> ViewCamera::project(const ViewPoint& p, float width, float height) const {
    const auto r = axes();
    const double d[3] = {p.x - target.x, p.y - target.y, p.z - target.z};
    double e[3];
    for (int i = 0; i < 3; ++i) e[i] = r[i][0] * d[0] + r[i][1] * d[1] + r[i][2] * d[2];
    const double depth = distance - e[2];
    if (!(depth > 1e-9) || !(height > 0)) return std::nullopt;
    const double f = focal(), aspect = width / height;
    const double nx = f / aspect * e[0] / depth, ny = f * e[1] / depth;
    return PicturePoint{static_cast<float>((nx + 1) / 2 * width), static_cast<float>((1 - ny) / 2 * height)};
}

ViewPoint ViewCamera::pointAt(float x, float y, float width, float height) const {
    const auto r = axes();
    const double f = focal(), aspect = height > 0 ? width / height : 1;
    const double ex = (2.0 * x / width - 1) * distance * aspect / f;
    const double ey = (1 - 2.0 * y / height) * distance / f;
    return {static_cast<float>(target.x + ex * r[0][0] + ey * r[1][0]),
            static_cast<float>(target.y + ex * r[0][1] + ey * r[1][1]),
            static_cast<float>(target.z + ex * r[0][2] + ey * r[1][2])};
}

void ViewCamera::pan(float dx, float dy, float height) {
    if (!(height > 0)) return;
    const auto r = axes();
    // Model units per pixel at the target's depth.
    const double unit = 2 * distance / (focal() * height);
    target.x = static_cast<float>(target.x - r[0][0] * dx * unit + r[1][0] * dy * unit);
    target.y = static_cast<float>(target.y - r[0][1] * dx * unit + r[1][1] * dy * unit);
    target.z = static_cast<float>(target.z - r[0][2] * dx * unit + r[1][2] * dy * unit);
}

void ViewCamera::zoomAt(float factor, float x, float y, float width, float height) {
    if (!(factor > 0) || !std::isfinite(factor) || !(width > 0) || !(height > 0)) return;
    const float closest = framedDistance_ * 100 / maxZoom, farthest = framedDistance_ * 100 / minZoom;
    const float next = std::clamp(distance / factor, closest, farthest);
    const float keep = 1 - next / distance;
    // The eye slides along the ray through (x, y): the point there stays put.
    const ViewPoint p = pointAt(x, y, width, height);
    target = {target.x + (p.x - target.x) * keep, target.y + (p.y - target.y) * keep,
              target.z + (p.z - target.z) * keep};
    distance = next;
}

void ViewCamera::setZoom(float percent) {
    if (!(percent > 0)) return;
    distance = framedDistance_ * 100 / std::clamp(percent, minZoom, maxZoom);
}

void ViewCamera::frame(const std::vector<ViewPoint>& points, float aspect, float margin) {
    ViewPoint lo{INFINITY, INFINITY, INFINITY}, hi{-INFINITY, -INFINITY, -INFINITY};
    for (const ViewPoint& p : points) {
        if (!finite(p)) continue;
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    if (!(lo.x <= hi.x)) {
        lo = {-1, -1, -1};
        hi = {1, 1, 1};
    }
    sceneCentre_ = {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
    const double dx = hi.x - lo.x, dy = hi.y - lo.y, dz = hi.z - lo.z;
    sceneRadius_ = static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz) / 2);
    if (!(sceneRadius_ > 0)) sceneRadius_ = 1;
    target = sceneCentre_;

    const auto r = axes();
    const double ty = margin / focal(), tx = ty * (aspect > 0 ? aspect : 1);
    double need = 0, nearest = -INFINITY;
    auto fit = [&](const ViewPoint& p) {
        const double d[3] = {p.x - target.x, p.y - target.y, p.z - target.z};
        double e[3];
        for (int i = 0; i < 3; ++i) e[i] = r[i][0] * d[0] + r[i][1] * d[1] + r[i][2] * d[2];
        need = std::max(need, e[2] + std::max(std::abs(e[0]) / tx, std::abs(e[1]) / ty));
        nearest = std::max(nearest, e[2]);
    };
    bool any = false;
    for (const ViewPoint& p : points)
        if (finite(p)) {
            fit(p);
            any = true;
        }
    if (!any) {
        for (float x : {lo.x, hi.x})
            for (float y : {lo.y, hi.y})
                for (float z : {lo.z, hi.z}) fit({x, y, z});
    }
    // The nearest point stays in front of the eye.
    need = std::max(need, nearest + 0.05 * sceneRadius_);
    distance = static_cast<float>(need > 0 ? need : sceneRadius_);
    framedDistance_ = distance;
}

}  // namespace modkit
