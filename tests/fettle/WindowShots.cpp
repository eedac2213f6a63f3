// Pictures of every editor and tool window on a model, one PNG per window named
// after it: fettle_window_shots MODEL.mdl OUTDIR (see tools/window-shots.sh).
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
    const std::string out = argv[2];
    std::filesystem::create_directories(out);
    // A throw-away configuration, so the user's own is left alone.
    std::string home = std::filesystem::temp_directory_path() / "fettle-window-shots";
    std::filesystem::create_directories(home);
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    fettle::Form1 form;
    fettle::registerEditors(form);
    form.startUp(fettle::configurationPath(home), 0);
    form.openArgument(argv[1]);
    pump(500);

    std::set<QWidget*> known;
    for (QWidget* w : QApplication::topLevelWidgets()) known.insert(w);
    int shots = 0;
    auto shoot = [&](const std::function<void()>& open) {
        open();
        pump(300);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || known.count(w)) continue;
            known.insert(w);
            const std::string file = out + "/" + w->objectName().toStdString() + ".png";
            if (w->grab().save(QString::fromStdString(file), "PNG")) {
                std::printf("%s\n", file.c_str());
                ++shots;
            }
        }
    };
    // Button 4 only shows a message box.
    for (int i : {0, 1, 2, 3, 5}) {
        QPushButton* b = form.button(QString("cmd_list_%1").arg(i));
        if (b && b->isEnabled()) shoot([b] { b->click(); });
    }
    for (const char* name : {"cmdSimpleTweak_1", "cmdSimpleTweak_2"}) {
        QPushButton* b = form.button(name);
        if (b && b->isEnabled()) shoot([b] { b->click(); });
    }
    for (const char* name : {"mViewBGLBrowser", "mOpenFlightConv", "mOptions"}) {
        QAction* a = form.action(name);
        if (a && a->isEnabled()) shoot([a] { a->trigger(); });
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &form) w->hide();
    form.close();
    return shots > 0 ? 0 : 1;
}
