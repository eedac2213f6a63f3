#pragma once
#include <functional>
#include <string>

#include "modkit/preview/ViewCamera.h"

namespace fettle {

// What a frame is drawn from.
using PreviewView = modkit::ViewCamera;

// The preview window's view state and its 100 ms tick, without widgets.
// Mouse positions are in the picture's pixels.
class PreviewTicker {
public:
    enum class Button { None = 0, Left = 1, Right = 2, Middle = 4 };
    enum class Result { Nothing, Drew, Failed };
    enum class Preset { Oblique, Top, Front, Side };

    void mouseDown(float x, float y);
    // buttons: the sum of the held buttons' values (1 left, 2 right, 4 middle).
    // Right turns the view; left or middle pans it in the picture's plane.
    // pictureHeight 0: a square picture.
    void mouseMove(int buttons, float x, float y, float pictureWidth, float pictureHeight = 0);
    void mouseUp();
    // Comes closer by factor towards picture position (x, y); one frame follows.
    void wheel(float factor, float x, float y, float pictureWidth, float pictureHeight);
    // Slider change or resize: frames are drawn at each tick until the next button release.
    void requestRedraw() { redraw_ = true; }
    // One frame at the next tick, in the current view.
    void requestFrame() { drawOnce_ = true; }
    // Default view and one frame at the next tick, which frames the model.
    void drawMDLOnce() { showPreset(Preset::Oblique); }
    // A preset direction, the whole model framed at the next tick.
    void showPreset(Preset preset);
    // The whole model framed at the next tick, from the current direction.
    void frameModel();
    // True once after a framing was asked for: the window frames the model then.
    bool takeFrameRequest();

    // One tick. modelReady: a current model whose preview is built; glReady: the
    // context is up. draw may throw; the first failure disables the preview for good.
    Result tick(bool modelReady, bool glReady, const std::function<void(const PreviewView&)>& draw);

    const PreviewView& view() const { return view_; }
    PreviewView& camera() { return view_; }
    bool redraw() const { return redraw_; }
    bool drawOnceRequested() const { return drawOnce_; }
    bool disabled() const { return disabled_; }
    float headingStep() const { return headingStep_; }
    float pitchStep() const { return pitchStep_; }
    const std::string& lastError() const { return lastError_; }

private:
    PreviewView view_;
    float headingStep_ = 0, pitchStep_ = 0;
    float refX_ = 0, refY_ = 0, curX_ = 0, curY_ = 0, panX_ = 0, panY_ = 0;
    bool redraw_ = false, drawOnce_ = false, disabled_ = false, frame_ = false;
    std::string lastError_;
};

// Adds a step and folds the angle back into -180..180.
float wrapAngle(float angle, float step);

}  // namespace fettle
