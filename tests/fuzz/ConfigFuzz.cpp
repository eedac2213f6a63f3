// Any text as the configuration file: it loads (or falls back to the defaults),
// and what it saves loads again to the same document.
#include <optional>
#include <sstream>

#include "FuzzInput.h"
#include "shell/ConfigFunctions.h"
#include "shell/Dialogs.h"

namespace {
struct SilentDialogs : fettle::Dialogs {
    fettle::MsgAnswer messageBox(const std::string&, const std::string&, fettle::MsgIcon, fettle::MsgButtons) override {
        return fettle::MsgAnswer::OK;
    }
    std::string openFileDialog(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::vector<std::string> openFilesDialog(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string saveFileDialog(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::string browseForFolder(QWidget*) override { return {}; }
    std::optional<fettle::RgbColor> chooseColor(const fettle::RgbColor&) override { return {}; }
    std::optional<std::string> inputBox(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};

std::string raw(const fettle::ConfigFunctions& c) {
    std::ostringstream out;
    c.configDocument().save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentDialogs dialogs;
    fettle::ConfigFunctions first, saved, plain;
    first.loadConfigurationText(bytesOf(data, size), dialogs);
    first.addRecentFile("/tmp/a.mdl");
    // Saved one tag per line, it reads back as the document written without
    // line breaks does (whitespace between tags is not kept either way).
    saved.loadConfigurationText(first.formattedText(), dialogs);
    plain.loadConfigurationText(raw(first), dialogs);
    if (raw(saved) != raw(plain)) fuzzFail("the saved configuration reads back to another document");
    return 0;
}
