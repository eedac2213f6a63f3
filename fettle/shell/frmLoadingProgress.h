#pragma once
#include <QDialog>
#include <vector>

class QLabel;
class QProgressBar;
class QTimer;

namespace modkit {
class MDLObject;
}

namespace fettle {

// Shown while a model loads; its timer shows the model's LoadingStatus.
class frmLoadingProgress : public QDialog {
    Q_OBJECT
public:
    explicit frmLoadingProgress(QWidget* parent = nullptr);

    // The model being loaded (not owned; nullptr when none).
    void setModel(const modkit::MDLObject* model) { model_ = model; }
    void start();
    // One timer step: advances the running bar and shows the status.
    void LoadingTimer_Timer();
    // Shows the model's status now (the event pump calls it, so no status is missed).
    void showStatus();
    // Every status shown since start(), in order, each once.
    const std::vector<int>& shownStatuses() const { return shown_; }

    static const char* statusText(int status);

protected:
    void hideEvent(QHideEvent* e) override;

private:
    const modkit::MDLObject* model_ = nullptr;
    QLabel* lblLoading_;
    QProgressBar* pgrLoading_;
    QProgressBar* pgrStatus_;
    QTimer* timer_;
    std::vector<int> shown_;
};

}  // namespace fettle
