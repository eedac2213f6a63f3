#include <cstdio>
#include <cstring>
#include <exception>

#include "Cli.h"
#include "modkit/Version.h"
#include "modkit/core/Error.h"

namespace {

void usage(FILE* to) {
    std::fprintf(to, "usage: fettle-cli COMMAND ...\n\n");
    for (const auto& c : cli::commands()) std::fprintf(to, "  fettle-cli %s\n", c.synopsis);
}

void help() {
    std::printf("Usage: fettle-cli COMMAND ...\n"
                "Reads, edits, exports and draws flight-simulator scenery MDL models.\n\n"
                "Commands:\n");
    for (const auto& c : cli::commands()) std::printf("  fettle-cli %s\n\n", c.synopsis);
    std::printf("Options:\n"
                "  --help     show this help and exit\n"
                "  --version  show the version and exit\n\n"
                "Errors print \"Error <number> (<description>)\" and exit 1; wrong usage exits 2.\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        help();
        return 0;
    }
    if (name == "--version") {
        std::printf("fettle-cli %s\n", modkit::versionText);
        return 0;
    }
    for (const auto& c : cli::commands()) {
        if (name != c.name) continue;
        cli::Args args(std::vector<std::string>(argv + 2, argv + argc));
        try {
            return c.run(args);
        } catch (const cli::UsageError& e) {
            std::fprintf(stderr, "fettle-cli %s: %s\nusage: fettle-cli %s\n", c.name, e.what(), c.synopsis);
            return 2;
        } catch (const modkit::Error& e) {
            std::fprintf(stderr, "Error %d (%s)\nSource: %s\n", e.number(), e.description().c_str(), e.source().c_str());
            return 1;
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "Error 7 (Out of memory)\n");
            return 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "Error 5 (%s)\n", e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "fettle-cli: unknown command '%s'\n\n", name.c_str());
    usage(stderr);
    return 2;
}
