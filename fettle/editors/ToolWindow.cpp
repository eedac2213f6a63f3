#include "editors/ToolWindow.h"

#include <QAction>
#include <QCloseEvent>

#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "shell/Dialogs.h"
#include "shell/Form1.h"

namespace fettle {

ToolWindow::ToolWindow(Form1& form, const char* objectName, const char* caption, const char* menuItem)
    : QWidget(&form, Qt::Window), form_(form), menuItem_(menuItem) {
    setObjectName(objectName);
    setWindowTitle(caption);
    connect(&form, &Form1::modelLoaded, this, [this] { modelLoaded(); });
    connect(&form, &Form1::modelChanged, this, [this] {
        if (isVisible() && !applying_) refresh();
    });
}

modkit::MDLObject* ToolWindow::model() const {
    if (form_.isBusy()) return nullptr;
    return form_.currentModel().get();
}

bool ToolWindow::change(const std::string& label, const std::string& mergeKey,
                        const std::function<void(modkit::MDLObject&)>& f) {
    if (!model()) return false;
    applying_ = true;
    bool ok = true;
    try {
        form_.applyModelChange(label, mergeKey, f);
    } catch (const modkit::Error& e) {
        ok = false;
        showEditorError(e);
    } catch (const std::exception& e) {
        ok = false;
        showEditorError(modkit::Error(modkit::err::InvalidCall, "Fettle", e.what()));
    }
    applying_ = false;
    // A failed change put the model back as it was: show that.
    if (!ok) refresh();
    return ok;
}

void ToolWindow::showEvent(QShowEvent* e) {
    refresh();
    QWidget::showEvent(e);
}

void ToolWindow::closeEvent(QCloseEvent* e) {
    if (menuItem_)
        if (QAction* a = form_.action(menuItem_)) a->setChecked(false);
    QWidget::closeEvent(e);
}

void showEditorError(const modkit::Error& e) {
    dialogs().messageBox("Fettle II error",
                         "Error " + std::to_string(e.number()) + " (" + e.description() + ")", MsgIcon::Critical);
}

}  // namespace fettle
