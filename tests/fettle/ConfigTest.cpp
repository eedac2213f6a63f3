#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "ScriptedDialogs.h"
#include "TestUtil.h"
#include "modkit/core/Error.h"
#include "shell/ConfigFunctions.h"

using fettle::ConfigFunctions;
using testutil::ScriptedDialogs;
using testutil::TempDir;

namespace {

// The default file, in tests/data/fettle/defaults.xml (CRs shown as \r).
void expectDefaults(const std::string& text) { testutil::expectGolden("fettle/defaults.xml", testutil::visible(text)); }

struct Loaded {
    ConfigFunctions c;
    ScriptedDialogs d;
};

void loadText(Loaded& l, const TempDir& dir, const std::string& text) {
    testutil::writeFile(dir.file("fettle.xml"), text);
    l.c.loadConfiguration(dir.file("fettle.xml"), l.d);
}

}  // namespace

TEST(Config, MissingFileGivesDefaultsSilentlyAndSavesOneTagPerLine) {
    TempDir dir;
    Loaded l;
    l.c.loadConfiguration(dir.file("sub/dir/fettle.xml"), l.d);
    EXPECT_TRUE(l.d.messages.empty());
    EXPECT_FALSE(testutil::readFile(dir.file("sub/dir/fettle.xml")).size());  // nothing written before exit
    l.c.saveConfiguration();
    expectDefaults(testutil::readFile(dir.file("sub/dir/fettle.xml")));  // read back by ElementAccessAndSavingProblems
}

TEST(Config, VersionThresholdAndUpgradeKeepValues) {
    for (const char* version : {"200245", "300000"}) {
        TempDir dir;
        Loaded l;
        loadText(l, dir, std::string("<Configuration><ConfigVersion>") + version + "</ConfigVersion></Configuration>");
        EXPECT_TRUE(l.d.messages.empty()) << version;
        EXPECT_EQ(l.c.text("ConfigVersion"), version);  // not restamped
        EXPECT_EQ(l.c.node("FLTTex"), pugi::xml_node());
    }
    for (const char* body : {"<ConfigVersion>200244</ConfigVersion>", "<ConfigVersion>abc</ConfigVersion>", ""}) {
        TempDir dir;
        Loaded l;
        loadText(l, dir,
                 std::string("<Configuration>") + body +
                     "<TexSufSP start=\"10\">_spring</TexSufSP><FLTTex>DDS</FLTTex><LastFile>/a/B.mdl</LastFile>"
                     "</Configuration>");
        ASSERT_EQ(l.d.messages.size(), 1u) << body;
        EXPECT_EQ(l.d.messages[0].title, "Fettle error");
        EXPECT_EQ(l.d.messages[0].text, "Incorrect config.xml version, your config file is updated");
        EXPECT_EQ(l.d.messages[0].icon, fettle::MsgIcon::Exclamation);
        // Values kept, missing ones added with their defaults, the version restamped once.
        EXPECT_EQ((std::vector<std::string>{l.c.text("ConfigVersion"), l.c.text("TexSufSP"), l.c.attribute("TexSufSP", "start"),
                                            l.c.attribute("TexSufSP", "end"), l.c.text("FLTTex"), l.c.attribute("NormVector", "nz"),
                                            l.c.text("TexSufLM")}),
                  (std::vector<std::string>{"201000", "_spring", "10", "149", "DDS", "1.00", "_LM"}));
        EXPECT_TRUE(l.c.node("TexSufHW").attribute("end"));
        EXPECT_EQ(l.c.recentFiles(), std::vector<std::string>{"/a/B.mdl"});
        EXPECT_EQ(l.c.all("ConfigVersion").size(), 1u);
    }
}

TEST(Config, UnreadableFileIsReplacedByDefaults) {
    // Damaged text, or a FIFO or folder in the file's place: never waited on, never replaced.
    for (const std::string text : {"<Configuration><LastMDL>", "", "not xml at all", "fifo", "folder"}) {
        TempDir dir;
        const std::string path = dir.file("fettle.xml");
        if (text == "fifo") ::mkfifo(path.c_str(), 0644);
        else if (text == "folder") ::mkdir(path.c_str(), 0755);
        else testutil::writeFile(path, text);
        Loaded l;
        l.c.loadConfiguration(path, l.d);
        ASSERT_EQ(l.d.messages.size(), 1u) << text;
        EXPECT_EQ(l.d.messages[0].text, "Failed to load config.xml file, a new config.xml will be created");
        EXPECT_EQ(l.d.messages[0].icon, fettle::MsgIcon::Critical);
        expectDefaults(l.c.formattedText());
        if (text == "fifo" || text == "folder") {
            EXPECT_THROW(l.c.saveConfiguration(), modkit::Error);
            EXPECT_EQ(std::filesystem::is_fifo(path), text == "fifo");
        } else {
            EXPECT_EQ(testutil::readFile(path), text);  // the old file is replaced only at exit
        }
    }
}

TEST(Config, RecentFilesElementAccessAndSavingProblems) {
    TempDir dir;
    ConfigFunctions c;
    c.createDefaultConfiguration();
    // Recent files keep their case, move to the front and hold eight.
    for (int i = 1; i <= 9; ++i) c.addRecentFile("/m/Model" + std::to_string(i) + ".MDL");
    auto names = [&] {
        std::string out;
        for (const std::string& f : c.recentFiles()) out += f.substr(3, 6) + f.back() + " ";  // "Model9L "
        return out;
    };
    EXPECT_EQ(names(), "Model9L Model8L Model7L Model6L Model5L Model4L Model3L Model2L ");
    c.addRecentFile("/m/Model5.MDL");
    EXPECT_EQ(names(), "Model5L Model9L Model8L Model7L Model6L Model4L Model3L Model2L ");
    // Another case is another file on this system.
    c.addRecentFile("/m/model5.mdl");
    c.removeRecentFile("/m/Model9.MDL");
    c.removeRecentFile("/not/there.mdl");
    EXPECT_EQ(names(), "model5l Model5L Model8L Model7L Model6L Model4L Model3L ");

    c.setPath(dir.file("fettle.xml"));
    c.setText("LastMDL", "/x/Y & <z>.mdl");
    c.appendChild("TexturePath", "../textures");
    c.appendChild("TexturePath", "/abs/tex");
    c.setAttribute("//NormVector", "nx", "0.5");
    EXPECT_EQ(c.texts("TexturePath"), (std::vector<std::string>{"../textures", "/abs/tex"}));
    c.removeChild(c.all("TexturePath")[0]);
    c.setText("TexSufLM", " ");
    c.saveConfiguration();

    ConfigFunctions back;
    ScriptedDialogs d;
    back.loadConfiguration(dir.file("fettle.xml"), d);
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(back.text("//LastMDL"), "/x/Y & <z>.mdl");
    EXPECT_EQ(back.texts("TexturePath"), std::vector<std::string>{"/abs/tex"});
    EXPECT_EQ(back.attribute("NormVector", "nx"), "0.5");
    EXPECT_EQ(back.text("TexSufLM"), " ");
    // Loading and saving again neither adds nor loses lines.
    EXPECT_EQ(back.formattedText(), c.formattedText());

    // A read-only file stays as it was.
    const std::string before = testutil::readFile(dir.file("fettle.xml"));
    ::chmod(dir.file("fettle.xml").c_str(), 0444);
    c.setText("LastMDL", "changed");
    EXPECT_MODKIT_ERROR(c.saveConfiguration(), 70);
    EXPECT_EQ(testutil::readFile(dir.file("fettle.xml")), before);
}

TEST(Config, PlaceBesideTheProgramOrInTheUserFolder) {
    TempDir program, home;
    ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    EXPECT_EQ(fettle::configurationPath(program.path()), home.path() + "/fettle/fettle.xml");
    testutil::writeFile(program.file("fettle.xml"), "<Configuration/>");
    EXPECT_EQ(fettle::configurationPath(program.path()), program.file("fettle.xml"));
}
