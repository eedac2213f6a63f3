// The batch converter, the BGL browser, the command tree, the condition
// manager and the texture list, driven through their object names from the
// main window with scripted dialogs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
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
#include "editors/frmBGLBrowser.h"
#include "editors/frmBGLC.h"
#include "editors/frmCond.h"
#include "editors/frmFLTExport.h"
#include "editors/frmTEXT.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/bgl/Conditions.h"
#include "modkit/bglfile/BGLObject.h"
#include "modkit/core/MDLObject.h"

using fettle::MsgAnswer;
using fettle::MsgIcon;
using testutil::child;
using testutil::containsText;
using testutil::enter;
using testutil::lines;
using testutil::readFile;
using testutil::text;
using testutil::writeFile;

namespace {

bool exists(const std::string& p) { return std::filesystem::exists(p); }

class Tools : public testutil::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start();
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

TEST_F(Converter, ConvertsEveryChosenModelWithItsSettingsAndReportsEachOne) {
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
    EXPECT_TRUE(containsText(logText(), "] " + dir.file("tower.flt") + " exported"));
    EXPECT_TRUE(containsText(logText(), "] Error: " + dir.file("broken.mdl") + " not converted: Error 100"));
    EXPECT_TRUE(form->currentModel() == current && !doc().isModified());  // the main window's model is untouched

    // Its settings are checked and take effect.
    testutil::TempDir out;
    const size_t asked = d.requests.size();
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
        EXPECT_EQ(d.requests.size(), asked);
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
    std::filesystem::remove(dir.file("house.flt"));
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
    void clickLine(fettle::frmBGLBrowser* w, int row) {
        auto* l = child<QListWidget>(w, "lstObject");
        ASSERT_LT(row, l->count());
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    std::vector<std::string> models;
    std::string lib;
};

TEST_F(Browser, ListsALibraryLoadsTheClickedObjectAndOpensWhatIsNamedOrDropped) {
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
    EXPECT_TRUE(containsText(logText(), "] Object 2 loaded from " + lib));
    EXPECT_EQ(form->preview().windowTitle().toStdString(), "Object preview - [ " + lib + " - Object 2]");
    EXPECT_TRUE(form->action("mSave")->isEnabled() && !form->action("mExport")->isEnabled());  // saved as a new model file

    // Changed, then another object: Cancel keeps it; Save writes a new model file, not the library.
    const std::string libBytes = readFile(lib);
    form->applyModelChange("Header", "", [](modkit::MDLObject& m) { m.MDLHeader()->setParam(2, 5); }, modkit::partHeader);
    d.answers = {MsgAnswer::Cancel};
    clickLine(w, 0);
    EXPECT_EQ(d.messages.at(0).buttons, fettle::MsgButtons::SaveDiscardCancel);
    d.messages.clear();
    EXPECT_TRUE(doc().isModified() && form->currentModel()->toBytes() != models[0]);
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

    // Models and libraries named on the command line or dropped.
    const std::string file = dir.file("house.mdl");
    form->openArgument(file);
    EXPECT_EQ(doc().path(), file);
    // A missing file named on the command line is reported, nothing else happens.
    form->openArgument(dir.file("missing.mdl"));
    EXPECT_EQ(headline(), "Error 53 (File not found) in procedure Form_Load of Form Form1");
    EXPECT_EQ(doc().path(), file);
    EXPECT_FALSE(dropOnMainWindow("/tmp/notes.txt"));  // neither model nor library: not taken

    form->openArgument(lib);  // closed above: it opens once more
    EXPECT_TRUE(w->isVisible() && form->action("mViewBGLBrowser")->isChecked());
    EXPECT_EQ(lines(w, "lstObject").size(), 4u);
    EXPECT_EQ(doc().path(), file);
    // Dropped on the main window, while the browser is open.
    writeFile(dir.file("two.BGL"), modelgen::xmlBglLibrary({{43, {{models[1], models[2]}}}}));
    EXPECT_TRUE(dropOnMainWindow(dir.file("two.BGL")));
    EXPECT_EQ(w->library()->path(), dir.file("two.BGL"));
    EXPECT_EQ(lines(w, "lstObject").size(), 2u);  // a dropped model: the window's preview test
}

TEST_F(Browser, ExtractsTheChosenObjectAndReportsBadLibrariesChangingNothing) {
    writeLibrary("Town.BGL");
    trigger("mViewBGLBrowser");
    auto* w = child<fettle::frmBGLBrowser>(form.get(), "frmBGLBrowser");
    ASSERT_TRUE(w->openLibrary(lib));
    child<QListWidget>(w, "lstObject")->setCurrentRow(2);
    d.files = {dir.file("third.mdl")};
    click("cmdExtract", w);
    EXPECT_EQ(d.requests.back().kind + " " + d.requests.back().filter, "save MDL file (*.mdl)|*.mdl");
    EXPECT_EQ(d.requests.back().initial, dir.file("Town_object_3.mdl"));
    EXPECT_EQ(readFile(dir.file("third.mdl")), models[2]);
    EXPECT_TRUE(containsText(logText(), "] Object 3 extracted to " + dir.file("third.mdl")));
    EXPECT_FALSE(form->currentModel());  // extracting loads nothing

    // A read-only target: the message, the file as it was.
    writeFile(dir.file("locked.mdl"), "old");
    ::chmod(dir.file("locked.mdl").c_str(), 0444);
    d.files = {dir.file("locked.mdl")};
    click("cmdExtract", w);
    EXPECT_EQ(headline(), "Error 70 (Permission denied) in procedure cmdExtract_Click of Form frmBGLBrowser");
    EXPECT_EQ(readFile(dir.file("locked.mdl")), "old");
    click("cmdExtract", w);  // cancelled: nothing

    // Bad libraries and objects are reported and change nothing.
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
    EXPECT_TRUE(containsText(message(), "in procedure lstObject_Click of Form frmBGLBrowser"));
    EXPECT_EQ(form->currentModel(), before);
    d.files = {dir.file("damaged.mdl")};
    click("cmdExtract", w);
    EXPECT_EQ(readFile(dir.file("damaged.mdl")), damaged);

    // A library without models: an empty list.
    writeFile(dir.file("empty.bgl"), modelgen::xmlBglLibrary({{43, {{}}}}));
    ASSERT_TRUE(w->openLibrary(dir.file("empty.bgl")));
    EXPECT_TRUE(containsText(child<QLabel>(w, "lblLibrary")->text().toStdString(), "No models in this library"));
    EXPECT_FALSE(child(w, "cmdExtract")->isEnabled());
    // A library that is gone.
    EXPECT_FALSE(w->openLibrary(dir.file("gone.bgl")));
    EXPECT_EQ(message().rfind("Error 53 (File not found)", 0), 0u);
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

// ---------------------------------------------------------------- condition manager and texture list

namespace {

class Editors : public Tools {
protected:
    void SetUp() override {
        Tools::SetUp();
        ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    }
    template <class W>
    W* tool(const char* button, const char* name) {
        click(button);
        auto* w = child<W>(form.get(), name);
        EXPECT_TRUE(w && w->isVisible());
        return w;
    }
    fettle::frmCond* conditionManager() { return tool<fettle::frmCond>("cmdSimpleTweak_1", "frmCond"); }
    fettle::frmTEXT* textureList() { return tool<fettle::frmTEXT>("cmdSimpleTweak_2", "frmTEXT"); }
    bool checked(QWidget* w, const QString& box) { return child<QCheckBox>(w, box)->isChecked(); }
    void check(QWidget* w, const QString& box, bool on) { child<QCheckBox>(w, box)->setChecked(on); }

    // The object's conditions as the editor words them, and their combination.
    static std::vector<std::string> conditionsOf(modkit::MDLObject& m) {
        auto list = m.BGLCommandList()->getConditions(-1);
        std::vector<std::string> out;
        for (const auto& c : *list) out.push_back(modkit::conditionText(*c));
        out.push_back(modkit::multiConditionName(list->multiCondition()));
        return out;
    }
};

}  // namespace

TEST_F(Editors, ConditionAddedAppliedSavedAndReadBack) {
    fettle::frmCond* w = conditionManager();
    EXPECT_EQ(w->windowTitle().toStdString(), "Condition manager");
    EXPECT_EQ(lines(w, "lstCond"), std::vector<std::string>{"Distance to RefPoint between 0 and 5000"});
    EXPECT_EQ(text(w, "txtVar") + " " + text(w, "txtMax"), "33B 5000");
    EXPECT_FALSE(child(w, "cmbMultiCond")->isVisible() || child(w, "cmbMinNamed")->isVisible());
    EXPECT_TRUE(containsText(child<QPlainTextEdit>(w, "txtHelp")->toPlainText().toStdString(), "\n\nDistance between the reference point"));

    click("cmdNewCondition", w);
    EXPECT_EQ(child<QListWidget>(w, "lstCond")->currentRow(), 1);
    EXPECT_TRUE(child(w, "cmbMultiCond")->isVisible());
    // Time of day, offered by name: day to dusk/dawn.
    enter(w, "txtVar", "28C");
    EXPECT_EQ(child<QComboBox>(w, "cmbVar")->currentText().toStdString(), "Time of day");
    auto* minNamed = child<QComboBox>(w, "cmbMinNamed");
    auto* maxNamed = child<QComboBox>(w, "cmbMaxNamed");
    ASSERT_TRUE(minNamed->isVisible());
    ASSERT_EQ(minNamed->itemText(1).toStdString(), "2 = dusk/dawn");
    Q_EMIT minNamed->activated(0);
    Q_EMIT maxNamed->activated(1);
    EXPECT_EQ(text(w, "txtMin"), "1");
    EXPECT_EQ(lines(w, "lstCond")[1], "Time of day between 1 and 2");
    child<QComboBox>(w, "cmbMultiCond")->setCurrentIndex(1);  // OR
    // Nothing reaches the model before "Apply to object".
    EXPECT_EQ(conditionsOf(model()).size(), 2u);
    EXPECT_FALSE(doc().undoStack().canUndo());

    click("cmdOK", w);
    EXPECT_FALSE(w->isVisible());
    const std::vector<std::string> expected = {"Time of day between 1 and 2", "Distance to RefPoint between 0 and 5000", "OR"};
    EXPECT_EQ(conditionsOf(model()), expected);
    EXPECT_TRUE(containsText(logText(), "] updated display condition of the object"));

    // Undone: the window shows the model's conditions again when reopened, and follows redo.
    form->undo();
    w = conditionManager();
    EXPECT_EQ(lines(w, "lstCond"), std::vector<std::string>{"Distance to RefPoint between 0 and 5000"});
    form->redo();
    EXPECT_EQ(lines(w, "lstCond"), (std::vector<std::string>{expected[0], expected[1]}));
}

TEST_F(Editors, ConditionEntryRulesMessagesAndWarnings) {
    fettle::frmCond* w = conditionManager();
    auto* varType = child<QComboBox>(w, "cmbVarType");
    auto* condType = child<QComboBox>(w, "cmbType");
    auto* ok = child(w, "cmdOK");
    // Hexadecimal and back; what does not read becomes empty.
    const struct {
        const char *min, *shown;
        int type;
    } conversions[] = {{nullptr, "1388", 1}, {nullptr, "5000", 0}, {"abc", "", 1}, {"FFFF", "-1", 0}};
    for (const auto& c : conversions) {
        if (c.min) child<QLineEdit>(w, "txtMin")->setText(c.min);
        varType->setCurrentIndex(c.type);
        EXPECT_EQ(text(w, c.min ? "txtMin" : "txtMax"), c.shown);
    }
    // A value beyond 16 bits is refused; Apply waits until it is put right.
    enter(w, "txtMax", "40000");
    EXPECT_EQ(d.messages.at(0).icon, MsgIcon::Critical);
    EXPECT_EQ(message(), "Please make sure all required fields are valid\n\nmax: \"40000\" is not valid; "
                         "enter a whole number from -32768 to 32767.");
    EXPECT_FALSE(ok->isEnabled());
    enter(w, "txtMax", "4000");
    enter(w, "txtMin", "10");
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(lines(w, "lstCond")[0], "Distance to RefPoint between 10 and 4000");

    // Leaving the field shows the variable as stored.
    enter(w, "txtVar", "33b");
    EXPECT_EQ(text(w, "txtVar"), "33B");

    // Rotations: one of them at most.
    click("cmdNewCondition", w);
    condType->setCurrentIndex(2);
    EXPECT_EQ(lines(w, "lstCond")[1], "Rotate to user");
    EXPECT_FALSE(child(w, "txtVar")->isVisible());
    EXPECT_FALSE(child(w, "cmbMultiCond")->isVisible());  // one test and one rotation
    click("cmdNewCondition", w);
    condType->setCurrentIndex(3);
    EXPECT_EQ(message(), modkit::conditionrules::bothRotations);
    EXPECT_EQ(condType->currentIndex(), 0);
    click("cmdRmvCondition", w);
    EXPECT_EQ(lines(w, "lstCond").size(), 2u);

    // A rotation turned back into a test with empty fields is refused, and
    // shows its fields to be filled in.
    child<QListWidget>(w, "lstCond")->setCurrentRow(1);
    child<QLineEdit>(w, "txtVar")->clear();
    condType->setCurrentIndex(0);
    EXPECT_NE(message(), "");
    EXPECT_TRUE(child(w, "txtVar")->isVisible());
    EXPECT_FALSE(ok->isEnabled());
    click("cmdRmvCondition", w);
    EXPECT_TRUE(ok->isEnabled());

    // Cancel leaves the model as it was.
    click("cmdCancel", w);
    EXPECT_EQ(conditionsOf(model()), (std::vector<std::string>{"Distance to RefPoint between 0 and 5000", "AND"}));
    EXPECT_FALSE(doc().undoStack().canUndo());

    // Removing every condition leaves the plain body call.
    w = conditionManager();
    click("cmdRmvCondition", w);
    EXPECT_FALSE(child(w, "cmdRmvCondition")->isEnabled() || child(w, "cmbType")->isEnabled());
    click("cmdOK", w);
    EXPECT_EQ(conditionsOf(model()), std::vector<std::string>{"AND"});
    EXPECT_EQ(model().BGLCommandList()->Item(1)->opcode(), modkit::BGLOpcode::BGL_CALL_32);
    form->undo();

    // A mask alone under NOR is warned about.
    w = conditionManager();
    child<QComboBox>(w, "cmbType")->setCurrentIndex(1);  // the distance test becomes a mask
    EXPECT_EQ(lines(w, "lstCond")[0], "Distance to RefPoint contains 0");
    child<QComboBox>(w, "cmbMultiCond")->setCurrentIndex(3);  // NOR, with the mask alone
    d.answers = {MsgAnswer::No};
    click("cmdOK", w);
    EXPECT_EQ(d.messages.at(0).buttons, fettle::MsgButtons::YesNo);
    EXPECT_TRUE(containsText(message(), "never be drawn"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(doc().undoStack().canUndo());
    d.answers = {MsgAnswer::Yes};
    click("cmdOK", w);
    EXPECT_TRUE(containsText(message(), "never be drawn"));
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(conditionsOf(model()), (std::vector<std::string>{"Distance to RefPoint contains 0", "AND"}));

    // A stream without a body call cannot take conditions: said, never a crash.
    modelgen::BglBuilder b;
    b.cmd(184, {0.0, -1.0});
    b.cmd(34, {});
    testutil::writeFile(dir.file("nobody.mdl"),
                        modelgen::mdlFile({{"MDLH", modelgen::headerBody({0, 0, 0, 0, 0, 0, 0, 0, 0})}},
                                          {{"MATE", modelgen::materialsBody({{}})}, {"BGL ", b.bytes()}}));
    d.answers = {MsgAnswer::Discard};  // the changes made above
    ASSERT_TRUE(form->openModelFile(dir.file("nobody.mdl"), "mOpen_Click"));
    d.messages.clear();
    w = conditionManager();
    EXPECT_TRUE(containsText(message(), "BGL_CALL_32"));
    EXPECT_FALSE(child(w, "cmdOK")->isEnabled() || child(w, "cmdNewCondition")->isEnabled());
}

TEST_F(Editors, DefaultSeasonsForATextureAndItsVariants) {
    fettle::frmTEXT* w = textureList();
    EXPECT_EQ(lines(w, "lstTEXT"), (std::vector<std::string>{"HOUSE_WALLS.BMP", "HOUSE_ROOF.BMP"}));
    EXPECT_EQ(child<QComboBox>(w, "cmbTexType")->currentText().toStdString(), "TEXTURE_BUILDING");
    EXPECT_EQ(text(w, "txt_size"), "2");
    // The walls' bricks in the picture.
    const QImage picture = child<QLabel>(w, "picTexPreview")->pixmap().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(qRed(picture.pixel(picture.width() / 3, picture.height() / 3)), 150);
    // The configured days; the base is the summer texture.
    EXPECT_EQ(text(w, "txtSeasonStart_0") + " " + text(w, "txtSeasonEnd_2") + " " + text(w, "txtSeasonStart_3"), "150 59 ");
    EXPECT_FALSE(child(w, "txtSeasonStart_0")->isEnabled());

    for (const char* box : {"chkTexVariant_1", "chkTexVariant_2", "chkTexVariant_4"}) check(w, box, true);
    EXPECT_TRUE(child(w, "txtSeasonStart_0")->isEnabled());
    EXPECT_FALSE(child(w, "txtSeasonStart_3")->isEnabled());
    click("cmdUpdate", w);
    const std::vector<std::string> withSeasons = {"HOUSE_WALLS.BMP", "HOUSE_WALLS_FA.BMP", "HOUSE_WALLS_WI.BMP",
                                                  "HOUSE_WALLS_SP.BMP", "HOUSE_ROOF.BMP"};
    EXPECT_EQ(lines(w, "lstTEXT"), withSeasons);

    // The base again: its variants ticked, the days as coded (reading them from a file is TextureGroupsTest's).
    auto* list = child<QListWidget>(w, "lstTEXT");
    list->setCurrentRow(0);
    for (int j = 0; j < 5; ++j) EXPECT_EQ(checked(w, QString("chkTexVariant_%1").arg(j)), j != 3) << j;
    EXPECT_EQ(text(w, "txtSeasonStart_2") + " " + text(w, "txtSeasonEnd_2") + " " + text(w, "txtSeasonStart_4"), "330 59 60");

    // A variant: its group is highlighted, its season controls are off.
    list->setCurrentRow(2);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(list->item(i)->isSelected(), i < 4) << i;
    for (const char* off : {"chkTexVariant_1", "chkTexNight", "cmdReplace", "txtSeasonStart_2"})
        EXPECT_FALSE(child(w, off)->isEnabled()) << off;

    // Winter and spring go again, with summer and autumn around the year.
    list->setCurrentRow(0);
    check(w, "chkTexVariant_2", false);
    check(w, "chkTexVariant_4", false);
    child<QLineEdit>(w, "txtSeasonStart_0")->setText("60");
    child<QLineEdit>(w, "txtSeasonEnd_1")->setText("59");
    click("cmdUpdate", w);
    EXPECT_EQ(lines(w, "lstTEXT"), (std::vector<std::string>{"HOUSE_WALLS.BMP", "HOUSE_WALLS_FA.BMP", "HOUSE_ROOF.BMP"}));
    form->undo();
    EXPECT_EQ(lines(w, "lstTEXT"), withSeasons);
}

TEST_F(Editors, AFailingSeasonCheckChangesNothingAndTypedFieldsStayThroughOtherChanges) {
    // Which days pass is TextureGroupsTest's; here a gap is said and changes nothing, then closed up it passes.
    const std::string before = model().toBytes();
    fettle::frmTEXT* w = textureList();
    check(w, "chkTexVariant_1", true);
    check(w, "chkTexVariant_3", true);  // heavy winter without days
    click("cmdUpdate", w);
    EXPECT_EQ(d.messages.at(0).icon, MsgIcon::Critical);
    EXPECT_EQ(message(), modkit::TextureGroups::seasonGap);
    EXPECT_EQ(model().toBytes(), before);
    EXPECT_EQ(lines(w, "lstTEXT").size(), 2u);
    child<QLineEdit>(w, "txtSeasonStart_3")->setText("330");
    child<QLineEdit>(w, "txtSeasonEnd_3")->setText("149");
    click("cmdUpdate", w);
    EXPECT_EQ(lines(w, "lstTEXT").size(), 4u);

    // Ticked variants and a typed size stay through other changes.
    child<QListWidget>(w, "lstTEXT")->setCurrentRow(0);
    check(w, "chkTexVariant_2", true);
    child<QLineEdit>(w, "txt_size")->setText("7");
    click("cmdSimpleTweak_0");  // the shadow: not the window's business
    // The other texture changed underneath: kept, and said.
    form->applyModelChange("Size", "", [](modkit::MDLObject& m) { m.TextureList()->Item(4)->setSize(3); },
                           modkit::partTextures);
    EXPECT_TRUE(checked(w, "chkTexVariant_2"));
    EXPECT_EQ(text(w, "txt_size"), "7");
    EXPECT_TRUE(containsText(logText(), "the edits not yet applied are kept"));
    // Textures added underneath: the rows moved, so the window starts afresh and says so.
    form->applyModelChange("Add", "", [](modkit::MDLObject& m) { m.TextureList()->Add()->setBitmap("X.BMP"); },
                           modkit::partTextures);
    EXPECT_FALSE(checked(w, "chkTexVariant_2"));
    EXPECT_TRUE(containsText(logText(), "they were dropped"));
}

TEST_F(Editors, TextureColourTypeSizeBitmapAndSizes) {
    fettle::frmTEXT* w = textureList();
    child<QListWidget>(w, "lstTEXT")->setCurrentRow(1);
    enter(w, "txt_col_0", "300");
    enter(w, "txt_col_1", "-4");
    enter(w, "txt_col_2", "abc");
    EXPECT_EQ(text(w, "txt_col_0"), "300");  // refused where typed, never put into range
    EXPECT_NE(child<QLineEdit>(w, "txt_col_1")->styleSheet().indexOf("red"), -1);
    d.colors = {{10, 20, 30}};
    click("cmdColPick", w);
    EXPECT_EQ(text(w, "txt_col_2"), "30");
    child<QComboBox>(w, "cmbTexType")->setCurrentText("TEXTURE_GROUND");
    child<QLineEdit>(w, "txt_size")->setText("big");
    click("cmdUpdate", w);
    EXPECT_NE(message(), "");
    EXPECT_FALSE(doc().undoStack().canUndo());
    child<QLineEdit>(w, "txt_size")->setText("5");
    click("cmdUpdate", w);
    const modkit::Texture& roof = *model().TextureList()->Item(2);
    EXPECT_EQ((std::vector<double>{double(roof.Color()->Ri()), double(roof.Color()->Bi()), double(roof.textureType()), roof.size()}),
              (std::vector<double>{10, 30, 5, 5}));
    EXPECT_EQ(model().TextureList()->Item(1)->textureType(), 6);

    // Replace bitmap: the name only, in capitals; a file that is not there changes nothing.
    const std::string stone = dir.file("Stone.bmp");
    testutil::writeFile(stone, modelgen::bmpFile(modelgen::sampleBitmaps()[0]));
    d.files = {dir.file("gone.bmp"), stone, stone};
    click("cmdReplace", w);
    EXPECT_EQ(model().TextureList()->Item(2)->bitmap(), "house_roof.bmp");
    click("cmdReplace", w);
    EXPECT_EQ(d.requests.back().filter + " " + d.requests.back().title, "BMP file (*.bmp)|*.bmp Select BMP file");
    EXPECT_EQ(lines(w, "lstTEXT")[1], "STONE.BMP");
    EXPECT_EQ(fettle::config().text("LastBMP"), stone);
    click("cmdReplace", w);
    EXPECT_EQ(d.requests.back().initial, stone);

    // Check texture sizes: what the library makes of the same model.
    form->applyModelChange("Size", "", [](modkit::MDLObject& m) { m.TextureList()->Item(1)->setSize(0); },
                           modkit::partTextures);
    click("cmdTexSize", w);
    EXPECT_TRUE(containsText(logText(), "] texture size corrected"));
    EXPECT_NE(model().TextureList()->Item(1)->size(), 0.0f);
    EXPECT_EQ(doc().undoStack().undoText().toStdString(), "Check texture sizes");
    // Again: nothing to correct, no step.
    const int steps = doc().undoStack().count();
    click("cmdTexSize", w);
    EXPECT_TRUE(containsText(logText(), "] texture sizes already correct"));
    EXPECT_EQ(doc().undoStack().count(), steps);
}

int main(int argc, char** argv) { return testutil::runTests(argc, argv, false); }
