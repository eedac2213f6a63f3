#pragma once
// Model files the tests share, built field by field.
#include <string>

#include "ModelBuilder.h"
#include "modkit/bgl/SeasonalTextures.h"

namespace testmodels {

// A small model with every optional section, odd section sizes and a stream
// that uses every opcode of the dictionary, with jumps of every kind.
std::string everything();

// The stream of `everything()` alone.
std::string everyOpcodeStream();

// Summer, autumn, winter and spring on the configuration's days, textures 0
// (base), 1 (autumn), 2 (winter), 3 (spring).
modkit::seasonalTextures defaultSeasons();

}  // namespace testmodels
