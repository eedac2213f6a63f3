// The batch converter, the BGL browser and the command tree, driven through
// their object names from the main window with scripted dialogs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <filesystem>
#include <sys/stat.h>

#include "FltWalker.h"
#include "MainWindowFixture.h"
#include "editors/BGLCommandTree.h"
#include "editors/Editors.h"
#include "editors/frmBGLBrowser.h"
#include "editors/frmBGLC.h"
#include "editors/frmFLTExport.h"
#include "modkit/bglfile/BGLObject.h"
#include "modkit/core/MDLObject.h"

using fettle::MsgAnswer;
using testutil::child;
using testutil::contains;
using testutil::lines;
using testutil::readFile;
using testutil::writeFile;

namespace {

bool exists(const std::string& p) { return std::filesystem::exists(p); }

class Tools : public testutil::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start(fettle::registerEditors);
    }
};

// ---------------------------------------------------------------- converter

class Converter : public Tools {
protected:
    fettle::frmFLTExport* open() {
        trigger("mOpenFlightConv");
        auto* w = child<fettle::frmFLTExport>(form.get(), "frmFLTExport");
        EXPECT_TRUE(w && w->isVisible());
        return w;
    }
};

TEST_F(Converter, ConvertsEveryChosenModelAndReportsEachOne) {
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    const auto current = form->currentModel();
    fettle::config().setText("FLTTex", "DDS");
    auto* w = open();
    EXPECT_TRUE(child<QRadioButton>(w, "optFLTTex_1")->isChecked() && child<QCheckBox>(w, "chk_outdir")->isChecked());
    EXPECT_EQ(testutil::text(w, "txt_flt_rot"), "0.0");
    for (const char* off : {"txt_outdir", "lbl_outdir", "cmd_outdir"}) EXPECT_FALSE(child(w, off)->isEnabled()) << off;

    writeFile(dir.file("Tower.MDL"), modelgen::syntheticModel(30, 12, 2));
    writeFile(dir.file("shed.mdl"), modelgen::syntheticModel(20, 6, 0));
    writeFile(dir.file("broken.mdl"), "RIFF, but no model");
    d.fileLists = {{dir.file("house.mdl"), dir.file("Tower.MDL"), dir.file("broken.mdl"), dir.file("gone.mdl"),
                    dir.file("shed.mdl")}};
    click("cmdSelectMDL", w);
    ASSERT_EQ(d.requests.back().kind, "open-many");
    EXPECT_EQ(d.requests.back().filter + " " + d.requests.back().title, "MDL file (*.mdl)|*.mdl|All files (*.*)|*.* Select MDL file");

    // Each beside its model with the configured texture type (the names are FLTBatchTest's).
    for (const char* f : {"house.flt", "tower.flt", "shed.flt", "house_walls.DDS.attr"}) EXPECT_TRUE(exists(dir.file(f))) << f;
    auto result = lines(w, "lstResult");
    ASSERT_EQ(result.size(), 5u);
    EXPECT_EQ(result[1], dir.file("Tower.MDL") + " -> " + dir.file("tower.flt"));
    EXPECT_EQ(result[2], dir.file("broken.mdl") + ": Error 100 (This is not a valid RIFF scenery MDL file)");
    EXPECT_EQ(result[3], dir.file("gone.mdl") + ": not found, skipped");
    EXPECT_EQ(child<QLabel>(w, "lblStatus")->text().toStdString(), "3 converted, 1 failed, 1 not found");
    EXPECT_EQ(child<QProgressBar>(w, "prgConvert")->value(), 5);
    EXPECT_TRUE(contains(logText(), "] " + dir.file("tower.flt") + " exported"));
    EXPECT_TRUE(contains(logText(), "] Error: " + dir.file("broken.mdl") + " not converted: Error 100"));
    EXPECT_TRUE(form->currentModel() == current && !doc().isModified());  // the main window's model is untouched
}

TEST_F(Converter, ItsSettingsAreCheckedAndTakeEffect) {
    writeHouse();
    testutil::TempDir out;
    auto* w = open();
    EXPECT_TRUE(child<QRadioButton>(w, "optFLTTex_0")->isChecked());  // the default RGB
    child<QCheckBox>(w, "chk_outdir")->setChecked(false);
    EXPECT_TRUE(child(w, "txt_outdir")->isEnabled() && child(w, "cmd_outdir")->isEnabled());

    // No folder, one that does not exist, a rotation that is not a number: the message, no file dialog.
    const struct {
        std::string folder, rotation, title, text;
    } refused[] = {
        {"", "0.0", "Fettle II", "The selected output folder is not valid"},
        {dir.file("nowhere"), "0.0", "Fettle II", "The selected output folder is not valid"},
        {out.path(), "left", "Fettle II error", "The additional rotation must be a number of degrees"},  // FieldRule's others
    };
    for (const auto& r : refused) {
        child<QLineEdit>(w, "txt_outdir")->setText(QString::fromStdString(r.folder));
        child<QLineEdit>(w, "txt_flt_rot")->setText(QString::fromStdString(r.rotation));
        click("cmdSelectMDL", w);
        EXPECT_EQ(d.messages.at(0).title, r.title) << r.folder << r.rotation;
        const std::string shown = message();
        EXPECT_EQ(shown.rfind(r.text, 0), 0u) << shown;  // a refused rotation goes on to say what it takes
        EXPECT_TRUE(d.requests.empty());
    }
    d.files = {out.path() + "/"};
    click("cmd_outdir", w);
    click("cmd_outdir", w);  // cancelled: the folder stays
    EXPECT_EQ(testutil::text(w, "txt_outdir"), out.path() + "/");

    // TIF, no attribute files, a quarter turn: all three reach the database.
    child<QRadioButton>(w, "optFLTTex_2")->setChecked(true);
    child<QCheckBox>(w, "chk_write_attr")->setChecked(false);
    child<QLineEdit>(w, "txt_flt_rot")->setText("90");
    d.fileLists = {{dir.file("house.mdl")}};
    click("cmdSelectMDL", w);
    auto turned = fltcheck::walk(readFile(out.file("house.flt")));
    EXPECT_EQ(turned.textures, (std::vector<std::string>{"house_walls.TIF", "house_roof.TIF"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 1);
    EXPECT_FALSE(exists(dir.file("house.flt")));
    modkit::MDLObject m;
    m.readMDL(dir.file("house.mdl"));
    m.exportFLT(dir.file("plain.flt"), "TIF", false, 0);
    EXPECT_NE(turned.positions, fltcheck::walk(readFile(dir.file("plain.flt"))).positions);

    // Shown again, it starts from the configured texture type with no results.
    click("cmdCancel", w);
    fettle::config().setText("FLTTex", "TIF");
    child<QRadioButton>(w, "optFLTTex_0")->setChecked(true);
    open();
    EXPECT_TRUE(child<QRadioButton>(w, "optFLTTex_2")->isChecked());
    EXPECT_TRUE(lines(w, "lstResult").empty());
}

TEST_F(Converter, StaysResponsiveAndCanBeStoppedBetweenModels) {
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(dir.file("m" + std::to_string(i) + ".mdl"));
        writeFile(files.back(), modelgen::syntheticModel(5000, 30000, 50));
    }
    auto* w = open();
    auto* select = child<QPushButton>(w, "cmdSelectMDL");
    auto* result = child<QListWidget>(w, "lstResult");
    int ticks = 0;
    bool selectEnabled = true;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!w->isConverting()) return;
        ++ticks;
        selectEnabled = select->isEnabled();
        if (result->count() == 1) child<QPushButton>(w, "cmdCancel")->click();
    });
    probe.start();
    d.fileLists = {files};
    click("cmdSelectMDL", w);
    probe.stop();
    EXPECT_GE(ticks, 3);  // events ran while models were converted
    EXPECT_FALSE(selectEnabled);
    // The model under way (if any) was finished, no other was begun.
    const int done = result->count();
    EXPECT_TRUE(done == 1 || done == 2) << done;
    EXPECT_EQ(child<QLabel>(w, "lblStatus")->text().toStdString(),
              std::to_string(done) + " converted, 0 failed, stopped before " + std::to_string(4 - done) + " more");
    EXPECT_EQ(exists(dir.file("m1.flt")), done == 2);
    EXPECT_FALSE(exists(dir.file("m2.flt")));
    EXPECT_TRUE(w->isVisible() && select->isEnabled());
}

// ---------------------------------------------------------------- browser

class Browser : public Tools {
protected:
    // A library of four models beside the sample house's bitmaps.
    void writeLibrary(const std::string& name = "scenery.bgl") {
        writeHouse();
        models = {modelgen::sampleHouse(), modelgen::syntheticModel(10, 4, 0), modelgen::syntheticModel(20, 8, 1),
                  modelgen::syntheticModel(30, 12, 2)};
        lib = dir.file(name);
        writeFile(lib, modelgen::xmlBglLibrary({{3, {{"airport"}}}, {43, {models}}}));
    }
    // The library, open in the browser.
    fettle::frmBGLBrowser* openLibrary(const std::string& name = "scenery.bgl") {
        writeLibrary(name);
        trigger("mViewBGLBrowser");
        auto* w = child<fettle::frmBGLBrowser>(form.get(), "frmBGLBrowser");
        EXPECT_TRUE(w && w->openLibrary(lib));
        return w;
    }
    void clickLine(fettle::frmBGLBrowser* w, int row) {
        auto* l = child<QListWidget>(w, "lstObject");
        ASSERT_LT(row, l->count());
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    std::vector<std::string> models;
    std::string lib;
};

TEST_F(Browser, ListsALibraryAndLoadsTheClickedObject) {
    trigger("mViewBGLBrowser");
    auto* w = child<fettle::frmBGLBrowser>(form.get(), "frmBGLBrowser");
    EXPECT_FALSE(child(w, "cmdExtract")->isEnabled());
    writeLibrary();
    d.files = {lib};
    click("cmdLoadLib", w);
    EXPECT_EQ(d.requests.back().filter + " " + d.requests.back().title, "BGL file (*.bgl)|*.bgl Select BGL file");
    EXPECT_EQ(lines(w, "lstObject"), (std::vector<std::string>{"Object 1", "Object 2", "Object 3", "Object 4"}));

    clickLine(w, 1);
    ASSERT_TRUE(form->currentModel());
    EXPECT_EQ(form->currentModel()->toBytes(), models[1]);
    EXPECT_TRUE(form->loadedFromLibrary());
    EXPECT_TRUE(contains(logText(), "] Object 2 loaded from " + lib));
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview - [ " + lib + " - Object 2]");
    EXPECT_TRUE(form->action("mSave")->isEnabled() && !form->action("mExport")->isEnabled());  // saved as a new model file

    // Changed, then another object: the prompt's Save writes a new model file, not the library.
    const std::string libBytes = readFile(lib);
    form->applyModelChange("Header", "", [](modkit::MDLObject& m) { m.MDLHeader()->setParam(2, 5); }, modkit::partHeader);
    d.answers = {MsgAnswer::Save};
    d.files = {dir.file("object2.mdl")};
    clickLine(w, 0);
    EXPECT_NE(message(), "");  // the name it proposes is DocumentTest's
    EXPECT_EQ(readFile(lib), libBytes);
    EXPECT_NE(readFile(dir.file("object2.mdl")), models[1]);
    // The house finds its bitmaps beside the library.
    EXPECT_EQ(form->currentModel()->toBytes(), models[0]);
    for (const auto& t : *form->currentModel()->TextureList()) EXPECT_EQ(t->file(), dir.file(t->bitmap()));
    // A second click on the same, unchanged object keeps it.
    auto house = form->currentModel();
    clickLine(w, 0);
    EXPECT_EQ(form->currentModel(), house);

    // Closing releases the library; the model stays.
    w->close();
    EXPECT_TRUE(w->library() == nullptr && lines(w, "lstObject").empty());
    EXPECT_EQ(form->currentModel(), house);
}

TEST_F(Browser, ExtractsTheChosenObjectAsAnMdlFile) {
    auto* w = openLibrary("Town.BGL");
    child<QListWidget>(w, "lstObject")->setCurrentRow(2);
    d.files = {dir.file("third.mdl")};
    click("cmdExtract", w);
    EXPECT_EQ(d.requests.back().kind + " " + d.requests.back().filter, "save MDL file (*.mdl)|*.mdl");
    EXPECT_EQ(d.requests.back().initial, dir.file("Town_object_3.mdl"));
    EXPECT_EQ(readFile(dir.file("third.mdl")), models[2]);
    EXPECT_TRUE(contains(logText(), "] Object 3 extracted to " + dir.file("third.mdl")));
    EXPECT_FALSE(form->currentModel());  // extracting loads nothing

    // A read-only target: the message, the file as it was.
    writeFile(dir.file("locked.mdl"), "old");
    ::chmod(dir.file("locked.mdl").c_str(), 0444);
    d.files = {dir.file("locked.mdl")};
    click("cmdExtract", w);
    EXPECT_EQ(headline(), "Error 70 (Permission denied) in procedure cmdExtract_Click of Form frmBGLBrowser");
    EXPECT_EQ(readFile(dir.file("locked.mdl")), "old");
    click("cmdExtract", w);  // cancelled: nothing
}

TEST_F(Browser, BadLibrariesAndObjectsAreReportedAndChangeNothing) {
    auto* w = openLibrary();
    ASSERT_TRUE(form->openModelFile(dir.file("house.mdl"), "mOpen_Click"));
    auto before = form->currentModel();
    writeFile(dir.file("notes.bgl"), "plain text");
    d.files = {dir.file("notes.bgl")};
    click("cmdLoadLib", w);
    EXPECT_EQ(headline(), "Error 100 (This is not a valid XML style BGL file) in procedure cmdLoadLib_Click of Form frmBGLBrowser");
    EXPECT_EQ(w->library()->path(), lib);  // the open library stays

    // A library whose second model is damaged: both are listed, the damaged
    // one cannot be loaded but can be extracted.
    const std::string damaged = "RIFF\x04\0\0\0MDLX";
    writeFile(dir.file("mixed.bgl"), modelgen::xmlBglLibrary({{43, {{models[1], damaged}}}}));
    ASSERT_TRUE(w->openLibrary(dir.file("mixed.bgl")));
    EXPECT_EQ(lines(w, "lstObject"), (std::vector<std::string>{"Object 1", "Object 2"}));
    clickLine(w, 1);
    EXPECT_TRUE(contains(message(), "in procedure lstObject_Click of Form frmBGLBrowser"));
    EXPECT_EQ(form->currentModel(), before);
    d.files = {dir.file("damaged.mdl")};
    click("cmdExtract", w);
    EXPECT_EQ(readFile(dir.file("damaged.mdl")), damaged);

    // A library without models: an empty list.
    writeFile(dir.file("empty.bgl"), modelgen::xmlBglLibrary({{43, {{}}}}));
    ASSERT_TRUE(w->openLibrary(dir.file("empty.bgl")));
    EXPECT_TRUE(contains(child<QLabel>(w, "lblLibrary")->text().toStdString(), "No models in this library"));
    EXPECT_FALSE(child(w, "cmdExtract")->isEnabled());
    // A library that is gone.
    EXPECT_FALSE(w->openLibrary(dir.file("gone.bgl")));
    EXPECT_EQ(message().rfind("Error 53 (File not found)", 0), 0u);
}

TEST_F(Browser, OpensALibraryNamedOnTheCommandLineOrDropped) {
    writeLibrary();
    form->openArgument(lib);
    auto* w = child<fettle::frmBGLBrowser>(form.get(), "frmBGLBrowser");
    EXPECT_TRUE(w->isVisible() && form->action("mViewBGLBrowser")->isChecked());
    EXPECT_EQ(lines(w, "lstObject").size(), 4u);
    EXPECT_FALSE(form->currentModel());

    // Dropped on the main window, while the browser is open.
    writeFile(dir.file("two.BGL"), modelgen::xmlBglLibrary({{43, {{models[1], models[2]}}}}));
    EXPECT_TRUE(dropOnMainWindow(dir.file("two.BGL")));
    EXPECT_EQ(w->library()->path(), dir.file("two.BGL"));
    EXPECT_EQ(lines(w, "lstObject").size(), 2u);
    // Closed, then named again: it opens once more.
    w->close();
    form->openArgument(lib);
    EXPECT_TRUE(w->isVisible());

    // A changed model is asked about first (the answers are the main window's).
    ASSERT_TRUE(form->openModelFile(dir.file("house.mdl"), "mOpen_Click"));
    form->applyModelChange("Recolour", "", [](modkit::MDLObject& m) { m.MaterialList()->Item(1)->Diffuse()->setR(0.5f); });
    d.answers = {MsgAnswer::Cancel};
    clickLine(w, 1);
    EXPECT_EQ(d.messages.at(0).buttons, fettle::MsgButtons::SaveDiscardCancel);
    d.messages.clear();
    EXPECT_TRUE(doc().isModified());
}

// ---------------------------------------------------------------- command tree
// The tree's own rows, keys and parameters are CommandTreeTest's; here the window's wiring.

TEST_F(Tools, CommandTreeWindowFollowsClicksKeysChangesUndoAndANewModel) {
    writeFile(dir.file("jumps.mdl"), modelgen::syntheticModel(30, 12, 2));
    ASSERT_TRUE(form->openModelFile(dir.file("jumps.mdl"), "mOpen_Click"));
    click("cmd_list_3");
    auto* w = child<fettle::frmBGLC>(form.get(), "frmBGLC");
    auto& trv = w->trvBGLC();
    auto& grd = w->grdProp();
    auto& t = w->tree();
    auto list = form->currentModel()->BGLCommandList();
    EXPECT_TRUE(trv.isExpanded(t.nodeOf(0)));

    // A click lists the parameters and marks where the command jumps; arrow down follows.
    QTest::mouseClick(trv.viewport(), Qt::LeftButton, {}, trv.visualRect(t.nodeOf(1)).center());
    EXPECT_EQ(grd.rowCount(), 4);
    EXPECT_EQ(grd.item(1, 1)->text().toStdString(), "33B");
    const int end = list->Item(1)->jumpDest(0);
    EXPECT_EQ(t.highlighted(), std::vector<int>{end});
    EXPECT_EQ(grd.item(0, 1)->toolTip().toStdString(), "Jumps to command " + std::to_string(end));
    QTest::keyClick(&trv, Qt::Key_Down);
    EXPECT_EQ(t.highlighted(), std::vector<int>{list->Item(2)->jumpDest(0)});
    w->selectCommand(end);  // BGL_END: no parameters, no marks
    EXPECT_TRUE(grd.rowCount() == 0 && t.highlighted().empty());

    // A change through the main window shows at once; selection and open lists stay.
    const int count = list->Count();
    int material = 0, firstList = 0;
    for (int i = count; i >= 1; --i) {
        if (list->Item(i)->opcode() == modkit::BGLOpcode::SET_MATERIAL) material = i;
        if (list->Item(i)->opcode() == modkit::BGLOpcode::DRAW_TRI_LIST_BEGIN) firstList = i;
    }
    const std::string original = list->Item(material)->param(0);
    trv.expand(t.nodeOf(firstList));
    w->selectCommand(material);
    form->applyModelChange("Material", "", [material](modkit::MDLObject& m) { m.BGLCommandList()->Item(material)->setParam(0, "7"); });
    EXPECT_EQ(grd.item(0, 1)->text().toStdString(), "7");
    EXPECT_EQ(trv.currentIndex(), t.nodeOf(material));
    EXPECT_TRUE(trv.isExpanded(t.nodeOf(firstList)));
    form->applyModelChange("Remove", "", [](modkit::MDLObject& m) { m.BGLCommandList()->removeWithJumpUpdate({3}); });
    EXPECT_EQ(t.commands()->Count(), count - 1);
    trigger("mUndo");
    trigger("mUndo");
    EXPECT_EQ(grd.item(0, 1)->text().toStdString(), original);
    EXPECT_EQ(t.commands(), form->currentModel()->BGLCommandList());

    // Hidden, it catches up when shown again.
    w->close();
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    EXPECT_NE(t.commands(), form->currentModel()->BGLCommandList());
    click("cmd_list_3");
    EXPECT_EQ(t.commands(), form->currentModel()->BGLCommandList());
}

}  // namespace

int main(int argc, char** argv) {
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
