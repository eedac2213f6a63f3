#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "modkit/lists/TextureGroups.h"

namespace modkit {
class MDLObject;
}

namespace fettle {

class ConfigFunctions;

// The configured suffixes and season days (TexSufSU ... TexSufLM).
modkit::SeasonSuffixes seasonSuffixes(const ConfigFunctions& config);

// What the statistics window counts in a model.
struct ObjectStatistics {
    int vertices = 0;
    int triangles = 0;     // modkit::countTriangles
    int materials = 0;
    int stateChanges = 0;  // SET_MATERIAL commands
    int textures = 0;
    int night = 0;         // of type TEXTURE2_NIGHT
    int seasonal = 0;      // the others that are seasonal variants of a base texture (by file name)
    int other = 0;         // the rest, except TEXTURE_BUILDING textures
};
// Variants are recognised on a copy of the texture list: the model is left as it is.
ObjectStatistics objectStatistics(const modkit::MDLObject& m, const modkit::SeasonSuffixes& suffixes);

// The creation tool as the window shows it: the ISFT body up to its first NUL,
// one character per byte.
std::string creationToolText(const std::string& isft);
// The ISFT body for an edited text: the text, followed by what came from the
// first NUL on in the old body (its terminator stays).
std::string creationToolBody(const std::string& text, const std::string& oldIsft);

}  // namespace fettle
