#pragma once
#include <QWidget>
#include <optional>
#include <vector>

#include "modkit/bgl/WalkState.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QSpinBox;

namespace modkit {
class BGLCommandList;
}

namespace fettle {

// The simulator state the preview shows the model under: time of day, season
// or day of the year, distance, scenery complexity, and every other variable
// the model tests (by its named values where the condition editor has them).
// Unchecked, the preview draws every triangle, whatever the conditions.
class PreviewStatePanel : public QWidget {
    Q_OBJECT
public:
    explicit PreviewStatePanel(QWidget* parent = nullptr);

    // The state chosen, or none while chkState is off.
    std::optional<modkit::WalkState> state() const;
    // Offers a control for each variable the model's tests read besides the
    // fixed ones (none for null); values already chosen are kept.
    void setModel(const modkit::BGLCommandList* commands);

    QCheckBox& chkState() { return *chkState_; }
    QComboBox& cmbTime() { return *cmbTime_; }
    QComboBox& cmbSeason() { return *cmbSeason_; }
    QSpinBox& txtDay() { return *txtDay_; }
    QSpinBox& txtDistance() { return *txtDistance_; }
    QComboBox& cmbComplexity() { return *cmbComplexity_; }
    // The control of a tested variable (a QComboBox or QSpinBox), or null.
    QWidget* variableControl(int32_t address) const;

Q_SIGNALS:
    // Any choice changed: the picture should follow.
    void stateChanged();

private:
    struct Extra {
        int32_t address;
        QWidget* control;
        QWidget* label;
    };
    void seasonChosen(int index);
    int32_t valueOf(const Extra& e) const;

    QCheckBox* chkState_;
    QComboBox* cmbTime_;
    QComboBox* cmbSeason_;
    QSpinBox* txtDay_;
    QSpinBox* txtDistance_;
    QComboBox* cmbComplexity_;
    QFormLayout* form_;
    QWidget* fields_;
    std::vector<Extra> extras_;
};

}  // namespace fettle
