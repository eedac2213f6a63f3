#pragma once
#include <string>

#include "modkit/core/Export.h"

// Texture files as PNG images, for the exports; kept free of Qt so that model
// code may include it.
namespace modkit {

// Reads and decodes a texture file as the preview does (DDS and bitmaps holding
// DXT blocks included; the first image level, at its own size) and encodes it
// as PNG, alpha kept. A file that cannot be read or decoded gives error 100
// "Loading Texture File: '<path>' Failed!" (source "Modkit.OpenGLPreviewObject").
MODKIT_EXPORT std::string texturePng(const std::string& path);

}  // namespace modkit
