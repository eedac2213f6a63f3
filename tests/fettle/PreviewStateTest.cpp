// The preview's state panel: the picture follows the chosen state at once.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QSpinBox>

#include "MainWindowFixture.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/bgl/Conditions.h"
#include "modkit/core/MDLObject.h"
#include "preview/PreviewStatePanel.h"

using testutil::pump;

namespace {
class PreviewState : public testutil::MainWindowTest {};
}  // namespace

TEST_F(PreviewState, ThePictureFollowsTheStateAndTestedVariablesGetControls) {
    start([](fettle::Form1&) {});
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
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QSpinBox*>(w) || qobject_cast<QCheckBox*>(w))
            EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();

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

int main(int argc, char** argv) {
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
