#include "preview/PreviewTicker.h"

#include <cmath>
#include <exception>

namespace fettle {

float wrapAngle(float angle, float step) {
    angle += step;
    if (angle > 180) angle -= 360;
    if (angle < -180) angle += 360;
    return angle;
}

void PreviewTicker::mouseDown(float x, float y) {
    refX_ = x;
    refY_ = y;
}

void PreviewTicker::mouseMove(int buttons, float x, float y, float pictureWidth) {
    curX_ = x;
    curY_ = y;
    if (pictureWidth <= 0) return;
    const float k = 32.0f / pictureWidth;
    if (buttons == static_cast<int>(Button::Right)) {
        headingStep_ = 2 * (x - refX_) * k;
        pitchStep_ = 2 * (y - refY_) * k;
        redraw_ = true;
    } else if (buttons == static_cast<int>(Button::Left)) {
        const float a = view_.heading * 3.14159265358979f / 180;
        const float dx = x - refX_, dy = y - refY_;
        const float rx = dx * std::cos(a) - dy * std::sin(a);
        const float ry = dx * std::sin(a) + dy * std::cos(a);
        view_.panX += k * rx;
        view_.panY += k * ry;
        redraw_ = true;
    }
}

void PreviewTicker::mouseUp() {
    redraw_ = false;
    refX_ = refY_ = curX_ = curY_ = 0;
}

void PreviewTicker::drawMDLOnce() {
    view_ = PreviewView{};
    headingStep_ = pitchStep_ = 0;
    refX_ = refY_ = 0;
    drawOnce_ = true;
}

PreviewTicker::Result PreviewTicker::tick(bool modelReady, bool glReady,
                                          const std::function<void(const PreviewView&)>& draw) {
    if (!modelReady || disabled_) return Result::Nothing;
    if (drawOnce_) redraw_ = true;
    if (!glReady || !redraw_) return Result::Nothing;
    view_.heading = wrapAngle(view_.heading, headingStep_);
    view_.pitch = wrapAngle(view_.pitch, pitchStep_);
    headingStep_ = pitchStep_ = 0;
    refX_ = curX_;
    refY_ = curY_;
    try {
        draw(view_);
    } catch (const std::exception& e) {
        disabled_ = true;
        lastError_ = e.what();
        return Result::Failed;
    } catch (...) {
        disabled_ = true;
        lastError_ = "unknown error";
        return Result::Failed;
    }
    if (drawOnce_) {
        drawOnce_ = false;
        redraw_ = false;
    }
    return Result::Drew;
}

}  // namespace fettle
