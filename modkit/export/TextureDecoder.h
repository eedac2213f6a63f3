#pragma once
#include <string>

#include "modkit/core/Export.h"

// Texture files as PNG for the exports. Decoding them takes image codecs
// (Qt GUI) that the model library does without: the preview library
// (modkit::preview) installs its decoder when it is loaded, and a program that
// exports textures links it.
namespace modkit {

using TexturePngDecoder = std::string (*)(const std::string& path);

// Replaces the decoder; nullptr removes it.
MODKIT_EXPORT void setTexturePngDecoder(TexturePngDecoder decoder);

// The texture file as PNG bytes through the installed decoder. Error 100
// "Loading Texture File: '<path>' Failed!" when it cannot be read or decoded,
// or when no decoder is installed (the description then says so).
MODKIT_EXPORT std::string decodeTexturePng(const std::string& path);

}  // namespace modkit
