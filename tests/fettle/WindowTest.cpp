// The main window: what only it shows of the document (title, menus, buttons,
// log, dialogs) and the preview's pixels. Opening, editing, undo and saving
// themselves are tested on the document (DocumentTest.cpp).
#include <gtest/gtest.h>

#include <QSlider>
#include <QTimer>
#include <sys/stat.h>

#include "MainWindowFixture.h"
#include "modkit/core/MDLObject.h"
#include "shell/frmLoadingProgress.h"

using fettle::Form1;
using fettle::MsgAnswer;
using testutil::contains;
using testutil::pump;

namespace {

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
    std::string title() { return form->windowTitle().toStdString(); }
    std::string caption(const char* action) { return form->action(action)->text().toStdString(); }
    bool enabled(const QString& name) {
        if (QAction* a = form->action(name)) return a->isEnabled();
        return form->button(name)->isEnabled();
    }
};

}  // namespace

TEST_F(Window, StartsWithoutConfigurationAndWritesDefaultsAtExit) {
    start();
    EXPECT_EQ(title(), "Fettle II");
    EXPECT_TRUE(form->preview().isVisible() && form->action("mViewPreview")->isChecked());
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview");
    for (int i = 0; i < 6; ++i)
        for (QString n : {"cmdSimpleTweak_%1", "cmd_list_%1", "mViewList_%1"}) EXPECT_FALSE(enabled(n.arg(i))) << n.arg(i).toStdString();
    for (const char* n : {"mSave", "mUndo"}) EXPECT_FALSE(enabled(n)) << n;
    EXPECT_FALSE(form->action("mFileLine2")->isVisible() || form->action("mLastFile_0")->isVisible());
    EXPECT_EQ(form->button("cmd_list_2")->toolTip().toStdString(), "Display vertex list");
    EXPECT_TRUE(contains(form->button("cmd_list_4")->toolTip().toStdString(), "Not available"));  // says why it is off
    trigger("mViewPreview");
    EXPECT_FALSE(form->preview().isVisible() || form->action("mViewPreview")->isChecked());
    trigger("mLog");
    form->log().close();
    EXPECT_FALSE(form->action("mLog")->isChecked());

    form->close();
    form.reset();
    EXPECT_TRUE(std::filesystem::exists(home.path() + "/fettle/fettle.xml"));  // its text is ConfigTest's
}

TEST_F(Window, UpgradesAnOldConfigurationAndShowsItsRecentFiles) {
    std::filesystem::create_directories(home.path() + "/fettle");
    testutil::writeFile(home.path() + "/fettle/fettle.xml",
                        "<Configuration><ConfigVersion>200100</ConfigVersion><LastFile>/gone/A.mdl</LastFile>"
                        "<LastFile>/gone/b.mdl</LastFile></Configuration>");
    start();
    EXPECT_EQ(message(), "Incorrect config.xml version, your config file is updated");
    EXPECT_TRUE(form->action("mFileLine2")->isVisible());
    EXPECT_EQ(caption("mLastFile_0"), "/gone/A.mdl");
    EXPECT_EQ(caption("mLastFile_1"), "/gone/b.mdl");
    EXPECT_FALSE(form->action("mLastFile_2")->isVisible());

    // A vanished file leaves the list without a word.
    trigger("mLastFile_0");
    EXPECT_EQ(caption("mLastFile_0"), "/gone/b.mdl");
    EXPECT_FALSE(form->action("mLastFile_1")->isVisible());
}

TEST_F(Window, OpensSavesAndKeepsNineRecentFilesAsEight) {
    start();
    const std::string house = writeHouse("House.mdl");
    const std::string original = testutil::readFile(house);
    const auto bitmaps = modelgen::sampleBitmaps();
    std::filesystem::remove(dir.file(bitmaps[1].name));
    d.files = {house};
    trigger("mOpen");
    ASSERT_EQ(d.requests.size(), 1u);
    EXPECT_EQ(d.requests[0].filter, "MDL file (*.mdl)|*.mdl");
    EXPECT_EQ(d.requests[0].title, "Open model");
    ASSERT_TRUE(form->currentModel());
    EXPECT_EQ(title(), "House.mdl - Fettle II");
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview - [ " + house + "]");
    EXPECT_EQ(fettle::config().text("LastMDL"), house);
    EXPECT_EQ(caption("mLastFile_0"), house);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(enabled(QString("cmd_list_%1").arg(i)), i != 4) << i;
    EXPECT_TRUE(enabled("cmdSimpleTweak_0"));
    // The log starts afresh with the load's own warnings, then the command's line.
    const std::string log = logText();
    const size_t warning = log.find("] Warning: could not locate texture file \"" + bitmaps[1].name + "\"");
    EXPECT_EQ(warning, log.find("]") );
    EXPECT_LT(warning, log.find("] " + house + " opened")) << log;

    d.files = {dir.file("copy.mdl")};
    trigger("mSave");
    EXPECT_EQ(d.requests.back().kind, "save");
    EXPECT_EQ(testutil::readFile(dir.file("copy.mdl")), original);
    EXPECT_TRUE(contains(logText(), "] " + dir.file("copy.mdl") + " saved"));
    EXPECT_EQ(caption("mLastFile_0"), dir.file("copy.mdl"));

    // Nine more files: eight entries, the newest first; reopening one moves it to the front.
    for (int i = 1; i <= 9; ++i) {
        std::string p = dir.file("m" + std::to_string(i) + ".MDL");
        testutil::writeFile(p, original);
        ASSERT_TRUE(form->openModelFile(p, "mOpen_Click"));
    }
    EXPECT_EQ(caption("mLastFile_7"), dir.file("m2.MDL"));
    trigger("mLastFile_3");
    EXPECT_EQ(form->currentModel()->MDLPath(), dir.file("m6.MDL"));
    EXPECT_EQ(caption("mLastFile_0"), dir.file("m6.MDL"));
}

TEST_F(Window, ExportsWithDefaultNamesAndTrapsTheirErrors) {
    start();
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    fettle::config().setText("FLTTex", "DDS");
    const struct {
        const char *action, *filter, *title, *proposed, *target;
    } exports[] = {
        {"mASMExport", "BGLC source file (*.asm)|*.asm", "Export BGLC source as", "house.asm", "house.asm"},
        {"mFLTExport", "OpenFlight file (*.flt)|*.flt", "Export OpenFlight file as", "house.flt", "out.flt"},
        {"mGLTFExport", "glTF binary (*.glb)|*.glb|glTF with separate files (*.gltf)|*.gltf", "Export glTF as", "house.glb", "out.gltf"},
    };
    for (const auto& e : exports) {
        d.files = {dir.file(e.target)};
        trigger(e.action);
        EXPECT_EQ(d.requests.back().filter, e.filter);
        EXPECT_EQ(d.requests.back().title, e.title);
        EXPECT_EQ(d.requests.back().initial, dir.file(e.proposed));
        EXPECT_GT(testutil::readFile(dir.file(e.target)).size(), 100u) << e.target;
        EXPECT_TRUE(contains(logText(), "] " + dir.file(e.target) + " exported"));
    }
    EXPECT_TRUE(contains(testutil::readFile(dir.file("out.flt")), ".DDS"));  // the configured texture format

    // A read-only target: the trapped message, an error line, the file unchanged.
    testutil::writeFile(dir.file("locked.asm"), "old");
    ::chmod(dir.file("locked.asm").c_str(), 0444);
    d.files = {dir.file("locked.asm")};
    trigger("mASMExport");
    const std::string refused = message();
    EXPECT_EQ(refused.rfind("Error 70 (Permission denied) in procedure mASMExport_Click of Form Form1\n\n"
                            "File: " + dir.file("locked.asm"), 0), 0u) << refused;
    EXPECT_TRUE(contains(logText(), "Error: could not export \"" + dir.file("locked.asm") + "\": Error 70"));
    EXPECT_EQ(testutil::readFile(dir.file("locked.asm")), "old");
    // Cancelled: nothing at all.
    trigger("mFLTExport");
}

TEST_F(Window, AFailingOpenKeepsThePreviousModel) {
    start();
    const std::string house = writeHouse();
    ASSERT_TRUE(form->openModelFile(house, "mOpen_Click"));
    auto before = form->currentModel();
    testutil::writeFile(dir.file("text.mdl"), "not a model file");
    d.files = {dir.file("text.mdl")};
    trigger("mOpen");
    EXPECT_EQ(d.messages.at(0).title, "Fettle II");
    EXPECT_EQ(headline(), "Error 100 (This is not a valid RIFF scenery MDL file) in procedure mOpen_Click of Form Form1");
    EXPECT_EQ(form->currentModel(), before);
    EXPECT_FALSE(form->loadingProgress().isVisible());
    EXPECT_TRUE(enabled("mOpen") && enabled("cmdSimpleTweak_0"));
    EXPECT_EQ(caption("mLastFile_0"), house);
    EXPECT_EQ(title(), "house.mdl - Fettle II");
}

TEST_F(Window, TweaksUndoAndSaveShowInTitleMenusButtonsAndLog) {
    start();
    const std::string house = writeHouse();
    ASSERT_TRUE(form->openModelFile(house, "mOpen_Click"));
    QPushButton* shadow = form->button("cmdSimpleTweak_0");
    EXPECT_EQ(shadow->toolTip().toStdString(), "Add code to kill the shadow of the object in FS");

    click("cmdSimpleTweak_0");
    EXPECT_TRUE(contains(logText(), "] Shadow killed of the object"));
    EXPECT_EQ(shadow->text().toStdString(), "Add shadow");
    EXPECT_EQ(title(), "house.mdl* - Fettle II");
    EXPECT_EQ(caption("mUndo"), "&Undo Remove shadow");
    // The house has no lights: nothing to fix, no step.
    click("cmdSimpleTweak_3");
    EXPECT_TRUE(contains(logText(), "] no BGL_LIGHT problem found"));

    // The first Save asks; later ones write the current file.
    const std::string tweaked = dir.file("house_tweaked.mdl");
    d.files = {tweaked};
    trigger("mSave");
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview - [ " + tweaked + "]");
    const size_t asked = d.requests.size();
    trigger("mUndo");
    EXPECT_EQ(shadow->text().toStdString(), "Remove shadow");
    EXPECT_EQ(title(), "house_tweaked.mdl* - Fettle II");
    EXPECT_FALSE(enabled("mUndo"));
    EXPECT_EQ(caption("mRedo"), "&Redo Remove shadow");
    trigger("mSave");
    EXPECT_EQ(d.requests.size(), asked);
    EXPECT_EQ(testutil::readFile(tweaked), testutil::readFile(house));

    // Save As asks even so.
    d.files = {dir.file("other.mdl")};
    trigger("mSaveAs");
    EXPECT_EQ(d.requests.size(), asked + 1);
    trigger("mRedo");
    click("cmdSimpleTweak_0");
    EXPECT_TRUE(contains(logText(), "] Shadow added to the object"));
}

TEST_F(Window, AsksBeforeUnsavedChangesAreLost) {
    start();
    const std::string house = writeHouse();
    const std::string other = dir.file("other.mdl");
    testutil::writeFile(other, testutil::readFile(house));
    ASSERT_TRUE(form->openModelFile(house, "mOpen_Click"));
    auto recolour = [&](float g) {
        form->applyModelChange("Recolour", "", [g](modkit::MDLObject& m) { m.MaterialList()->Item(1)->Diffuse()->setG(g); });
    };
    recolour(0.5f);
    auto changed = form->currentModel();

    d.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(form->openModelFile(other, "mOpen_Click"));
    EXPECT_EQ(d.messages.at(0).buttons, fettle::MsgButtons::SaveDiscardCancel);
    EXPECT_TRUE(contains(message(), "\"house.mdl\""));
    EXPECT_EQ(form->currentModel(), changed);

    // Exit: cancelled, the window stays; the configuration is not written.
    d.answers = {MsgAnswer::Cancel};
    form->close();
    EXPECT_TRUE(contains(message(), "\"house.mdl\""));
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(std::filesystem::exists(configPath()));

    // Save chosen: the save dialog comes, then the other model opens.
    d.answers = {MsgAnswer::Save};
    d.files = {dir.file("kept.mdl")};
    EXPECT_TRUE(form->openModelFile(other, "mOpen_Click"));
    EXPECT_NE(message(), "");
    EXPECT_EQ(doc().path(), other);
    const std::string kept = testutil::readFile(dir.file("kept.mdl"));
    EXPECT_NE(kept, testutil::readFile(other));

    // Discard: no save, the exit goes on.
    recolour(0.7f);
    d.answers = {MsgAnswer::Discard};
    form->close();
    EXPECT_NE(message(), "");
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(std::filesystem::exists(configPath()));
    EXPECT_EQ(testutil::readFile(dir.file("kept.mdl")), kept);
    form.reset();
}

TEST_F(Window, ShowsEveryLoadingStatusAndRefusesCommandsWhileLoading) {
    start();
    const std::string big = dir.file("big.mdl");
    testutil::writeFile(big, modelgen::syntheticModel(65535, 500000, 20000));
    std::vector<bool> whileBusy;  // open, tweak, undo enabled; progress shown
    int busyEvents = 0;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!form->isBusy() || busyEvents++) return;
        whileBusy = {enabled("mOpen"), enabled("cmdSimpleTweak_0"), enabled("mUndo"), form->loadingProgress().isVisible()};
    });
    probe.start();
    ASSERT_TRUE(form->openModelFile(big, "mOpen_Click"));
    probe.stop();
    EXPECT_GE(busyEvents, 6);  // events ran all through the load, not once
    EXPECT_EQ(whileBusy, (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(form->loadingProgress().shownStatuses(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_FALSE(form->loadingProgress().isVisible());
    EXPECT_EQ(std::string(fettle::frmLoadingProgress::statusText(4)), "Currently loading the BGL command list");
}

TEST_F(Window, OpensDroppedFilesAndTheCommandLineArgument) {
    start();
    const std::string house = writeHouse();
    form->openArgument(house);
    EXPECT_EQ(doc().path(), house);

    const std::string other = dir.file("dropped.MDL");
    testutil::writeFile(other, testutil::readFile(house));
    EXPECT_TRUE(dropOnMainWindow(other));
    EXPECT_EQ(doc().path(), other);
    // Something else is not taken.
    EXPECT_FALSE(dropOnMainWindow("/tmp/notes.txt"));

    // A missing file named on the command line is reported, nothing else happens.
    form->openArgument(dir.file("missing.mdl"));
    EXPECT_EQ(headline(), "Error 53 (File not found) in procedure Form_Load of Form Form1");
    EXPECT_EQ(doc().path(), other);
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
    EXPECT_EQ(preview.openGLPreviewObject().grabFramebuffer().pixelColor(1, 1), QColor(Qt::white));
    auto [coloured, reddish] = previewPixels(4, [](const QColor& c) { return c.red() > c.blue() + 20; });
    EXPECT_GT(coloured, 100);
    EXPECT_GT(reddish, coloured / 2);
    // Zoomed out, the model covers less of the picture.
    preview.sldZoom().setValue(50);
    pump(250);
    EXPECT_LT(previewPixels().first, coloured / 2);

    preview.setFrameDrawer([](const fettle::PreviewView&) { throw std::runtime_error("lost the context"); });
    preview.drawMDLOnce();
    pump(350);
    EXPECT_EQ(message(), "Error in procedure timerPreview_Timer of Form frmPreview");
    EXPECT_TRUE(contains(logText(), "] an error occured in the preview window and the preview will now be disabled"));
    preview.drawMDLOnce();
    pump(250);
    EXPECT_TRUE(preview.ticker().disabled());
}

int main(int argc, char** argv) {
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
