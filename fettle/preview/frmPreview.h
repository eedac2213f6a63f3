#pragma once
#include <QList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "modkit/bgl/WalkState.h"
#include "preview/PreviewTicker.h"

class QAction;
class QSlider;
class QTimer;
class QLabel;

namespace modkit {
class MDLObject;
}

namespace fettle {

class PreviewSurface;
class PreviewStatePanel;

// The 3-D preview: the right button turns the model, the left or middle button
// pans it with the mouse, the wheel and the slider zoom, and a 100 ms timer
// draws while the view changes. The main window holds it as its central area.
class frmPreview : public QWidget {
    Q_OBJECT
public:
    using ModelSource = std::function<std::shared_ptr<modkit::MDLObject>()>;

    explicit frmPreview(ModelSource currentModel, QWidget* parent = nullptr);

    PreviewSurface& openGLPreviewObject() { return *picPreview_; }
    void drawMDLOnce();
    // While a model is being built nothing is drawn (its draw list is being compiled).
    void setSuspended(bool s);
    void setCaption(const std::string& title);
    void timerPreview_Timer();

    PreviewTicker& ticker() { return ticker_; }
    // "Frame model" (Home, F) and the view presets; their shortcuts work while
    // the picture has the focus.
    QAction* frameAction() const { return frame_; }
    const QList<QAction*>& presetActions() const { return presets_; }
    // Replaces the library's drawing (tests make a frame fail with it).
    void setFrameDrawer(std::function<void(const PreviewView&)> d) { drawer_ = std::move(d); }
    QSlider& sldZoom() { return *sldZoom_; }
    PreviewStatePanel& statePanel() { return *statePanel_; }
    // The state to build m's preview under (null: every triangle); the state
    // panel offers the variables m tests.
    const modkit::WalkState* stateFor(const modkit::MDLObject& m);
    int framesDrawn() const { return frames_; }

Q_SIGNALS:
    void closed();
    // The preview was switched off after a drawing error.
    void previewDisabled();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

private:
    bool modelReady() const;
    void draw(const PreviewView& v);
    // The state panel changed: the current model's draw list is built anew.
    void stateChosen();
    void zoomChanged(int value);
    // Frames the model when that was asked for (it needs the picture's shape).
    void frameIfAsked();

    QAction* frame_ = nullptr;
    QList<QAction*> presets_;

    ModelSource currentModel_;
    PreviewTicker ticker_;
    PreviewSurface* picPreview_;
    QSlider* sldZoom_;
    PreviewStatePanel* statePanel_;
    std::optional<modkit::WalkState> state_;
    QTimer* timer_;
    std::function<void(const PreviewView&)> drawer_;
    bool suspended_ = false;
    int frames_ = 0;
};

}  // namespace fettle
