#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QImage>
#include <QSlider>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <sys/stat.h>

#include "MainWindowFixture.h"
#include "modkit/core/MDLObject.h"
#include "preview/PreviewSurface.h"
#include "preview/frmPreview.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
#include "shell/frmLoadingProgress.h"
#include "shell/frmLog.h"

using fettle::Form1;
using fettle::MsgAnswer;
using testutil::ScriptedDialogs;
using testutil::TempDir;

namespace {

using testutil::contains;
using testutil::pump;

class Window : public testutil::MainWindowTest {
protected:
    void start() {
        // Stand-ins for the editor windows, so their buttons follow the model's lists.
        MainWindowTest::start([](Form1& f) {
            for (auto t : {Form1::Tool::MaterialList, Form1::Tool::TextureList, Form1::Tool::VertexList,
                           Form1::Tool::CommandTree, Form1::Tool::Statistics})
                f.setToolWindowFactory(t, [](Form1& owner) { return new QWidget(&owner, Qt::Window); });
        });
    }
    void click(const char* name) {
        QPushButton* b = form->button(name);
        ASSERT_NE(b, nullptr) << name;
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    std::string title() { return form->windowTitle().toStdString(); }
};

}  // namespace

TEST_F(Window, StartsWithoutConfigurationAndWritesDefaultsAtExit) {
    start();
    EXPECT_TRUE(d.messages.empty());
    EXPECT_EQ(title(), "Fettle II");
    EXPECT_TRUE(form->preview().isVisible());
    EXPECT_TRUE(form->action("mViewPreview")->isChecked());
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview");
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(form->button(QString("cmdSimpleTweak_%1").arg(i))->isEnabled()) << i;
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(form->button(QString("cmd_list_%1").arg(i))->isEnabled()) << i;
        EXPECT_FALSE(form->action(QString("mViewList_%1").arg(i))->isEnabled()) << i;
    }
    EXPECT_FALSE(form->action("mSave")->isEnabled());
    EXPECT_FALSE(form->action("mUndo")->isEnabled());
    EXPECT_FALSE(form->action("mFileLine2")->isVisible());
    EXPECT_FALSE(form->action("mLastFile_0")->isVisible());
    EXPECT_EQ(form->button("cmd_list_2")->toolTip().toStdString(), "Display vertex list");

    form->close();
    form.reset();
    std::string saved = testutil::readFile(home.path() + "/fettle/fettle.xml");
    EXPECT_EQ(saved.rfind("<Configuration>\r\n<ConfigVersion>201000</ConfigVersion>\r\n", 0), 0u) << saved;
}

TEST_F(Window, UpgradesAnOldConfigurationAndShowsItsRecentFiles) {
    std::filesystem::create_directories(home.path() + "/fettle");
    testutil::writeFile(home.path() + "/fettle/fettle.xml",
                        "<Configuration><ConfigVersion>200100</ConfigVersion><LastFile>/gone/A.mdl</LastFile>"
                        "<LastFile>/gone/b.mdl</LastFile></Configuration>");
    start();
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].text, "Incorrect config.xml version, your config file is updated");
    EXPECT_TRUE(form->action("mFileLine2")->isVisible());
    EXPECT_EQ(form->action("mLastFile_0")->text().toStdString(), "/gone/A.mdl");
    EXPECT_EQ(form->action("mLastFile_1")->text().toStdString(), "/gone/b.mdl");
    EXPECT_FALSE(form->action("mLastFile_2")->isVisible());

    // A vanished file leaves the list without a word.
    trigger("mLastFile_0");
    EXPECT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(fettle::config().recentFiles(), std::vector<std::string>{"/gone/b.mdl"});
    EXPECT_EQ(form->action("mLastFile_0")->text().toStdString(), "/gone/b.mdl");
    EXPECT_FALSE(form->action("mLastFile_1")->isVisible());
    form->close();
    form.reset();
    std::string saved = testutil::readFile(home.path() + "/fettle/fettle.xml");
    EXPECT_TRUE(contains(saved, "<ConfigVersion>201000</ConfigVersion>\r\n"));
    EXPECT_TRUE(contains(saved, "<TexSufSP start=\"60\" end=\"149\">_SP</TexSufSP>\r\n"));
}

TEST_F(Window, OpensSavesAndKeepsNineRecentFilesAsEight) {
    start();
    const std::string house = writeHouse("House.mdl");
    const std::string original = testutil::readFile(house);
    d.files = {house};
    trigger("mOpen");
    ASSERT_EQ(d.requests.size(), 1u);
    EXPECT_EQ(d.requests[0].filter, "MDL file (*.mdl)|*.mdl");
    EXPECT_EQ(d.requests[0].title, "Open model");
    EXPECT_TRUE(d.messages.empty()) << d.messages[0].text;
    ASSERT_TRUE(form->currentModel());
    EXPECT_TRUE(contains(logText(), "] " + house + " opened"));
    EXPECT_EQ(title(), "House.mdl - Fettle II");
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview - [ " + house + "]");
    EXPECT_EQ(fettle::config().text("LastMDL"), house);
    EXPECT_EQ(form->action("mLastFile_0")->text().toStdString(), house);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(form->button(QString("cmd_list_%1").arg(i))->isEnabled(), i != 4) << i;
    EXPECT_TRUE(form->button("cmdSimpleTweak_0")->isEnabled());
    EXPECT_EQ(form->button("cmdSimpleTweak_0")->text().toStdString(), "Remove shadow");
    // Every texture of the house was found beside it.
    for (const auto& t : *form->currentModel()->TextureList()) EXPECT_FALSE(t->file().empty()) << t->bitmap();

    d.files = {dir.file("copy.mdl")};
    trigger("mSave");
    EXPECT_EQ(d.requests.back().kind, "save");
    EXPECT_EQ(d.requests.back().initial, dir.file("House_tweaked.mdl"));
    EXPECT_EQ(testutil::readFile(dir.file("copy.mdl")), original);
    EXPECT_TRUE(contains(logText(), "] " + dir.file("copy.mdl") + " saved"));
    EXPECT_EQ(fettle::config().recentFiles()[0], dir.file("copy.mdl"));
    EXPECT_EQ(fettle::config().text("LastMDL"), house);  // saving leaves it

    // Nine more files: eight entries, the newest first.
    for (int i = 1; i <= 9; ++i) {
        std::string p = dir.file("m" + std::to_string(i) + ".MDL");
        testutil::writeFile(p, original);
        ASSERT_TRUE(form->openModelFile(p, "mOpen_Click"));
    }
    auto recent = fettle::config().recentFiles();
    ASSERT_EQ(recent.size(), 8u);
    EXPECT_EQ(recent[0], dir.file("m9.MDL"));
    EXPECT_EQ(recent[7], dir.file("m2.MDL"));
    EXPECT_EQ(form->action("mLastFile_7")->text().toStdString(), dir.file("m2.MDL"));
    // The proposal keeps a name whose extension is in capitals.
    d.files.clear();
    trigger("mSave");
    EXPECT_EQ(d.requests.back().initial, dir.file("m9.MDL"));
    // Reopening an entry moves it to the front.
    trigger("mLastFile_3");
    EXPECT_EQ(fettle::config().recentFiles()[0], dir.file("m6.MDL"));
    EXPECT_EQ(fettle::config().recentFiles().size(), 8u);
}

TEST_F(Window, ExportsWithDefaultNamesAndTrapsTheirErrors) {
    start();
    const std::string house = writeHouse();
    ASSERT_TRUE(form->openModelFile(house, "mOpen_Click"));
    fettle::config().setText("FLTTex", "DDS");

    d.files = {dir.file("house.asm")};
    trigger("mASMExport");
    EXPECT_EQ(d.requests.back().filter, "BGLC source file (*.asm)|*.asm");
    EXPECT_EQ(d.requests.back().title, "Export BGLC source as");
    EXPECT_EQ(d.requests.back().initial, dir.file("house.asm"));
    EXPECT_GT(testutil::readFile(dir.file("house.asm")).size(), 100u);
    EXPECT_TRUE(contains(logText(), "] " + dir.file("house.asm") + " exported"));

    d.files = {dir.file("out.flt")};
    trigger("mFLTExport");
    EXPECT_EQ(d.requests.back().filter, "OpenFlight file (*.flt)|*.flt");
    EXPECT_EQ(d.requests.back().title, "Export OpenFlight file as");
    EXPECT_EQ(d.requests.back().initial, dir.file("house.flt"));
    const std::string flt = testutil::readFile(dir.file("out.flt"));
    EXPECT_GT(flt.size(), 100u);
    EXPECT_TRUE(contains(flt, ".DDS"));  // the configured texture format
    EXPECT_TRUE(contains(logText(), "] " + dir.file("out.flt") + " exported"));
    d.files = {dir.file("out.gltf")};
    trigger("mGLTFExport");
    EXPECT_EQ(d.requests.back().initial, dir.file("house.glb"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("out.bin")) && std::filesystem::exists(dir.file("house_roof.png")));
    EXPECT_TRUE(contains(logText(), "] " + dir.file("out.gltf") + " exported"));
    EXPECT_TRUE(d.messages.empty());

    // A read-only target: the trapped message, an error line, the file unchanged.
    testutil::writeFile(dir.file("locked.asm"), "old");
    ::chmod(dir.file("locked.asm").c_str(), 0444);
    d.files = {dir.file("locked.asm")};
    trigger("mASMExport");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].text.rfind("Error 70 (Permission denied) in procedure mASMExport_Click of Form Form1\n\n"
                                       "File: " + dir.file("locked.asm"), 0), 0u) << d.messages[0].text;
    EXPECT_TRUE(contains(logText(), "Error: could not export \"" + dir.file("locked.asm") + "\": Error 70"));
    EXPECT_EQ(testutil::readFile(dir.file("locked.asm")), "old");
    // Cancelled: nothing at all.
    trigger("mFLTExport");
    EXPECT_EQ(d.messages.size(), 1u);
}

TEST_F(Window, AFailingOpenKeepsThePreviousModel) {
    start();
    const std::string house = writeHouse();
    ASSERT_TRUE(form->openModelFile(house, "mOpen_Click"));
    auto before = form->currentModel();
    const std::string houseBytes = testutil::readFile(house);

    struct Bad {
        std::string name, bytes, message;
    };
    std::vector<Bad> bad = {
        {"text.mdl", "not a model file", "Error 100 (This is not a valid RIFF scenery MDL file) in procedure mOpen_Click of Form Form1"},
        {"short.mdl", houseBytes.substr(0, houseBytes.size() / 2), "Error 100 (This is not a valid RIFF scenery MDL file: "},
    };
    for (const Bad& b : bad) {
        testutil::writeFile(dir.file(b.name), b.bytes);
        d.messages.clear();
        d.files = {dir.file(b.name)};
        trigger("mOpen");
        ASSERT_EQ(d.messages.size(), 1u) << b.name;
        EXPECT_EQ(d.messages[0].title, "Fettle II");
        EXPECT_EQ(d.messages[0].text.rfind(b.message, 0), 0u) << d.messages[0].text;
        EXPECT_EQ(form->currentModel(), before);
        EXPECT_FALSE(form->isBusy());
        EXPECT_FALSE(form->loadingProgress().isVisible());
        EXPECT_TRUE(form->action("mOpen")->isEnabled());
        EXPECT_TRUE(form->button("cmdSimpleTweak_0")->isEnabled());
        EXPECT_FALSE(contains(logText(), b.name + " opened"));
        EXPECT_EQ(fettle::config().text("LastMDL"), house);
        EXPECT_EQ(fettle::config().recentFiles()[0], house);
        EXPECT_EQ(testutil::readFile(dir.file(b.name)), b.bytes);
    }
    EXPECT_EQ(title(), "house.mdl - Fettle II");
    EXPECT_EQ(testutil::readFile(house), houseBytes);
}

TEST_F(Window, TweaksUndoAndSaveShowInTitleMenusButtonsAndLog) {
    start();
    const std::string house = writeHouse();
    const std::string original = testutil::readFile(house);
    ASSERT_TRUE(form->openModelFile(house, "mOpen_Click"));
    QPushButton* shadow = form->button("cmdSimpleTweak_0");
    EXPECT_EQ(shadow->text().toStdString(), "Remove shadow");
    EXPECT_EQ(shadow->toolTip().toStdString(), "Add code to kill the shadow of the object in FS");

    click("cmdSimpleTweak_0");
    EXPECT_TRUE(contains(logText(), "] Shadow killed of the object"));
    EXPECT_EQ(shadow->text().toStdString(), "Add shadow");
    EXPECT_EQ(title(), "house.mdl* - Fettle II");
    EXPECT_EQ(form->action("mUndo")->text().toStdString(), "&Undo Remove shadow");
    // The house has no lights: nothing to fix, no step.
    click("cmdSimpleTweak_3");
    EXPECT_TRUE(contains(logText(), "] no BGL_LIGHT problem found"));
    EXPECT_FALSE(contains(logText(), "BGL_LIGHT problem fixed"));
    EXPECT_EQ(form->document().undoStack().count(), 1);

    // The first Save asks, proposing the _tweaked name; later ones write the current file.
    const std::string tweaked = dir.file("house_tweaked.mdl");
    d.files = {tweaked};
    trigger("mSave");
    EXPECT_EQ(d.requests.back().initial, tweaked);
    EXPECT_EQ(title(), "house_tweaked.mdl - Fettle II");
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview - [ " + tweaked + "]");
    const size_t asked = d.requests.size();
    trigger("mUndo");
    EXPECT_TRUE(contains(logText(), "] Undo Remove shadow"));
    EXPECT_EQ(shadow->text().toStdString(), "Remove shadow");
    EXPECT_EQ(title(), "house_tweaked.mdl* - Fettle II");
    EXPECT_FALSE(form->action("mUndo")->isEnabled());
    trigger("mSave");
    EXPECT_EQ(d.requests.size(), asked);
    EXPECT_EQ(testutil::readFile(tweaked), original);
    EXPECT_EQ(testutil::readFile(house), original);

    // Save As asks again, proposing the current file; exports follow it.
    d.files = {dir.file("other.mdl")};
    trigger("mSaveAs");
    EXPECT_EQ(d.requests.back().initial, tweaked);
    EXPECT_EQ(title(), "other.mdl - Fettle II");
    d.files.clear();
    trigger("mASMExport");
    EXPECT_EQ(d.requests.back().initial, dir.file("other.asm"));
    trigger("mRedo");
    EXPECT_TRUE(contains(logText(), "] Redo Remove shadow"));
    click("cmdSimpleTweak_0");
    EXPECT_TRUE(contains(logText(), "] Shadow added to the object"));
    EXPECT_TRUE(form->currentModel()->Loaded());
}

TEST_F(Window, AsksBeforeUnsavedChangesAreLost) {
    start();
    const std::string house = writeHouse();
    const std::string other = dir.file("other.mdl");
    testutil::writeFile(other, testutil::readFile(house));
    ASSERT_TRUE(form->openModelFile(house, "mOpen_Click"));
    form->applyModelChange("Recolour", "", [](modkit::MDLObject& m) { m.MaterialList()->Item(1)->Diffuse()->setG(0.5f); });
    auto changed = form->currentModel();

    d.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(form->openModelFile(other, "mOpen_Click"));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].title, "Fettle II");
    EXPECT_EQ(d.messages[0].buttons, fettle::MsgButtons::SaveDiscardCancel);
    EXPECT_TRUE(contains(d.messages[0].text, "\"house.mdl\""));
    EXPECT_EQ(form->currentModel(), changed);

    // Exit: cancelled, the window stays; the configuration is not written.
    d.answers = {MsgAnswer::Cancel};
    form->close();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(std::filesystem::exists(configPath()));

    // Save chosen: the save dialog comes, then the other model opens.
    d.answers = {MsgAnswer::Save};
    d.files = {dir.file("kept.mdl")};
    EXPECT_TRUE(form->openModelFile(other, "mOpen_Click"));
    EXPECT_EQ(form->currentModel()->MDLPath(), other);
    std::string kept = testutil::readFile(dir.file("kept.mdl"));
    EXPECT_NE(kept, testutil::readFile(house));
    modkit::MDLObject back;
    back.readMDL(dir.file("kept.mdl"));
    EXPECT_FLOAT_EQ(back.MaterialList()->Item(1)->Diffuse()->g(), 0.5f);

    // Discard: no save, the exit goes on.
    form->applyModelChange("Recolour", "", [](modkit::MDLObject& m) { m.MaterialList()->Item(1)->Diffuse()->setG(0.7f); });
    d.answers = {MsgAnswer::Discard};
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(std::filesystem::exists(configPath()));
    EXPECT_EQ(testutil::readFile(dir.file("kept.mdl")), kept);
    form.reset();
}

TEST_F(Window, ShowsEveryLoadingStatusAndRefusesCommandsWhileLoading) {
    start();
    const std::string big = dir.file("big.mdl");
    testutil::writeFile(big, modelgen::syntheticModel(65535, 500000, 20000));
    bool sawBusy = false, openEnabled = true, tweakEnabled = true, undoEnabled = true, progressShown = false;
    int busyEvents = 0;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!form->isBusy()) return;
        ++busyEvents;
        if (sawBusy) return;
        sawBusy = true;
        openEnabled = form->action("mOpen")->isEnabled();
        tweakEnabled = form->button("cmdSimpleTweak_0")->isEnabled();
        undoEnabled = form->action("mUndo")->isEnabled();
        progressShown = form->loadingProgress().isVisible();
    });
    probe.start();
    ASSERT_TRUE(form->openModelFile(big, "mOpen_Click"));
    probe.stop();
    EXPECT_TRUE(sawBusy);
    EXPECT_GE(busyEvents, 6);  // events ran all through the load, not once
    EXPECT_FALSE(openEnabled);
    EXPECT_FALSE(tweakEnabled);
    EXPECT_FALSE(undoEnabled);
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(form->loadingProgress().shownStatuses(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(form->loadingProgress().isVisible());
    EXPECT_EQ(form->currentModel()->BGLCommandList()->Count() > 1000, true);
    EXPECT_EQ(std::string(fettle::frmLoadingProgress::statusText(4)), "Currently loading the BGL command list");
}

TEST_F(Window, OpensDroppedFilesAndTheCommandLineArgument) {
    start();
    const std::string house = writeHouse();
    form->openArgument(house);
    EXPECT_TRUE(d.messages.empty());
    ASSERT_TRUE(form->currentModel());
    EXPECT_EQ(form->currentModel()->MDLPath(), house);

    const std::string other = dir.file("dropped.MDL");
    testutil::writeFile(other, testutil::readFile(house));
    EXPECT_TRUE(dropOnMainWindow(other));
    EXPECT_EQ(form->currentModel()->MDLPath(), other);
    EXPECT_TRUE(contains(logText(), other + " opened"));

    // Something else is not taken.
    EXPECT_FALSE(dropOnMainWindow("/tmp/notes.txt"));

    // A missing file named on the command line is reported, nothing else happens.
    form->openArgument(dir.file("missing.mdl"));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].text.rfind("Error 53 (File not found) in procedure Form_Load of Form Form1\n", 0), 0u);
    EXPECT_EQ(form->currentModel()->MDLPath(), other);
}

TEST_F(Window, InformationBoxAndWindowToggles) {
    start();
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    EXPECT_FALSE(form->button("cmd_list_4")->isEnabled());  // no list of its own: says why in its tooltip
    EXPECT_TRUE(contains(form->button("cmd_list_4")->toolTip().toStdString(), "Not available"));

    trigger("mViewPreview");
    EXPECT_FALSE(form->preview().isVisible());
    EXPECT_FALSE(form->action("mViewPreview")->isChecked());
    trigger("mViewPreview");
    EXPECT_TRUE(form->preview().isVisible());
    trigger("mLog");
    EXPECT_TRUE(form->log().isVisible());
    form->log().close();
    EXPECT_FALSE(form->action("mLog")->isChecked());
    trigger("mViewList_0");
    EXPECT_TRUE(form->action("mViewList_0")->isChecked());
}

TEST_F(Window, PreviewDrawsOnceAfterLoadingAndAFailingFrameDisablesIt) {
    start();
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    auto& preview = form->preview();
    pump(350);
    const int frames = preview.framesDrawn();
    EXPECT_GE(frames, 1);
    pump(250);
    EXPECT_EQ(preview.framesDrawn(), frames);  // idle after the one frame

    // The house stands in the middle of a white picture, in its brick and roof colours.
    auto countModelPixels = [&] {
        QImage img = preview.openGLPreviewObject().grabFramebuffer();
        int coloured = 0, reddish = 0;
        for (int y = 0; y < img.height(); y += 4)
            for (int x = 0; x < img.width(); x += 4) {
                QColor c = img.pixelColor(x, y);
                if (c.red() < 240 || c.green() < 240 || c.blue() < 240) ++coloured;
                if (c.red() > c.blue() + 20) ++reddish;
            }
        EXPECT_EQ(img.pixelColor(1, 1), QColor(Qt::white));
        return std::make_pair(coloured, reddish);
    };
    auto [coloured, reddish] = countModelPixels();
    EXPECT_GT(coloured, 100);
    EXPECT_GT(reddish, coloured / 2);
    // Zoomed out, the model covers less of the picture.
    preview.sldZoom().setValue(50);
    pump(250);
    EXPECT_LT(countModelPixels().first, coloured / 2);

    preview.setFrameDrawer([](const fettle::PreviewView&) { throw std::runtime_error("lost the context"); });
    preview.drawMDLOnce();
    pump(350);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].text, "Error in procedure timerPreview_Timer of Form frmPreview");
    EXPECT_TRUE(contains(logText(), "] an error occured in the preview window and the preview will now be disabled"));
    preview.drawMDLOnce();
    pump(250);
    EXPECT_EQ(d.messages.size(), 1u);
    EXPECT_TRUE(preview.ticker().disabled());
}

TEST_F(Window, LocatesTexturesInSearchFoldersIgnoringCaseAndWarnsAboutTheRest) {
    start();
    std::filesystem::create_directories(dir.file("models"));
    std::filesystem::create_directories(dir.file("textures"));
    std::filesystem::create_directories(dir.file("abs"));
    const std::string model = dir.file("models/house.mdl");
    testutil::writeFile(model, modelgen::sampleHouse());
    auto bitmaps = modelgen::sampleBitmaps();
    ASSERT_GE(bitmaps.size(), 2u);
    // One bitmap in a relative search folder under another case, the other nowhere.
    std::string upper = bitmaps[0].name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    testutil::writeFile(dir.file("textures/" + upper), modelgen::bmpFile(bitmaps[0]));
    fettle::config().appendChild("TexturePath", dir.file("abs"));
    fettle::config().appendChild("TexturePath", "../textures");
    ASSERT_TRUE(form->openModelFile(model, "mOpen_Click"));
    auto textures = form->currentModel()->TextureList();
    for (const auto& t : *textures) {
        if (t->bitmap() == bitmaps[0].name) EXPECT_EQ(t->file(), dir.file("textures/" + upper));
        else EXPECT_EQ(t->file(), "") << t->bitmap();
    }
    // The load's warnings stay in the log, before the line of the command.
    const std::string log = logText();
    size_t warning = log.find("] Warning: could not locate texture file \"" + bitmaps[1].name + "\"");
    ASSERT_NE(warning, std::string::npos) << log;
    EXPECT_LT(warning, log.find(model + " opened"));
    EXPECT_EQ(log.rfind("\r\n[", 0), 0u);
}

int main(int argc, char** argv) {
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
