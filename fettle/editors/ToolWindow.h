#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "document/ModelDocument.h"

namespace modkit {
class Error;
class MDLObject;
}  // namespace modkit

namespace fettle {

class Form1;

// An editor window that hangs off the main window: it shows the current model
// whenever it is shown or the model changes, and unchecks its Window-menu item
// (if it has one) when it is closed.
class ToolWindow : public QWidget {
    Q_OBJECT
public:
    ToolWindow(Form1& form, const char* objectName, const char* caption, const char* menuItem = nullptr);

    Form1& form() const { return form_; }

protected:
    // Shows the current model (called while visible, after every change of it).
    virtual void refresh() = 0;
    // A different model was loaded: anything kept for the old one goes.
    virtual void modelLoaded() {}
    // The ModelPart flags the window shows: a change of other parts leaves it
    // (and what is typed in it) alone.
    virtual uint32_t shownParts() const { return modkit::partAll; }
    // True while the window holds edits not yet applied to the model: a
    // change of the parts it shows then leaves them in place (and says so)
    // rather than showing the model afresh.
    virtual bool hasUnappliedWork() const { return false; }
    // False when the change underneath makes the unapplied edits unsafe to
    // keep (what they refer to moved): the window then shows the model afresh
    // and says that they were dropped.
    virtual bool canKeepUnappliedWork() const { return true; }

    // The current model, or nullptr when none is loaded or one is loading.
    modkit::MDLObject* model() const;
    // Runs change through the document as one undoable step (joined with
    // the next ones under the same mergeKey); parts are the ModelPart flags f
    // may touch. The window itself is not refreshed for it. refused when it
    // could not run (an error is shown), unchanged when f changed nothing.
    EditOutcome change(const std::string& label, const std::string& mergeKey,
                       const std::function<void(modkit::MDLObject&)>& f, uint32_t parts = modkit::partAll);

    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // Escape closes the window, after asking when it holds unapplied edits;
    // Undo and Redo keys that no control took undo and redo the model.
    void keyPressEvent(QKeyEvent* e) override;

private:
    Form1& form_;
    const char* menuItem_;
    bool applying_ = false;
    bool newModel_ = false;
};

// "Error <number> (<description>)" under the title "Fettle II error".
void showEditorError(const modkit::Error& e);

}  // namespace fettle
