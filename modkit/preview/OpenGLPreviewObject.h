#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "modkit/core/Error.h"

#include "modkit/preview/GLSurface.h"

class QImage;

namespace modkit {

struct BitmapPixels;

// A texture file loaded by OpenGLPreviewObject::loadTextures: its GL name (0
// for an empty path), or why it could not be loaded.
struct MODKIT_EXPORT TextureLoad {
    int32_t name = 0;
    std::optional<Error> error;
};

// The preview's rendering context and its textures. The surface (and so the
// context) belongs to the caller and must outlive this object's use of it.
class MODKIT_EXPORT OpenGLPreviewObject {
public:
    // Makes the surface's context current. Error 100 "Could not initialize
    // OpenGL" when it cannot; openGLInit then stays false.
    void initOpenGL(GLSurface& surface);
    bool openGLInit() const { return init_; }
    // Loads a texture file into a new GL texture on the current context and
    // returns its name; 0 for an empty path. A file that cannot be read or
    // decoded gives error 100 "Loading Texture File: '<s>' Failed!" and
    // leaves no texture behind.
    int32_t loadTexture(const std::string& s);
    // Loads many files at once: each distinct file is decoded once, the files
    // in parallel on worker threads while this thread lets events run, and
    // uploaded here as one GL texture. One result per path, in order; a file
    // that fails gives each of its paths the error loadTexture would raise.
    std::vector<TextureLoad> loadTextures(const std::vector<std::string>& paths);
    // True when name is a texture this object loaded from file and the file
    // has not been written since (a texture edit keeps such textures).
    bool holdsTexture(int32_t name, const std::string& file) const;
    // Deletes the textures this object loaded whose names are not in inUse
    // (textures of entries an edit removed). The object serves one model.
    void releaseTexturesExcept(const std::set<int32_t>& inUse);
    GLSurface* surface() const { return surface_; }

private:
    // The texture file decoded in memory, sized for the context.
    QImage convertToBitmap(const std::string& path) const;
    // Its 24-bit bottom-up pixels.
    BitmapPixels loadBitmapPixels(const QImage& bitmap) const;
    // Read, decoded and sized for the context; no GL call, any thread.
    BitmapPixels decodeTexture(const std::string& s) const;
    // A new GL texture of those pixels on the current context.
    int32_t uploadTexture(const std::string& s, const BitmapPixels& pixels);

    struct LoadedFile {
        std::string file;
        std::filesystem::file_time_type written;
    };
    std::map<uint32_t, LoadedFile> loaded_;
    GLSurface* surface_ = nullptr;
    bool init_ = false;
    int maxTextureSize_ = 0;
    bool anySize_ = false;  // the context takes sides that are not powers of two
};

}  // namespace modkit
