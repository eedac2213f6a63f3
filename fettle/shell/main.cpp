#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstring>

#include "editors/Editors.h"
#include "preview/PreviewSurface.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"
#include "shell/frmSplash.h"

namespace {

// Answered before the application exists, so they need no display.
bool printedInformation(int argc, char** argv) {
    if (argc != 2) return false;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("fettle (Fettle II) %s\n", fettle::programVersion().c_str());
        return true;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::printf(
            "Usage: fettle [MODEL.mdl | LIBRARY.bgl]\n"
            "Fettle II, the editor of flight-simulator scenery model files (RIFF form MDL9).\n"
            "Opens the model, or the BGL scenery library in the BGL browser, when one is named.\n\n"
            "  --help     show this help and exit\n"
            "  --version  show the version and exit\n\n"
            "Settings are kept in fettle.xml beside the program when that file exists,\n"
            "otherwise in $XDG_CONFIG_HOME/fettle/fettle.xml (~/.config/fettle/).\n");
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (printedInformation(argc, argv)) return 0;
    // The preview's GL 1.1 calls need a compatibility context, chosen before the application exists.
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Fettle II");
    QApplication::setApplicationVersion(QString::fromStdString(fettle::programVersion()));
    // Ties the windows to the installed desktop entry (icon, name).
    QGuiApplication::setDesktopFileName("org.example.fettle");
    fettle::Form1 form;
    fettle::registerEditors(form);
    form.startUp(fettle::configurationPath(QCoreApplication::applicationDirPath().toStdString()));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) form.openArgument(args[1].toStdString());
    return app.exec();
}
