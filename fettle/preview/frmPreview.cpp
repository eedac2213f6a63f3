#include "preview/frmPreview.h"

#include <QAction>
#include <QCloseEvent>
#include <QWheelEvent>
#include <cmath>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "modkit/core/MDLObject.h"
#include "modkit/core/Error.h"
#include "modkit/preview/ViewCamera.h"
#include "preview/PreviewStatePanel.h"
#include "preview/PreviewSurface.h"
#include "shell/Dialogs.h"

namespace fettle {

frmPreview::frmPreview(ModelSource currentModel, QWidget* parent)
    : QWidget(parent), currentModel_(std::move(currentModel)) {
    setObjectName("frmPreview");
    setWindowTitle("Object preview");
    picPreview_ = new PreviewSurface(this);
    sldZoom_ = new QSlider(Qt::Horizontal, this);
    sldZoom_->setObjectName("sldZoom");
    sldZoom_->setAccessibleName("Zoom");
    sldZoom_->setRange(10, 250);
    sldZoom_->setValue(100);
    sldZoom_->setAccessibleName("Zoom");
    picPreview_->setAccessibleName("Object preview");
    picPreview_->setFocusPolicy(Qt::StrongFocus);
    auto* label = new QLabel("Zoom:", this);
    label->setObjectName("Label1");
    label->setBuddy(sldZoom_);
    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(label);
    zoomRow->addWidget(sldZoom_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picPreview_, 1);
    layout->addLayout(zoomRow);
    statePanel_ = new PreviewStatePanel(this);
    layout->addWidget(statePanel_);
    connect(statePanel_, &PreviewStatePanel::stateChanged, this, &frmPreview::stateChosen);
    resize(520, 460);

    timer_ = new QTimer(this);
    timer_->setObjectName("timerPreview");
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &frmPreview::timerPreview_Timer);
    timer_->start();

    // A zoom change or a new frame buffer asks for one frame; the view stays.
    connect(sldZoom_, &QSlider::valueChanged, this, &frmPreview::zoomChanged);
    frame_ = new QAction("&Frame model", this);
    frame_->setObjectName("mFrameModel");
    frame_->setShortcuts({QKeySequence(Qt::Key_Home), QKeySequence(Qt::Key_F)});
    connect(frame_, &QAction::triggered, this, [this] { ticker_.frameModel(); });
    picPreview_->addAction(frame_);
    static const char* const presetNames[4][3] = {{"mViewOblique", "&Default view", "0"},
                                                  {"mViewTop", "&Top view", "7"},
                                                  {"mViewFront", "F&ront view", "1"},
                                                  {"mViewSide", "&Side view", "3"}};
    for (int i = 0; i < 4; ++i) {
        auto* a = new QAction(presetNames[i][1], this);
        a->setObjectName(presetNames[i][0]);
        a->setShortcut(QKeySequence(presetNames[i][2]));
        const auto preset = static_cast<PreviewTicker::Preset>(i);
        connect(a, &QAction::triggered, this, [this, preset] { ticker_.showPreset(preset); });
        picPreview_->addAction(a);
        presets_.append(a);
    }
    // Only while the picture has the focus: the state panel's boxes take digits.
    for (QAction* a : picPreview_->actions()) a->setShortcutContext(Qt::WidgetShortcut);
    connect(picPreview_, &PreviewSurface::wheelTurned, this, [this](QWheelEvent* e) {
        const float steps = static_cast<float>(e->angleDelta().y()) / 120;
        if (steps == 0) return;
        const float dpr = static_cast<float>(picPreview_->devicePixelRatioF());
        ticker_.wheel(std::pow(1.2f, steps), static_cast<float>(e->position().x()) * dpr,
                      static_cast<float>(e->position().y()) * dpr, static_cast<float>(picPreview_->pixelWidth()),
                      static_cast<float>(picPreview_->pixelHeight()));
        const QSignalBlocker block(sldZoom_);
        sldZoom_->setValue(qRound(ticker_.view().zoom()));
    });
    connect(picPreview_, &PreviewSurface::frameLost, this, [this] { ticker_.requestFrame(); });
    connect(picPreview_, &PreviewSurface::mousePressed, this, [this](QMouseEvent* e) {
        ticker_.mouseDown(static_cast<float>(e->position().x()), static_cast<float>(e->position().y()));
    });
    connect(picPreview_, &PreviewSurface::mouseMoved, this, [this](QMouseEvent* e) {
        int buttons = (e->buttons() & Qt::LeftButton ? 1 : 0) + (e->buttons() & Qt::RightButton ? 2 : 0) +
                      (e->buttons() & Qt::MiddleButton ? 4 : 0) +
                      (e->buttons() & ~(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton) ? 8 : 0);
        ticker_.mouseMove(buttons, static_cast<float>(e->position().x()), static_cast<float>(e->position().y()),
                          static_cast<float>(picPreview_->width()), static_cast<float>(picPreview_->height()));
    });
    connect(picPreview_, &PreviewSurface::mouseReleased, this, [this](QMouseEvent*) { ticker_.mouseUp(); });
}

void frmPreview::setSuspended(bool s) {
    suspended_ = s;
    picPreview_->setPaused(s);
}

void frmPreview::setCaption(const std::string& title) { setWindowTitle(QString::fromStdString(title)); }

bool frmPreview::modelReady() const {
    if (suspended_) return false;
    auto m = currentModel_();
    return m && m->Loaded();
}

const modkit::WalkState* frmPreview::stateFor(const modkit::MDLObject& m) {
    statePanel_->setModel(m.BGLCommandList().get());
    state_ = statePanel_->state();
    return state_ ? &*state_ : nullptr;
}

void frmPreview::stateChosen() {
    state_ = statePanel_->state();
    auto m = currentModel_();
    if (!modelReady() || !picPreview_->makeCurrent()) return;
    setSuspended(true);
    try {
        m->glGenerateDrawList(state_ ? &*state_ : nullptr);
    } catch (const modkit::Error& e) {
        // A stream that loops or jumps outside itself under this state: nothing is drawn.
        setSuspended(false);
        showErrorBox("Fettle II error", "Error " + std::to_string(e.number()) + " (" + e.description() +
                                            ") in procedure stateChosen of Form frmPreview");
        ticker_.requestFrame();
        return;
    }
    setSuspended(false);
    ticker_.requestFrame();
}

void frmPreview::drawMDLOnce() {
    ticker_.drawMDLOnce();
    const QSignalBlocker block(sldZoom_);
    sldZoom_->setValue(100);
}

void frmPreview::zoomChanged(int value) {
    ticker_.camera().setZoom(static_cast<float>(value));
    ticker_.requestFrame();
}

void frmPreview::frameIfAsked() {
    if (!modelReady() || ticker_.disabled() || !ticker_.takeFrameRequest()) return;
    const float w = static_cast<float>(picPreview_->pixelWidth()), h = static_cast<float>(picPreview_->pixelHeight());
    ticker_.camera().frame(currentModel_()->viewPoints(), h > 0 ? w / h : 1);
    const QSignalBlocker block(sldZoom_);
    sldZoom_->setValue(100);
}

void frmPreview::draw(const PreviewView& v) {
    auto m = currentModel_();
    if (!picPreview_->makeCurrent()) return;
    if (drawer_) {
        drawer_(v);
        ++frames_;
        return;
    }
    m->glDrawView(v, static_cast<float>(picPreview_->pixelWidth()), static_cast<float>(picPreview_->pixelHeight()),
                  *picPreview_);
    ++frames_;
}

void frmPreview::timerPreview_Timer() {
    frameIfAsked();
    auto r = ticker_.tick(modelReady(), picPreview_->previewObject().openGLInit(), [this](const PreviewView& v) { draw(v); });
    if (r != PreviewTicker::Result::Failed) return;
    // The message box runs its own event loop; ticks meanwhile find the preview disabled.
    showErrorBox("Fettle II", "Error in procedure timerPreview_Timer of Form frmPreview");
    Q_EMIT previewDisabled();
}

bool frmPreview::event(QEvent* e) {
    // Coming to the front shows the model at once, in the view it had.
    if (e->type() == QEvent::WindowActivate && modelReady() && !ticker_.disabled()) ticker_.requestFrame();
    return QWidget::event(e);
}

void frmPreview::closeEvent(QCloseEvent* e) {
    e->accept();
    Q_EMIT closed();
}

}  // namespace fettle
