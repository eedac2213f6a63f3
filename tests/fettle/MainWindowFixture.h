#pragma once
// The main window under test: its own configuration folder, scripted dialogs
// and the helpers every window test uses.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stdexcept>

#include "ModelBuilder.h"
#include "ScriptedDialogs.h"
#include "TestUtil.h"
#include "editors/Editors.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
#include "preview/PreviewSurface.h"
#include "preview/frmPreview.h"
#include "shell/frmLog.h"

namespace testutil {

// Lets window events run for ms milliseconds.
inline void pump(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (t.elapsed() < ms);
}

// The named child; a missing one ends the test (the exception fails it).
template <class W = QWidget>
W* child(const QObject* parent, const QString& name) {
    if (W* w = parent->findChild<W*>(name)) return w;
    throw std::runtime_error("no child " + name.toStdString());
}
inline std::string text(const QObject* parent, const QString& name) { return child<QLineEdit>(parent, name)->text().toStdString(); }
inline std::vector<std::string> lines(const QObject* parent, const QString& name) {
    std::vector<std::string> out;
    auto* l = child<QListWidget>(parent, name);
    for (int i = 0; i < l->count(); ++i) out.push_back(l->item(i)->text().toStdString());
    return out;
}

// A field typed into and left.
inline void enter(const QObject* parent, const QString& name, const QString& text) {
    QLineEdit* e = child<QLineEdit>(parent, name);
    e->setText(text);
    e->setModified(true);
    Q_EMIT e->editingFinished();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
        fettle::setDialogs(&d);
    }
    void TearDown() override {
        // A message no test step read is one nobody expected: tests check "no message" here.
        EXPECT_TRUE(d.messages.empty()) << "unread message: " << d.messages.front().text;
        if (form) {
            d.answers.assign(4, fettle::MsgAnswer::Discard);
            form->close();
            form.reset();
        }
        fettle::setDialogs(nullptr);
    }

    // The main window with its editor windows after its start-up.
    void start() {
        form = std::make_unique<fettle::Form1>();
        fettle::registerEditors(*form);
        form->startUp(configPath(), 0);
        pump(100);  // the preview's surface comes up
    }
    // The main window never shown, with the default configuration: for the
    // editor windows on the offscreen platform, where no GL surface comes up.
    void startHidden() {
        fettle::config().createDefaultConfiguration();
        fettle::config().setPath(home.file("fettle.xml"));
        form = std::make_unique<fettle::Form1>();
        fettle::registerEditors(*form);
    }
    std::string configPath() const { return fettle::configurationPath(program.path()); }

    // The sample house with its bitmaps, under name in the test folder.
    std::string writeHouse(const std::string& name = "house.mdl") {
        writeFile(dir.file(name), modelgen::sampleHouse());
        for (const auto& b : modelgen::sampleBitmaps()) writeFile(dir.file(b.name), modelgen::bmpFile(b));
        return dir.file(name);
    }
    void trigger(const char* name) {
        QAction* a = form->action(name);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }
    // Clicks an enabled push button of parent (the main window when none).
    void click(const char* name, const QWidget* parent = nullptr) {
        auto* b = child<QPushButton>(parent ? parent : form.get(), name);
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    std::string logText() { return form->log().text(); }
    // The preview's pixels (every step-th) that are not the white sky, and of those the ones that are also `also`.
    std::pair<int, int> previewPixels(int step = 4, const std::function<bool(const QColor&)>& also = {}) {
        const QImage img = form->preview().openGLPreviewObject().grabFramebuffer();
        int coloured = 0, matching = 0;
        for (int y = 0; y < img.height(); y += step)
            for (int x = 0; x < img.width(); x += step) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() < 240 || c.green() < 240 || c.blue() < 240) ++coloured;
                if (also && also(c)) ++matching;
            }
        return {coloured, matching};
    }
    modkit::MDLObject& model() { return *form->currentModel(); }
    fettle::ModelDocument& doc() { return form->document(); }
    // The one message shown since the last call, or "" when none; more fail.
    std::string message() {
        EXPECT_LE(d.messages.size(), 1u) << d.messages.back().text;
        std::string t = d.messages.empty() ? "" : d.messages[0].text;
        d.messages.clear();
        return t;
    }
    // message() without the details after its first paragraph ("File:", "Found:", "What to do:").
    std::string headline() {
        const std::string t = message();
        return t.substr(0, t.find("\n\n"));
    }
    // Drags path over the widget (the main window when none) and, when it takes it, drops it there.
    bool dropOnMainWindow(const std::string& path, QWidget* on = nullptr) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(on ? on : form.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(on ? on : form.get(), &drop);
        pump(50);  // the file is opened after the drop
        return true;
    }

    TempDir home, program, dir;
    ScriptedDialogs d;
    std::unique_ptr<fettle::Form1> form;
};

// The programs' main: offscreen ones set the platform for test discovery too
// (it runs without the test's environment); the others show the GL preview.
inline int runTests(int argc, char** argv, bool offscreen) {
    if (offscreen) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    else fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

}  // namespace testutil
