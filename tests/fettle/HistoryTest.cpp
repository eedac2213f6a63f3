#include <gtest/gtest.h>

#include <cmath>

#include "modkit/core/MDLObject.h"
#include "preview/PreviewTicker.h"
#include "shell/ModelHistory.h"

using fettle::ModelHistory;
using fettle::PreviewTicker;

namespace {
std::shared_ptr<modkit::MDLObject> model() { return std::make_shared<modkit::MDLObject>(); }
}  // namespace

TEST(ModelHistory, UndoRedoHandBackTheKeptModelsAndTrackTheSavedState) {
    ModelHistory h;
    auto a = model(), b = model(), c = model();
    EXPECT_FALSE(h.isModified());
    h.record("Remove shadow", "", a);  // a: the model before; the current one is now "b"
    EXPECT_TRUE(h.isModified());
    EXPECT_EQ(h.undoLabel(), "Remove shadow");
    auto back = h.undo(b);
    EXPECT_EQ(back, a);
    EXPECT_FALSE(h.isModified());
    EXPECT_TRUE(h.canRedo());
    EXPECT_EQ(h.redo(a), b);
    EXPECT_TRUE(h.isModified());
    h.markSaved();
    EXPECT_FALSE(h.isModified());
    EXPECT_EQ(h.undo(b), a);
    EXPECT_TRUE(h.isModified());  // the saved state is ahead now
    // A new change drops what could be redone.
    h.record("Fix BGL_LIGHT problem", "", a);
    EXPECT_FALSE(h.canRedo());
    EXPECT_TRUE(h.isModified());
    EXPECT_EQ(h.undo(c), a);
    EXPECT_FALSE(h.canUndo());
    EXPECT_EQ(h.undo(c), c);  // nothing to undo: unchanged
}

TEST(ModelHistory, TypingInOneFieldIsOneStepUntilSomethingElseHappens) {
    ModelHistory h;
    auto first = model();
    EXPECT_FALSE(h.merges("diffuse:1"));
    h.record("Edit colour", "diffuse:1", first);
    EXPECT_TRUE(h.merges("diffuse:1"));
    EXPECT_FALSE(h.merges("diffuse:2"));
    EXPECT_FALSE(h.merges(""));
    h.record("Edit colour", "diffuse:1", nullptr);
    h.record("Edit colour", "diffuse:1", nullptr);
    EXPECT_EQ(h.undoCount(), 1u);
    EXPECT_EQ(h.undo(model()), first);
    EXPECT_FALSE(h.isModified());

    // A save ends the step, so undo can come back to the saved state.
    h.record("Edit colour", "diffuse:1", model());
    h.markSaved();
    EXPECT_FALSE(h.merges("diffuse:1"));
}

TEST(ModelHistory, KeepsAtMostItsLimitAndTitles) {
    ModelHistory h(3);
    for (int i = 0; i < 5; ++i) h.record("step", "", model());
    EXPECT_EQ(h.undoCount(), 3u);

    // Large models keep fewer copies, but always the last one.
    auto big = model();
    for (int i = 0; i < 10; ++i) big->VertexList()->Add();
    ModelHistory small(50, 25);
    for (int i = 0; i < 4; ++i) small.record("step", "", big);
    EXPECT_EQ(small.undoCount(), 2u);
    ModelHistory tiny(50, 1);
    tiny.record("step", "", big);
    EXPECT_EQ(tiny.undoCount(), 1u);
    EXPECT_EQ(ModelHistory::windowTitle("", true), "Fettle II");
    EXPECT_EQ(ModelHistory::windowTitle("/a/b/House.mdl", false), "House.mdl - Fettle II");
    EXPECT_EQ(ModelHistory::windowTitle("/a/b/House.mdl", true), "House.mdl* - Fettle II");
}

namespace {
struct Frames {
    std::vector<fettle::PreviewView> drawn;
    std::function<void(const fettle::PreviewView&)> fn() {
        return [this](const fettle::PreviewView& v) { drawn.push_back(v); };
    }
};
}  // namespace

TEST(PreviewTicker, DrawOnceDrawsOneFrameInTheDefaultViewThenIdles) {
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
}

TEST(PreviewTicker, RightDragTurnsByTheStepsOnceThenHolds) {
    PreviewTicker t;
    Frames f;
    t.drawMDLOnce();
    t.tick(true, true, f.fn());
    t.mouseDown(0, 0);
    t.mouseMove(2, 400, 0, 400);  // the full width
    t.tick(true, true, f.fn());
    EXPECT_FLOAT_EQ(t.view().heading, 109);
    t.tick(true, true, f.fn());
    EXPECT_FLOAT_EQ(t.view().heading, 109);
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

TEST(PreviewTicker, AnglesWrapAndLeftDragPansAlongTheHeading) {
    EXPECT_FLOAT_EQ(fettle::wrapAngle(170, 20), -170);
    EXPECT_FLOAT_EQ(fettle::wrapAngle(-175, -10), 175);
    EXPECT_FLOAT_EQ(fettle::wrapAngle(180, 0), 180);

    PreviewTicker t;
    Frames f;
    t.drawMDLOnce();  // heading 45
    t.mouseDown(0, 0);
    t.mouseMove(1, 32, 0, 32);  // k = 1
    EXPECT_NEAR(t.view().panX, 32 * std::cos(3.14159265f / 4), 1e-4);
    EXPECT_NEAR(t.view().panY, 32 * std::sin(3.14159265f / 4), 1e-4);
    // Each move before the tick adds the whole offset since the last tick.
    t.mouseMove(1, 32, 0, 32);
    EXPECT_NEAR(t.view().panX, 64 * std::cos(3.14159265f / 4), 1e-4);
    t.tick(true, true, f.fn());
    t.mouseMove(1, 32, 0, 32);
    EXPECT_NEAR(t.view().panX, 64 * std::cos(3.14159265f / 4), 1e-4);
}

TEST(PreviewTicker, AFailedFrameDisablesThePreviewForGood) {
    PreviewTicker t;
    int calls = 0;
    t.drawMDLOnce();
    auto r = t.tick(true, true, [&](const fettle::PreviewView&) {
        ++calls;
        throw std::runtime_error("no context");
    });
    EXPECT_EQ(r, PreviewTicker::Result::Failed);
    EXPECT_TRUE(t.disabled());
    EXPECT_EQ(t.lastError(), "no context");
    t.drawMDLOnce();
    t.requestRedraw();
    EXPECT_EQ(t.tick(true, true, [&](const fettle::PreviewView&) { ++calls; }), PreviewTicker::Result::Nothing);
    EXPECT_EQ(calls, 1);
}
