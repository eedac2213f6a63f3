// The main window: what only it shows of the document (title, menus, buttons,
// log, dialogs) and the preview's pixels. Opening, editing, undo and saving
// themselves are tested on the document (DocumentTest.cpp). Then the window as
// one workspace, also run at several QT_SCALE_FACTOR values (tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <set>
#include <sys/stat.h>

#include "MainWindowFixture.h"
#include "modkit/bgl/Conditions.h"
#include "modkit/core/MDLObject.h"
#include "preview/PreviewStatePanel.h"
#include "shell/frmLoadingProgress.h"

using fettle::MsgAnswer;
using testutil::containsText;
using testutil::pump;

namespace {

class Window : public testutil::MainWindowTest {
protected:
    std::string title() { return form->windowTitle().toStdString(); }
    std::string caption(const char* action) { return form->action(action)->text().toStdString(); }
    bool enabled(const QString& name) {
        if (QAction* a = form->action(name)) return a->isEnabled();
        return form->button(name)->isEnabled();
    }
};

}  // namespace

TEST_F(Window, StartsWithoutConfigurationWritesDefaultsAtExitAndUpgradesAnOldOne) {
    start();
    EXPECT_EQ(title(), "Fettle II");
    EXPECT_TRUE(form->preview().isVisible() && form->action("mViewPreview")->isChecked());
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview");
    for (int i = 0; i < 6; ++i)
        for (QString n : {"cmdSimpleTweak_%1", "cmd_list_%1", "mViewList_%1"}) EXPECT_FALSE(enabled(n.arg(i))) << n.arg(i).toStdString();
    for (const char* n : {"mSave", "mUndo"}) EXPECT_FALSE(enabled(n)) << n;
    EXPECT_FALSE(form->action("mFileLine2")->isVisible() || form->action("mLastFile_0")->isVisible());
    EXPECT_TRUE(containsText(form->button("cmd_list_4")->toolTip().toStdString(), "Not available"));  // says why it is off
    trigger("mViewPreview");
    EXPECT_FALSE(form->preview().isVisible() || form->action("mViewPreview")->isChecked());

    form->close();  // written at exit: the export test; its text: ConfigTest
    form.reset();

    // An old one is upgraded and its recent files are shown.
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

TEST_F(Window, OpensSavesReopensTweaksAndKeepsTheModelWhenAnOpenFails) {
    start();
    const std::string house = writeHouse("House.mdl");
    const auto bitmaps = modelgen::sampleBitmaps();
    std::filesystem::remove(dir.file(bitmaps[1].name));
    d.files = {house};
    trigger("mOpen");
    ASSERT_EQ(d.requests.size(), 1u);
    EXPECT_EQ(d.requests[0].filter + " " + d.requests[0].title, "MDL file (*.mdl)|*.mdl Open model");
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
    trigger("mSave");  // what a save writes is checked below
    EXPECT_TRUE(containsText(logText(), "] " + dir.file("copy.mdl") + " saved"));
    EXPECT_EQ(caption("mLastFile_0"), dir.file("copy.mdl"));

    // Reopening an older entry moves it to the front (how many are kept is ConfigTest's).
    trigger("mLastFile_1");
    EXPECT_EQ(form->currentModel()->MDLPath(), house);
    EXPECT_EQ(caption("mLastFile_0"), house);

    // A file that is no model: said; the title and buttons stay (the model: DocumentTest).
    testutil::writeFile(dir.file("text.mdl"), "not a model file");
    d.files = {dir.file("text.mdl")};
    trigger("mOpen");
    EXPECT_EQ(d.messages.at(0).title, "Fettle II");
    EXPECT_EQ(headline(), "Error 100 (This is not a valid RIFF scenery MDL file) in procedure mOpen_Click of Form Form1");
    EXPECT_FALSE(form->loadingProgress().isVisible());
    EXPECT_TRUE(enabled("mOpen") && enabled("cmdSimpleTweak_0"));
    EXPECT_EQ(caption("mLastFile_0"), house);
    EXPECT_EQ(title(), "House.mdl - Fettle II");

    // A tweak, its undo and the saves show in the title, menus, buttons and log.
    QPushButton* shadow = form->button("cmdSimpleTweak_0");
    click("cmdSimpleTweak_0");
    EXPECT_TRUE(containsText(logText(), "] Shadow killed of the object"));
    EXPECT_EQ(shadow->text().toStdString(), "Add shadow");
    EXPECT_EQ(title(), "House.mdl* - Fettle II");
    EXPECT_EQ(caption("mUndo"), "&Undo Remove shadow");
    // The house has no lights: nothing to fix, no step.
    click("cmdSimpleTweak_3");
    EXPECT_TRUE(containsText(logText(), "] no BGL_LIGHT problem found"));

    // The first Save asks; later ones write the current file.
    const std::string tweaked = dir.file("House_tweaked.mdl");
    d.files = {tweaked};
    trigger("mSave");
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview - [ " + tweaked + "]");
    const size_t asked = d.requests.size();
    trigger("mUndo");
    EXPECT_EQ(shadow->text().toStdString(), "Remove shadow");
    EXPECT_EQ(title(), "House_tweaked.mdl* - Fettle II");
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
    EXPECT_TRUE(containsText(logText(), "] Shadow added to the object"));
}

TEST_F(Window, ExportsTrapTheirErrorsAndUnsavedChangesAreAskedAbout) {
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
        EXPECT_EQ(d.requests.back().filter + " " + d.requests.back().title + " " + d.requests.back().initial,
                  std::string(e.filter) + " " + e.title + " " + dir.file(e.proposed));
        EXPECT_GT(testutil::readFile(dir.file(e.target)).size(), 100u) << e.target;
        EXPECT_TRUE(containsText(logText(), "] " + dir.file(e.target) + " exported"));
    }
    EXPECT_TRUE(containsText(testutil::readFile(dir.file("out.flt")), ".DDS"));  // the configured texture format

    // A read-only target: the trapped message, an error line, the file unchanged.
    testutil::writeFile(dir.file("locked.asm"), "old");
    ::chmod(dir.file("locked.asm").c_str(), 0444);
    d.files = {dir.file("locked.asm")};
    trigger("mASMExport");
    const std::string refused = message();
    EXPECT_EQ(refused.rfind("Error 70 (Permission denied) in procedure mASMExport_Click of Form Form1\n\n"
                            "File: " + dir.file("locked.asm"), 0), 0u) << refused;
    EXPECT_TRUE(containsText(logText(), "Error: could not export \"" + dir.file("locked.asm") + "\": Error 70"));
    EXPECT_EQ(testutil::readFile(dir.file("locked.asm")), "old");
    // Cancelled: nothing at all.
    trigger("mFLTExport");

    // Unsaved changes: asked about before they are lost.
    const std::string house = dir.file("house.mdl");
    const std::string other = dir.file("other.mdl");
    testutil::writeFile(other, testutil::readFile(house));
    auto recolour = [&](float g) {
        form->applyModelChange("Recolour", "", [g](modkit::MDLObject& m) { m.MaterialList()->Item(1)->Diffuse()->setG(g); });
    };
    recolour(0.5f);
    auto changed = form->currentModel();

    d.answers = {MsgAnswer::Cancel};
    EXPECT_FALSE(form->openModelFile(other, "mOpen_Click"));
    EXPECT_EQ(d.messages.at(0).buttons, fettle::MsgButtons::SaveDiscardCancel);
    EXPECT_TRUE(containsText(message(), "\"house.mdl\""));
    EXPECT_EQ(form->currentModel(), changed);

    // Exit: cancelled, the window stays; the configuration is not written.
    d.answers = {MsgAnswer::Cancel};
    form->close();
    EXPECT_TRUE(containsText(message(), "\"house.mdl\""));
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
}

TEST_F(Window, PreviewDrawsOnceFramesZoomsTakesDropsAndAFailingFrameDisablesIt) {
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
    // A header box far off the model frames nothing: the vertices are framed instead.
    form->currentModel()->BoundingBox()->setXmin(5000);
    form->currentModel()->BoundingBox()->setXmax(9000);
    preview.drawMDLOnce();
    pump(300);
    const int framed = previewPixels().first;
    EXPECT_GT(framed, 100);

    auto& pic = preview.openGLPreviewObject();
    QWheelEvent wheel(QPointF(pic.width() / 2, pic.height() / 2), pic.mapToGlobal(QPointF(0, 0)), {}, {0, 240},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&pic, &wheel);
    pump(300);
    EXPECT_EQ(preview.sldZoom().value(), 144);  // two notches of 1.2
    EXPECT_GT(previewPixels().first, framed);
    // F (Home too) frames the model again while the picture has the focus.
    QApplication::setActiveWindow(form.get());
    pic.setFocus();
    QTest::keyClick(&pic, Qt::Key_F);
    pump(300);
    EXPECT_EQ(preview.sldZoom().value(), 100);

    // Zoomed out with the slider, the model covers less of the picture.
    preview.sldZoom().setValue(50);
    pump(250);
    EXPECT_LT(previewPixels().first, coloured / 2);
    const std::string other = writeHouse("other.mdl");
    ASSERT_TRUE(dropOnMainWindow(other, &pic));
    EXPECT_EQ(doc().path(), other);

    preview.setFrameDrawer([](const fettle::PreviewView&) { throw std::runtime_error("lost the context"); });
    preview.drawMDLOnce();
    pump(350);
    EXPECT_EQ(message(), "Error in procedure timerPreview_Timer of Form frmPreview");
    EXPECT_TRUE(containsText(logText(), "] an error occured in the preview window and the preview will now be disabled"));
    preview.drawMDLOnce();
    pump(250);
    EXPECT_TRUE(preview.ticker().disabled());
}

// The preview's state panel: the picture follows the chosen state at once.
TEST_F(Window, PreviewPictureFollowsTheStateAndTestedVariablesGetControls) {
    start();
    // The seasonal house, whose body call also tests user variable 1 (bit 4).
    modkit::MDLObject m;
    m.readMDLBytes(modelgen::seasonalSampleHouse());
    auto conditions = m.BGLCommandList()->getConditions(-1);
    auto mask = std::make_shared<modkit::Condition>();
    mask->setCType(modkit::CondType::mask);
    mask->setVar("786");
    mask->setMin(4);
    conditions->Add(mask);
    m.BGLCommandList()->addCondition(conditions);
    testutil::writeFile(dir.file("house_seasons.mdl"), m.toBytes());
    for (const auto& list : {modelgen::sampleBitmaps(), modelgen::seasonalSampleBitmaps()})
        for (const auto& b : list) testutil::writeFile(dir.file(b.name), modelgen::bmpFile(b));
    ASSERT_TRUE(form->openModelFile(dir.file("house_seasons.mdl"), "mOpen_Click"));
    auto& preview = form->preview();
    fettle::PreviewStatePanel& panel = preview.statePanel();
    pump(300);

    auto picture = [&] {  // coloured and snowy pixels
        pump(300);
        return previewPixels(3, [](const QColor& c) { return c.red() > 170 && c.blue() > c.red() && c.blue() < 250; });
    };
    // Without a state every triangle is drawn.
    EXPECT_FALSE(panel.chkState().isChecked());
    EXPECT_GT(picture().first, 50);

    QWidget* user1 = panel.variableControl(0x312);
    ASSERT_NE(user1, nullptr);
    EXPECT_EQ(user1->accessibleName().toStdString(), "User variable 1");
    for (QWidget* w : panel.findChildren<QWidget*>())
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QSpinBox*>(w) || qobject_cast<QCheckBox*>(w)) {
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
        }

    // User variable 1 without bit 4: the object is hidden.
    panel.chkState().setChecked(true);
    EXPECT_EQ(picture().first, 0);
    static_cast<QSpinBox*>(user1)->setValue(4);
    const auto summer = picture();
    EXPECT_GT(summer.first, 50);
    panel.cmbSeason().setCurrentIndex(0);
    Q_EMIT panel.cmbSeason().activated(0);
    EXPECT_EQ(panel.txtDay().value(), 15);
    EXPECT_GT(picture().second, summer.second + 20);  // a snowy roof
    panel.txtDistance().setValue(5001);
    EXPECT_EQ(picture().first, 0);
}

// ---------------------------------------------------------------- workspace
namespace {

const char* const kPanels[][2] = {{"mViewList_0", "frmMATE"}, {"mViewList_1", "frmTEXT"}, {"mViewList_2", "frmVERT"},
                                  {"mViewList_3", "frmBGLC"}, {"mViewList_5", "frmStats"}, {"mViewCond", "frmCond"},
                                  {"mLog", "frmLog"}};

class Workspace : public Window {
protected:
    void restart() {
        form->close();
        form.reset();
        start();
    }
    QRect screenArea() const { return form->screen()->availableGeometry(); }
    QDockWidget* dock(const char* name) { return form->dockOf(form->findChild<QWidget*>(name)); }
};

}  // namespace

TEST_F(Workspace, EveryPanelDocksInOneWindowThatFitsTheScreen) {
    start();
    const std::string house = writeHouse();
    ASSERT_TRUE(form->openModelFile(house, "mOpen_Click"));
    EXPECT_EQ(form->findChild<QLabel*>("lblStatusCounts")->text(), "34 vertices, 16 triangles, 2 textures");
    EXPECT_EQ(form->findChild<QLabel*>("lblStatusFile")->text().toStdString(), house);
    std::set<QString> keys;
    for (const auto& [item, name] : kPanels) {
        keys.insert(form->action(item)->shortcut().toString());
        trigger(item);
        QDockWidget* d = dock(name);
        ASSERT_NE(d, nullptr) << name;
        EXPECT_TRUE(d->widget()->isVisible() && !d->isFloating()) << name;
        EXPECT_EQ(d->windowTitle(), form->findChild<QWidget*>(name)->windowTitle());
        EXPECT_FALSE(d->accessibleName().isEmpty()) << name;
    }
    EXPECT_EQ(keys.size(), std::size(kPanels));
    EXPECT_FALSE(keys.count(QString()));
    pump(200);
    EXPECT_TRUE(screenArea().contains(form->frameGeometry())) << form->frameGeometry().width();
    EXPECT_TRUE(form->preview().openGLPreviewObject().height() >= 80 && form->preview().openGLPreviewObject().width() >= 100);

    dock("frmVERT")->setFloating(true);
    trigger("mResetLayout");
    EXPECT_FALSE(dock("frmVERT")->isFloating() || dock("frmVERT")->isHidden());

    // Undo and Redo keys take one step from a panel, docked or floating; Escape closes it, its dock too.
    click("cmdSimpleTweak_0");
    click("cmdSimpleTweak_0");
    QWidget* inside = form->findChild<QWidget*>("lblNumVert");
    for (bool floating : {false, true}) {
        dock("frmStats")->setFloating(floating);
        QApplication::setActiveWindow(inside->window());
        QTest::keyClick(inside, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(doc().undoStack().index(), 1) << floating;
        QTest::keyClick(inside, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(doc().undoStack().index(), 2) << floating;
    }
    QTest::keyClick(inside, Qt::Key_Escape);
    EXPECT_TRUE(dock("frmStats")->isHidden());
}

TEST_F(Workspace, LayoutComesBackAndStaysOnAShrunkScreen) {
    start();
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    trigger("mViewList_0");
    trigger("mLog");
    dock("frmMATE")->setFloating(true);
    form->resize(screenArea().size() * 3 / 4);
    pump(100);
    const QSize size = form->size();
    restart();
    ASSERT_NE(dock("frmMATE"), nullptr);
    EXPECT_TRUE(dock("frmMATE")->isFloating() && dock("frmMATE")->isVisible());
    EXPECT_TRUE(form->log().isVisible());
    EXPECT_EQ(form->size(), size);

    // Saved on a larger screen, partly off this one.
    form->setGeometry(QRect(screenArea().center(), screenArea().size() * 2));
    pump(100);
    restart();
    pump(100);
    EXPECT_TRUE(screenArea().contains(form->frameGeometry()));
    EXPECT_TRUE(screenArea().contains(dock("frmMATE")->frameGeometry()));
    form->close();
    const std::string saved = testutil::readFile(configPath());
    EXPECT_EQ(saved.find("<Workspace "), saved.rfind("<Workspace "));  // one element, kept up to date
    EXPECT_NE(saved.find("<LastFile>"), std::string::npos);
}

int main(int argc, char** argv) { return testutil::runTests(argc, argv, false); }
