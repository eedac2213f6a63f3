// Takes a picture of the whole screen with Fettle II, its preview and event
// log showing a model: fettle_screenshot MODEL.mdl OUT.png (see tools/screenshot.sh).
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

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
        std::fprintf(stderr, "usage: fettle_screenshot MODEL.mdl OUT.png\n");
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
    form.close();
    return ok ? 0 : 1;
}
