// The material, vertex and statistics windows and the Options dialog, driven
// through their object names with scripted dialogs, and which window each
// button and menu item of the main window opens; then the input rules. None
// shows a GL surface, so they run on the offscreen platform.
#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <bit>
#include <cmath>
#include <map>
#include <sys/stat.h>

#include "MainWindowFixture.h"
#include "document/FieldRule.h"
#include "editors/ObjectStatistics.h"
#include "editors/VertexGridModel.h"
#include "editors/frmOptions.h"
#include "editors/frmVERT.h"
#include "modkit/core/MDLObject.h"

using fettle::FieldRule;
using fettle::VertexGridModel;
using testutil::containsText;

namespace {

uint32_t bits(float f) { return std::bit_cast<uint32_t>(f); }

// Values that are not multiples of 1/255 or 1/1000, so any rounding shows.
modelgen::Vtx vertex(int i) {
    const float f = static_cast<float>(i);
    return modelgen::Vtx{f * 1.23457f, -f * 0.31416f, f + 0.00049f, 0.70711f, 0.70711f, 0.0001f, f / 7, f / 9};
}

// 12 materials; textures base.bmp, its autumn and winter variants, its night
// map, a building texture and a ground texture; 40 vertices. Texture 0 draws
// vertices 10..14 and 30..32, texture 4 vertices 20..25.
std::string editorModel(int vertexCount = 40) {
    std::vector<modelgen::Mat> mats(12);
    for (size_t i = 0; i < mats.size(); ++i) {
        mats[i].diffuse = {0.1234f + static_cast<float>(i) / 50, 0.3f, 0.7071f, 1};
        mats[i].ambient = {0.3f, 0.33f, 0.333f, 0.9f};
        mats[i].power = 0.1f;
    }
    std::vector<modelgen::Tex> texs(6);
    const char* names[6] = {"base.bmp", "base_fa.bmp", "BASE_WI.BMP", "base_lm.bmp", "other.bmp", "grass.bmp"};
    for (size_t i = 0; i < texs.size(); ++i) texs[i].bitmap = names[i];
    texs[3].type = 256;  // TEXTURE2_NIGHT
    texs[5].type = 5;    // TEXTURE_GROUND
    std::vector<modelgen::Vtx> verts;
    for (int i = 0; i < vertexCount; ++i) verts.push_back(vertex(i));
    modelgen::BglBuilder b;
    b.cmd(184, {0.0, 0.0});
    b.triList(10, {{0, 1, 2}, {2, 3, 4}});
    b.cmd(184, {1.0, 4.0});
    b.triList(20, {{0, 5, 3}});
    b.cmd(184, {0.0, 0.0});
    b.triList(30, {{0, 1, 2}});
    b.cmd(34, {});
    return modelgen::mdlFile({{"MDLH", modelgen::headerBody({36, 1, 2, 3, 4, 5, 6, 7, 8})},
                              {"ISFT", std::string("Tool 1.0\0", 9)},
                              {"BBOX", modelgen::bboxBody(-1.1f, -2.2f, -3.3f, 1.1f, 2.2f, 3.3f)}},
                             {{"TEXT", modelgen::texturesBody(texs)},
                              {"MATE", modelgen::materialsBody(mats)},
                              {"VERT", modelgen::verticesBody(verts)},
                              {"BGL ", b.bytes()}});
}

class Editors : public testutil::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startHidden();
    }
    std::string open(const std::string& bytes, const std::string& name = "model.mdl") {
        testutil::writeFile(dir.file(name), bytes);
        form->loadMDLObject(dir.file(name), dir.file(name), false);
        return dir.file(name);
    }
    template <class W = QWidget>
    W* find(const QString& name) { return testutil::child<W>(form.get(), name); }
    std::string text(const char* name) { return testutil::text(form.get(), name); }
    // Replaces a box's text with keys, the way a user does.
    void type(const char* name, const char* text) {
        QLineEdit* box = find<QLineEdit>(name);
        box->window()->show();
        box->window()->activateWindow();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
};

}  // namespace

TEST(VertexGrid, TypingFollowsTheGridsKeyRules) {
    auto list = std::make_shared<modkit::VertexList>();
    for (int i = 0; i < 3; ++i) {
        auto v = list->Add();
        v->setX(1.5f + static_cast<float>(i));
        v->setY(-2.25f);
    }
    VertexGridModel g;
    g.setVertices(list);
    EXPECT_EQ(g.cellText(0, 0) + " " + g.cellText(0, 1) + " " + g.cellText(0, 2), "1 1.500 -2.250");
    auto typed = [&](int row, int column, const std::string& keys) {
        g.setCurrentCell(row, column);
        for (char c : keys) g.typeChar(c);
        return g.cellText(row, column);
    };
    EXPECT_EQ(typed(0, 1, "7"), "1.500") << "typing is off until Enter";
    g.setEditing(true);
    EXPECT_EQ(g.data(g.index(0, 1), Qt::BackgroundRole).value<QColor>(), QColor(255, 128, 128));
    // The first key replaces; a second point, a minus after the start and letters are refused.
    EXPECT_EQ(typed(0, 1, "1.2.3-e"), "1.23");
    // Typing goes on in the next cell; Backspace edits the text that is there.
    EXPECT_EQ(typed(1, 2, "-4"), "-4");
    EXPECT_FALSE(g.data(g.index(0, 1), Qt::BackgroundRole).isValid());
    g.setCurrentCell(2, 1);
    g.backspace();
    EXPECT_EQ(g.cellText(2, 1), "3.50");
    EXPECT_EQ(typed(2, 0, "5"), "3") << "the row number is not a value";
    // Escape puts the cell back as it was before typing into it.
    typed(1, 1, "9");
    g.cancelCell();
    EXPECT_EQ(g.cellText(1, 1), "2.500");
    EXPECT_FALSE(g.editing());

    std::vector<VertexGridModel::Change> c = g.changes();
    ASSERT_EQ(c.size(), 3u);  // row, column, value
    EXPECT_EQ((std::vector<float>{float(c[0].row), float(c[0].column), c[0].value, float(c[1].row), c[1].value, c[2].value}),
              (std::vector<float>{0, 1, 1.23f, 1, -4, 3.5f}));

    // A cell of just "-" and a value beyond single precision are refused; the first is named.
    g.setEditing(true);
    typed(0, 3, "-");
    typed(0, 4, std::string(40, '9'));
    std::optional<VertexGridModel::Change> bad;
    c = g.changes(&bad);
    EXPECT_TRUE(std::isnan(c[1].value) && std::isnan(c[2].value));
    ASSERT_TRUE(bad.has_value());
    EXPECT_EQ(bad->row * 10 + bad->column, 3);  // the first refused cell: row 0, column 3
}

TEST(VertexGrid, UnifiedNormalsKeepTheirWholeValueAndEditsSurviveACopyOfThePool) {
    auto list = std::make_shared<modkit::VertexList>();
    for (int i = 0; i < 10; ++i) list->Add();
    VertexGridModel g;
    g.setVertices(list);
    g.unifyNormals({9, 3, 4, 42}, 0.57735f, -0.57735f, 0.57735f);
    EXPECT_EQ(g.cellText(3, 4) + " " + g.cellText(3, 5), "0.577 -0.577");
    EXPECT_EQ(g.changedCount(), 9u);
    // After Undo the pool is a copy of the same size: the grid keeps its edits.
    auto copy = std::make_shared<modkit::VertexList>();
    for (int i = 0; i < 10; ++i) copy->Add();
    g.setVertices(copy);
    std::vector<VertexGridModel::Change> c = g.changes();
    ASSERT_EQ(c.size(), 9u);
    EXPECT_EQ(bits(c[0].value), bits(0.57735f));
    // A shorter pool drops the edits of rows it no longer has.
    auto shorter = std::make_shared<modkit::VertexList>();
    for (int i = 0; i < 5; ++i) shorter->Add();
    g.setVertices(shorter);
    EXPECT_EQ(g.changedCount(), 6u);
}

TEST(ObjectStatistics, CountsTexturesByKindWithoutTouchingTheModelCreationToolAndPaths) {
    auto m = std::make_shared<modkit::MDLObject>();
    m->readMDLBytes(editorModel());
    fettle::ConfigFunctions c;
    c.createDefaultConfiguration();
    fettle::ObjectStatistics s = fettle::objectStatistics(*m, fettle::seasonSuffixes(c));
    EXPECT_EQ(s.seasonal, 2);  // every count is shown by the statistics window below
    for (const auto& t : *m->TextureList()) EXPECT_TRUE(t->parent() == 0 && t->textureVariant() == modkit::textureVariant::summer);
    // Other suffixes, other variants.
    c.setText("TexSufFA", "_AU");
    EXPECT_EQ(fettle::objectStatistics(*m, fettle::seasonSuffixes(c)).seasonal, 1);

    // Creation tool texts and stored paths.
    const std::string isft("Tool 1.0\0\0", 10);
    EXPECT_EQ(fettle::creationToolText(isft), "Tool 1.0");
    EXPECT_EQ(fettle::creationToolBody("Other", isft), std::string("Other\0\0", 7));
    EXPECT_EQ(fettle::creationToolBody("Other", "no terminator"), "Other");

    EXPECT_EQ(fettle::frmOptions::storedPath("tex//"), "tex/");
    EXPECT_EQ(fettle::frmOptions::storedPath("/"), "/");
}

TEST_F(Editors, EveryWindowOpensFromTheMainWindowUnchecksItsItemWhenClosedAndOptionsAreEdited) {
    open(modelgen::sampleHouse(), "house.mdl");
    // The Tools menu's dialogs are modal; the other windows' items follow them (opening
    // them from their items is the workspace test's).
    const struct {
        const char *button, *item, *window, *caption;
        bool modal;
    } windows[] = {{"cmd_list_0", "mViewList_0", "frmMATE", "Material List", false},
                   {"cmd_list_1", "mViewList_1", "frmTEXT", "Texture List", false},
                   {"cmd_list_2", "mViewList_2", "frmVERT", "Vertex List", false},
                   {"cmd_list_3", "mViewList_3", "frmBGLC", "BGL Command List", false},
                   {"cmd_list_5", "mViewList_5", "frmStats", "Object information", false},
                   {nullptr, "mOptions", "frmOptions", "Options", true},
                   {nullptr, "mOpenFlightConv", "frmFLTExport", "OpenFlight Converter", true},
                   {nullptr, "mViewBGLBrowser", "frmBGLBrowser", "BGL Browser", false},
                   {nullptr, "mLog", "frmLog", "Event log", false}};
    for (const auto& w : windows) {
        w.button ? click(w.button) : form->action(w.item)->trigger();
        QWidget* win = find(w.window);
        EXPECT_TRUE(win->isVisible() && win->isModal() == w.modal) << w.window;
        EXPECT_EQ(win->windowTitle().toStdString(), w.caption);
        EXPECT_EQ(form->action(w.item)->isChecked(), !w.modal) << w.item;
        win->close();
        EXPECT_FALSE(form->action(w.item)->isChecked()) << w.item;
    }

    // The Options dialog edits the configuration.
    fettle::ConfigFunctions& c = fettle::config();
    form->action("mOptions")->trigger();
    auto* dlg = find<fettle::frmOptions>("frmOptions");
    const std::pair<const char*, const char*> shown[] = {{"txtTexSuffix_0", "_SP"}, {"txtTexSuffix_4", "_LM"},
        {"txtSeasStart_0", "150"}, {"txtSeasEnd_2", "59"}, {"txtSeasStart_3", ""}, {"txtNorm_2", "1.00"}};
    for (auto [box, value] : shown) EXPECT_EQ(text(box), value) << box;
    EXPECT_TRUE(find<QRadioButton>("optFLTTex_0")->isChecked());
    EXPECT_FALSE(find("cmdDeletePath")->isEnabled());

    // Paths are listed without their trailing separator; Cancel drops them with the boxes.
    d.files.push_back("/tmp/Textures/");
    click("cmdAddPath");
    d.inputs.push_back("../texture\\");
    click("cmdAddRelativePath");
    EXPECT_EQ(d.prompts, std::vector<std::string>{"Please enter the new relative texture searchpath:"});
    click("cmdAddRelativePath");  // cancelled
    EXPECT_EQ(testutil::lines(dlg, "lstTexSearch"), (std::vector<std::string>{"/tmp/Textures", "../texture"}));
    type("txtTexSuffix_1", "_AU");
    click("cmdCancel");
    EXPECT_TRUE(c.texts("TexturePath").empty());
    EXPECT_EQ(c.text("TexSufFA"), "_FA");

    // Opened again it shows the configuration; removing the only path left disables the button.
    form->action("mOptions")->trigger();
    EXPECT_EQ(text("txtTexSuffix_1"), "_FA");
    d.inputs.push_back("../texture");
    click("cmdAddRelativePath");
    find<QListWidget>("lstTexSearch")->setCurrentRow(0);
    click("cmdDeletePath");
    EXPECT_FALSE(find("cmdDeletePath")->isEnabled());

    // OK writes every box as typed, empty days included.
    type("txtTexSuffix_3", "_HX");
    type("txtSeasStart_0", "151");
    find<QLineEdit>("txtSeasEnd_4")->clear();
    type("txtNorm_0", "0.5");
    find<QRadioButton>("optFLTTex_2")->click();
    click("cmdOK");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(c.text("TexSufHW") + c.attribute("TexSufSU", "start") + c.attribute("TexSufSP", "end") + " " +
                  c.attribute("NormVector", "nx") + " " + c.text("FLTTex"), "_HX151 0.5 TIF");
    EXPECT_TRUE(c.texts("TexturePath").empty());
}

TEST_F(Editors, MaterialWindowRecoloursOnlyTheChangedComponentsAndKeepsTypedBoxes) {
    open(editorModel());
    click("cmd_list_0");
    auto* list = find<QListWidget>("lstMATE");
    ASSERT_EQ(list->count(), 12);

    list->setCurrentRow(3);
    // Boxes: Ambient, Diffuse, Specular, Emissive rows of red, green, blue, alpha. 0, 4, 7: ambient red (0.3 x 255 is 76.5 in single precision: half to even), diffuse red, diffuse alpha.
    EXPECT_EQ(text("txt_col_0") + " " + text("txt_col_4") + " " + text("txt_col_7") + " " + text("txt_power"), "76 47 255 0.1");

    // Boxes that do not fit are the input rules' (below).
    type("txt_col_4", "255");
    type("txt_col_3", "0");
    // The colour dialog starts from the swatch and fills red, green, blue.
    d.colors.push_back({10, 20, 30});
    click("cmdColPick_2");
    EXPECT_EQ(d.colorRequests.at(0).r, 0);
    EXPECT_EQ(text("txt_col_8") + "," + text("txt_col_9") + "," + text("txt_col_10"), "10,20,30");
    EXPECT_NE(find<QLabel>("lblColPrev_2")->styleSheet().indexOf("rgb(10, 20, 30)"), -1);
    click("cmdColPick_1");  // cancelled: nothing changes
    EXPECT_EQ(text("txt_col_4"), "255");

    click("cmdUpdCol");
    EXPECT_EQ(doc().undoStack().undoText().toStdString(), "Update material");
    auto back = testutil::reloaded(model());  // as it would be saved
    const modkit::Material& m = *back->MaterialList()->Item(4);
    EXPECT_EQ((std::vector<int>{m.Diffuse()->Ri(), m.Ambient()->Ai(), m.Specular()->Ri(), m.Specular()->Bi()}),
              (std::vector<int>{255, 0, 10, 30}));
    // Untouched components come back bit for bit, not as multiples of 1/255.
    EXPECT_EQ((std::vector<uint32_t>{bits(m.Diffuse()->g()), bits(m.Ambient()->r()), bits(m.Power()),
                                     bits(back->MaterialList()->Item(3)->Diffuse()->r())}),
              (std::vector<uint32_t>{bits(0.3f), bits(0.3f), bits(0.1f), bits(0.1234f + 2.0f / 50)}));

    // Typed boxes stay through changes underneath (changes elsewhere: the texture window's test).
    list->setCurrentRow(0);
    type("txt_col_5", "9");
    // Its own materials, changed underneath: the typed box stays, and the log says so.
    form->applyModelChange("Power", "", [](modkit::MDLObject& m) { m.MaterialList()->Item(1)->setPower(2); },
                           modkit::partMaterials);
    EXPECT_EQ(text("txt_col_5"), "9");
    EXPECT_NE(logText().find("the edits not yet applied are kept"), std::string::npos) << logText();
    click("cmdUpdCol");
    EXPECT_EQ(model().MaterialList()->Item(1)->Diffuse()->Gi(), 9);
    EXPECT_EQ(model().MaterialList()->Item(1)->Power(), 2.0f);
}

TEST_F(Editors, VertexWindowUnifiesNormalsTypesIntoCellsAndSelectsByTexture) {
    const std::string original = editorModel(65535);  // a full pool
    open(original);
    fettle::config().setAttribute("NormVector", "ny", "1.00");
    fettle::config().setAttribute("NormVector", "nz", "0.00");
    form->action("mViewList_2")->trigger();
    auto* win = find<fettle::frmVERT>("frmVERT");
    win->resize(700, 300);
    auto& view = win->grdVertex();
    VertexGridModel& grid = win->grid();
    ASSERT_EQ(grid.rowCount(), 65535);

    // Normals over an upward selection, written to those cells only: rows 10 up to 4
    // (grid rows count from 1), starting on row 10.
    view.setCurrentIndex(grid.index(9, 4));
    for (int i = 0; i < 6; ++i) QTest::keyClick(&view, Qt::Key_Up, Qt::ShiftModifier);
    click("cmdNormalize");
    for (int row = 0; row < 65535; ++row) ASSERT_EQ(grid.isChanged(row, 4), row >= 3 && row <= 9) << row;
    // Only the grid has changed so far.
    EXPECT_FALSE(doc().undoStack().canUndo());

    click("cmdUpdate");
    EXPECT_EQ(doc().undoStack().undoText().toStdString(), "Update vertices");
    EXPECT_EQ(grid.changedCount(), 0u);
    // Byte for byte the original with those normals set: nothing else rounded.
    modkit::MDLObject expected;
    expected.readMDLBytes(original);
    for (int i = 4; i <= 10; ++i) {
        expected.VertexList()->Item(i)->setNx(0);
        expected.VertexList()->Item(i)->setNy(1);
        expected.VertexList()->Item(i)->setNz(0);
    }
    EXPECT_EQ(model().toBytes(), expected.toBytes());
    form->undo();
    EXPECT_EQ(grid.cellText(5, 5), "0.707");
    EXPECT_EQ(model().toBytes(), original);
    // All of them, up to the last one.
    view.selectAll();
    click("cmdNormalize");
    click("cmdUpdate");
    EXPECT_EQ(model().VertexList()->Item(65535)->ny(), 1.0f);

    // Return starts and ends typing; keys reach the current cell, arrows move it.
    view.setCurrentIndex(grid.index(0, 1));
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClicks(&view, "1.23");
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClicks(&view, "-5");
    EXPECT_EQ(grid.cellText(0, 2), "-5");
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClicks(&view, "7");
    EXPECT_EQ(grid.cellText(0, 2), "-5") << "typing is off";

    // Texture 0 draws vertices 10 to 32: rows 11 to 33 are selected, row 5 at the top.
    auto* textures = find<QComboBox>("cmbTexture");
    ASSERT_EQ(textures->itemText(2).toStdString(), "BASE_WI.BMP");
    textures->setCurrentIndex(0);
    click("cmdSelectByTexture");
    ASSERT_EQ(view.selectionModel()->selectedRows().size(), 23);
    EXPECT_TRUE(view.currentIndex().row() == 10 && view.selectionModel()->isRowSelected(32, {}));
    EXPECT_EQ(view.rowAt(0), 4);
    // Texture 4 draws vertices 20 to 25; a texture no triangle uses selects nothing new.
    for (auto [texture, rows] : {std::pair{4, 6}, std::pair{1, 6}}) {
        textures->setCurrentIndex(texture);
        click("cmdSelectByTexture");
        EXPECT_EQ(view.selectionModel()->selectedRows().size(), rows) << texture;
    }

    // The typed cells are written; the rest of those vertices keeps its values.
    click("cmdUpdate");
    const modkit::Vertex& v = *model().VertexList()->Item(1);
    EXPECT_TRUE(v.x() == 1.23f && v.y() == -5.0f && bits(v.z()) == bits(vertex(0).z));

    // Edits not yet written go when another model is opened.
    view.setCurrentIndex(grid.index(2, 3));
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClicks(&view, "8");
    EXPECT_EQ(grid.changedCount(), 1u);
    open(editorModel(), "other.mdl");
    EXPECT_FALSE(grid.changedCount() || grid.editing());
}

TEST_F(Editors, StatisticsWindowShowsCountsAndEditsTheHeaderInPlace) {
    open(editorModel());
    click("cmd_list_5");
    // Each count (ObjectStatistics' own) in its label.
    std::string counts;
    for (const char* l : {"Vert", "Tri", "Mate", "StateChg", "Text", "TextNight", "TextSeas", "TextOther"})
        counts += find<QLabel>(QString("lblNum") + l)->text().toStdString() + " ";
    EXPECT_EQ(counts, "40 4 12 3 6 1 2 1 ");
    EXPECT_EQ(text("txtISFT") + " " + text("txtBBoxMin_0") + " " + text("txtBBoxMax_2") + " " + text("txtMDLH_7"), "Tool 1.0 -1.1 3.3 8");

    // Typing in one box is one undo step; the terminator of the text stays. Refusals are the input rules'.
    auto enterBox = [&](const char* box, const char* typed) {
        type(box, typed);
        QTest::keyClick(find<QLineEdit>(box), Qt::Key_Return);
    };
    enterBox("txtISFT", "Modeller 2");
    EXPECT_EQ(model().getISFT(), std::string("Modeller 2\0", 11));
    EXPECT_EQ(doc().undoStack().count(), 1);
    enterBox("txtBBoxMin_0", "-12.5");
    enterBox("txtMDLH_3", "42");
    EXPECT_EQ(model().BoundingBox()->xmin(), -12.5f);
    EXPECT_TRUE(model().MDLHeader()->param(4) == 42 && model().MDLHeader()->param(0) == 36);
    EXPECT_EQ(doc().undoStack().count(), 3);
    for (int i = 0; i < 3; ++i) form->undo();
    EXPECT_EQ(text("txtISFT") + " " + text("txtBBoxMin_0") + " " + text("txtMDLH_3"), "Tool 1.0 -1.1 4");
}

// ---------------------------------------------------------------- input rules
// Typed values are applied whole or not at all; refusals, failures and the
// keyboard say what happened; every control has a name for assistive technology.

TEST(FieldRule, TakesAWholeValueOfItsKindInRangeOrNothing) {
    const FieldRule red = FieldRule::whole("Ambient red", 0, 255), header = FieldRule::whole("P", INT32_MIN, INT32_MAX),
                    real = FieldRule::real("x"), day = FieldRule::whole("day", 1, 366), var = FieldRule::hex("V", 0xFFFF);
    const std::vector<std::tuple<const FieldRule*, const char*, std::optional<double>>> cases = {
        {&red, "255", 255}, {&red, "300", {}}, {&red, "-5", {}}, {&red, "abc", {}}, {&red, "2.5", {}}, {&red, "", {}},
        {&header, "99999999999", {}}, {&header, "-2147483648", INT32_MIN}, {&real, "-", {}}, {&real, ".", {}},
        {&real, "1e39", {}}, {&real, "NaN", {}}, {&real, " -2.5 ", -2.5}, {&day, "366", 366}, {&day, "0", {}},
        {&var, "33b", 827}, {&var, "10000", {}}, {&var, "-1", {}}};
    for (const auto& [rule, text, want] : cases) EXPECT_EQ(rule->value(text), want) << rule->field() << " " << text;
    EXPECT_EQ(red.refusal("300"), "Ambient red: \"300\" is not valid; enter a whole number from 0 to 255.");
    EXPECT_EQ(var.range(), "a hexadecimal number from 0 to FFFF");
}

namespace {

class InputRules : public Editors {
protected:
    void open() { Editors::open(modelgen::sampleHouse(), "house.mdl"); }
    void click(const char* name) { find<QAbstractButton>(name)->click(); }
    void typeCell(char c) {
        auto* w = find<fettle::frmVERT>("frmVERT");
        w->grdVertex().setCurrentIndex(w->grid().index(0, 1));
        QTest::keyClick(&w->grdVertex(), Qt::Key_F2);
        QTest::keyClick(&w->grdVertex(), c);
    }
    std::string lastMessage() { return d.messages.empty() ? std::string() : d.messages.back().text; }
};

}  // namespace

TEST_F(InputRules, RefusedValuesLeaveTheModelAsItWasAndSayWhichFieldAndRange) {
    struct Case {
        const char* window;
        std::function<void()> act;
        std::string said;  // part of the message; empty: the field is only marked
    };
    const std::vector<Case> cases = {
        {"cmd_list_5", [&] { type("txtMDLH_3", "99999999999"); QTest::keyClick(find("txtMDLH_3"), Qt::Key_Tab); }, ""},
        {"cmd_list_5", [&] { type("txtBBoxMin_0", "abc"); QTest::keyClick(find("txtBBoxMin_0"), Qt::Key_Return); }, ""},
        {"cmd_list_0", [&] {
             type("txt_col_0", "300");
             click("cmdUpdCol");
             EXPECT_EQ(find<QLineEdit>("txt_col_0")->text(), "300");  // as typed, not put into range
         }, "Ambient red: \"300\" is not valid; enter a whole number from 0 to 255."},
        {"cmd_list_0", [&] { type("txt_col_5", "-5"); click("cmdUpdCol"); }, "Diffuse green: \"-5\""},
        {"cmd_list_0", [&] { type("txt_col_2", "abc"); click("cmdUpdCol"); }, "Ambient blue: \"abc\""},
        {"cmd_list_2", [&] { typeCell('-'); click("cmdUpdate"); }, "x of vertex 1: \"-\" is not valid"},
        {"cmd_list_2", [&] { typeCell('.'); click("cmdUpdate"); }, "x of vertex 1: \".\" is not valid"},
        {"cmd_list_0", [&] { type("txt_power", "a"); type("txt_col_5", "9"); click("cmdUpdCol"); }, "Power: \"a\""},
        {"cmd_list_2", [&] {
             fettle::config().setAttribute("NormVector", "ny", "up");
             click("cmdNormalize");
             fettle::config().setAttribute("NormVector", "ny", "0.00");
             EXPECT_EQ(find<fettle::frmVERT>("frmVERT")->grid().changedCount(), 0u);
         }, "ny is \"up\""},
    };
    for (const Case& c : cases) {
        open();
        const int32_t header = form->currentModel()->MDLHeader()->param(4);
        click(c.window);
        c.act();
        SCOPED_TRACE(c.said);
        EXPECT_TRUE(c.said.empty() ? d.messages.empty() : containsText(lastMessage(), c.said)) << lastMessage();
        d.messages.clear();
        EXPECT_EQ(form->document().undoStack().count(), 0);
        EXPECT_FALSE(form->document().isModified());
        EXPECT_EQ(form->currentModel()->MDLHeader()->param(4), header);
    }

    // Options: a day or a normal component that is no number is refused; Cancel leaves everything as it was.
    fettle::ConfigFunctions& config = fettle::config();
    const std::string before = config.attribute("NormVector", "ny");
    for (auto [box, text, field] : {std::tuple{"txtSeasStart_0", "abc", "Summer start day"},
                                    std::tuple{"txtNorm_1", "x", "Unify normals direction ny"}}) {
        form->action("mOptions")->trigger();
        d.files = {"/tmp/"};
        click("cmdAddPath");
        type(box, text);
        click("cmdOK");
        EXPECT_TRUE(containsText(lastMessage(), field)) << lastMessage();
        d.messages.clear();
        click("cmdCancel");
    }
    EXPECT_EQ(config.attribute("NormVector", "ny"), before);
    EXPECT_TRUE(config.texts("TexturePath").empty());
}

TEST_F(InputRules, OneConditionIgnoresTheHiddenCombination) {
    std::vector<int> counts;
    for (int multi : {0, 1}) {
        open();
        click("cmdSimpleTweak_1");
        click("cmdNewCondition");
        click("cmdRmvCondition");  // back to the one condition
        find<QComboBox>("cmbMultiCond")->setCurrentIndex(multi);
        click("cmdOK");
        counts.push_back(form->currentModel()->BGLCommandList()->Count());
    }
    EXPECT_EQ(counts[0], counts[1]);
}

TEST_F(InputRules, FailuresNameTheFileAndKeysWorkEverywhere) {
    // A damaged model: which section, and that the file was left alone; logged.
    testutil::writeFile(dir.file("bad.mdl"), modelgen::mdlFile({{"MDLH", modelgen::headerBody({36, 0, 0, 0, 0, 0, 0, 0, 0})}}, {{"VERT", "xx"}}));
    d.files = {dir.file("bad.mdl")};
    form->action("mOpen")->trigger();
    EXPECT_TRUE(containsText(lastMessage(), "File: " + dir.file("bad.mdl") + "\nFound: the model is damaged in the vertex list (VERT section)"))
        << lastMessage();
    EXPECT_TRUE(containsText(lastMessage(), "left untouched"));
    EXPECT_TRUE(containsText(form->log().text(), "Error: could not open \"" + dir.file("bad.mdl") + "\""));
    ASSERT_EQ(::mkfifo(dir.file("pipe.mdl").c_str(), 0600), 0);
    d.files = {dir.file("pipe.mdl")};
    form->action("mOpen")->trigger();
    EXPECT_TRUE(containsText(lastMessage(), "not a regular file")) << lastMessage();

    // Escape asks before it closes a tool window that holds edits (without edits, and
    // the Undo and Redo keys: the workspace test).
    open();
    click("cmd_list_0");
    type("txt_col_0", "1");
    d.answers = {fettle::MsgAnswer::No};
    QTest::keyClick(find("lstMATE"), Qt::Key_Escape);
    EXPECT_TRUE(find("frmMATE")->isVisible());
    d.messages.clear();

    // Menus: one accelerator per item. Every visible control: a name.
    for (QMenu* menu : form->findChildren<QMenu*>()) {
        std::map<QChar, QString> taken;
        for (QAction* a : menu->actions()) {
            const qsizetype at = a->text().indexOf(QRegularExpression("&[^&]"));
            if (at < 0) continue;
            EXPECT_TRUE(taken.emplace(a->text()[at + 1].toLower(), a->text()).second) << a->text().toStdString();
        }
    }
    for (const char* b : {"cmd_list_1", "cmd_list_2", "cmd_list_3", "cmdSimpleTweak_1"}) click(b);
    for (const char* a : {"mOptions", "mOpenFlightConv", "mViewBGLBrowser", "mLog"}) form->action(a)->trigger();
    form->show();  // the toolbar, the status bar, the docks and the preview
    int named = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        for (QWidget* w : top->findChildren<QWidget*>())
            // A spin box's own text field is part of the (named) spin box; a tab bar without
            // tabs is one the dock layout keeps out of sight for later.
            if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QAbstractSpinBox*>(w->parent()) &&
                !(qobject_cast<QTabBar*>(w) && !static_cast<QTabBar*>(w)->count())) {
                QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
                ASSERT_NE(i, nullptr);
                EXPECT_FALSE(i->text(QAccessible::Name).isEmpty()) << w->metaObject()->className() << " " << w->objectName().toStdString();
                ++named;
            }
    EXPECT_GT(named, 60);
}

int main(int argc, char** argv) { return testutil::runTests(argc, argv, true); }
