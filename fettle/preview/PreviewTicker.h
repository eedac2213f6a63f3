#pragma once
#include <functional>
#include <string>

namespace fettle {

struct PreviewView {
    float heading = 45, pitch = -75, panX = 0, panY = 0;
};

// The preview window's view state and its 100 ms tick, without widgets.
// Mouse positions are in the picture's pixels.
class PreviewTicker {
public:
    enum class Button { None = 0, Left = 1, Right = 2 };
    enum class Result { Nothing, Drew, Failed };

    void mouseDown(float x, float y);
    // buttons: the sum of the held buttons' values (1 left, 2 right).
    void mouseMove(int buttons, float x, float y, float pictureWidth);
    void mouseUp();
    // Slider change or resize: frames are drawn at each tick until the next button release.
    void requestRedraw() { redraw_ = true; }
    // One frame at the next tick, in the current view.
    void requestFrame() { drawOnce_ = true; }
    // Default view and one frame at the next tick (the window sets the zoom to 100).
    void drawMDLOnce();

    // One tick. modelReady: a current model whose preview is built; glReady: the
    // context is up. draw may throw; the first failure disables the preview for good.
    Result tick(bool modelReady, bool glReady, const std::function<void(const PreviewView&)>& draw);

    const PreviewView& view() const { return view_; }
    bool redraw() const { return redraw_; }
    bool drawOnceRequested() const { return drawOnce_; }
    bool disabled() const { return disabled_; }
    float headingStep() const { return headingStep_; }
    float pitchStep() const { return pitchStep_; }
    const std::string& lastError() const { return lastError_; }

private:
    PreviewView view_;
    float headingStep_ = 0, pitchStep_ = 0;
    float refX_ = 0, refY_ = 0, curX_ = 0, curY_ = 0;
    bool redraw_ = false, drawOnce_ = false, disabled_ = false;
    std::string lastError_;
};

// Adds a step and folds the angle back into -180..180.
float wrapAngle(float angle, float step);

}  // namespace fettle
