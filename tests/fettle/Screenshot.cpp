// Takes a picture of the whole screen with Fettle II, its preview and event
// log showing a model: fettle_screenshot MODEL.mdl OUT.png (see
// tools/screenshot.sh). With a folder WINDOWS as third argument it then opens
// every window the main window's buttons and menus open and writes a picture
// of each as WINDOWS/<window name>.png (see tools/window-shots.sh).
#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "Pump.h"
#include "editors/Editors.h"
#include "preview/PreviewSurface.h"
#include "preview/frmPreview.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

namespace {

using testutil::pump;

// Opens the editor and tool windows and writes a picture of each new one.
int windowShots(fettle::Form1& form, const std::filesystem::path& out) {
    std::filesystem::create_directories(out);
    const auto list = QApplication::topLevelWidgets();
    const std::set<QWidget*> before(list.begin(), list.end());
    for (const char* name : {"cmdSimpleTweak_1", "cmd_list_0", "cmd_list_1", "cmd_list_2", "cmd_list_3", "cmd_list_5"})
        if (QPushButton* b = form.button(name); b && b->isEnabled()) b->click();
    for (const char* name : {"mViewBGLBrowser", "mOpenFlightConv", "mOptions"})
        if (QAction* a = form.action(name); a && a->isEnabled()) a->trigger();
    pump(800);
    int shots = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (before.count(w) || !w->isVisible()) continue;
        const std::string file = (out / (w->objectName().toStdString() + ".png")).string();
        if (!w->grab().save(QString::fromStdString(file), "PNG")) return 0;
        std::printf("%s\n", file.c_str());
        ++shots;
    }
    return shots;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: fettle_screenshot MODEL.mdl OUT.png [WINDOWS]\n");
        return 2;
    }
    // A throw-away configuration, so the user's own is left alone.
    std::string home = std::filesystem::temp_directory_path() / "fettle-screenshot";
    std::filesystem::create_directories(home);
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    fettle::Form1 form;
    fettle::registerEditors(form);
    form.startUp(fettle::configurationPath(home), 0);
    form.move(20, 20);
    form.preview().move(20, 240);
    form.preview().resize(560, 480);
    form.openArgument(argv[1]);
    form.log().move(600, 240);
    form.log().resize(560, 200);
    form.log().show();
    pump(1500);
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    bool ok = shot.save(argv[2], "PNG");
    if (ok && argc == 4) ok = windowShots(form, argv[3]) > 0;
    form.close();
    return ok ? 0 : 1;
}
