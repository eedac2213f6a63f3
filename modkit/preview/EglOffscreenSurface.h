#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <vector>

#include "modkit/preview/GLSurface.h"

class QImage;

namespace modkit {

// An offscreen drawing surface with its own desktop-GL context, on Mesa's
// surfaceless EGL platform: needs no display server and no GPU. Colour is 8 bits
// a channel (the platform offers 10-bit configs first), depth at least 24 bits.
class MODKIT_EXPORT EglOffscreenSurface : public GLSurface {
public:
    // Error 5 for a size outside 1..16384; error 100 (source
    // "Modkit.EglOffscreenSurface") with the failing EGL step and error code when
    // no context can be made.
    EglOffscreenSurface(int width, int height);
    ~EglOffscreenSurface() override;
    EglOffscreenSurface(const EglOffscreenSurface&) = delete;
    EglOffscreenSurface& operator=(const EglOffscreenSurface&) = delete;

    bool makeCurrent() override;
    // Waits until the frame is finished; there is no screen to show it on.
    void present() override;

    int width() const { return width_; }
    int height() const { return height_; }

    // The surface's pixels: top row first, 3 bytes (red, green, blue) a pixel.
    std::vector<uint8_t> readPixelsRGB() const;
    // The same as an image.
    QImage toImage() const;

private:
    int width_;
    int height_;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace modkit
