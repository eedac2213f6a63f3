// Pictures of Fettle II on a model (see tools/screenshot.sh and tools/window-shots.sh):
//   fettle_screenshot MODEL.mdl OUT.png            the whole screen with the main
//                                                  window, its preview and event log;
//   fettle_screenshot --windows MODEL.mdl OUTDIR   one picture of each editor and
//                                                  tool window, named after it.
#include <QAction>
#include <QDockWidget>
#include <QImage>
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <set>

#include "ModelBuilder.h"
#include "editors/Editors.h"
#include "editors/frmBGLBrowser.h"
#include "editors/frmBGLC.h"
#include "editors/frmFLTExport.h"
#include "editors/ToolWindow.h"
#include "preview/PreviewSurface.h"
#include "preview/frmPreview.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

namespace {
void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool screen(fettle::Form1& form, const char* model, const char* out) {
    form.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    form.openArgument(model);
    pump(500);
    // The panels of the default layout, each side showing its first tab.
    for (const char* name : {"cmd_list_3", "cmd_list_5", "cmd_list_2", "cmd_list_1", "cmd_list_0"}) {
        QPushButton* b = form.button(name);
        if (b && b->isEnabled()) b->click();
    }
    form.action("mLog")->trigger();
    form.button("cmd_list_2")->click();
    form.button("cmd_list_0")->click();
    form.button("cmd_list_5")->click();
    form.preview().drawMDLOnce();
    pump(1500);
    // A palette picture: the window's few colours and the small preview keep it small.
    QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    return shot.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither).save(out, "PNG", 0);
}

std::string readAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void writeAll(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// Gives the tool windows that start empty something to show: the converter a
// batch of three models (one damaged), the browser a library of the model and
// two others with the second loaded, the command tree its first command chosen.
void fill(QWidget* w, const std::string& model, const std::string& work) {
    if (auto* tree = qobject_cast<fettle::frmBGLC*>(w)) {
        tree->selectCommand(1);
    } else if (auto* conv = qobject_cast<fettle::frmFLTExport*>(w)) {
        writeAll(work + "/House.MDL", readAll(model));
        writeAll(work + "/tower.mdl", modelgen::syntheticModel(200, 120, 4));
        writeAll(work + "/broken.mdl", "RIFF, but no model");
        conv->convert({work + "/House.MDL", work + "/tower.mdl", work + "/broken.mdl"});
    } else if (auto* browser = qobject_cast<fettle::frmBGLBrowser*>(w)) {
        writeAll(work + "/scenery.bgl",
                 modelgen::xmlBglLibrary({{43, {{readAll(model), modelgen::syntheticModel(50, 30, 2),
                                                 modelgen::syntheticModel(80, 40, 3)}}}}));
        if (browser->openLibrary(work + "/scenery.bgl")) {
            browser->lstObject().setCurrentRow(1);
            browser->lstObject_Click(1);
        }
    }
}

// Opens every window the main window's buttons and menus offer and saves each
// new top-level window as OUTDIR/<objectName>.png.
bool windows(fettle::Form1& form, const char* model, const std::string& out) {
    std::filesystem::create_directories(out);
    const std::string work = (std::filesystem::temp_directory_path() / "fettle-screenshot-work").string();
    std::filesystem::create_directories(work);
    form.openArgument(model);
    pump(500);
    std::set<QWidget*> known;
    for (QWidget* w : QApplication::topLevelWidgets()) known.insert(w);
    int shots = 0;
    auto shoot = [&](const std::function<void()>& open) {
        open();
        pump(300);
        QList<QWidget*> shown = QApplication::topLevelWidgets();
        for (QDockWidget* d : form.findChildren<QDockWidget*>()) shown.append(d->widget());
        for (QWidget* w : shown) {
            if (!w->isVisible() || known.count(w)) continue;
            known.insert(w);
            // A docked panel is named after the window it holds.
            QWidget* named = w;
            if (auto* tool = w->findChild<fettle::ToolWindow*>()) named = tool;
            if (auto* log = w->findChild<fettle::frmLog*>()) named = log;
            fill(named, model, work);
            pump(300);
            const std::string file = out + "/" + named->objectName().toStdString() + ".png";
            if (w->grab().save(QString::fromStdString(file), "PNG")) {
                std::printf("%s\n", file.c_str());
                ++shots;
            }
        }
    };
    // Button 4 only shows a message box.
    for (const char* name : {"cmd_list_0", "cmd_list_1", "cmd_list_2", "cmd_list_3", "cmd_list_5",
                             "cmdSimpleTweak_1", "cmdSimpleTweak_2"}) {
        QPushButton* b = form.button(name);
        if (b && b->isEnabled()) shoot([b] { b->click(); });
    }
    for (const char* name : {"mViewBGLBrowser", "mOpenFlightConv", "mOptions"}) {
        QAction* a = form.action(name);
        if (a && a->isEnabled()) shoot([a] { a->trigger(); });
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &form) w->hide();
    std::filesystem::remove_all(work);
    return shots > 0;
}
}  // namespace

int main(int argc, char** argv) {
    const bool perWindow = argc == 4 && std::strcmp(argv[1], "--windows") == 0;
    if (argc != 3 && !perWindow) {
        std::fprintf(stderr, "usage: fettle_screenshot MODEL.mdl OUT.png\n"
                             "       fettle_screenshot --windows MODEL.mdl OUTDIR\n");
        return 2;
    }
    // A throw-away configuration, so the user's own is left alone.
    std::string home = std::filesystem::temp_directory_path() / "fettle-screenshot";
    std::filesystem::remove_all(home);  // nor the layout a previous picture left
    std::filesystem::create_directories(home);
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    fettle::Form1 form;
    fettle::registerEditors(form);
    form.startUp(fettle::configurationPath(home), 0);
    bool ok = perWindow ? windows(form, argv[2], argv[3]) : screen(form, argv[1], argv[2]);
    form.close();
    return ok ? 0 : 1;
}
