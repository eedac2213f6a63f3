#pragma once
#include <string>
#include <vector>

namespace modkit {
class MDLObject;
}

namespace fettle {

class PreviewSurface;

// The library operations the windows call on a model, in one place.
namespace lib {

void addKillShadow(modkit::MDLObject& m);
void removeKillShadow(modkit::MDLObject& m);
void fixLights(modkit::MDLObject& m);
void exportASM(modkit::MDLObject& m, const std::string& file);
void exportFLT(modkit::MDLObject& m, const std::string& file, const std::string& texFormat);

// Textures and draw list of the model on the preview's context; returns the
// texture files that could not be loaded, each with its error text.
std::vector<std::string> prepareModelPreview(modkit::MDLObject& m, PreviewSurface& surface);
// One frame of the model on the preview's surface.
void drawModel(modkit::MDLObject& m, float heading, float pitch, float panX, float panY, float width,
               float height, PreviewSurface& surface, float zoom);

}  // namespace lib
}  // namespace fettle
