#pragma once
// Dialog answers given by the test instead of a user.
#include <deque>
#include <string>
#include <vector>

#include "shell/Dialogs.h"

namespace testutil {

class ScriptedDialogs : public fettle::Dialogs {
public:
    struct Message {
        std::string title, text;
        fettle::MsgIcon icon;
        fettle::MsgButtons buttons;
    };
    struct FileRequest {
        std::string kind, filter, title, initial;
    };

    std::deque<fettle::MsgAnswer> answers;  // for message boxes; OK when empty
    std::deque<std::string> files;          // for open and save dialogs; cancelled when empty
    std::deque<std::vector<std::string>> fileLists;  // for multi-select dialogs, before `files`
    std::deque<fettle::RgbColor> colors;    // for the colour dialog; cancelled when empty
    std::deque<std::string> inputs;         // for input boxes; cancelled when empty
    std::vector<std::string> prompts;       // what the input boxes asked
    std::vector<Message> messages;
    std::vector<FileRequest> requests;

    fettle::MsgAnswer messageBox(const std::string& title, const std::string& text, fettle::MsgIcon icon,
                                 fettle::MsgButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        if (answers.empty()) return buttons == fettle::MsgButtons::OK ? fettle::MsgAnswer::OK : fettle::MsgAnswer::Cancel;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string openFileDialog(const std::string& filter, const std::string& title, const std::string& initial) override {
        return next("open", filter, title, initial);
    }
    std::vector<std::string> openFilesDialog(const std::string& filter, const std::string& title,
                                             const std::string& initial) override {
        if (!fileLists.empty()) {
            requests.push_back({"open-many", filter, title, initial});
            std::vector<std::string> l = fileLists.front();
            fileLists.pop_front();
            return l;
        }
        std::string f = next("open-many", filter, title, initial);
        return f.empty() ? std::vector<std::string>{} : std::vector<std::string>{f};
    }
    std::string saveFileDialog(const std::string& filter, const std::string& title, const std::string& initial) override {
        return next("save", filter, title, initial);
    }
    std::string browseForFolder(QWidget*) override { return next("folder", "", "", ""); }
    std::optional<fettle::RgbColor> chooseColor(const fettle::RgbColor& initial) override {
        colorRequests.push_back(initial);
        if (colors.empty()) return std::nullopt;
        fettle::RgbColor c = colors.front();
        colors.pop_front();
        return c;
    }
    std::vector<fettle::RgbColor> colorRequests;  // the colours the dialog was preset to
    std::optional<std::string> inputBox(const std::string& prompt, const std::string&, const std::string&) override {
        prompts.push_back(prompt);
        if (inputs.empty()) return std::nullopt;
        std::string s = inputs.front();
        inputs.pop_front();
        return s;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages) out.push_back(m.text);
        return out;
    }

private:
    std::string next(const char* kind, const std::string& filter, const std::string& title, const std::string& initial) {
        requests.push_back({kind, filter, title, initial});
        if (files.empty()) return {};
        std::string f = files.front();
        files.pop_front();
        return f;
    }
};

}  // namespace testutil
