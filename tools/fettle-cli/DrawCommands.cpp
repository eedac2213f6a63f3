// The drawing part of fettle-cli, a module that the program loads only for
// the commands that need the preview library (GL, EGL and Qt GUI): render,
// and gltf and textures, which decode textures into PNG images.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Cli.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "modkit/export/FLTBatch.h"
#include "modkit/export/GltfExport.h"
#include "modkit/lists/TextureGroups.h"

namespace cli {

int cmdRender(Args&);

int cmdGltf(Args& args) {
    std::optional<std::string> outdir = args.value("--outdir");
    modkit::GltfExportOptions options;
    const std::string format = modkit::lowerCase(args.value("--format").value_or("glb"));
    if (format == "gltf") options.format = modkit::GltfFormat::gltf;
    else if (format != "glb") throw UsageError("--format takes glb or gltf");
    options.suffixes = suffixesOf(args);
    const std::vector<std::string> searchFolders = args.values("--texture-path");
    auto models = args.positionals(1, SIZE_MAX);
    if (outdir && !modkit::folderExists(*outdir)) throw UsageError("The selected output folder is not valid");
    modkit::FLTBatch batch = modkit::gltfBatch(outdir.value_or(""), options, searchFolders);
    return runBatch(batch, models);
}

int cmdTextures(Args& args) {
    const std::vector<std::string> searchFolders = args.values("--texture-path");
    auto p = args.positionals(2, 2);
    modkit::MDLObject m;
    m.readMDL(p[0]);
    std::error_code ec;
    std::filesystem::create_directories(p[1], ec);
    if (!modkit::folderExists(p[1])) modkit::raiseRuntime(modkit::err::PathNotFound, "fettle-cli");
    modkit::locateTextureFiles(*m.TextureList(), modkit::folderOf(p[0]), searchFolders);
    const modkit::TexturePngReport r = modkit::exportTexturesPNG(m, p[1]);
    for (const auto& f : r.files) std::printf("%s\n", f.c_str());
    for (const auto& b : r.missing) std::printf("Warning: could not locate texture file %s\n", b.c_str());
    for (const auto& f : r.failures) std::printf("Warning: %s\n", errorText(f.error).c_str());
    const size_t failed = r.missing.size() + r.failures.size();
    std::printf("%zu written, %zu failed\n", r.files.size(), failed);
    return failed ? 1 : 0;
}

}  // namespace cli

// The module's one entry point; an unknown name gives -1.
extern "C" __attribute__((visibility("default"))) int fettleCliDraw(const char* name, cli::Args& args) {
    if (std::strcmp(name, "render") == 0) return cli::cmdRender(args);
    if (std::strcmp(name, "gltf") == 0) return cli::cmdGltf(args);
    if (std::strcmp(name, "textures") == 0) return cli::cmdTextures(args);
    return -1;
}
