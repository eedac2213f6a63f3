// render: the model's preview drawn offscreen and written as a PNG image.
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "Cli.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/preview/EglOffscreenSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"
#include "modkit/preview/TextureImage.h"
#include "modkit/preview/ViewCamera.h"

namespace cli {
namespace {

double number(const std::optional<std::string>& text, const char* option, double fallback) {
    if (!text) return fallback;
    if (!modkit::numtext::isNumber(*text)) throw UsageError(std::string(option) + " needs a number, not '" + *text + "'");
    return modkit::numtext::toDouble(*text);
}

int count(const std::optional<std::string>& text, const char* option, int fallback, int min, int max) {
    double v = number(text, option, fallback);
    if (v != static_cast<int>(v) || v < min || v > max)
        throw UsageError(std::string(option) + " needs a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max));
    return static_cast<int>(v);
}

}  // namespace

int cmdRender(Args& args) {
    int width = count(args.value("--width"), "--width", 800, 1, 16384);
    int height = count(args.value("--height"), "--height", 600, 1, 16384);
    // Thumbnailers ask for the longest side; the picture keeps its proportions.
    if (auto size = args.value("--size")) {
        const int longest = count(size, "--size", 0, 1, 16384);
        const double scale = static_cast<double>(longest) / std::max(width, height);
        width = std::max(1, static_cast<int>(width * scale + 0.5));
        height = std::max(1, static_cast<int>(height * scale + 0.5));
    }
    const float heading = static_cast<float>(number(args.value("--heading"), "--heading", 45));
    const float pitch = static_cast<float>(number(args.value("--pitch"), "--pitch", -75));
    const float zoom = static_cast<float>(number(args.value("--zoom"), "--zoom", 100));
    const auto framesText = args.value("--frames");
    const int frames = count(framesText, "--frames", 1, 1, 1000000);
    float panX = 0, panY = 0;
    if (auto pan = args.value("--pan")) {
        const size_t comma = pan->find(',');
        if (comma == std::string::npos) throw UsageError("--pan needs X,Y");
        panX = static_cast<float>(number(pan->substr(0, comma), "--pan", 0));
        panY = static_cast<float>(number(pan->substr(comma + 1), "--pan", 0));
    }
    const std::vector<std::string> searchFolders = args.values("--texture-path");
    const std::optional<modkit::WalkState> state = stateOptions(args);
    const auto p = args.positionals(2, 2);
    const std::string& in = p[0];
    const std::string& out = p[1];
    modkit::refuseOutputOverInput(out, {in}, "fettle-cli render");

    modkit::MDLObject model;
    model.readMDL(in);
    for (const std::string& b : modkit::locateTextureFiles(*model.TextureList(), modkit::folderOf(in), searchFolders))
        std::fprintf(stderr, "Warning: could not locate texture file %s\n", b.c_str());

    // Nor may the image land on one of the model's textures.
    std::vector<std::string> textures;
    for (const auto& t : *model.TextureList()) textures.push_back(t->file());
    modkit::refuseOutputOverInput(out, textures, "fettle-cli render");

    modkit::EglOffscreenSurface surface(width, height);
    modkit::OpenGLPreviewObject preview;
    preview.initOpenGL(surface);
    for (const auto& f : model.glPreparepreview(preview, state ? &*state : nullptr))
        std::fprintf(stderr, "Warning: Error %d (%s)\n", f.error.number(), f.error.description().c_str());

    // Framed as the program's default view: by the vertices, so that a header
    // box that is wrong still shows the model. Pan is in model units; zoom is
    // not held to the slider's range, and 0, below 0 or not a number is its
    // farthest view (10).
    modkit::ViewCamera camera;
    camera.heading = heading;
    camera.pitch = pitch;
    camera.frame(model.viewPoints(), static_cast<float>(width) / static_cast<float>(height));
    camera.target.x -= panX;
    camera.target.y -= panY;
    camera.distance = camera.distance * 100 / (zoom > 0 ? zoom : 10.0f);

    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i)
        model.glDrawView(camera, static_cast<float>(width), static_cast<float>(height), surface);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    modkit::writeFileAtomically(out, modkit::pngBytesOf(surface.toImage(), "fettle-cli render"), "fettle-cli render");
    if (framesText)
        std::printf("%d frames in %.3f s: %.1f frames per second\n", frames, seconds,
                    seconds > 0 ? frames / seconds : 0.0);
    return 0;
}

}  // namespace cli
