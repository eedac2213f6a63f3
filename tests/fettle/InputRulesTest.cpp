// Typed values are applied whole or not at all; refusals, failures and the
// keyboard say what happened; every control has a name for assistive technology.
#include <gtest/gtest.h>

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QTabBar>
#include <map>
#include <sys/stat.h>

#include "MainWindowFixture.h"
#include "document/FieldRule.h"
#include "editors/Editors.h"
#include "editors/VertexGridModel.h"
#include "editors/frmVERT.h"

using fettle::FieldRule;

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

class InputRules : public testutil::MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        startHidden(fettle::registerEditors);
        testutil::writeFile(dir.file("house.mdl"), modelgen::sampleHouse());
    }
    void open() { ASSERT_TRUE(form->openModelFile(dir.file("house.mdl"), "mOpen_Click")); }
    template <class W = QWidget>
    W* find(const char* name) { return testutil::child<W>(form.get(), name); }
    void click(const char* name) { find<QAbstractButton>(name)->click(); }
    void type(const char* name, const char* text) {
        QLineEdit* box = find<QLineEdit>(name);
        box->window()->show();
        box->window()->activateWindow();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    void typeCell(char c) {
        auto* w = find<fettle::frmVERT>("frmVERT");
        w->grdVertex().setCurrentIndex(w->grid().index(0, 1));
        QTest::keyClick(&w->grdVertex(), Qt::Key_F2);
        QTest::keyClick(&w->grdVertex(), c);
    }
    std::string lastMessage() { return d.messages.empty() ? std::string() : d.messages.back().text; }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

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
        EXPECT_TRUE(c.said.empty() ? d.messages.empty() : has(lastMessage(), c.said)) << lastMessage();
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
        EXPECT_TRUE(has(lastMessage(), field)) << lastMessage();
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
    EXPECT_TRUE(has(lastMessage(), "File: " + dir.file("bad.mdl") + "\nFound: the model is damaged in the vertex list (VERT section)"))
        << lastMessage();
    EXPECT_TRUE(has(lastMessage(), "left untouched"));
    EXPECT_TRUE(has(form->log().text(), "Error: could not open \"" + dir.file("bad.mdl") + "\""));
    ASSERT_EQ(::mkfifo(dir.file("pipe.mdl").c_str(), 0600), 0);
    d.files = {dir.file("pipe.mdl")};
    form->action("mOpen")->trigger();
    EXPECT_TRUE(has(lastMessage(), "not a regular file")) << lastMessage();

    // Escape closes a tool window, after asking when it holds edits; Ctrl+Z undoes from any window.
    open();
    click("cmd_list_5");
    type("txtMDLH_3", "42");
    QTest::keyClick(find("txtMDLH_3"), Qt::Key_Return);
    ASSERT_EQ(form->document().undoStack().count(), 1);
    QTest::keyClick(find("frmStats"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form->document().undoStack().index(), 0);
    QTest::keyClick(find("lblNumVert"), Qt::Key_Escape);
    EXPECT_FALSE(find("frmStats")->isVisible());
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

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
