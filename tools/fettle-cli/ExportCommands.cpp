// asm, flt, bgl and extract: the exporters and the scenery-library reader.
#include <cstdio>
#include <filesystem>

#include "Cli.h"
#include "modkit/bgl/CommandWalk.h"
#include "modkit/bglfile/BGLObject.h"
#include "modkit/core/Error.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/export/FLTBatch.h"
#include "modkit/lists/TextureGroups.h"

namespace cli {
namespace {

// A library that exists: readXMLBGL quietly does nothing for a missing file.
void requireFile(const std::string& path) { modkit::requireRegularFile(path, "Modkit.BGLObject"); }

}  // namespace

int cmdAsm(Args& args) {
    auto p = args.positionals(1, 2);
    std::string out = p.size() > 1 ? p[1] : modkit::replaceMdlExtension(p[0], ".asm");
    modkit::refuseOutputOverInput(out, {p[0]}, "fettle-cli");
    modkit::MDLObject m;
    m.readMDL(p[0]);
    m.exportASM(out);
    return 0;
}

int cmdFlt(Args& args) {
    std::optional<std::string> outdir = args.value("--outdir");
    std::string format = args.value("--format").value_or("RGB");
    for (char& c : format)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (format != "RGB" && format != "DDS" && format != "TIF") throw UsageError("--format takes RGB, DDS or TIF");
    bool saveAttr = !args.flag("--no-attr");
    float rotation = 0;
    if (auto r = args.value("--rotate")) {
        if (!modkit::numtext::isNumber(*r)) throw UsageError("--rotate takes a number of degrees");
        rotation = modkit::numtext::toSingle(*r);
    }
    auto models = args.positionals(1, SIZE_MAX);
    if (outdir && !modkit::folderExists(*outdir)) throw UsageError("The selected output folder is not valid");

    modkit::FLTBatch batch({outdir.value_or(""), format, saveAttr, rotation});
    return runBatch(batch, models);
}

int cmdBgl(Args& args) {
    std::string path = args.positionals(1, 1)[0];
    requireFile(path);
    modkit::BGLObject lib;
    auto list = [&] {
        int n = 0;
        for (const auto& m : *lib.ModelList()) {
            ++n;
            std::printf("Object %d: %lld bytes, %d textures, %d vertices, %lld triangles\n", n,
                        static_cast<long long>(lib.modelSize(n)), m->TextureList()->Count(),
                        m->VertexList()->Count(), static_cast<long long>(modkit::countTriangles(*m->BGLCommandList())));
        }
    };
    try {
        lib.readXMLBGL(path);
    } catch (const modkit::Error&) {
        list();  // the models before the one that failed
        std::fflush(stdout);
        throw;
    }
    if (lib.ModelList()->Count() == 0) std::printf("No models in %s\n", path.c_str());
    list();
    return 0;
}

int cmdExtract(Args& args) {
    std::optional<std::string> object = args.value("--object");
    auto p = args.positionals(2, 2);
    requireFile(p[0]);
    modkit::BGLObject lib;
    lib.scanXMLBGL(p[0]);
    int first = 1, last = lib.modelCount();
    if (object) {
        if (!modkit::numtext::isNumber(*object)) throw UsageError("--object takes an object number");
        double v = modkit::numtext::toDouble(*object);
        if (v != static_cast<int>(v) || v < 1 || v > lib.modelCount())
            throw UsageError("there is no object " + *object + " (the library holds " +
                             std::to_string(lib.modelCount()) + ")");
        first = last = static_cast<int>(v);
    }
    std::error_code ec;
    std::filesystem::create_directories(p[1], ec);
    if (!modkit::folderExists(p[1])) modkit::raiseRuntime(modkit::err::PathNotFound, "fettle-cli");
    if (lib.modelCount() == 0) std::printf("No models in %s\n", p[0].c_str());
    auto outputOf = [&](int n) { return modkit::joinPath(p[1], "object_" + std::to_string(n) + ".mdl"); };
    for (int n = first; n <= last; ++n) modkit::refuseOutputOverInput(outputOf(n), {p[0]}, "fettle-cli");
    for (int n = first; n <= last; ++n) {
        std::string out = outputOf(n);
        modkit::writeFileAtomically(out, lib.modelBytes(n), "fettle-cli");
        std::printf("%s: %lld bytes\n", out.c_str(), static_cast<long long>(lib.modelSize(n)));
    }
    return 0;
}

}  // namespace cli
