#include "shell/ConfigFunctions.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <pwd.h>
#include <unistd.h>

#include "modkit/Version.h"
#include "modkit/core/Error.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "shell/Dialogs.h"

namespace fettle {
namespace {

const char* const kFileName = "fettle.xml";
const char* const kTitle = "Fettle error";

struct Season {
    const char* name;
    const char* suffix;
    const char* start;
    const char* end;
};
constexpr Season kSeasons[] = {
    {"TexSufSP", "_SP", "60", "149"},  {"TexSufSU", "_SU", "150", "239"}, {"TexSufFA", "_FA", "240", "329"},
    {"TexSufWI", "_WI", "330", "59"}, {"TexSufHW", "_HW", "", ""},
};

// Whitespace-only text is kept where it is an element's value (a suffix of
// blanks), not between tags.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;

void appendText(pugi::xml_node parent, const char* name, const std::string& text) {
    pugi::xml_node n = parent.append_child(name);
    if (!text.empty()) n.text().set(text.c_str());
}

}  // namespace

std::string configurationPath(const std::string& programFolder) {
    std::string beside = modkit::joinPath(programFolder, kFileName);
    if (modkit::fileExists(beside)) return beside;
    std::string base;
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') base = x;
    else if (const char* h = std::getenv("HOME"); h && *h) base = std::string(h) + "/.config";
    else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) base = std::string(pw->pw_dir) + "/.config";
    else base = programFolder;
    return modkit::joinPath(modkit::joinPath(base, "fettle"), kFileName);
}

int ConfigFunctions::configVersionNumber() { return modkit::versionNumber; }

ConfigFunctions& config() {
    static ConfigFunctions c;
    return c;
}

void ConfigFunctions::loadConfiguration(const std::string& path, Dialogs& dialogs) {
    path_ = path;
    if (!modkit::pathExists(path)) {
        createDefaultConfiguration();
        return;
    }
    doc_.reset();
    // Read through the library's reader: a FIFO or folder there fails at once
    // (and then counts as a file that does not parse) instead of hanging.
    pugi::xml_parse_result ok;
    try {
        const std::string text = modkit::readFileBytes(path, "Fettle.ConfigFunctions");
        ok = doc_.load_buffer(text.data(), text.size(), kParseOptions);
    } catch (const modkit::Error&) {
        ok.status = pugi::status_io_error;
    }
    adopt(ok, dialogs);
}

void ConfigFunctions::loadConfigurationText(std::string_view text, Dialogs& dialogs) {
    doc_.reset();
    adopt(doc_.load_buffer(text.data(), text.size(), kParseOptions), dialogs);
}

void ConfigFunctions::adopt(const pugi::xml_parse_result& ok, Dialogs& dialogs) {
    if (!ok || !doc_.document_element()) {
        dialogs.messageBox(kTitle, "Failed to load config.xml file, a new config.xml will be created", MsgIcon::Critical);
        createDefaultConfiguration();
    }
    pugi::xml_node version = configRoot().child("ConfigVersion");
    if (!version || modkit::numtext::leadingNumber(version.text().get()) < minimumConfigVersion) {
        dialogs.messageBox(kTitle, "Incorrect config.xml version, your config file is updated", MsgIcon::Exclamation);
        upgradeConfiguration();
    }
}

void ConfigFunctions::createDefaultConfiguration() {
    doc_.reset();
    pugi::xml_node root = doc_.append_child("Configuration");
    appendText(root, "ConfigVersion", std::to_string(configVersionNumber()));
    appendText(root, "LastMDL", "");
    appendText(root, "LastBMP", "");
    for (const Season& s : kSeasons) {
        pugi::xml_node n = root.append_child(s.name);
        n.text().set(s.suffix);
        n.append_attribute("start").set_value(s.start);
        n.append_attribute("end").set_value(s.end);
    }
    appendText(root, "TexSufLM", "_LM");
    appendText(root, "FLTTex", "RGB");
    pugi::xml_node nv = root.append_child("NormVector");
    nv.append_attribute("nx").set_value("0.00");
    nv.append_attribute("ny").set_value("0.00");
    nv.append_attribute("nz").set_value("1.00");
}

void ConfigFunctions::upgradeConfiguration() {
    pugi::xml_node root = configRoot();
    if (!root) root = doc_.append_child("Configuration");
    auto ensure = [&](const char* name) {
        pugi::xml_node n = root.child(name);
        return n ? n : root.append_child(name);
    };
    ensure("ConfigVersion").text().set(std::to_string(configVersionNumber()).c_str());
    ensure("LastMDL");
    ensure("LastBMP");
    for (const Season& s : kSeasons) {
        pugi::xml_node n = root.child(s.name);
        if (!n) {
            n = root.append_child(s.name);
            n.text().set(s.suffix);
        }
        if (!n.attribute("start")) n.append_attribute("start").set_value(s.start);
        if (!n.attribute("end")) n.append_attribute("end").set_value(s.end);
    }
    if (!root.child("TexSufLM")) appendText(root, "TexSufLM", "_LM");
    if (!root.child("NormVector")) {
        pugi::xml_node nv = root.append_child("NormVector");
        nv.append_attribute("nx").set_value("0.00");
        nv.append_attribute("ny").set_value("0.00");
        nv.append_attribute("nz").set_value("1.00");
    }
    if (!root.child("FLTTex")) appendText(root, "FLTTex", "RGB");
}

namespace {
// True when out ends with an opening tag and s closes it at pos: a line break
// there would read back as the element's text.
bool emptyElementEnds(const std::string& out, const std::string& s, size_t pos) {
    if (pos + 1 >= s.size() || s[pos + 1] != '/') return false;
    const size_t open = out.rfind('<');
    if (open == std::string::npos || open + 1 >= out.size()) return false;
    const char kind = out[open + 1];
    return kind != '/' && kind != '?' && kind != '!' && !out.ends_with("/>");
}
}  // namespace

std::string ConfigFunctions::formattedText() const {
    std::ostringstream raw;
    doc_.save(raw, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    // One tag per line: every line break of the document is kept, and each
    // "><" between tags is split; the text of a CDATA section stays as it is.
    const std::string s = raw.str();
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    bool inCdata = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            out += "\r\n";
            continue;
        }
        out.push_back(c);
        if (inCdata) inCdata = !(c == '>' && out.ends_with("]]>"));
        else if (c == '[' && out.ends_with("<![CDATA[")) inCdata = true;
        else if (c == '>' && i + 1 < s.size() && s[i + 1] == '<' && !emptyElementEnds(out, s, i + 1)) out += "\r\n";
    }
    if (!out.empty() && !out.ends_with("\r\n")) out += "\r\n";
    return out;
}

void ConfigFunctions::saveConfiguration() const {
    // The folder is made on first save; a failure shows in the write below.
    std::error_code ec;
    if (std::string folder = modkit::folderOf(path_); !folder.empty()) std::filesystem::create_directories(folder, ec);
    modkit::writeFileAtomically(path_, formattedText(), "Fettle.ConfigFunctions");
}

void ConfigFunctions::recentChanged() {
    if (refreshRecentFileMenu) refreshRecentFileMenu();
}

void ConfigFunctions::addRecentFile(const std::string& path) {
    std::vector<pugi::xml_node> entries = all("LastFile");
    int found = -1;
    for (size_t i = 0; i < entries.size(); ++i)
        if (path == entries[i].text().get()) found = static_cast<int>(i);
    if (found < 0) {
        if (entries.size() < maxRecentFiles) entries.push_back(configRoot().append_child("LastFile"));
        found = static_cast<int>(entries.size()) - 1;
    }
    for (int j = found; j >= 1; --j)
        entries[static_cast<size_t>(j)].text().set(entries[static_cast<size_t>(j - 1)].text().get());
    entries[0].text().set(path.c_str());
    recentChanged();
}

void ConfigFunctions::removeRecentFile(const std::string& path) {
    std::vector<pugi::xml_node> entries = all("LastFile");
    for (size_t k = 0; k < entries.size(); ++k) {
        if (path != entries[k].text().get()) continue;
        for (size_t j = k; j + 1 < entries.size(); ++j) entries[j].text().set(entries[j + 1].text().get());
        entries.back().parent().remove_child(entries.back());
        break;
    }
    recentChanged();
}

pugi::xml_node ConfigFunctions::node(const std::string& path) const {
    // "Name" and "//Name" find the same element in this flat document.
    const std::string name = path.substr(std::min(path.find_first_not_of('/'), path.size()));
    pugi::xml_node root = configRoot();
    if (!root) return {};
    if (name == root.name()) return root;
    return root.find_node([&](pugi::xml_node n) { return n.type() == pugi::node_element && name == n.name(); });
}

std::string ConfigFunctions::text(const std::string& name) const { return node(name).text().get(); }

void ConfigFunctions::setText(const std::string& name, const std::string& value) {
    pugi::xml_node n = node(name);
    if (!n) n = appendChild(name, "");
    n.text().set(value.c_str());
}

std::string ConfigFunctions::attribute(const std::string& name, const std::string& attr) const {
    return node(name).attribute(attr.c_str()).value();
}

void ConfigFunctions::setAttribute(const std::string& name, const std::string& attr, const std::string& value) {
    pugi::xml_node n = node(name);
    if (!n) n = appendChild(name, "");
    pugi::xml_attribute a = n.attribute(attr.c_str());
    if (!a) a = n.append_attribute(attr.c_str());
    a.set_value(value.c_str());
}

pugi::xml_node ConfigFunctions::appendChild(const std::string& name, const std::string& text) {
    pugi::xml_node root = configRoot();
    if (!root) root = doc_.append_child("Configuration");
    pugi::xml_node n = root.append_child(name.c_str());
    if (!text.empty()) n.text().set(text.c_str());
    return n;
}

void ConfigFunctions::removeChild(pugi::xml_node n) {
    if (n && n.parent()) n.parent().remove_child(n);
}

std::vector<pugi::xml_node> ConfigFunctions::all(const std::string& path) const {
    const std::string name = path.substr(std::min(path.find_first_not_of('/'), path.size()));
    std::vector<pugi::xml_node> out;
    pugi::xml_node root = configRoot();
    if (!root) return out;
    for (pugi::xml_node n = root.first_child(); n;) {
        if (n.type() == pugi::node_element && name == n.name()) out.push_back(n);
        // Depth-first, document order.
        if (n.first_child()) n = n.first_child();
        else {
            while (n && !n.next_sibling() && n != root) n = n.parent();
            if (!n || n == root) break;
            n = n.next_sibling();
        }
    }
    return out;
}

std::vector<std::string> ConfigFunctions::texts(const std::string& name) const {
    std::vector<std::string> out;
    for (pugi::xml_node n : all(name)) out.push_back(n.text().get());
    return out;
}

}  // namespace fettle
