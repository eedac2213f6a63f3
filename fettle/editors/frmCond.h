#pragma once
#include <memory>
#include <set>

#include "editors/ToolWindow.h"
#include "modkit/bgl/Conditions.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace modkit {
class Condition;
class ConditionList;
}  // namespace modkit

namespace fettle {

// "Condition manager": edits a working copy of the object's display conditions
// and hands it to the model on "Apply to object". Each showing starts again
// from the model's conditions.
class frmCond : public ToolWindow {
    Q_OBJECT
public:
    explicit frmCond(Form1& form);

    // The working copy (null when the model has none to edit).
    const modkit::ConditionList* conditions() const { return condList_.get(); }
    bool modified() const { return modified_; }

protected:
    // Reads the conditions of the current model afresh.
    void refresh() override;
    uint32_t shownParts() const override { return modkit::partCommands; }
    bool hasUnappliedWork() const override { return modified_; }
    void showEvent(QShowEvent* e) override;

private:
    void build();
    void refreshConditionList();
    void selectLine(int row);
    void showCondition(int row);
    void showHelp();
    void updateVisibility(int type);
    void updateNamedValues();
    void setEditingEnabled(bool on);
    int countVariableConditions() const;
    // Validates the fields and stores them into the shown condition; false
    // when they were refused.
    bool storeCurrentCondition();
    // The first field of a Between or mask condition that its rule refuses
    // (which field, what was typed, what it takes); empty when all are valid.
    std::string fieldRefusal(modkit::CondType type) const;
    void switchVarType(int index);
    void newCondition();
    void removeCondition();
    void apply();
    void updateOkButton();
    std::string valueText(int16_t value) const;

    std::shared_ptr<modkit::ConditionList> condList_;
    // Conditions whose fields were refused and not yet stored right: Apply
    // waits for them.
    std::set<const modkit::Condition*> refused_;
    int currentIndex_ = -1;
    bool ready_ = false;
    bool modified_ = false;
    bool storing_ = false;
    bool inApply_ = false;

    QListWidget* lstCond_;
    QPushButton* cmdNewCondition_;
    QPushButton* cmdRmvCondition_;
    QComboBox* cmbType_;
    QComboBox* cmbVar_;
    QLineEdit* txtVar_;
    QComboBox* cmbVarType_;
    QLineEdit* txtMin_;
    QLineEdit* txtMax_;
    QComboBox* cmbMinNamed_;
    QComboBox* cmbMaxNamed_;
    QComboBox* cmbMultiCond_;
    QPlainTextEdit* txtHelp_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    QLabel* lblVar_;
    QLabel* lblValue_;
    QLabel* lblMin_;
    QLabel* lblMax_;
    QLabel* lblMultiCond_;
};

}  // namespace fettle
