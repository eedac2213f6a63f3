#include "editors/ToolWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>

#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "shell/Dialogs.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

#include <utility>

namespace fettle {

ToolWindow::ToolWindow(Form1& form, const char* objectName, const char* caption, const char* menuItem)
    : QWidget(&form, Qt::Window), form_(form), menuItem_(menuItem) {
    setObjectName(objectName);
    setWindowTitle(caption);
    connect(&form, &Form1::modelLoaded, this, [this] {
        newModel_ = true;
        modelLoaded();
    });
    connect(&form, &Form1::modelChanged, this, [this](uint32_t parts) {
        const bool newModel = std::exchange(newModel_, false);
        if (!isVisible() || applying_ || !(parts & shownParts())) return;
        if (!newModel && hasUnappliedWork()) {
            if (canKeepUnappliedWork()) {
                form_.log().addLogWarning(windowTitle().toStdString() +
                                          ": the model changed; the edits not yet applied are kept");
                return;
            }
            form_.log().addLogWarning(windowTitle().toStdString() +
                                      ": the model changed under the edits not yet applied; they were dropped");
        }
        refresh();
    });
}

modkit::MDLObject* ToolWindow::model() const {
    if (form_.isBusy()) return nullptr;
    return form_.currentModel().get();
}

EditOutcome ToolWindow::change(const std::string& label, const std::string& mergeKey,
                               const std::function<void(modkit::MDLObject&)>& f, uint32_t parts) {
    if (!model()) return EditOutcome::refused;
    applying_ = true;
    EditOutcome outcome = EditOutcome::refused;
    try {
        outcome = form_.applyModelChange(label, mergeKey, f, parts);
    } catch (const modkit::Error& e) {
        showEditorError(e);
    } catch (const std::exception& e) {
        showEditorError(modkit::Error(modkit::err::InvalidCall, "Fettle", e.what()));
    }
    applying_ = false;
    // A failed change put the model back as it was: show that.
    if (outcome == EditOutcome::refused) refresh();
    return outcome;
}

void ToolWindow::showEvent(QShowEvent* e) {
    // A window restored from the task bar keeps what is typed in it; it followed
    // every change of the model meanwhile.
    if (!e->spontaneous()) refresh();
    QWidget::showEvent(e);
}

void ToolWindow::closeEvent(QCloseEvent* e) {
    if (menuItem_)
        if (QAction* a = form_.action(menuItem_)) a->setChecked(false);
    QWidget::closeEvent(e);
}

void ToolWindow::keyPressEvent(QKeyEvent* e) {
    // Reaches here only when the control with the focus had no use for the key.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        if (!hasUnappliedWork() ||
            dialogs().messageBox("Fettle II", windowTitle().toStdString() +
                                                  " holds edits not yet applied to the model. Close it and drop them?",
                                 MsgIcon::Question, MsgButtons::YesNo) == MsgAnswer::Yes)
            close();
        return;
    }
    // Undo and Redo reach the model's history from here too when no shortcut took them.
    if (e->matches(QKeySequence::Undo)) {
        form_.undo();
        return;
    }
    if (e->matches(QKeySequence::Redo) || e->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y)) {
        form_.redo();
        return;
    }
    QWidget::keyPressEvent(e);
}

void showEditorError(const modkit::Error& e) {
    showErrorBox("Fettle II error", "Error " + std::to_string(e.number()) + " (" + e.description() + ")");
}

}  // namespace fettle
