// The condition manager and the texture list, opened from the main window on a
// model and driven through their object names with scripted dialogs.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>

#include "MainWindowFixture.h"
#include "editors/Editors.h"
#include "editors/frmCond.h"
#include "editors/frmTEXT.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/bgl/Conditions.h"
#include "modkit/core/MDLObject.h"

using fettle::MsgAnswer;
using fettle::MsgIcon;
using testutil::child;
using testutil::contains;
using testutil::enter;
using testutil::lines;
using testutil::text;

namespace {

class Editors : public testutil::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start(fettle::registerEditors);
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
    EXPECT_TRUE(contains(child<QPlainTextEdit>(w, "txtHelp")->toPlainText().toStdString(), "\n\nDistance between the reference point"));

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
    EXPECT_TRUE(contains(logText(), "] updated display condition of the object"));

    // Undone: the window shows the model's conditions again when reopened, and follows redo.
    form->undo();
    w = conditionManager();
    EXPECT_EQ(lines(w, "lstCond"), std::vector<std::string>{"Distance to RefPoint between 0 and 5000"});
    form->redo();
    EXPECT_EQ(lines(w, "lstCond"), (std::vector<std::string>{expected[0], expected[1]}));
}

TEST_F(Editors, ConditionEntryRulesAndMessages) {
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
}

TEST_F(Editors, MasksUnderOrAreWarnedAboutAndModelsWithoutBodyCall) {
    fettle::frmCond* w = conditionManager();
    child<QComboBox>(w, "cmbType")->setCurrentIndex(1);  // the distance test becomes a mask
    EXPECT_EQ(lines(w, "lstCond")[0], "Distance to RefPoint contains 0");
    child<QComboBox>(w, "cmbMultiCond")->setCurrentIndex(3);  // NOR, with the mask alone
    d.answers = {MsgAnswer::No};
    click("cmdOK", w);
    EXPECT_EQ(d.messages.at(0).buttons, fettle::MsgButtons::YesNo);
    EXPECT_TRUE(contains(message(), "never be drawn"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(doc().undoStack().canUndo());
    d.answers = {MsgAnswer::Yes};
    click("cmdOK", w);
    EXPECT_TRUE(contains(message(), "never be drawn"));
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
    EXPECT_TRUE(contains(message(), "BGL_CALL_32"));
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

TEST_F(Editors, AFailingSeasonCheckChangesNothing) {
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
    EXPECT_EQ(d.requests.back().filter, "BMP file (*.bmp)|*.bmp");
    EXPECT_EQ(d.requests.back().title, "Select BMP file");
    EXPECT_EQ(lines(w, "lstTEXT")[1], "STONE.BMP");
    EXPECT_EQ(fettle::config().text("LastBMP"), stone);
    click("cmdReplace", w);
    EXPECT_EQ(d.requests.back().initial, stone);

    // Check texture sizes: what the library makes of the same model.
    form->applyModelChange("Size", "", [](modkit::MDLObject& m) { m.TextureList()->Item(1)->setSize(0); },
                           modkit::partTextures);
    click("cmdTexSize", w);
    EXPECT_TRUE(contains(logText(), "] texture size corrected"));
    EXPECT_NE(model().TextureList()->Item(1)->size(), 0.0f);
    EXPECT_EQ(doc().undoStack().undoText().toStdString(), "Check texture sizes");
    // Again: nothing to correct, no step.
    const int steps = doc().undoStack().count();
    click("cmdTexSize", w);
    EXPECT_TRUE(contains(logText(), "] texture sizes already correct"));
    EXPECT_EQ(doc().undoStack().count(), steps);
}

TEST_F(Editors, TextureWindowKeepsTickedVariantsAndSizeThroughOtherChanges) {
    fettle::frmTEXT* w = textureList();
    child<QListWidget>(w, "lstTEXT")->setCurrentRow(0);
    check(w, "chkTexVariant_2", true);
    child<QLineEdit>(w, "txt_size")->setText("7");
    click("cmdSimpleTweak_0");  // the shadow: not the window's business
    // The other texture changed underneath: kept, and said.
    form->applyModelChange("Size", "", [](modkit::MDLObject& m) { m.TextureList()->Item(2)->setSize(3); },
                           modkit::partTextures);
    EXPECT_TRUE(checked(w, "chkTexVariant_2"));
    EXPECT_EQ(text(w, "txt_size"), "7");
    EXPECT_TRUE(contains(logText(), "the edits not yet applied are kept"));
    // Textures added underneath: the rows moved, so the window starts afresh and says so.
    form->applyModelChange("Add", "", [](modkit::MDLObject& m) { m.TextureList()->Add()->setBitmap("X.BMP"); },
                           modkit::partTextures);
    EXPECT_FALSE(checked(w, "chkTexVariant_2"));
    EXPECT_TRUE(contains(logText(), "they were dropped"));
}

int main(int argc, char** argv) {
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
