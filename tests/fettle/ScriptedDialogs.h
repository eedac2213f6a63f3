#pragma once
// Dialog answers given by the test instead of a user.
#include <deque>
#include <optional>
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
    std::vector<fettle::RgbColor> colorRequests;  // the colours the dialog was preset to
    std::deque<std::string> inputs;         // for input boxes; cancelled when empty
    std::vector<std::string> prompts;       // what the input boxes asked
    std::vector<Message> messages;
    std::vector<FileRequest> requests;

    fettle::MsgAnswer messageBox(const std::string& title, const std::string& text, fettle::MsgIcon icon,
                                 fettle::MsgButtons buttons) override {
        messages.push_back({title, text, icon, buttons});
        return pop(answers).value_or(buttons == fettle::MsgButtons::OK ? fettle::MsgAnswer::OK : fettle::MsgAnswer::Cancel);
    }
    std::string openFileDialog(const std::string& filter, const std::string& title, const std::string& initial) override {
        return next("open", filter, title, initial);
    }
    std::vector<std::string> openFilesDialog(const std::string& filter, const std::string& title,
                                             const std::string& initial) override {
        if (fileLists.empty()) {
            std::string f = next("open-many", filter, title, initial);
            return f.empty() ? std::vector<std::string>{} : std::vector<std::string>{f};
        }
        requests.push_back({"open-many", filter, title, initial});
        return *pop(fileLists);
    }
    std::string saveFileDialog(const std::string& filter, const std::string& title, const std::string& initial) override {
        return next("save", filter, title, initial);
    }
    std::string browseForFolder(QWidget*) override { return next("folder", "", "", ""); }
    std::optional<fettle::RgbColor> chooseColor(const fettle::RgbColor& initial) override {
        colorRequests.push_back(initial);
        return pop(colors);
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string&, const std::string&) override {
        prompts.push_back(prompt);
        return pop(inputs);
    }

private:
    std::string next(const char* kind, const std::string& filter, const std::string& title, const std::string& initial) {
        requests.push_back({kind, filter, title, initial});
        return pop(files).value_or("");
    }
    template <class T>
    static std::optional<T> pop(std::deque<T>& q) {
        if (q.empty()) return std::nullopt;
        T v = std::move(q.front());
        q.pop_front();
        return v;
    }
};

}  // namespace testutil
