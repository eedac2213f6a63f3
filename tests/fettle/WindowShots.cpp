// Takes a picture of each editor and tool window of Fettle II on a model:
// fettle_window_shots MODEL.mdl OUTDIR writes OUTDIR/<window name>.png for every
// window the main window's buttons and menus open (see tools/window-shots.sh).
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "editors/Editors.h"
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
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fettle_window_shots MODEL.mdl OUTDIR\n");
        return 2;
    }
    // A throw-away configuration, so the user's own is left alone.
    std::string home = std::filesystem::temp_directory_path() / "fettle-window-shots";
    std::filesystem::create_directories(home);
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    const std::filesystem::path out = argv[2];
    std::filesystem::create_directories(out);
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    fettle::Form1 form;
    fettle::registerEditors(form);
    form.startUp(fettle::configurationPath(home), 0);
    form.openArgument(argv[1]);
    pump(500);

    // Every window the buttons open; the menus open the rest.
    const std::set<QWidget*> before = [&] {
        auto list = QApplication::topLevelWidgets();
        return std::set<QWidget*>(list.begin(), list.end());
    }();
    for (const char* name : {"cmdSimpleTweak_1", "cmd_list_0", "cmd_list_1", "cmd_list_2", "cmd_list_3", "cmd_list_5"})
        if (QPushButton* b = form.button(name); b && b->isEnabled()) b->click();
    for (const char* name : {"mViewBGLBrowser", "mOpenFlightConv", "mOptions"})
        if (QAction* a = form.action(name); a && a->isEnabled()) a->trigger();
    pump(800);

    int shots = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (before.count(w) || !w->isVisible()) continue;
        const std::string file = (out / (w->objectName().toStdString() + ".png")).string();
        if (w->grab().save(QString::fromStdString(file), "PNG")) {
            std::printf("%s\n", file.c_str());
            ++shots;
        }
    }
    form.close();
    return shots > 0 ? 0 : 1;
}
