#include "shell/frmLoadingProgress.h"

#include <QHideEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "modkit/core/MDLObject.h"

namespace fettle {

frmLoadingProgress::frmLoadingProgress(QWidget* parent) : QDialog(parent) {
    setObjectName("frmLoadingProgress");
    setWindowTitle("Loading Progress");
    setModal(false);
    auto* label = new QLabel("Fettle II is loading the selected MDL file, please wait for the loading to be ready.", this);
    label->setObjectName("Label1");
    label->setWordWrap(true);
    lblLoading_ = new QLabel(this);
    lblLoading_->setObjectName("lblLoading");
    pgrLoading_ = new QProgressBar(this);
    pgrLoading_->setObjectName("pgrLoading");
    pgrLoading_->setAccessibleName("Loading");
    pgrLoading_->setRange(0, 100);
    pgrLoading_->setTextVisible(false);
    pgrStatus_ = new QProgressBar(this);
    pgrStatus_->setObjectName("pgrStatus");
    pgrStatus_->setAccessibleName("Loading stage");
    pgrStatus_->setRange(0, 5);
    pgrStatus_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(pgrLoading_);
    layout->addWidget(lblLoading_);
    layout->addWidget(pgrStatus_);
    timer_ = new QTimer(this);
    timer_->setObjectName("LoadingTimer");
    timer_->setInterval(50);
    connect(timer_, &QTimer::timeout, this, &frmLoadingProgress::LoadingTimer_Timer);
    resize(420, 140);
}

const char* frmLoadingProgress::statusText(int status) {
    static const char* const texts[] = {
        "Currently loading the MDL headers",     "Currently loading the material list",
        "Currently loading the texture list",    "Currently loading the vertex list",
        "Currently loading the BGL command list", "Currently generating the OpenGL draw lists",
    };
    return status >= 0 && status <= 5 ? texts[status] : "";
}

void frmLoadingProgress::start() {
    pgrLoading_->setValue(0);
    pgrStatus_->setValue(0);
    shown_.clear();
    showStatus();
    timer_->start();
}

void frmLoadingProgress::showStatus() {
    if (!model_) return;
    int s = static_cast<int>(model_->LoadingStatus());
    pgrStatus_->setValue(s);
    lblLoading_->setText(statusText(s));
    if (shown_.empty() || shown_.back() != s) shown_.push_back(s);
}

void frmLoadingProgress::LoadingTimer_Timer() {
    int v = pgrLoading_->value() + 1;
    pgrLoading_->setValue(v > 100 ? 0 : v);
    showStatus();
}

}  // namespace fettle

namespace fettle {
void frmLoadingProgress::hideEvent(QHideEvent* e) {
    timer_->stop();
    QDialog::hideEvent(e);
}
}  // namespace fettle
