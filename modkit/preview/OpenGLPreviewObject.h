#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>

#include "modkit/preview/GLSurface.h"

class QImage;

namespace modkit {

struct BitmapPixels;

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
    GLSurface* surface() const { return surface_; }

private:
    // The texture file decoded in memory, sized for the context.
    QImage convertToBitmap(const std::string& path) const;
    // Its 24-bit bottom-up pixels.
    BitmapPixels loadBitmapPixels(const QImage& bitmap) const;

    GLSurface* surface_ = nullptr;
    bool init_ = false;
    int maxTextureSize_ = 0;
    bool anySize_ = false;  // the context takes sides that are not powers of two
};

}  // namespace modkit
