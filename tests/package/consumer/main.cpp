#include <cstdio>

#include "modkit/Version.h"
#include "modkit/core/Error.h"
#include "modkit/bgl/BGLCommandList.h"
#include "modkit/core/MDLObject.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    try {
        modkit::MDLObject model;
        model.readMDL(argv[1]);
        std::printf("modkit %s: %d commands\n", modkit::versionText, model.BGLCommandList()->Count());
    } catch (const modkit::Error& e) {
        std::printf("Error %d (%s)\n", e.number(), e.description().c_str());
        return 1;
    }
    return 0;
}
