#include "modkit/preview/EglOffscreenSurface.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <QImage>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "modkit/core/Error.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.EglOffscreenSurface";

const char* eglErrorName(EGLint e) {
    switch (e) {
    case EGL_SUCCESS: return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_CURRENT_SURFACE: return "EGL_BAD_CURRENT_SURFACE";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_NATIVE_PIXMAP: return "EGL_BAD_NATIVE_PIXMAP";
    case EGL_BAD_NATIVE_WINDOW: return "EGL_BAD_NATIVE_WINDOW";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    case EGL_CONTEXT_LOST: return "EGL_CONTEXT_LOST";
    default: return "unknown EGL error";
    }
}

[[noreturn]] void fail(const std::string& step) {
    EGLint e = eglGetError();
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(e));
    raiseLibrary(kSource, "Could not initialize OpenGL (" + step + ": " + eglErrorName(e) + " " + code + ")");
}

bool hasExtension(const char* list, const char* name) {
    if (!list) return false;
    const size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n)
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    return false;
}

// One EGL display serves every surface of the process. It is initialised on
// first use and kept: terminating it unloads the driver, which costs the next
// surface the load again and leaves the driver's own allocations orphaned.
EGLDisplay display() {
    static EGLDisplay d = EGL_NO_DISPLAY;
    if (d != EGL_NO_DISPLAY) return d;
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless"))
        raiseLibrary(kSource, "Could not initialize OpenGL (EGL offers no surfaceless platform: is libegl-mesa0 installed?)");
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) fail("eglGetPlatformDisplayEXT");
    EGLDisplay candidate = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (candidate == EGL_NO_DISPLAY) fail("eglGetPlatformDisplayEXT");
    EGLint major = 0, minor = 0;
    if (!eglInitialize(candidate, &major, &minor)) fail("eglInitialize");
    d = candidate;
    return d;
}

EGLint attrib(EGLDisplay d, EGLConfig c, EGLint name) {
    EGLint v = 0;
    eglGetConfigAttrib(d, c, name, &v);
    return v;
}

// The configs come sorted with the deepest colour first (10/10/10/2), which
// reads back differently; take exactly 8 bits a channel, and a depth buffer of
// at least 24 bits where there is one, since the near plane sits at 0.01.
EGLConfig chooseConfig(EGLDisplay d) {
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 16,
                             EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(d, wanted, nullptr, 0, &count)) fail("eglChooseConfig");
    if (count <= 0) raiseLibrary(kSource, "Could not initialize OpenGL (no EGL config for desktop OpenGL on a pbuffer)");
    std::vector<EGLConfig> configs(static_cast<size_t>(count));
    if (!eglChooseConfig(d, wanted, configs.data(), count, &count)) fail("eglChooseConfig");
    EGLConfig best = nullptr;
    int bestScore = -1;
    for (int i = 0; i < count; ++i) {
        EGLConfig c = configs[static_cast<size_t>(i)];
        if (attrib(d, c, EGL_RED_SIZE) != 8 || attrib(d, c, EGL_GREEN_SIZE) != 8 || attrib(d, c, EGL_BLUE_SIZE) != 8)
            continue;
        const EGLint depth = attrib(d, c, EGL_DEPTH_SIZE);
        int score = (depth >= 24 ? 4 : 0) + (attrib(d, c, EGL_STENCIL_SIZE) >= 8 ? 2 : 0) +
                    (attrib(d, c, EGL_ALPHA_SIZE) == 8 ? 1 : 0);
        if (score > bestScore) {
            best = c;
            bestScore = score;
        }
    }
    if (!best) raiseLibrary(kSource, "Could not initialize OpenGL (no EGL config with 8 bits a colour channel)");
    return best;
}

}  // namespace

EglOffscreenSurface::EglOffscreenSurface(int width, int height) : width_(width), height_(height) {
    if (width < 1 || height < 1 || width > 16384 || height > 16384) raiseRuntime(err::InvalidCall, kSource);
    EGLDisplay d = display();
    display_ = d;
    try {
        if (!eglBindAPI(EGL_OPENGL_API)) fail("eglBindAPI");
        EGLConfig config = chooseConfig(d);
        const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
        surface_ = eglCreatePbufferSurface(d, config, size);
        if (surface_ == EGL_NO_SURFACE) fail("eglCreatePbufferSurface");
        context_ = eglCreateContext(d, config, EGL_NO_CONTEXT, nullptr);
        if (context_ == EGL_NO_CONTEXT) fail("eglCreateContext");
        if (!makeCurrent()) fail("eglMakeCurrent");
    } catch (...) {
        if (context_) eglDestroyContext(d, context_);
        if (surface_) eglDestroySurface(d, surface_);
        throw;
    }
}

EglOffscreenSurface::~EglOffscreenSurface() {
    if (eglGetCurrentContext() == context_) eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    eglDestroySurface(display_, surface_);
}

bool EglOffscreenSurface::makeCurrent() {
    if (eglGetCurrentContext() == context_ && eglGetCurrentSurface(EGL_DRAW) == surface_) return true;
    eglBindAPI(EGL_OPENGL_API);
    return eglMakeCurrent(display_, surface_, surface_, context_) == EGL_TRUE;
}

void EglOffscreenSurface::present() {
    if (const_cast<EglOffscreenSurface*>(this)->makeCurrent()) glFinish();
}

std::vector<uint8_t> EglOffscreenSurface::readPixelsRGB() const {
    const size_t row = static_cast<size_t>(width_) * 3;
    std::vector<uint8_t> bottomUp(row * static_cast<size_t>(height_));
    if (!const_cast<EglOffscreenSurface*>(this)->makeCurrent()) raiseLibrary(kSource, "Could not initialize OpenGL");
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    glPopClientAttrib();
    std::vector<uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height_; ++y)
        std::memcpy(&topDown[static_cast<size_t>(y) * row], &bottomUp[static_cast<size_t>(height_ - 1 - y) * row], row);
    return topDown;
}

QImage EglOffscreenSurface::toImage() const {
    std::vector<uint8_t> rgb = readPixelsRGB();
    QImage image(width_, height_, QImage::Format_RGB888);
    if (image.isNull()) throw std::bad_alloc();
    const size_t row = static_cast<size_t>(width_) * 3;
    for (int y = 0; y < height_; ++y) std::memcpy(image.scanLine(y), &rgb[static_cast<size_t>(y) * row], row);
    return image;
}

}  // namespace modkit
