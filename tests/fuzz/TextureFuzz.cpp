// Any bytes as a BMP, DDS or TGA file (the first byte picks the name, since a
// TGA file is known only by it): an image or a modkit::Error.
#include "FuzzInput.h"
#include "modkit/core/Error.h"
#include "modkit/preview/TextureImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const char* const names[] = {"t.bmp", "t.dds", "t.tga"};
    try {
        QImage image = modkit::decodeTextureImage(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1),
                                                  names[data[0] % 3]);
        modkit::BitmapPixels px = modkit::bitmapPixelsOf(image);
        if (px.bgr.size() != px.rowBytes() * static_cast<size_t>(px.height)) fuzzFail("pixel rows of the wrong size");
    } catch (const modkit::Error&) {
    }
    return 0;
}
