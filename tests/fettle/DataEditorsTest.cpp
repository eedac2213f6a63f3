// The material, vertex and statistics windows and the Options dialog, driven
// through their object names with scripted dialogs. None shows a GL surface,
// so they run on the offscreen platform; the main window's preview is never shown.
#include <gtest/gtest.h>

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <cstring>

#include "ModelBuilder.h"
#include "ScriptedDialogs.h"
#include "TestUtil.h"
#include "editors/Editors.h"
#include "editors/ObjectStatistics.h"
#include "editors/VertexGridModel.h"
#include "editors/frmOptions.h"
#include "editors/frmVERT.h"
#include "modkit/core/MDLObject.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

using fettle::Form1;
using fettle::VertexGridModel;
using testutil::ScriptedDialogs;
using testutil::TempDir;

namespace {

uint32_t bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

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
    std::string isft = "Tool 1.0";
    isft.push_back('\0');
    return modelgen::mdlFile({{"MDLH", modelgen::headerBody({36, 1, 2, 3, 4, 5, 6, 7, 8})},
                              {"ISFT", isft},
                              {"BBOX", modelgen::bboxBody(-1.1f, -2.2f, -3.3f, 1.1f, 2.2f, 3.3f)}},
                             {{"TEXT", modelgen::texturesBody(texs)},
                              {"MATE", modelgen::materialsBody(mats)},
                              {"VERT", modelgen::verticesBody(verts)},
                              {"BGL ", b.bytes()}});
}

std::shared_ptr<modkit::MDLObject> read(const std::string& path) {
    auto m = std::make_shared<modkit::MDLObject>();
    m->readMDL(path);
    return m;
}

void key(QWidget* w, int k, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, k, mods, text);
    QApplication::sendEvent(w, &release);
}

// Types characters as keys (digits, letters, ".", "-").
void type(QWidget* w, const std::string& s) {
    for (char c : s) key(w, std::toupper(static_cast<unsigned char>(c)), QString(QChar(c)));
}

// Replaces a line edit's text the way a user does: select all, then type.
void retype(QLineEdit* box, const std::string& s) {
    box->selectAll();
    key(box, Qt::Key_Backspace);
    type(box, s);
}

class Editors : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
        fettle::setDialogs(&d);
        fettle::config().createDefaultConfiguration();
        fettle::config().setPath(home.file("fettle.xml"));
        form = std::make_unique<Form1>();
        fettle::registerEditors(*form);
    }
    void TearDown() override {
        d.answers.assign(4, fettle::MsgAnswer::Discard);
        form->close();
        form.reset();
        fettle::setDialogs(nullptr);
    }

    std::string open(const std::string& bytes, const std::string& name = "model.mdl") {
        testutil::writeFile(dir.file(name), bytes);
        form->loadMDLObject(dir.file(name), dir.file(name), false);
        return dir.file(name);
    }
    template <class W = QWidget>
    W* find(const char* name) {
        W* w = form->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) {
        auto* b = find<QPushButton>(name);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    std::string text(const char* name) { return find<QLineEdit>(name)->text().toStdString(); }
    std::string logText() { return form->log().text(); }
    modkit::MDLObject& model() { return *form->currentModel(); }
    // The current model as it would be saved, read back.
    std::shared_ptr<modkit::MDLObject> saved() {
        model().saveMDL(dir.file("saved.mdl"));
        return read(dir.file("saved.mdl"));
    }

    TempDir home, dir;
    ScriptedDialogs d;
    std::unique_ptr<Form1> form;
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
    EXPECT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.cellText(0, 0), "1");
    EXPECT_EQ(g.cellText(0, 1), "1.500");
    EXPECT_EQ(g.cellText(0, 2), "-2.250");

    g.setCurrentCell(0, 1);
    EXPECT_FALSE(g.typeChar('7')) << "typing is off until Enter";
    g.setEditing(true);
    EXPECT_EQ(g.data(g.index(0, 1), Qt::BackgroundRole).value<QColor>(), QColor(255, 128, 128));
    for (char c : std::string("1.2.3")) g.typeChar(c);
    EXPECT_EQ(g.cellText(0, 1), "1.23") << "the first key replaces, a second point is refused";
    EXPECT_FALSE(g.typeChar('-')) << "a minus only starts a number";
    EXPECT_FALSE(g.typeChar('e'));

    // Typing goes on in the next cell; Backspace edits the text that is there.
    g.setCurrentCell(1, 2);
    EXPECT_FALSE(g.data(g.index(0, 1), Qt::BackgroundRole).isValid());
    g.typeChar('-');
    g.typeChar('4');
    EXPECT_EQ(g.cellText(1, 2), "-4");
    g.setCurrentCell(2, 1);
    g.backspace();
    EXPECT_EQ(g.cellText(2, 1), "3.50");
    g.setCurrentCell(2, 0);
    EXPECT_FALSE(g.typeChar('5')) << "the row number is not a value";

    // Escape puts the cell back as it was before typing into it.
    g.setCurrentCell(1, 1);
    g.typeChar('9');
    g.cancelCell();
    EXPECT_EQ(g.cellText(1, 1), "2.500");
    EXPECT_FALSE(g.editing());

    std::vector<VertexGridModel::Change> c = g.changes();
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].row, 0);
    EXPECT_EQ(c[0].column, 1);
    EXPECT_FLOAT_EQ(c[0].value, 1.23f);
    EXPECT_EQ(c[1].row, 1);
    EXPECT_FLOAT_EQ(c[1].value, -4.0f);
    EXPECT_FLOAT_EQ(c[2].value, 3.5f);
    EXPECT_FALSE(g.isChanged(1, 1));

    // A cell of just "-" and a value beyond single precision are refused; the first is named.
    g.setEditing(true);
    g.setCurrentCell(0, 3);
    g.typeChar('-');
    g.setCurrentCell(0, 4);
    for (int i = 0; i < 40; ++i) g.typeChar('9');
    std::optional<VertexGridModel::Change> bad;
    c = g.changes(&bad);
    EXPECT_TRUE(std::isnan(c[1].value) && std::isnan(c[2].value));
    ASSERT_TRUE(bad.has_value());
    EXPECT_EQ(bad->row, 0);
    EXPECT_EQ(bad->column, 3);
}

TEST(VertexGrid, UnifiedNormalsKeepTheirWholeValueAndEditsSurviveACopyOfThePool) {
    auto list = std::make_shared<modkit::VertexList>();
    for (int i = 0; i < 10; ++i) list->Add();
    VertexGridModel g;
    g.setVertices(list);
    g.unifyNormals({9, 3, 4, 42}, 0.57735f, -0.57735f, 0.57735f);
    EXPECT_EQ(g.cellText(3, 4), "0.577");
    EXPECT_EQ(g.cellText(3, 5), "-0.577");
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

TEST(VertexGrid, VerticesOfATextureFollowItsMaterialSelections) {
    auto m = std::make_shared<modkit::MDLObject>();
    m->readMDLBytes(editorModel());
    const modkit::BGLCommandList& cmds = *m->BGLCommandList();
    std::optional<fettle::VertexRange> r = fettle::verticesOfTexture(cmds, 0);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->first, 10);
    EXPECT_EQ(r->last, 32);
    r = fettle::verticesOfTexture(cmds, 4);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->first, 20);
    EXPECT_EQ(r->last, 25);
    EXPECT_FALSE(fettle::verticesOfTexture(cmds, 1).has_value());
    EXPECT_FALSE(fettle::verticesOfTexture(cmds, -1).has_value());
}

TEST(ObjectStatistics, CountsTexturesByKindWithoutTouchingTheModel) {
    auto m = std::make_shared<modkit::MDLObject>();
    m->readMDLBytes(editorModel());
    fettle::ConfigFunctions c;
    c.createDefaultConfiguration();
    fettle::ObjectStatistics s = fettle::objectStatistics(*m, fettle::seasonSuffixes(c));
    EXPECT_EQ(s.vertices, 40);
    EXPECT_EQ(s.triangles, 4);
    EXPECT_EQ(s.materials, 12);
    EXPECT_EQ(s.stateChanges, 3);
    EXPECT_EQ(s.textures, 6);
    EXPECT_EQ(s.night, 1);     // base_lm.bmp by its type
    EXPECT_EQ(s.seasonal, 2);  // base_fa.bmp, BASE_WI.BMP
    EXPECT_EQ(s.other, 1);     // grass.bmp; other.bmp is a building texture
    for (const auto& t : *m->TextureList()) {
        EXPECT_EQ(t->parent(), 0);
        EXPECT_EQ(t->textureVariant(), modkit::textureVariant::summer);
    }
    // Other suffixes, other variants.
    c.setText("TexSufFA", "_AU");
    EXPECT_EQ(fettle::objectStatistics(*m, fettle::seasonSuffixes(c)).seasonal, 1);
}

TEST(ObjectStatistics, CreationToolTextAndStoredPaths) {
    const std::string isft("Tool 1.0\0\0", 10);
    EXPECT_EQ(fettle::creationToolText(isft), "Tool 1.0");
    EXPECT_EQ(fettle::creationToolBody("Other", isft), std::string("Other\0\0", 7));
    EXPECT_EQ(fettle::creationToolBody("Other", "no terminator"), "Other");

    EXPECT_EQ(fettle::frmOptions::storedPath("/tmp/Textures/"), "/tmp/Textures");
    EXPECT_EQ(fettle::frmOptions::storedPath("..\\texture\\"), "..\\texture");
    EXPECT_EQ(fettle::frmOptions::storedPath("tex//"), "tex/");
    EXPECT_EQ(fettle::frmOptions::storedPath("/"), "/");
}

TEST_F(Editors, EveryWindowOpensFromTheMainWindowAndUnchecksItsItemWhenClosed) {
    testutil::writeFile(dir.file("house.mdl"), modelgen::sampleHouse());
    form->loadMDLObject(dir.file("house.mdl"), dir.file("house.mdl"), false);
    const struct {
        const char* button;
        const char* item;
        const char* window;
        const char* caption;
    } windows[] = {{"cmd_list_0", "mViewList_0", "frmMATE", "Material List"},
                   {"cmd_list_2", "mViewList_2", "frmVERT", "Vertex List"},
                   {"cmd_list_5", "mViewList_5", "frmStats", "Object information"}};
    for (const auto& w : windows) {
        click(w.button);
        QWidget* win = find(w.window);
        ASSERT_NE(win, nullptr);
        EXPECT_TRUE(win->isVisible()) << w.window;
        EXPECT_EQ(win->windowTitle().toStdString(), w.caption);
        EXPECT_TRUE(form->action(w.item)->isChecked()) << w.item;
        win->close();
        EXPECT_FALSE(form->action(w.item)->isChecked()) << w.item;
        form->action(w.item)->trigger();
        EXPECT_TRUE(win->isVisible()) << w.window;
        form->action(w.item)->trigger();
        EXPECT_FALSE(win->isVisible()) << w.window;
    }
    form->action("mOptions")->trigger();
    QWidget* options = find("frmOptions");
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(options->isVisible());
    EXPECT_TRUE(options->isModal());
    EXPECT_EQ(options->windowTitle().toStdString(), "Options");
}

TEST_F(Editors, MaterialWindowRecoloursOnlyTheChangedComponents) {
    open(editorModel());
    click("cmd_list_0");
    auto* list = find<QListWidget>("lstMATE");
    ASSERT_EQ(list->count(), 12);
    EXPECT_EQ(list->item(0)->text().toStdString(), "MATE00");
    EXPECT_EQ(list->item(11)->text().toStdString(), "MATE11");
    EXPECT_EQ(list->currentRow(), 0);

    list->setCurrentRow(3);
    // Boxes: Ambient, Diffuse, Specular, Emissive rows of red, green, blue, alpha.
    EXPECT_EQ(text("txt_col_0"), "76");   // 0.3 x 255 is 76.5 in single precision: half to even
    EXPECT_EQ(text("txt_col_4"), "47");   // (0.1234 + 0.06) x 255
    EXPECT_EQ(text("txt_col_7"), "255");
    EXPECT_EQ(text("txt_power"), "0.1");

    // A box that does not fit stays as typed, in red; it is never put into range.
    auto* red = find<QLineEdit>("txt_col_4");
    retype(red, "300");
    Q_EMIT red->editingFinished();
    EXPECT_EQ(red->text().toStdString(), "300");
    EXPECT_NE(red->styleSheet().indexOf("red"), -1);
    retype(red, "255");
    retype(find<QLineEdit>("txt_col_3"), "0");

    // The colour dialog starts from the swatch and fills red, green, blue.
    d.colors.push_back({10, 20, 30});
    click("cmdColPick_2");
    ASSERT_EQ(d.colorRequests.size(), 1u);
    EXPECT_EQ(d.colorRequests[0].r, 0);
    EXPECT_EQ(text("txt_col_8"), "10");
    EXPECT_EQ(text("txt_col_9"), "20");
    EXPECT_EQ(text("txt_col_10"), "30");
    EXPECT_NE(find<QLabel>("lblColPrev_2")->styleSheet().indexOf("rgb(10, 20, 30)"), -1);
    click("cmdColPick_1");  // cancelled: nothing changes
    EXPECT_EQ(text("txt_col_4"), "255");

    click("cmdUpdCol");
    EXPECT_NE(logText().find("] updated material 3"), std::string::npos) << logText();
    EXPECT_EQ(form->document().undoStack().undoText().toStdString(), "Update material");

    auto back = saved();
    const modkit::Material& m = *back->MaterialList()->Item(4);
    EXPECT_EQ(m.Diffuse()->Ri(), 255);
    EXPECT_EQ(m.Ambient()->Ai(), 0);
    EXPECT_EQ(m.Specular()->Ri(), 10);
    EXPECT_EQ(m.Specular()->Gi(), 20);
    EXPECT_EQ(m.Specular()->Bi(), 30);
    // Untouched components come back bit for bit, not as multiples of 1/255.
    EXPECT_EQ(bits(m.Diffuse()->g()), bits(0.3f));
    EXPECT_EQ(bits(m.Ambient()->r()), bits(0.3f));
    EXPECT_EQ(bits(m.Power()), bits(0.1f));
    EXPECT_EQ(bits(back->MaterialList()->Item(3)->Diffuse()->r()), bits(0.1234f + 2.0f / 50));

    // Undo shows the material as it was.
    form->undo();
    EXPECT_EQ(text("txt_col_4"), "47");
    EXPECT_EQ(text("txt_col_8"), "0");
    form->redo();
    EXPECT_EQ(text("txt_col_4"), "255");
}

TEST_F(Editors, MaterialWindowRefusesAPowerThatIsNotANumber) {
    open(editorModel());
    click("cmd_list_0");
    retype(find<QLineEdit>("txt_power"), "a");
    retype(find<QLineEdit>("txt_col_5"), "9");
    click("cmdUpdCol");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].title, "Fettle II error");
    EXPECT_FALSE(form->document().undoStack().canUndo());
    EXPECT_EQ(bits(model().MaterialList()->Item(1)->Diffuse()->g()), bits(0.3f));
    EXPECT_EQ(logText().find("updated material"), std::string::npos);
}

TEST_F(Editors, MaterialWindowKeepsTypedBoxesThroughChangesElsewhereAndUnderneath) {
    open(editorModel());
    click("cmd_list_0");
    retype(find<QLineEdit>("txt_col_5"), "9");
    // Another part of the model: the window is left alone.
    click("cmdSimpleTweak_0");
    EXPECT_EQ(text("txt_col_5"), "9");
    // Its own materials, changed underneath: the typed box stays, and the log says so.
    form->applyModelChange("Power", "", [](modkit::MDLObject& m) { m.MaterialList()->Item(1)->setPower(2); },
                           modkit::partMaterials);
    EXPECT_EQ(text("txt_col_5"), "9");
    EXPECT_NE(logText().find("the edits not yet applied are kept"), std::string::npos) << logText();
    click("cmdUpdCol");
    EXPECT_EQ(model().MaterialList()->Item(1)->Diffuse()->Gi(), 9);
    EXPECT_EQ(model().MaterialList()->Item(1)->Power(), 2.0f);
}

TEST_F(Editors, VertexWindowUnifiesNormalsOverAnUpwardSelectionAndWritesOnlyThoseCells) {
    const std::string original = editorModel();
    open(original);
    fettle::config().setAttribute("NormVector", "ny", "1.00");
    fettle::config().setAttribute("NormVector", "nz", "0.00");
    form->action("mViewList_2")->trigger();
    auto* win = find<fettle::frmVERT>("frmVERT");
    ASSERT_NE(win, nullptr);
    auto& view = win->grdVertex();
    VertexGridModel& grid = win->grid();
    ASSERT_EQ(grid.rowCount(), 40);

    // Rows 10 up to 4 (grid rows count from 1): start on row 10, extend upwards.
    view.setCurrentIndex(grid.index(9, 4));
    for (int i = 0; i < 6; ++i) key(&view, Qt::Key_Up, {}, Qt::ShiftModifier);
    EXPECT_EQ(view.currentIndex().row(), 3);
    click("cmdNormalize");
    EXPECT_NE(logText().find("] normals unified"), std::string::npos);
    for (int row = 0; row < 40; ++row) {
        const bool in = row >= 3 && row <= 9;
        EXPECT_EQ(grid.cellText(row, 5), in ? "1.000" : "0.707") << row;
        EXPECT_EQ(grid.isChanged(row, 4), in) << row;
    }
    // Only the grid has changed so far.
    EXPECT_FALSE(form->document().undoStack().canUndo());
    EXPECT_EQ(bits(model().VertexList()->Item(5)->ny()), bits(0.70711f));

    click("cmdUpdate");
    EXPECT_NE(logText().find("] vertices updated"), std::string::npos);
    EXPECT_EQ(form->document().undoStack().undoText().toStdString(), "Update vertices");
    EXPECT_EQ(grid.changedCount(), 0u);

    auto back = saved();
    ASSERT_EQ(back->VertexList()->Count(), 40);
    for (int i = 0; i < 40; ++i) {
        const modkit::Vertex& v = *back->VertexList()->Item(i + 1);
        const modelgen::Vtx w = vertex(i);
        const bool in = i >= 3 && i <= 9;
        EXPECT_EQ(bits(v.x()), bits(w.x)) << i;
        EXPECT_EQ(bits(v.tx()), bits(w.tx)) << i;
        EXPECT_EQ(bits(v.nx()), bits(in ? 0.0f : w.nx)) << i;
        EXPECT_EQ(bits(v.ny()), bits(in ? 1.0f : w.ny)) << i;
        EXPECT_EQ(bits(v.nz()), bits(in ? 0.0f : w.nz)) << i;
    }
    form->undo();
    EXPECT_EQ(grid.cellText(5, 5), "0.707");
    EXPECT_EQ(model().toBytes(), original);
}

TEST_F(Editors, VertexWindowTypesIntoCellsAndSelectsByTexture) {
    open(editorModel());
    click("cmd_list_2");
    auto* win = find<fettle::frmVERT>("frmVERT");
    ASSERT_NE(win, nullptr);
    win->resize(700, 300);
    auto& view = win->grdVertex();
    VertexGridModel& grid = win->grid();

    view.setCurrentIndex(grid.index(0, 1));
    key(&view, Qt::Key_Return);
    type(&view, "1.2.3");
    EXPECT_EQ(grid.cellText(0, 1), "1.23");
    key(&view, Qt::Key_Right);
    type(&view, "-5x");
    EXPECT_EQ(grid.cellText(0, 2), "-5");
    EXPECT_EQ(grid.data(grid.index(0, 2), Qt::BackgroundRole).value<QColor>(), QColor(255, 128, 128));
    key(&view, Qt::Key_Return);
    EXPECT_FALSE(grid.data(grid.index(0, 2), Qt::BackgroundRole).isValid());
    type(&view, "7");
    EXPECT_EQ(grid.cellText(0, 2), "-5") << "typing is off";

    // Texture 0 draws vertices 10 to 32: rows 11 to 33 are selected, row 5 at the top.
    auto* textures = find<QComboBox>("cmbTexture");
    ASSERT_EQ(textures->count(), 6);
    EXPECT_EQ(textures->itemText(2).toStdString(), "BASE_WI.BMP");
    textures->setCurrentIndex(0);
    click("cmdSelectByTexture");
    QModelIndexList rows = view.selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 23);
    EXPECT_EQ(view.currentIndex().row(), 10);
    EXPECT_TRUE(view.selectionModel()->isRowSelected(32, {}));
    EXPECT_FALSE(view.selectionModel()->isRowSelected(33, {}));
    EXPECT_EQ(view.rowAt(0), 4);
    // A texture no triangle uses selects nothing new.
    textures->setCurrentIndex(1);
    click("cmdSelectByTexture");
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), 23);

    // The typed cells are written; the rest of those vertices keeps its values.
    click("cmdUpdate");
    const modkit::Vertex& v = *model().VertexList()->Item(1);
    EXPECT_FLOAT_EQ(v.x(), 1.23f);
    EXPECT_FLOAT_EQ(v.y(), -5.0f);
    EXPECT_EQ(bits(v.z()), bits(vertex(0).z));

    // Edits not yet written go when another model is opened.
    view.setCurrentIndex(grid.index(2, 3));
    key(&view, Qt::Key_Return);
    type(&view, "8");
    EXPECT_EQ(grid.changedCount(), 1u);
    open(editorModel(), "other.mdl");
    EXPECT_EQ(grid.changedCount(), 0u);
    EXPECT_FALSE(grid.editing());
}

TEST_F(Editors, VertexWindowHandlesAFullPool) {
    open(editorModel(65535));
    click("cmd_list_2");
    auto* win = find<fettle::frmVERT>("frmVERT");
    ASSERT_NE(win, nullptr);
    auto& view = win->grdVertex();
    ASSERT_EQ(win->grid().rowCount(), 65535);
    view.selectAll();
    click("cmdNormalize");
    click("cmdUpdate");
    EXPECT_EQ(model().VertexList()->Item(65535)->nz(), 1.0f);
    EXPECT_EQ(model().VertexList()->Item(1)->nx(), 0.0f);
}

TEST_F(Editors, VertexWindowRefusesANormalVectorThatIsNotANumber) {
    open(editorModel());
    fettle::config().setAttribute("NormVector", "ny", "up");
    click("cmd_list_2");
    auto* win = find<fettle::frmVERT>("frmVERT");
    ASSERT_NE(win, nullptr);
    win->grdVertex().setCurrentIndex(win->grid().index(0, 0));
    click("cmdNormalize");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].title, "Fettle II error");
    EXPECT_EQ(win->grid().changedCount(), 0u);
}

TEST_F(Editors, StatisticsWindowShowsCountsAndEditsTheHeaderInPlace) {
    open(editorModel());
    click("cmd_list_5");
    auto label = [&](const char* name) { return find<QLabel>(name)->text().toStdString(); };
    EXPECT_EQ(label("lblNumVert"), "40");
    EXPECT_EQ(label("lblNumTri"), "4");
    EXPECT_EQ(label("lblNumMate"), "12");
    EXPECT_EQ(label("lblNumStateChg"), "3");
    EXPECT_EQ(label("lblNumText"), "6");
    EXPECT_EQ(label("lblNumTextNight"), "1");
    EXPECT_EQ(label("lblNumTextSeas"), "2");
    EXPECT_EQ(label("lblNumTextOther"), "1");
    EXPECT_EQ(text("txtISFT"), "Tool 1.0");
    EXPECT_EQ(text("txtBBoxMin_0"), "-1.1");
    EXPECT_EQ(text("txtBBoxMax_2"), "3.3");
    EXPECT_EQ(text("txtMDLH_0"), "1");
    EXPECT_EQ(text("txtMDLH_7"), "8");

    // Typing in one box is one undo step; the terminator of the text stays.
    retype(find<QLineEdit>("txtISFT"), "Modeller 2");
    key(find<QLineEdit>("txtISFT"), Qt::Key_Return);
    EXPECT_EQ(model().getISFT(), std::string("Modeller 2\0", 11));
    EXPECT_EQ(static_cast<size_t>(form->document().undoStack().count()), 1u);

    // Texts that are not numbers leave the model alone and stay red where typed.
    auto* xmin = find<QLineEdit>("txtBBoxMin_0");
    retype(xmin, "abc");
    key(xmin, Qt::Key_Return);
    EXPECT_EQ(model().BoundingBox()->xmin(), -1.1f);
    EXPECT_NE(xmin->styleSheet().indexOf("red"), -1);
    retype(xmin, "-12.5");
    key(xmin, Qt::Key_Return);
    EXPECT_EQ(model().BoundingBox()->xmin(), -12.5f);
    auto* h3 = find<QLineEdit>("txtMDLH_3");
    retype(h3, "42");
    key(h3, Qt::Key_Return);
    EXPECT_EQ(model().MDLHeader()->param(4), 42);
    EXPECT_EQ(static_cast<size_t>(form->document().undoStack().count()), 3u);

    auto back = saved();
    EXPECT_EQ(back->getISFT(), std::string("Modeller 2\0", 11));
    EXPECT_EQ(back->BoundingBox()->xmin(), -12.5f);
    EXPECT_EQ(back->MDLHeader()->param(4), 42);
    EXPECT_EQ(back->MDLHeader()->param(0), 36);

    form->undo();
    form->undo();
    form->undo();
    EXPECT_EQ(text("txtISFT"), "Tool 1.0");
    EXPECT_EQ(text("txtBBoxMin_0"), "-1.1");
    EXPECT_EQ(text("txtMDLH_3"), "4");
    EXPECT_EQ(model().getISFT(), std::string("Tool 1.0\0", 9));
}

TEST_F(Editors, OptionsDialogEditsTheConfiguration) {
    fettle::ConfigFunctions& c = fettle::config();
    form->action("mOptions")->trigger();
    auto* dlg = find<fettle::frmOptions>("frmOptions");
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(text("txtTexSuffix_0"), "_SP");
    EXPECT_EQ(text("txtTexSuffix_4"), "_LM");
    EXPECT_EQ(text("txtSeasStart_0"), "150");
    EXPECT_EQ(text("txtSeasEnd_2"), "59");
    EXPECT_EQ(text("txtSeasStart_3"), "");
    EXPECT_EQ(text("txtSeasEnd_4"), "149");
    EXPECT_EQ(text("txtNorm_2"), "1.00");
    EXPECT_TRUE(find<QRadioButton>("optFLTTex_0")->isChecked());
    EXPECT_FALSE(find<QPushButton>("cmdDeletePath")->isEnabled());

    // Paths are listed without their trailing separator; Cancel drops them with the boxes.
    d.files.push_back("/tmp/Textures/");
    click("cmdAddPath");
    d.inputs.push_back("../texture\\");
    click("cmdAddRelativePath");
    ASSERT_EQ(d.prompts.size(), 1u);
    EXPECT_EQ(d.prompts[0], "Please enter the new relative texture searchpath:");
    click("cmdAddRelativePath");  // cancelled
    auto* list = find<QListWidget>("lstTexSearch");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text().toStdString(), "../texture");
    retype(find<QLineEdit>("txtTexSuffix_1"), "_AU");
    click("cmdCancel");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(c.texts("TexturePath").empty());
    EXPECT_EQ(c.text("TexSufFA"), "_FA");

    // Opened again it shows the configuration; removing the only path left disables the button.
    form->action("mOptions")->trigger();
    EXPECT_EQ(text("txtTexSuffix_1"), "_FA");
    d.files.push_back("/tmp/Textures/");
    click("cmdAddPath");
    d.inputs.push_back("../texture");
    click("cmdAddRelativePath");
    list->setCurrentRow(0);
    click("cmdDeletePath");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text().toStdString(), "../texture");
    list->setCurrentRow(0);
    click("cmdDeletePath");
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(find<QPushButton>("cmdDeletePath")->isEnabled());

    // OK writes every box as typed, empty days included.
    retype(find<QLineEdit>("txtTexSuffix_3"), "_HX");
    retype(find<QLineEdit>("txtSeasStart_0"), "151");
    find<QLineEdit>("txtSeasEnd_4")->clear();
    retype(find<QLineEdit>("txtNorm_0"), "0.5");
    find<QRadioButton>("optFLTTex_2")->click();
    click("cmdOK");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(c.text("TexSufHW"), "_HX");
    EXPECT_EQ(c.attribute("TexSufSU", "start"), "151");
    EXPECT_EQ(c.attribute("TexSufSP", "end"), "");
    EXPECT_EQ(c.attribute("NormVector", "nx"), "0.5");
    EXPECT_EQ(c.text("FLTTex"), "TIF");
    EXPECT_TRUE(c.texts("TexturePath").empty());

    // A path added and then cancelled does not reach the file.
    form->action("mOptions")->trigger();
    d.files.push_back("/");
    click("cmdAddPath");
    click("cmdCancel");
    c.saveConfiguration();
    EXPECT_EQ(testutil::readFile(c.path()).find("<TexturePath>/</TexturePath>"), std::string::npos);
}

int main(int argc, char** argv) {
    // Test discovery runs the program without the test's environment.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
