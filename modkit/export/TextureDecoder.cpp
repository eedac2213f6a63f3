#include "modkit/export/TextureDecoder.h"

#include <atomic>

#include "modkit/core/Error.h"

namespace modkit {
namespace {

std::atomic<TexturePngDecoder> installed{nullptr};

}  // namespace

void setTexturePngDecoder(TexturePngDecoder decoder) { installed.store(decoder); }

std::string decodeTexturePng(const std::string& path) {
    if (const TexturePngDecoder decode = installed.load()) return decode(path);
    raiseLibrary("Modkit.GltfExport",
                 "Loading Texture File: '" + path + "' Failed! (no texture decoder: the modkit preview library is not loaded)");
}

}  // namespace modkit
