#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QImage>

// Texture files decoded in memory, for the preview's GL textures and for
// showing a texture in a window. Reads BMP of every depth, PNG, JPEG and TIFF
// through Qt's image plugins; TGA (raw and run-length encoded, true-colour,
// grey and colour-mapped, which Qt's plugin mostly refuses), DDS (DXT1, DXT3,
// DXT5 and uncompressed) and bitmaps whose compression field holds DXT1, DXT3
// or DXT5 are read here. Only the first image level is read; alpha is kept in
// the QImage and dropped from the 24-bit pixels.
namespace modkit {

// 24-bit pixels as a bitmap holds them: bottom row first, blue, green, red,
// each row padded to a multiple of 4 bytes.
struct MODKIT_EXPORT BitmapPixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgr;

    size_t rowBytes() const { return (static_cast<size_t>(width) * 3 + 3) & ~size_t(3); }
};

// The largest width or height a texture may have.
inline constexpr int kMaxTextureSide = 16384;

// Decodes the bytes of a texture file; name (its path) picks the format by its
// extension when the content does not tell. Any failure, damaged or hostile
// bytes included, raises error 100 (source "Modkit.OpenGLPreviewObject",
// "Loading Texture File: '<name>' Failed!").
MODKIT_EXPORT QImage decodeTextureImage(std::string_view bytes, const std::string& name);

// Reads and decodes a texture file; a file that cannot be read fails the same way.
MODKIT_EXPORT QImage readTextureImage(const std::string& path);

// The image as 24-bit bitmap pixels (alpha dropped).
MODKIT_EXPORT BitmapPixels bitmapPixelsOf(const QImage& image);

// The image as a PNG file's bytes, alpha kept. Error 75 when it cannot be encoded.
MODKIT_EXPORT std::string pngBytesOf(const QImage& image, const std::string& source);

// The error a texture that cannot be loaded gives; reason says why ("File not found").
[[noreturn]] MODKIT_EXPORT void raiseTextureLoadError(const std::string& path, const std::string& reason);

}  // namespace modkit
