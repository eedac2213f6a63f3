#include "modkit/preview/OpenGLPreviewObject.h"

#include <GL/gl.h>

#include <QImage>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <new>
#include <thread>

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/preview/TextureImage.h"

#ifndef GL_BGR
#define GL_BGR 0x80E0
#endif

namespace modkit {
namespace {

const char* const kSource = "Modkit.OpenGLPreviewObject";

bool hasGLExtension(const char* name) {
    const char* list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!list) return false;
    const size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n)
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
    return false;
}

int floorPowerOfTwo(int v) {
    int p = 1;
    while (p <= v / 2) p *= 2;
    return p;
}

}  // namespace

void OpenGLPreviewObject::initOpenGL(GLSurface& surface) {
    surface_ = &surface;
    init_ = false;
    if (!surface.makeCurrent()) raiseLibrary(kSource, "Could not initialize OpenGL");
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    maxTextureSize_ = maxSize > 0 ? maxSize : 256;  // 256 is the least any context offers
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    anySize_ = (version && version[0] >= '2' && version[0] <= '9') || hasGLExtension("GL_ARB_texture_non_power_of_two");
    init_ = true;
}

QImage OpenGLPreviewObject::convertToBitmap(const std::string& path) const {
    QImage image = readTextureImage(path);
    // A context that cannot take the image's size gets it scaled, rather than
    // no texture at all.
    int w = std::min(image.width(), maxTextureSize_), h = std::min(image.height(), maxTextureSize_);
    if (!anySize_) {
        w = floorPowerOfTwo(w);
        h = floorPowerOfTwo(h);
    }
    if (w != image.width() || h != image.height()) {
        image = image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (image.isNull()) raiseTextureLoadError(path, "too large to scale down in memory");
    }
    return image;
}

BitmapPixels OpenGLPreviewObject::loadBitmapPixels(const QImage& bitmap) const { return bitmapPixelsOf(bitmap); }

BitmapPixels OpenGLPreviewObject::decodeTexture(const std::string& s) const {
    try {
        return loadBitmapPixels(convertToBitmap(s));
    } catch (const std::bad_alloc&) {
        raiseTextureLoadError(s, "too large to hold in memory");
    }
}

int32_t OpenGLPreviewObject::loadTexture(const std::string& s) {
    if (s.empty()) return 0;
    if (!init_ || !surface_) raiseLibrary(kSource, "Could not initialize OpenGL");
    return uploadTexture(s, decodeTexture(s));
}

std::vector<TextureLoad> OpenGLPreviewObject::loadTextures(const std::vector<std::string>& paths) {
    std::vector<TextureLoad> out(paths.size());
    std::vector<std::string> files;  // distinct, in first-use order
    std::map<std::string, size_t> fileOf;
    for (const std::string& p : paths)
        if (!p.empty() && fileOf.emplace(p, files.size()).second) files.push_back(p);
    if (files.empty()) return out;
    if (!init_ || !surface_) raiseLibrary(kSource, "Could not initialize OpenGL");

    struct Decoded {
        BitmapPixels pixels;
        std::optional<Error> error;
    };
    std::vector<Decoded> decoded(files.size());
    std::vector<std::promise<void>> done(files.size());
    std::vector<std::future<void>> ready;
    for (auto& d : done) ready.push_back(d.get_future());
    std::atomic<size_t> next{0};
    {
        const size_t threads =
            std::min<size_t>(files.size(), std::max(1u, std::thread::hardware_concurrency()));
        // Qt's own threads: images decoded on threads Qt did not start leave Qt's
        // bookkeeping for those threads behind. The pool waits for them when it goes.
        QThreadPool workers;
        workers.setMaxThreadCount(static_cast<int>(threads));
        for (size_t i = 0; i < threads; ++i)
            workers.start([&] {
                for (size_t k; (k = next++) < files.size();) {
                    try {
                        decoded[k].pixels = decodeTexture(files[k]);
                    } catch (const Error& e) {
                        decoded[k].error = e;
                    } catch (...) {
                        try {
                            raiseTextureLoadError(files[k], "too large to hold in memory");
                        } catch (const Error& e) {
                            decoded[k].error = e;
                        }
                    }
                    done[k].set_value();
                }
            });
        // Uploaded in order as each is ready; the pixels go as soon as GL has them.
        std::vector<TextureLoad> loads(files.size());
        for (size_t k = 0; k < files.size(); ++k) {
            while (ready[k].wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) pumpEventsNow();
            if (decoded[k].error) {
                loads[k].error = decoded[k].error;
                continue;
            }
            try {
                loads[k].name = uploadTexture(files[k], decoded[k].pixels);
            } catch (const Error& e) {
                loads[k].error = e;
            }
            decoded[k].pixels = BitmapPixels();
        }
        for (size_t i = 0; i < paths.size(); ++i)
            if (!paths[i].empty()) out[i] = loads[fileOf[paths[i]]];
    }
    return out;
}

int32_t OpenGLPreviewObject::uploadTexture(const std::string& s, const BitmapPixels& pixels) {
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // The rows are padded to 4 bytes; the caller's context may have changed
    // how pixels are unpacked.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, pixels.width, pixels.height, 0, GL_BGR, GL_UNSIGNED_BYTE, pixels.bgr.data());
    glPopClientAttrib();
    if (name == 0 || glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        raiseTextureLoadError(s, "the graphics driver refused the texture");
    }
    std::error_code ec;
    loaded_[name] = LoadedFile{s, std::filesystem::last_write_time(s, ec)};
    return static_cast<int32_t>(name);
}

bool OpenGLPreviewObject::holdsTexture(int32_t name, const std::string& file) const {
    // A name deleted since (a released preview) may have been reused.
    const auto it = name > 0 ? loaded_.find(static_cast<uint32_t>(name)) : loaded_.end();
    if (it == loaded_.end() || it->second.file != file || !glIsTexture(it->first)) return false;
    std::error_code ec;
    return std::filesystem::last_write_time(file, ec) == it->second.written && !ec;
}

void OpenGLPreviewObject::releaseTexturesExcept(const std::set<int32_t>& inUse) {
    for (auto it = loaded_.begin(); it != loaded_.end();) {
        if (inUse.count(static_cast<int32_t>(it->first))) {
            ++it;
            continue;
        }
        if (glIsTexture(it->first)) glDeleteTextures(1, &it->first);
        it = loaded_.erase(it);
    }
}

}  // namespace modkit
