#pragma once
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace fettle {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel, SaveDiscardCancel };
enum class MsgAnswer { OK, Cancel, Yes, No, Save, Discard };

struct RgbColor {
    int r = 0, g = 0, b = 0;
};

// Every message box, file, folder and colour dialog and input box of the
// program goes through this, so that tests can script the answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MsgAnswer messageBox(const std::string& title, const std::string& text, MsgIcon icon,
                                 MsgButtons buttons = MsgButtons::OK) = 0;
    // filter in the form "MDL file (*.mdl)|*.mdl"; an empty result when cancelled.
    virtual std::string openFileDialog(const std::string& filter, const std::string& title,
                                       const std::string& initialFile) = 0;
    // Several files at once; empty when cancelled.
    virtual std::vector<std::string> openFilesDialog(const std::string& filter, const std::string& title,
                                                     const std::string& initialFile) = 0;
    // Asks before overwriting an existing file.
    virtual std::string saveFileDialog(const std::string& filter, const std::string& title,
                                       const std::string& initialFile) = 0;
    // The chosen folder ending in "/", or empty when cancelled.
    virtual std::string browseForFolder(QWidget* owner) = 0;
    virtual std::optional<RgbColor> chooseColor(const RgbColor& initial) = 0;
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& initialText) = 0;
};

// The dialogs the program uses unless a test installs its own.
Dialogs& dialogs();
// Installs d (not owned) in place of the real dialogs; nullptr restores them.
void setDialogs(Dialogs* d);

// Every error box of the program: one style, with the critical icon and an OK button.
void showErrorBox(const std::string& title, const std::string& text);

// "MDL file (*.mdl)|*.mdl" -> "MDL file (*.mdl)" (pairs become ";;"-joined entries).
std::string qtFilter(const std::string& filter);

}  // namespace fettle
