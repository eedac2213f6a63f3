#pragma once
// The main window under test: its own configuration folder, scripted dialogs
// and the helpers every window test uses.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QElapsedTimer>
#include <cstdlib>
#include <functional>
#include <memory>

#include "ModelBuilder.h"
#include "ScriptedDialogs.h"
#include "TestUtil.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
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

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
        fettle::setDialogs(&d);
    }
    void TearDown() override {
        if (form) {
            d.answers.assign(4, fettle::MsgAnswer::Discard);
            form->close();
            form.reset();
        }
        fettle::setDialogs(nullptr);
    }

    // The main window after its start-up; tools registers the editor windows.
    void start(const std::function<void(fettle::Form1&)>& tools) {
        form = std::make_unique<fettle::Form1>();
        tools(*form);
        form->startUp(configPath(), 0);
        pump(100);  // the preview's surface comes up
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
    std::string logText() { return form->log().text(); }
    // Drags path over the main window and, when the window takes it, drops it there.
    bool dropOnMainWindow(const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(form.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &drop);
        pump(50);  // the file is opened after the drop
        return true;
    }

    TempDir home, program, dir;
    ScriptedDialogs d;
    std::unique_ptr<fettle::Form1> form;
};

}  // namespace testutil
