// The batch converter, the BGL browser and the command tree, driven through
// their object names from the main window with scripted dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
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
#include "preview/PreviewSurface.h"
#include "preview/frmPreview.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

using fettle::Form1;
using fettle::MsgAnswer;
using testutil::readFile;
using testutil::ScriptedDialogs;
using testutil::TempDir;
using testutil::writeFile;

namespace {

using testutil::contains;
using testutil::pump;

bool exists(const std::string& p) { return std::filesystem::exists(p); }

template <class W>
W* child(QWidget* parent, const char* name) {
    W* w = parent->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

std::vector<std::string> lines(QListWidget* l) {
    std::vector<std::string> out;
    for (int i = 0; i < l->count(); ++i) out.push_back(l->item(i)->text().toStdString());
    return out;
}

class Tools : public testutil::MainWindowTest {
protected:
    void start() { MainWindowTest::start(fettle::registerEditors); }
    void click(QWidget* parent, const char* name) {
        auto* b = child<QPushButton>(parent, name);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
};

// ---------------------------------------------------------------- converter

class Converter : public Tools {
protected:
    fettle::frmFLTExport* open() {
        trigger("mOpenFlightConv");
        auto* w = form->findChild<fettle::frmFLTExport*>("frmFLTExport");
        EXPECT_NE(w, nullptr);
        EXPECT_TRUE(w && w->isVisible());
        return w;
    }
};

TEST_F(Converter, ConvertsEveryChosenModelAndReportsEachOne) {
    start();
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    const auto current = form->currentModel();
    fettle::config().setText("FLTTex", "DDS");
    auto* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle().toStdString(), "OpenFlight Converter");
    EXPECT_EQ(w->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(child<QRadioButton>(w, "optFLTTex_1")->isChecked());
    EXPECT_EQ(child<QLineEdit>(w, "txt_flt_rot")->text().toStdString(), "0.0");
    EXPECT_TRUE(child<QCheckBox>(w, "chk_outdir")->isChecked());
    EXPECT_FALSE(child<QLineEdit>(w, "txt_outdir")->isEnabled());
    EXPECT_FALSE(child<QLabel>(w, "lbl_outdir")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(w, "cmd_outdir")->isEnabled());

    writeFile(dir.file("Tower.MDL"), modelgen::syntheticModel(30, 12, 2));
    writeFile(dir.file("shed.mdl"), modelgen::syntheticModel(20, 6, 0));
    writeFile(dir.file("broken.mdl"), "RIFF, but no model");
    d.fileLists = {{dir.file("house.mdl"), dir.file("Tower.MDL"), dir.file("broken.mdl"), dir.file("gone.mdl"),
                    dir.file("shed.mdl")}};
    click(w, "cmdSelectMDL");
    ASSERT_EQ(d.requests.back().kind, "open-many");
    EXPECT_EQ(d.requests.back().filter, "MDL file (*.mdl)|*.mdl|All files (*.*)|*.*");
    EXPECT_EQ(d.requests.back().title, "Select MDL file");
    EXPECT_EQ(d.requests.back().initial, "");
    EXPECT_TRUE(d.messages.empty());

    // Each beside its model, the name in lower case, the configured texture type.
    for (const char* f : {"house.flt", "tower.flt", "shed.flt", "house_walls.DDS.attr"}) EXPECT_TRUE(exists(dir.file(f))) << f;
    EXPECT_FALSE(exists(dir.file("broken.flt")));
    EXPECT_EQ(fltcheck::walk(readFile(dir.file("house.flt"))).textures,
              (std::vector<std::string>{"house_walls.DDS", "house_roof.DDS"}));
    EXPECT_EQ(fltcheck::walk(readFile(dir.file("tower.flt"))).faces.size(), 12u);

    auto result = lines(child<QListWidget>(w, "lstResult"));
    ASSERT_EQ(result.size(), 5u);
    EXPECT_EQ(result[1], dir.file("Tower.MDL") + " -> " + dir.file("tower.flt"));
    EXPECT_EQ(result[2], dir.file("broken.mdl") + ": Error 100 (This is not a valid RIFF scenery MDL file)");
    EXPECT_EQ(result[3], dir.file("gone.mdl") + ": not found, skipped");
    EXPECT_EQ(child<QLabel>(w, "lblStatus")->text().toStdString(), "3 converted, 1 failed, 1 not found");
    EXPECT_EQ(child<QProgressBar>(w, "prgConvert")->value(), 5);
    EXPECT_TRUE(contains(logText(), "] " + dir.file("tower.flt") + " exported"));
    EXPECT_TRUE(contains(logText(), "] Error: " + dir.file("broken.mdl") + " not converted: Error 100"));

    // The main window's model is untouched.
    EXPECT_EQ(form->currentModel(), current);
    EXPECT_FALSE(form->document().isModified());
    click(w, "cmdCancel");
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Converter, ItsSettingsAreCheckedAndTakeEffect) {
    start();
    writeHouse();
    TempDir out;
    auto* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(child<QRadioButton>(w, "optFLTTex_0")->isChecked());  // the default RGB

    child<QCheckBox>(w, "chk_outdir")->setChecked(false);
    EXPECT_TRUE(child<QLineEdit>(w, "txt_outdir")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(w, "cmd_outdir")->isEnabled());
    // No folder, then one that does not exist: the message, no file dialog.
    for (const std::string& folder : {std::string(), dir.file("nowhere")}) {
        child<QLineEdit>(w, "txt_outdir")->setText(QString::fromStdString(folder));
        d.messages.clear();
        click(w, "cmdSelectMDL");
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(d.messages[0].title, "Fettle II");
        EXPECT_EQ(d.messages[0].text, "The selected output folder is not valid");
        EXPECT_EQ(d.messages[0].icon, fettle::MsgIcon::Critical);
        EXPECT_TRUE(d.requests.empty());
    }
    d.files = {out.path() + "/"};
    click(w, "cmd_outdir");
    EXPECT_EQ(child<QLineEdit>(w, "txt_outdir")->text().toStdString(), out.path() + "/");
    click(w, "cmd_outdir");  // cancelled: the folder stays
    EXPECT_EQ(child<QLineEdit>(w, "txt_outdir")->text().toStdString(), out.path() + "/");

    for (const char* bad : {"left", "", "1e39"}) {
        child<QLineEdit>(w, "txt_flt_rot")->setText(bad);
        d.messages.clear();
        click(w, "cmdSelectMDL");
        ASSERT_EQ(d.messages.size(), 1u) << bad;
        EXPECT_EQ(d.messages[0].title, "Fettle II error");
        EXPECT_EQ(d.messages[0].text.rfind("The additional rotation must be a number of degrees", 0), 0u);
    }
    EXPECT_EQ(d.requests.size(), 2u);  // only the two folder dialogs

    // TIF, no attribute files, a quarter turn: all three reach the database.
    child<QRadioButton>(w, "optFLTTex_2")->setChecked(true);
    child<QCheckBox>(w, "chk_write_attr")->setChecked(false);
    child<QLineEdit>(w, "txt_flt_rot")->setText("90");
    d.fileLists = {{dir.file("house.mdl")}};
    d.messages.clear();
    click(w, "cmdSelectMDL");
    EXPECT_TRUE(d.messages.empty());
    auto turned = fltcheck::walk(readFile(out.file("house.flt")));
    EXPECT_EQ(turned.textures, (std::vector<std::string>{"house_walls.TIF", "house_roof.TIF"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 1);
    EXPECT_FALSE(exists(dir.file("house.flt")));
    modkit::MDLObject m;
    m.readMDL(dir.file("house.mdl"));
    m.exportFLT(dir.file("plain.flt"), "TIF", false, 0);
    auto plain = fltcheck::walk(readFile(dir.file("plain.flt")));
    EXPECT_NE(turned.positions, plain.positions);

    // Shown again, it starts from the configured texture type with no results.
    click(w, "cmdCancel");
    fettle::config().setText("FLTTex", "TIF");
    child<QRadioButton>(w, "optFLTTex_0")->setChecked(true);
    open();
    EXPECT_TRUE(child<QRadioButton>(w, "optFLTTex_2")->isChecked());
    EXPECT_EQ(child<QListWidget>(w, "lstResult")->count(), 0);
}

TEST_F(Converter, StaysResponsiveAndCanBeStoppedBetweenModels) {
    start();
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(dir.file("m" + std::to_string(i) + ".mdl"));
        writeFile(files.back(), modelgen::syntheticModel(5000, 30000, 50));
    }
    auto* w = open();
    ASSERT_NE(w, nullptr);
    int ticks = 0;
    bool selectEnabled = true;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!w->isConverting()) return;
        ++ticks;
        selectEnabled = child<QPushButton>(w, "cmdSelectMDL")->isEnabled();
        if (child<QListWidget>(w, "lstResult")->count() == 1) child<QPushButton>(w, "cmdCancel")->click();
    });
    probe.start();
    d.fileLists = {files};
    click(w, "cmdSelectMDL");
    probe.stop();
    EXPECT_GE(ticks, 3);  // events ran while models were converted
    EXPECT_FALSE(selectEnabled);
    // The model under way (if any) was finished, no other was begun.
    const int done = child<QListWidget>(w, "lstResult")->count();
    EXPECT_TRUE(done == 1 || done == 2) << done;
    EXPECT_EQ(child<QLabel>(w, "lblStatus")->text().toStdString(),
              std::to_string(done) + " converted, 0 failed, stopped before " + std::to_string(4 - done) + " more");
    EXPECT_TRUE(exists(dir.file("m0.flt")));
    EXPECT_EQ(exists(dir.file("m1.flt")), done == 2);
    EXPECT_FALSE(exists(dir.file("m2.flt")));
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(child<QPushButton>(w, "cmdSelectMDL")->isEnabled());
}

// ---------------------------------------------------------------- browser

class Browser : public Tools {
protected:
    // A library of four models beside the sample house's bitmaps.
    std::string writeLibrary(const std::string& name = "scenery.bgl") {
        writeHouse();
        models = {modelgen::sampleHouse(), modelgen::syntheticModel(10, 4, 0), modelgen::syntheticModel(20, 8, 1),
                  modelgen::syntheticModel(30, 12, 2)};
        writeFile(dir.file(name), modelgen::xmlBglLibrary({{3, {{"airport"}}}, {43, {models}}}));
        return dir.file(name);
    }
    fettle::frmBGLBrowser* open() {
        if (!form->action("mViewBGLBrowser")->isChecked()) trigger("mViewBGLBrowser");
        auto* w = form->findChild<fettle::frmBGLBrowser*>("frmBGLBrowser");
        EXPECT_NE(w, nullptr);
        return w;
    }
    void clickLine(fettle::frmBGLBrowser* w, int row) {
        auto* l = child<QListWidget>(w, "lstObject");
        ASSERT_LT(row, l->count());
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    std::vector<std::string> models;
};

TEST_F(Browser, ListsALibraryAndLoadsTheClickedObject) {
    start();
    const std::string lib = writeLibrary();
    auto* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(form->action("mViewBGLBrowser")->isChecked());
    EXPECT_EQ(w->windowTitle().toStdString(), "BGL Browser");
    EXPECT_EQ(child<QPushButton>(w, "cmdLoadLib")->text().toStdString(), "Select BGL file...");
    EXPECT_FALSE(child<QPushButton>(w, "cmdExtract")->isEnabled());

    d.files = {lib};
    click(w, "cmdLoadLib");
    EXPECT_EQ(d.requests.back().kind, "open");
    EXPECT_EQ(d.requests.back().filter, "BGL file (*.bgl)|*.bgl");
    EXPECT_EQ(d.requests.back().title, "Select BGL file");
    EXPECT_EQ(lines(child<QListWidget>(w, "lstObject")),
              (std::vector<std::string>{"Object 1", "Object 2", "Object 3", "Object 4"}));

    clickLine(w, 1);
    ASSERT_TRUE(form->currentModel());
    EXPECT_TRUE(d.messages.empty()) << d.messages[0].text;
    EXPECT_EQ(form->currentModel()->toBytes(), models[1]);
    EXPECT_EQ(form->currentModel()->MDLPath(), lib);
    EXPECT_TRUE(form->loadedFromLibrary());
    EXPECT_TRUE(contains(logText(), "] Object 2 loaded from " + lib));
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview - [ " + lib + " - Object 2]");
    EXPECT_TRUE(form->action("mSave")->isEnabled());  // as a new model file
    EXPECT_FALSE(form->action("mExport")->isEnabled());
    EXPECT_TRUE(form->button("cmd_list_3")->isEnabled());

    // Changed, then another object: the prompt's Save writes a new model file, not the library.
    const std::string libBytes = testutil::readFile(lib);
    form->applyModelChange("Header", "", [](modkit::MDLObject& m) { m.MDLHeader()->setParam(2, 5); },
                           modkit::partHeader);
    d.answers = {MsgAnswer::Save};
    d.files = {dir.file("object2.mdl")};
    // The house finds its bitmaps beside the library.
    clickLine(w, 0);
    EXPECT_TRUE(d.requests.back().initial.ends_with("_object2.mdl")) << d.requests.back().initial;
    EXPECT_EQ(testutil::readFile(lib), libBytes);
    modkit::MDLObject saved;
    saved.readMDL(dir.file("object2.mdl"));
    EXPECT_EQ(saved.MDLHeader()->param(2), 5);
    EXPECT_EQ(form->currentModel()->toBytes(), models[0]);
    for (const auto& t : *form->currentModel()->TextureList()) EXPECT_EQ(t->file(), dir.file(t->bitmap()));
    EXPECT_TRUE(form->currentModel()->Loaded());
    // A second click on the same, unchanged object keeps it.
    auto house = form->currentModel();
    clickLine(w, 0);
    EXPECT_EQ(form->currentModel(), house);

    // An object from a file opened before asks about its unsaved changes.
    ASSERT_TRUE(form->openModelFile(dir.file("house.mdl"), "mOpen_Click"));
    form->applyModelChange("Recolour", "", [](modkit::MDLObject& m) { m.MaterialList()->Item(1)->Diffuse()->setR(0.5f); });
    auto changed = form->currentModel();
    d.messages.clear();
    d.answers = {MsgAnswer::Cancel};
    clickLine(w, 2);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].buttons, fettle::MsgButtons::SaveDiscardCancel);
    EXPECT_EQ(form->currentModel(), changed);
    d.answers = {MsgAnswer::Discard};
    clickLine(w, 2);
    EXPECT_EQ(form->currentModel()->toBytes(), models[2]);
    EXPECT_TRUE(form->action("mUndo")->isEnabled() == false);

    // Closing releases the library.
    w->close();
    EXPECT_FALSE(form->action("mViewBGLBrowser")->isChecked());
    EXPECT_EQ(w->library(), nullptr);
    EXPECT_EQ(child<QListWidget>(w, "lstObject")->count(), 0);
    EXPECT_EQ(form->currentModel()->toBytes(), models[2]);  // the model stays
    trigger("mViewBGLBrowser");
    EXPECT_TRUE(w->isVisible());
    trigger("mViewBGLBrowser");
    EXPECT_FALSE(w->isVisible());
}

TEST_F(Browser, ExtractsTheChosenObjectAsAnMdlFile) {
    start();
    const std::string lib = writeLibrary("Town.BGL");
    auto* w = open();
    ASSERT_TRUE(w->openLibrary(lib));
    child<QListWidget>(w, "lstObject")->setCurrentRow(2);
    d.files = {dir.file("third.mdl")};
    click(w, "cmdExtract");
    EXPECT_EQ(d.requests.back().kind, "save");
    EXPECT_EQ(d.requests.back().filter, "MDL file (*.mdl)|*.mdl");
    EXPECT_EQ(d.requests.back().initial, dir.file("Town_object_3.mdl"));
    EXPECT_EQ(readFile(dir.file("third.mdl")), models[2]);
    EXPECT_TRUE(contains(logText(), "] Object 3 extracted to " + dir.file("third.mdl")));
    EXPECT_FALSE(form->currentModel());  // extracting loads nothing

    // A read-only target: the message, the file as it was.
    writeFile(dir.file("locked.mdl"), "old");
    ::chmod(dir.file("locked.mdl").c_str(), 0444);
    d.files = {dir.file("locked.mdl")};
    click(w, "cmdExtract");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].title, "Fettle II");
    EXPECT_EQ(d.messages[0].text.rfind("Error 70 (Permission denied) in procedure cmdExtract_Click of Form frmBGLBrowser\n", 0), 0u);
    EXPECT_EQ(readFile(dir.file("locked.mdl")), "old");
    // Cancelled: nothing.
    click(w, "cmdExtract");
    EXPECT_EQ(d.messages.size(), 1u);
}

TEST_F(Browser, BadLibrariesAndObjectsAreReportedAndChangeNothing) {
    start();
    const std::string lib = writeLibrary();
    auto* w = open();
    ASSERT_TRUE(w->openLibrary(lib));
    ASSERT_TRUE(form->openModelFile(dir.file("house.mdl"), "mOpen_Click"));
    auto before = form->currentModel();

    writeFile(dir.file("notes.bgl"), "plain text");
    d.files = {dir.file("notes.bgl")};
    click(w, "cmdLoadLib");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].text.rfind(
                  "Error 100 (This is not a valid XML style BGL file) in procedure cmdLoadLib_Click of Form frmBGLBrowser\n", 0), 0u);
    EXPECT_EQ(w->library()->path(), lib);  // the open library stays
    EXPECT_EQ(child<QListWidget>(w, "lstObject")->count(), 4);

    // A library whose second model is damaged: both are listed, the damaged
    // one cannot be loaded but can be extracted.
    const std::string damaged = "RIFF\x04\0\0\0MDLX";
    writeFile(dir.file("mixed.bgl"), modelgen::xmlBglLibrary({{43, {{models[1], damaged}}}}));
    ASSERT_TRUE(w->openLibrary(dir.file("mixed.bgl")));
    EXPECT_EQ(lines(child<QListWidget>(w, "lstObject")), (std::vector<std::string>{"Object 1", "Object 2"}));
    d.messages.clear();
    clickLine(w, 1);
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].text.rfind("Error 100 (This is not a valid RIFF scenery MDL file", 0), 0u) << d.messages[0].text;
    EXPECT_TRUE(contains(d.messages[0].text, "in procedure lstObject_Click of Form frmBGLBrowser"));
    EXPECT_EQ(form->currentModel(), before);
    EXPECT_FALSE(contains(logText(), "Object 2 loaded"));
    d.files = {dir.file("damaged.mdl")};
    click(w, "cmdExtract");
    EXPECT_EQ(readFile(dir.file("damaged.mdl")), damaged);

    // A library without models: an empty list.
    writeFile(dir.file("empty.bgl"), modelgen::xmlBglLibrary({{43, {{}}}}));
    ASSERT_TRUE(w->openLibrary(dir.file("empty.bgl")));
    EXPECT_EQ(child<QListWidget>(w, "lstObject")->count(), 0);
    EXPECT_TRUE(contains(child<QLabel>(w, "lblLibrary")->text().toStdString(), "No models in this library"));
    EXPECT_FALSE(child<QPushButton>(w, "cmdExtract")->isEnabled());

    // A library that is gone.
    d.messages.clear();
    EXPECT_FALSE(w->openLibrary(dir.file("gone.bgl")));
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].text.rfind("Error 53 (File not found)", 0), 0u);
}

TEST_F(Browser, OpensALibraryNamedOnTheCommandLineOrDropped) {
    start();
    const std::string lib = writeLibrary();
    form->openArgument(lib);
    auto* w = form->findChild<fettle::frmBGLBrowser*>("frmBGLBrowser");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(form->action("mViewBGLBrowser")->isChecked());
    EXPECT_EQ(child<QListWidget>(w, "lstObject")->count(), 4);
    EXPECT_FALSE(form->currentModel());
    EXPECT_TRUE(d.messages.empty());

    // Dropped on the main window, while the browser is open.
    writeFile(dir.file("two.BGL"), modelgen::xmlBglLibrary({{43, {{models[1], models[2]}}}}));
    EXPECT_TRUE(dropOnMainWindow(dir.file("two.BGL")));
    EXPECT_EQ(w->library()->path(), dir.file("two.BGL"));
    EXPECT_EQ(child<QListWidget>(w, "lstObject")->count(), 2);

    // Closed, then named again: it opens once more.
    w->close();
    form->openArgument(lib);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(child<QListWidget>(w, "lstObject")->count(), 4);
}

// ---------------------------------------------------------------- command tree

class CommandTree : public Tools {
protected:
    fettle::frmBGLC* open() {
        auto* b = form->button("cmd_list_3");
        EXPECT_TRUE(b->isEnabled());
        b->click();
        auto* w = form->findChild<fettle::frmBGLC*>("frmBGLC");
        EXPECT_NE(w, nullptr);
        return w;
    }
    std::vector<int> rootChildren(fettle::BGLCommandTree& t) {
        std::vector<int> out;
        for (int r = 0; r < t.rowCount(t.nodeOf(0)); ++r)
            out.push_back(fettle::BGLCommandTree::positionOf(t.index(r, 0, t.nodeOf(0))));
        return out;
    }
    std::vector<std::pair<std::string, std::string>> grid(QTableWidget* g) {
        std::vector<std::pair<std::string, std::string>> out;
        for (int r = 0; r < g->rowCount(); ++r)
            out.emplace_back(g->item(r, 0)->text().toStdString(), g->item(r, 1)->text().toStdString());
        return out;
    }
};

TEST_F(CommandTree, ShowsTheCommandsByParentWithParametersAndJumpTargets) {
    start();
    writeFile(dir.file("jumps.mdl"), modelgen::syntheticModel(30, 12, 2));
    ASSERT_TRUE(form->openModelFile(dir.file("jumps.mdl"), "mOpen_Click"));
    auto* w = open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle().toStdString(), "BGL Command List");
    EXPECT_TRUE(form->action("mViewList_3")->isChecked());
    auto* trv = child<QTreeView>(w, "trvBGLC");
    auto* grd = child<QTableWidget>(w, "grdProp");
    auto& t = w->tree();
    auto list = form->currentModel()->BGLCommandList();
    EXPECT_EQ(t.commands(), list);
    EXPECT_TRUE(trv->isExpanded(t.nodeOf(0)));
    EXPECT_EQ(t.data(t.nodeOf(0)).toString().toStdString(), "MDL Object");

    // The triangles hang under their list, everything else under the root.
    std::vector<int> top;
    int begins = 0;
    for (int i = 1; i <= list->Count(); ++i) {
        const int op = list->Item(i)->opcodeValue();
        if (op == 256) {
            EXPECT_GT(list->Item(i)->parent(), 0);
            EXPECT_EQ(t.parent(t.nodeOf(i)), t.nodeOf(list->Item(i)->parent()));
        } else {
            top.push_back(i);
        }
        if (op == 185) ++begins;
    }
    EXPECT_GE(begins, 2);
    EXPECT_EQ(rootChildren(t), top);
    EXPECT_EQ(t.data(t.nodeOf(1), fettle::BGLCommandTree::KeyRole).toString().toStdString(), "1opc");
    EXPECT_EQ(t.data(t.nodeOf(1)).toString().toStdString(), "IFIN1");

    // The object's IFIN1 jumps over the body call to the BGL_END.
    QTest::mouseClick(trv->viewport(), Qt::LeftButton, {}, trv->visualRect(t.nodeOf(1)).center());
    EXPECT_EQ(grid(grd), (std::vector<std::pair<std::string, std::string>>{
                             {"0", list->Item(1)->param(0)}, {"1", "33B"}, {"2", "0"}, {"3", "5000"}}));
    const int end = list->Item(1)->jumpDest(0);
    EXPECT_EQ(t.data(t.nodeOf(end)).toString().toStdString(), "BGL_END");
    EXPECT_EQ(t.data(t.nodeOf(end), Qt::BackgroundRole).value<QColor>(), QColor(192, 64, 64));
    EXPECT_EQ(t.data(t.nodeOf(2), Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(grd->item(0, 1)->toolTip().toStdString(), "Jumps to command " + std::to_string(end));

    // Arrow down: the body call, whose target is marked instead.
    QTest::keyClick(trv, Qt::Key_Down);
    EXPECT_EQ(trv->currentIndex(), t.nodeOf(2));
    EXPECT_EQ(t.data(t.nodeOf(end), Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
    EXPECT_EQ(t.highlighted(), std::vector<int>{list->Item(2)->jumpDest(0)});
    // BGL_END has no parameters; the root neither.
    w->selectCommand(end);
    EXPECT_EQ(grd->rowCount(), 0);
    EXPECT_TRUE(t.highlighted().empty());
    w->selectCommand(0);
    EXPECT_EQ(grd->rowCount(), 0);

    w->close();
    EXPECT_FALSE(form->action("mViewList_3")->isChecked());
    trigger("mViewList_3");
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(form->action("mViewList_3")->isChecked());
}

TEST_F(CommandTree, FollowsChangesUndoAndANewModel) {
    start();
    writeFile(dir.file("jumps.mdl"), modelgen::syntheticModel(30, 12, 2));
    ASSERT_TRUE(form->openModelFile(dir.file("jumps.mdl"), "mOpen_Click"));
    auto* w = open();
    ASSERT_NE(w, nullptr);
    auto& t = w->tree();
    auto list = form->currentModel()->BGLCommandList();
    const int count = list->Count();
    int material = 0, firstList = 0;
    for (int i = count; i >= 1; --i) {
        if (list->Item(i)->opcodeValue() == 184) material = i;
        if (list->Item(i)->opcodeValue() == 185) firstList = i;
    }
    ASSERT_GT(firstList, material);
    const std::string original = list->Item(material)->param(0);
    auto* trv = child<QTreeView>(w, "trvBGLC");
    auto* grd = child<QTableWidget>(w, "grdProp");
    trv->expand(t.nodeOf(firstList));
    w->selectCommand(material);

    // A change through the main window shows at once; selection and open lists stay.
    form->applyModelChange("Material", "", [material](modkit::MDLObject& m) {
        m.BGLCommandList()->Item(material)->setParam(0, "7");
    });
    EXPECT_EQ(grd->item(0, 1)->text().toStdString(), "7");
    EXPECT_EQ(trv->currentIndex(), t.nodeOf(material));
    EXPECT_TRUE(trv->isExpanded(t.nodeOf(firstList)));
    form->applyModelChange("Remove", "", [](modkit::MDLObject& m) { m.BGLCommandList()->removeWithJumpUpdate({3}); });
    EXPECT_EQ(t.commands()->Count(), count - 1);

    trigger("mUndo");
    trigger("mUndo");
    EXPECT_EQ(grd->item(0, 1)->text().toStdString(), original);
    EXPECT_EQ(t.commands(), form->currentModel()->BGLCommandList());
    EXPECT_EQ(t.commands()->Count(), count);

    // Hidden, it catches up when shown again.
    w->close();
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    EXPECT_NE(t.commands(), form->currentModel()->BGLCommandList());
    open();
    EXPECT_EQ(t.commands(), form->currentModel()->BGLCommandList());
}

}  // namespace

int main(int argc, char** argv) {
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
