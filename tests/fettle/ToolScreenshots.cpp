// Pictures of the batch converter, the BGL browser and the command tree on a
// model: fettle_tool_screenshots MODEL.mdl OUTDIR (run on an X display, e.g.
// under xvfb-run). Writes frmFLTExport.png, frmBGLBrowser.png, frmBGLC.png.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ModelBuilder.h"
#include "editors/Editors.h"
#include "editors/frmBGLBrowser.h"
#include "editors/frmBGLC.h"
#include "editors/frmFLTExport.h"
#include "modkit/bgl/BGLCommandList.h"
#include "modkit/core/MDLObject.h"
#include "preview/PreviewSurface.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"

namespace {

void pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

std::string readAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

bool shoot(QWidget* w, const std::string& folder) {
    w->raise();
    pump(300);
    return w->grab().save(QString::fromStdString(folder + "/" + w->objectName().toStdString() + ".png"), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fettle_tool_screenshots MODEL.mdl OUTDIR\n");
        return 2;
    }
    const std::string model = std::filesystem::absolute(argv[1]).string(), out = argv[2];
    std::filesystem::create_directories(out);
    // A throw-away configuration and work folder, so the user's own are left alone.
    const std::string home = (std::filesystem::temp_directory_path() / "fettle-tool-screenshots").string();
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home + "/work");
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    fettle::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    fettle::Form1 form;
    fettle::registerEditors(form);
    form.startUp(fettle::configurationPath(home), 0);
    form.openArgument(model);
    pump(500);
    bool ok = true;

    // The converter after a batch of three models, one of them damaged.
    const std::string work = home + "/work";
    writeAll(work + "/House.MDL", readAll(model));
    writeAll(work + "/tower.mdl", modelgen::syntheticModel(200, 120, 4));
    writeAll(work + "/broken.mdl", "RIFF, but no model");
    form.action("mOpenFlightConv")->trigger();
    if (auto* conv = form.findChild<fettle::frmFLTExport*>()) {
        conv->convert({work + "/House.MDL", work + "/tower.mdl", work + "/broken.mdl"});
        ok = shoot(conv, out) && ok;
        conv->close();
    }

    // The command tree of the model, its first command chosen.
    form.button("cmd_list_3")->click();
    if (auto* tree = form.findChild<fettle::frmBGLC*>()) {
        tree->selectCommand(1);
        ok = shoot(tree, out) && ok;
        tree->close();
    }

    // The browser on a library of the model and two others, the second loaded.
    writeAll(work + "/scenery.bgl",
             modelgen::xmlBglLibrary({{43, {{readAll(model), modelgen::syntheticModel(50, 30, 2),
                                             modelgen::syntheticModel(80, 40, 3)}}}}));
    form.openArgument(work + "/scenery.bgl");
    if (auto* browser = form.findChild<fettle::frmBGLBrowser*>()) {
        browser->lstObject().setCurrentRow(1);
        browser->lstObject_Click(1);
        ok = shoot(browser, out) && ok;
    }
    form.close();
    std::filesystem::remove_all(home);
    return ok ? 0 : 1;
}
