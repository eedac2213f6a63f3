#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "modkit/bgl/WalkState.h"
#include "preview/PreviewTicker.h"

class QSlider;
class QTimer;
class QLabel;

namespace modkit {
class MDLObject;
}

namespace fettle {

class PreviewSurface;
class PreviewStatePanel;

// The 3-D preview window: mouse drags turn (right button) and pan (left
// button) the model, the slider zooms, and a 100 ms timer draws while the view changes.
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
