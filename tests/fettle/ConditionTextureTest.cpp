// The condition manager and the texture list, opened from the main window on a
// model and driven through their object names with scripted dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "MainWindowFixture.h"
#include "editors/Editors.h"
#include "editors/frmCond.h"
#include "editors/frmTEXT.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/bgl/Conditions.h"
#include "modkit/core/MDLObject.h"
#include "preview/PreviewSurface.h"

using fettle::Form1;
using fettle::MsgAnswer;
using fettle::MsgIcon;
using testutil::contains;

namespace {

class Editors : public testutil::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        start(fettle::registerEditors);
    }

    // The sample house with its bitmaps, opened.
    std::string openHouse() {
        writeHouse();
        return open("house.mdl");
    }
    std::string open(const std::string& name) {
        EXPECT_TRUE(form->openModelFile(dir.file(name), "mOpen_Click"));
        return dir.file(name);
    }
    modkit::MDLObject& model() { return *form->currentModel(); }

    void click(QWidget* parent, const char* name) {
        auto* b = parent->findChild<QPushButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    template <class T>
    T* child(QWidget* parent, const QString& name) {
        T* w = parent->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    // Typing into a field and leaving it.
    void type(QWidget* parent, const QString& name, const QString& text) {
        QLineEdit* e = child<QLineEdit>(parent, name);
        e->setText(text);
        e->setModified(true);
        Q_EMIT e->editingFinished();
    }
    std::string text(QWidget* parent, const QString& name) { return child<QLineEdit>(parent, name)->text().toStdString(); }
    std::vector<std::string> lines(QWidget* parent, const char* name) {
        std::vector<std::string> out;
        auto* l = child<QListWidget>(parent, name);
        for (int i = 0; i < l->count(); ++i) out.push_back(l->item(i)->text().toStdString());
        return out;
    }
    fettle::frmCond* conditionManager() {
        click(form.get(), "cmdSimpleTweak_1");
        auto* w = form->findChild<fettle::frmCond*>("frmCond");
        EXPECT_TRUE(w && w->isVisible());
        return w;
    }
    fettle::frmTEXT* textureList() {
        click(form.get(), "cmdSimpleTweak_2");
        auto* w = form->findChild<fettle::frmTEXT*>("frmTEXT");
        EXPECT_TRUE(w && w->isVisible());
        return w;
    }

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
    openHouse();
    fettle::frmCond* w = conditionManager();
    EXPECT_EQ(w->windowTitle().toStdString(), "Condition manager");
    EXPECT_EQ(lines(w, "lstCond"), std::vector<std::string>{"Distance to RefPoint between 0 and 5000"});
    EXPECT_EQ(text(w, "txtVar"), "33B");
    EXPECT_EQ(text(w, "txtMax"), "5000");
    EXPECT_EQ(child<QComboBox>(w, "cmbVar")->currentText().toStdString(), "Distance to RefPoint");
    EXPECT_FALSE(child<QComboBox>(w, "cmbMultiCond")->isVisible());
    EXPECT_FALSE(child<QComboBox>(w, "cmbMinNamed")->isVisible());
    const std::string help = child<QPlainTextEdit>(w, "txtHelp")->toPlainText().toStdString();
    EXPECT_TRUE(contains(help, "between the two given values.\n\nDistance between the reference point")) << help;

    click(w, "cmdNewCondition");
    EXPECT_EQ(lines(w, "lstCond")[1], "Distance to RefPoint between 0 and 500");
    EXPECT_EQ(child<QListWidget>(w, "lstCond")->currentRow(), 1);
    EXPECT_TRUE(child<QComboBox>(w, "cmbMultiCond")->isVisible());
    // Time of day, offered by name: day to dusk/dawn.
    type(w, "txtVar", "28C");
    EXPECT_EQ(child<QComboBox>(w, "cmbVar")->currentText().toStdString(), "Time of day");
    auto* minNamed = child<QComboBox>(w, "cmbMinNamed");
    auto* maxNamed = child<QComboBox>(w, "cmbMaxNamed");
    ASSERT_TRUE(minNamed->isVisible());
    ASSERT_EQ(minNamed->count(), 3);
    EXPECT_EQ(minNamed->itemText(1).toStdString(), "2 = dusk/dawn");
    Q_EMIT minNamed->activated(0);
    Q_EMIT maxNamed->activated(1);
    EXPECT_EQ(text(w, "txtMin"), "1");
    EXPECT_EQ(lines(w, "lstCond")[1], "Time of day between 1 and 2");
    EXPECT_EQ(maxNamed->currentText().toStdString(), "2 = dusk/dawn");
    child<QComboBox>(w, "cmbMultiCond")->setCurrentIndex(1);  // OR
    // Nothing reaches the model before "Apply to object".
    EXPECT_EQ(conditionsOf(model()).size(), 2u);
    EXPECT_FALSE(form->document().undoStack().canUndo());

    click(w, "cmdOK");
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(d.messages.empty()) << d.messages[0].text;
    const std::vector<std::string> expected = {"Time of day between 1 and 2", "Distance to RefPoint between 0 and 5000", "OR"};
    EXPECT_EQ(conditionsOf(model()), expected);
    EXPECT_TRUE(contains(logText(), "] updated display condition of the object"));
    EXPECT_TRUE(contains(form->windowTitle().toStdString(), "*"));

    // Saved and read back from the file.
    d.files = {dir.file("conditions.mdl")};
    form->action("mSave")->trigger();
    modkit::MDLObject back;
    back.readMDL(dir.file("conditions.mdl"));
    EXPECT_EQ(conditionsOf(back), expected);

    // Undone: the window shows the model's conditions again when reopened.
    form->undo();
    EXPECT_EQ(conditionsOf(model()).size(), 2u);
    w = conditionManager();
    EXPECT_EQ(lines(w, "lstCond"), std::vector<std::string>{"Distance to RefPoint between 0 and 5000"});
    form->redo();
    EXPECT_EQ(lines(w, "lstCond"), (std::vector<std::string>{"Time of day between 1 and 2", "Distance to RefPoint between 0 and 5000"}));
}

TEST_F(Editors, ConditionEntryRulesAndMessages) {
    openHouse();
    fettle::frmCond* w = conditionManager();
    auto* varType = child<QComboBox>(w, "cmbVarType");
    auto* condType = child<QComboBox>(w, "cmbType");
    // Hexadecimal and back; what does not read becomes empty.
    varType->setCurrentIndex(1);
    EXPECT_EQ(text(w, "txtMax"), "1388");
    varType->setCurrentIndex(0);
    EXPECT_EQ(text(w, "txtMax"), "5000");
    child<QLineEdit>(w, "txtMin")->setText("abc");
    varType->setCurrentIndex(1);
    EXPECT_EQ(text(w, "txtMin"), "");
    child<QLineEdit>(w, "txtMin")->setText("FFFF");
    varType->setCurrentIndex(0);
    EXPECT_EQ(text(w, "txtMin"), "-1");

    // A value beyond 16 bits is refused; Apply waits until it is put right.
    type(w, "txtMax", "40000");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].title, "Fettle II error");
    EXPECT_EQ(d.messages[0].text, "Please make sure all required fields are valid\n\nmax: \"40000\" is not valid; "
                                  "enter a whole number from -32768 to 32767.");
    EXPECT_EQ(d.messages[0].icon, MsgIcon::Critical);
    EXPECT_FALSE(child<QPushButton>(w, "cmdOK")->isEnabled());
    EXPECT_EQ(lines(w, "lstCond")[0], "Distance to RefPoint between 0 and 5000");
    type(w, "txtMax", "4000");
    EXPECT_EQ(d.messages.size(), 1u);
    EXPECT_TRUE(child<QPushButton>(w, "cmdOK")->isEnabled());
    EXPECT_EQ(lines(w, "lstCond")[0], "Distance to RefPoint between -1 and 4000");
    type(w, "txtMin", "10");
    EXPECT_EQ(lines(w, "lstCond")[0], "Distance to RefPoint between 10 and 4000");

    // "33b" selects nothing while typed; leaving the field stores 827 all the same.
    child<QLineEdit>(w, "txtVar")->setText("33b");
    EXPECT_EQ(child<QComboBox>(w, "cmbVar")->currentIndex(), -1);
    type(w, "txtVar", "33b");
    EXPECT_EQ(w->conditions()->Item(1)->var(), "827");
    EXPECT_EQ(text(w, "txtVar"), "33B");

    // Rotations: one of them at most.
    click(w, "cmdNewCondition");
    condType->setCurrentIndex(2);
    EXPECT_EQ(lines(w, "lstCond")[1], "Rotate to user");
    EXPECT_FALSE(child<QLineEdit>(w, "txtVar")->isVisible());
    EXPECT_FALSE(child<QComboBox>(w, "cmbMultiCond")->isVisible());  // one test and one rotation
    click(w, "cmdNewCondition");
    condType->setCurrentIndex(3);
    ASSERT_EQ(d.messages.size(), 2u);
    EXPECT_EQ(d.messages[1].title, "Fettle II");
    EXPECT_EQ(d.messages[1].text, modkit::conditionrules::bothRotations);
    EXPECT_EQ(condType->currentIndex(), 0);
    EXPECT_EQ(w->conditions()->Item(3)->cType(), modkit::CondType::Between);
    click(w, "cmdRmvCondition");
    EXPECT_EQ(lines(w, "lstCond").size(), 2u);

    // A rotation turned back into a test with empty fields is refused, and
    // shows its fields to be filled in.
    child<QListWidget>(w, "lstCond")->setCurrentRow(1);
    child<QLineEdit>(w, "txtVar")->clear();
    condType->setCurrentIndex(0);
    EXPECT_EQ(d.messages.size(), 3u);
    EXPECT_TRUE(child<QLineEdit>(w, "txtVar")->isVisible());
    EXPECT_FALSE(child<QPushButton>(w, "cmdOK")->isEnabled());
    click(w, "cmdRmvCondition");
    EXPECT_TRUE(child<QPushButton>(w, "cmdOK")->isEnabled());

    // Cancel leaves the model as it was.
    click(w, "cmdCancel");
    EXPECT_EQ(conditionsOf(model()), (std::vector<std::string>{"Distance to RefPoint between 0 and 5000", "AND"}));
    EXPECT_FALSE(form->document().undoStack().canUndo());
    EXPECT_FALSE(contains(logText(), "updated display condition"));

    // Removing every condition leaves the plain body call.
    w = conditionManager();
    click(w, "cmdRmvCondition");
    EXPECT_FALSE(child<QPushButton>(w, "cmdRmvCondition")->isEnabled());
    EXPECT_FALSE(child<QComboBox>(w, "cmbType")->isEnabled());
    click(w, "cmdOK");
    EXPECT_EQ(conditionsOf(model()), std::vector<std::string>{"AND"});
    EXPECT_EQ(model().BGLCommandList()->Item(1)->opcodeValue(), 138);
}

TEST_F(Editors, MasksUnderOrAreWarnedAboutAndModelsWithoutBodyCall) {
    openHouse();
    fettle::frmCond* w = conditionManager();
    child<QComboBox>(w, "cmbType")->setCurrentIndex(1);  // the distance test becomes a mask
    EXPECT_EQ(lines(w, "lstCond")[0], "Distance to RefPoint contains 0");
    child<QComboBox>(w, "cmbMultiCond")->setCurrentIndex(3);  // NOR, with the mask alone
    d.answers = {MsgAnswer::No};
    click(w, "cmdOK");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].buttons, fettle::MsgButtons::YesNo);
    EXPECT_TRUE(contains(d.messages[0].text, "never be drawn"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(form->document().undoStack().canUndo());
    d.answers = {MsgAnswer::Yes};
    click(w, "cmdOK");
    EXPECT_EQ(d.messages.size(), 2u);
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
    open("nobody.mdl");
    w = conditionManager();
    ASSERT_EQ(d.messages.size(), 4u);
    EXPECT_EQ(d.messages[3].title, "Fettle II error");
    EXPECT_TRUE(contains(d.messages[3].text, "BGL_CALL_32")) << d.messages[3].text;
    EXPECT_FALSE(child<QPushButton>(w, "cmdOK")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(w, "cmdNewCondition")->isEnabled());
}

TEST_F(Editors, DefaultSeasonsForATextureAndItsVariants) {
    openHouse();
    fettle::frmTEXT* w = textureList();
    EXPECT_EQ(w->windowTitle().toStdString(), "Texture List");
    EXPECT_TRUE(form->action("mViewList_1")->isChecked());
    EXPECT_EQ(lines(w, "lstTEXT"), (std::vector<std::string>{"HOUSE_WALLS.BMP", "HOUSE_ROOF.BMP"}));
    EXPECT_EQ(child<QComboBox>(w, "cmbTexType")->currentText().toStdString(), "TEXTURE_BUILDING");
    EXPECT_EQ(text(w, "txt_size"), "2");
    // The walls' bricks in the picture.
    const QImage picture = child<QLabel>(w, "picTexPreview")->pixmap().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_GT(qRed(picture.pixel(picture.width() / 3, picture.height() / 3)), 150);
    // The configured days; the base is the summer texture.
    EXPECT_EQ(text(w, "txtSeasonStart_0"), "150");
    EXPECT_EQ(text(w, "txtSeasonEnd_2"), "59");
    EXPECT_EQ(text(w, "txtSeasonStart_3"), "");
    EXPECT_TRUE(child<QCheckBox>(w, "chkTexVariant_0")->isChecked());
    EXPECT_FALSE(child<QLineEdit>(w, "txtSeasonStart_0")->isEnabled());

    for (const char* box : {"chkTexVariant_1", "chkTexVariant_2", "chkTexVariant_4"})
        child<QCheckBox>(w, box)->setChecked(true);
    EXPECT_TRUE(child<QLineEdit>(w, "txtSeasonStart_0")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>(w, "txtSeasonEnd_4")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(w, "txtSeasonStart_3")->isEnabled());
    click(w, "cmdUpdate");
    EXPECT_TRUE(d.messages.empty()) << d.messages[0].text;
    const std::vector<std::string> withSeasons = {"HOUSE_WALLS.BMP", "HOUSE_WALLS_FA.BMP", "HOUSE_WALLS_WI.BMP",
                                                  "HOUSE_WALLS_SP.BMP", "HOUSE_ROOF.BMP"};
    EXPECT_EQ(lines(w, "lstTEXT"), withSeasons);
    EXPECT_TRUE(contains(logText(), "] updated texture"));

    // Saved and opened again: the variants are recognised by name, the days read back.
    d.files = {dir.file("seasons.mdl")};
    form->action("mSave")->trigger();
    open("seasons.mdl");
    EXPECT_EQ(lines(w, "lstTEXT"), withSeasons);
    child<QListWidget>(w, "lstTEXT")->setCurrentRow(0);
    for (int j : {0, 1, 2, 4}) EXPECT_TRUE(child<QCheckBox>(w, QString("chkTexVariant_%1").arg(j))->isChecked()) << j;
    EXPECT_FALSE(child<QCheckBox>(w, "chkTexVariant_3")->isChecked());
    EXPECT_EQ(text(w, "txtSeasonStart_2"), "330");
    EXPECT_EQ(text(w, "txtSeasonEnd_2"), "59");
    EXPECT_EQ(text(w, "txtSeasonStart_4"), "60");

    // A variant: its group is highlighted, its season controls are off.
    child<QListWidget>(w, "lstTEXT")->setCurrentRow(2);
    auto* list = child<QListWidget>(w, "lstTEXT");
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(list->item(i)->isSelected()) << i;
    EXPECT_FALSE(list->item(4)->isSelected());
    EXPECT_FALSE(child<QCheckBox>(w, "chkTexVariant_1")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(w, "chkTexNight")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(w, "cmdReplace")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(w, "txtSeasonStart_2")->isEnabled());

    // Winter and spring go again, with summer and autumn around the year.
    list->setCurrentRow(0);
    child<QCheckBox>(w, "chkTexVariant_2")->setChecked(false);
    child<QCheckBox>(w, "chkTexVariant_4")->setChecked(false);
    child<QLineEdit>(w, "txtSeasonStart_0")->setText("60");
    child<QLineEdit>(w, "txtSeasonEnd_1")->setText("59");
    click(w, "cmdUpdate");
    EXPECT_EQ(lines(w, "lstTEXT"), (std::vector<std::string>{"HOUSE_WALLS.BMP", "HOUSE_WALLS_FA.BMP", "HOUSE_ROOF.BMP"}));
    form->undo();
    EXPECT_EQ(lines(w, "lstTEXT"), withSeasons);

    // The window's menu item follows it.
    form->action("mViewList_1")->trigger();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(form->action("mViewList_1")->isChecked());
}

TEST_F(Editors, AFailingSeasonCheckChangesNothing) {
    openHouse();
    const std::string before = model().clone()->toBytes();
    fettle::frmTEXT* w = textureList();
    child<QCheckBox>(w, "chkTexVariant_1")->setChecked(true);
    child<QCheckBox>(w, "chkTexVariant_3")->setChecked(true);  // heavy winter without days
    click(w, "cmdUpdate");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].title, "Fettle II");
    EXPECT_EQ(d.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(d.messages[0].text, "Please define the start and end days of the seasons correctly. There should not be any "
                                  "gaps between the seasons.");
    // Days with a gap between autumn and heavy winter fail the same way.
    child<QLineEdit>(w, "txtSeasonStart_3")->setText("331");
    child<QLineEdit>(w, "txtSeasonEnd_3")->setText("149");
    click(w, "cmdUpdate");
    EXPECT_EQ(d.messages.size(), 2u);
    EXPECT_FALSE(form->document().undoStack().canUndo());
    EXPECT_EQ(model().toBytes(), before);
    EXPECT_EQ(lines(w, "lstTEXT").size(), 2u);
    // Closed up, it passes.
    child<QLineEdit>(w, "txtSeasonStart_3")->setText("330");
    click(w, "cmdUpdate");
    EXPECT_EQ(d.messages.size(), 2u);
    EXPECT_EQ(lines(w, "lstTEXT").size(), 4u);
}

TEST_F(Editors, TextureColourTypeSizeBitmapAndSizes) {
    openHouse();
    fettle::frmTEXT* w = textureList();
    child<QListWidget>(w, "lstTEXT")->setCurrentRow(1);
    type(w, "txt_col_0", "300");
    type(w, "txt_col_1", "-4");
    type(w, "txt_col_2", "abc");
    EXPECT_EQ(text(w, "txt_col_0"), "300");  // refused where typed, never put into range
    EXPECT_NE(child<QLineEdit>(w, "txt_col_1")->styleSheet().indexOf("red"), -1);
    d.colors = {{10, 20, 30}};
    click(w, "cmdColPick");
    ASSERT_EQ(d.colorRequests.size(), 1u);
    EXPECT_EQ(d.colorRequests[0].g, 0);
    EXPECT_EQ(text(w, "txt_col_2"), "30");
    child<QComboBox>(w, "cmbTexType")->setCurrentText("TEXTURE_GROUND");
    child<QLineEdit>(w, "txt_size")->setText("big");
    click(w, "cmdUpdate");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].title, "Fettle II error");
    EXPECT_FALSE(form->document().undoStack().canUndo());
    child<QLineEdit>(w, "txt_size")->setText("5");
    click(w, "cmdUpdate");
    const modkit::Texture& roof = *model().TextureList()->Item(2);
    EXPECT_EQ(roof.Color()->Ri(), 10);
    EXPECT_EQ(roof.Color()->Bi(), 30);
    EXPECT_EQ(roof.textureType(), 5);
    EXPECT_EQ(roof.size(), 5.0f);
    EXPECT_EQ(model().TextureList()->Item(1)->textureType(), 6);

    // Replace bitmap: the name only, in capitals; a file that is not there changes nothing.
    const std::string stone = dir.file("Stone.bmp");
    testutil::writeFile(stone, modelgen::bmpFile(modelgen::sampleBitmaps()[0]));
    d.files = {dir.file("gone.bmp"), stone};
    click(w, "cmdReplace");
    EXPECT_EQ(model().TextureList()->Item(2)->bitmap(), "house_roof.bmp");
    click(w, "cmdReplace");
    EXPECT_EQ(d.requests.back().filter, "BMP file (*.bmp)|*.bmp");
    EXPECT_EQ(d.requests.back().title, "Select BMP file");
    EXPECT_EQ(model().TextureList()->Item(2)->bitmap(), "STONE.BMP");
    EXPECT_EQ(lines(w, "lstTEXT")[1], "STONE.BMP");
    EXPECT_EQ(fettle::config().text("LastBMP"), stone);
    d.files = {stone};
    click(w, "cmdReplace");
    EXPECT_EQ(d.requests.back().initial, stone);

    // Check texture sizes: what the library makes of the same model.
    form->applyModelChange("Size", "", [](modkit::MDLObject& m) { m.TextureList()->Item(1)->setSize(0); },
                           modkit::partTextures);
    auto expected = model().clone();
    modkit::TextureGroups().recognise(*expected->TextureList());
    expected->updateTextureSize();
    click(w, "cmdTexSize");
    EXPECT_TRUE(contains(logText(), "] texture size corrected"));
    for (int i = 1; i <= 2; ++i)
        EXPECT_EQ(model().TextureList()->Item(i)->size(), expected->TextureList()->Item(i)->size()) << i;
    EXPECT_EQ(form->document().undoStack().undoText().toStdString(), "Check texture sizes");
    // Again: nothing to correct, no step.
    const int steps = form->document().undoStack().count();
    click(w, "cmdTexSize");
    EXPECT_TRUE(contains(logText(), "] texture sizes already correct"));
    EXPECT_EQ(form->document().undoStack().count(), steps);
}

TEST_F(Editors, TextureWindowKeepsTickedVariantsAndSizeThroughOtherChanges) {
    openHouse();
    fettle::frmTEXT* w = textureList();
    child<QListWidget>(w, "lstTEXT")->setCurrentRow(0);
    child<QCheckBox>(w, "chkTexVariant_2")->setChecked(true);
    child<QLineEdit>(w, "txt_size")->setText("7");
    form->button("cmdSimpleTweak_0")->click();  // the shadow: not the window's business
    // The other texture changed underneath: kept, and said.
    form->applyModelChange("Size", "", [](modkit::MDLObject& m) { m.TextureList()->Item(2)->setSize(3); },
                           modkit::partTextures);
    EXPECT_TRUE(child<QCheckBox>(w, "chkTexVariant_2")->isChecked());
    EXPECT_EQ(text(w, "txt_size"), "7");
    EXPECT_TRUE(contains(logText(), "the edits not yet applied are kept"));
    // Textures added underneath: the rows moved, so the window starts afresh and says so.
    form->applyModelChange("Add", "", [](modkit::MDLObject& m) { m.TextureList()->Add()->setBitmap("X.BMP"); },
                           modkit::partTextures);
    EXPECT_FALSE(child<QCheckBox>(w, "chkTexVariant_2")->isChecked());
    EXPECT_TRUE(contains(logText(), "they were dropped"));
}

int main(int argc, char** argv) {
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
