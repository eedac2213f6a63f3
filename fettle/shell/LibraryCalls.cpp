#include "shell/LibraryCalls.h"

#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "preview/PreviewSurface.h"

namespace fettle::lib {
namespace {
[[noreturn]] void missing(const char* what) {
    modkit::raiseLibrary("Fettle", std::string(what) + " is not in this build of modkit");
}
}  // namespace

void addKillShadow(modkit::MDLObject& m) { m.addKillShadow(); }
void removeKillShadow(modkit::MDLObject& m) { m.removeKillShadow(); }
void fixLights(modkit::MDLObject& m) { m.fixLights(); }
void exportASM(modkit::MDLObject& m, const std::string& file) { m.exportASM(file); }
void exportFLT(modkit::MDLObject& m, const std::string& file, const std::string& texFormat) {
    m.exportFLT(file, texFormat);
}

std::vector<std::string> prepareModelPreview(modkit::MDLObject& m, PreviewSurface&) {
    m.setLoadingStatus(modkit::LoadingStatus::generatingDrawList);
    m.setLoaded(true);
    return {};
}

void drawModel(modkit::MDLObject&, float, float, float, float, float, float, PreviewSurface& surface, float) {
    surface.makeCurrent();
    surface.clearWhite();
    surface.present();
}

}  // namespace fettle::lib
