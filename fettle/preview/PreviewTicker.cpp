#include "preview/PreviewTicker.h"

#include <exception>
#include <utility>

namespace fettle {

float wrapAngle(float angle, float step) {
    angle += step;
    if (angle > 180) angle -= 360;
    if (angle < -180) angle += 360;
    return angle;
}

void PreviewTicker::mouseDown(float x, float y) {
    refX_ = panX_ = x;
    refY_ = panY_ = y;
}

void PreviewTicker::mouseMove(int buttons, float x, float y, float pictureWidth, float pictureHeight) {
    curX_ = x;
    curY_ = y;
    if (pictureWidth <= 0) return;
    const float k = 32.0f / pictureWidth;
    if (buttons == static_cast<int>(Button::Right)) {
        headingStep_ = 2 * (x - refX_) * k;
        pitchStep_ = 2 * (y - refY_) * k;
        redraw_ = true;
    } else if (buttons == static_cast<int>(Button::Left) || buttons == static_cast<int>(Button::Middle)) {
        // The picture follows the mouse from event to event.
        view_.pan(x - panX_, y - panY_, pictureHeight > 0 ? pictureHeight : pictureWidth);
        redraw_ = true;
    }
    panX_ = x;
    panY_ = y;
}

void PreviewTicker::mouseUp() {
    redraw_ = false;
    refX_ = refY_ = curX_ = curY_ = panX_ = panY_ = 0;
}

void PreviewTicker::wheel(float factor, float x, float y, float pictureWidth, float pictureHeight) {
    view_.zoomAt(factor, x, y, pictureWidth, pictureHeight);
    drawOnce_ = true;
}

void PreviewTicker::showPreset(Preset preset) {
    static const float angles[4][2] = {{45, -75}, {0, 0}, {0, -90}, {-90, -90}};
    const auto i = static_cast<size_t>(preset);
    view_.heading = angles[i][0];
    view_.pitch = angles[i][1];
    frameModel();
}

void PreviewTicker::frameModel() {
    headingStep_ = pitchStep_ = 0;
    refX_ = refY_ = 0;
    frame_ = true;
    drawOnce_ = true;
}

bool PreviewTicker::takeFrameRequest() { return std::exchange(frame_, false); }

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
