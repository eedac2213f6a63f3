#include <cstdio>

#include "modkit/preview/TextureImage.h"

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::printf("%d\n", modkit::readTextureImage(argv[1]).width());
    return 0;
}
