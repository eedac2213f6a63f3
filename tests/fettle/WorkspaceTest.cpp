// The main window as one workspace: panels, the remembered layout, the preview's navigation.
// Run at several QT_SCALE_FACTOR values (see tests/CMakeLists.txt).
#include <QDockWidget>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>
#include <set>

#include "MainWindowFixture.h"
#include "editors/Editors.h"
#include "modkit/core/MDLObject.h"

namespace {

using testutil::pump;

const char* const kPanels[][2] = {{"mViewList_0", "frmMATE"}, {"mViewList_1", "frmTEXT"}, {"mViewList_2", "frmVERT"},
                                  {"mViewList_3", "frmBGLC"}, {"mViewList_5", "frmStats"}, {"mViewCond", "frmCond"},
                                  {"mLog", "frmLog"}};

class Workspace : public testutil::MainWindowTest {
protected:
    void start() {
        MainWindowTest::start([](fettle::Form1& f) { fettle::registerEditors(f); });
    }
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

TEST_F(Workspace, PreviewFramesTheVerticesZoomsWithTheWheelAndTakesDrops) {
    start();
    ASSERT_TRUE(form->openModelFile(writeHouse(), "mOpen_Click"));
    // A header box far off the model frames nothing: the vertices are framed instead.
    form->currentModel()->BoundingBox()->setXmin(5000);
    form->currentModel()->BoundingBox()->setXmax(9000);
    form->preview().drawMDLOnce();
    pump(300);
    const int framed = previewPixels().first;
    EXPECT_GT(framed, 100);

    auto& pic = form->preview().openGLPreviewObject();
    QWheelEvent wheel(QPointF(pic.width() / 2, pic.height() / 2), pic.mapToGlobal(QPointF(0, 0)), {}, {0, 240},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&pic, &wheel);
    pump(300);
    EXPECT_EQ(form->preview().sldZoom().value(), 144);  // two notches of 1.2
    EXPECT_GT(previewPixels().first, framed);
    // F (Home too) frames the model again while the picture has the focus.
    QApplication::setActiveWindow(form.get());
    pic.setFocus();
    QTest::keyClick(&pic, Qt::Key_F);
    pump(300);
    EXPECT_EQ(form->preview().sldZoom().value(), 100);

    const std::string other = writeHouse("other.mdl");
    ASSERT_TRUE(dropOnMainWindow(other, &pic));
    EXPECT_EQ(doc().path(), other);
}

int main(int argc, char** argv) {
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
