// Loads the drawing part, fettle-cli-draw.so: beside the program in the build
// folder, in its library folder once installed.
#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "Cli.h"

namespace cli {
namespace {

using DrawEntry = int (*)(const char*, Args&);

DrawEntry loadDrawModule() {
    static DrawEntry entry = [] {
        std::error_code ec;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        const std::filesystem::path dir = exe.parent_path();
        std::string errors;
        for (const std::filesystem::path& p :
             {dir / "fettle-cli-draw.so", dir / FETTLE_CLI_DRAW_RELDIR / "fettle-cli-draw.so"}) {
            if (ec || !std::filesystem::exists(p)) continue;
            // RTLD_LOCAL: its copy of the option helpers stays its own.
            void* module = dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!module) {
                errors += std::string("; ") + dlerror();
                continue;
            }
            if (void* f = dlsym(module, "fettleCliDraw")) return reinterpret_cast<DrawEntry>(f);
            errors += "; " + p.string() + " has no entry point";
        }
        throw std::runtime_error("the drawing part of fettle-cli (fettle-cli-draw.so) could not be loaded" + errors);
    }();
    return entry;
}

}  // namespace

int runDrawing(const char* name, Args& args) { return loadDrawModule()(name, args); }

}  // namespace cli
