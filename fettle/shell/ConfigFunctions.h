#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace fettle {

class Dialogs;

// Where "fettle.xml" lives: beside the program when that file exists (a
// portable install), otherwise $XDG_CONFIG_HOME/fettle/ (default ~/.config/fettle/).
std::string configurationPath(const std::string& programFolder);

// The program's settings: one flat XML document, read at start-up, changed in
// memory by the windows and written back at exit. Lookups go by element name.
class ConfigFunctions {
public:
    static constexpr int minimumConfigVersion = 200245;
    static constexpr int maxRecentFiles = 8;
    static int configVersionNumber();

    // Reads path, or builds the defaults when it is missing or unreadable;
    // upgrades an old or unversioned file. Problems are told through dialogs.
    void loadConfiguration(const std::string& path, Dialogs& dialogs);
    // The same over the text of a configuration file; path() stays as it is.
    void loadConfigurationText(std::string_view text, Dialogs& dialogs);
    void createDefaultConfiguration();
    void upgradeConfiguration();
    // Writes the document, one tag per line, atomically (folder created as needed).
    // Throws modkit::Error.
    void saveConfiguration() const;
    // The text saveConfiguration writes.
    std::string formattedText() const;

    // Paths keep their case; the same path again moves to the front.
    void addRecentFile(const std::string& path);
    void removeRecentFile(const std::string& path);
    std::vector<std::string> recentFiles() const { return texts("LastFile"); }
    // Called after the recent list changed (the main window refreshes its menu).
    std::function<void()> refreshRecentFileMenu;

    // Element access (first match anywhere in the document, like "//Name").
    pugi::xml_node node(const std::string& name) const;
    std::string text(const std::string& name) const;
    // Creates the element at the end of the root when it is missing.
    void setText(const std::string& name, const std::string& value);
    std::string attribute(const std::string& name, const std::string& attr) const;
    void setAttribute(const std::string& name, const std::string& attr, const std::string& value);
    pugi::xml_node appendChild(const std::string& name, const std::string& text);
    void removeChild(pugi::xml_node node);
    std::vector<pugi::xml_node> all(const std::string& name) const;
    std::vector<std::string> texts(const std::string& name) const;

    pugi::xml_node configRoot() const { return doc_.document_element(); }
    const pugi::xml_document& configDocument() const { return doc_; }
    const std::string& path() const { return path_; }
    void setPath(const std::string& p) { path_ = p; }

private:
    void recentChanged();
    // Takes the parsed document, or the defaults when it did not parse; upgrades it.
    void adopt(const pugi::xml_parse_result& parsed, Dialogs& dialogs);

    pugi::xml_document doc_;
    std::string path_;
};

// The program's one configuration.
ConfigFunctions& config();

}  // namespace fettle
