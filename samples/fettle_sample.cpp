// Writes the bundled sample model and its bitmaps into a folder, and the same
// house with seasonal and night textures (house_seasons.mdl).
#include <cstdio>
#include <fstream>
#include <string>

#include "ModelBuilder.h"

static bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fettle-sample OUTDIR\n");
        return 2;
    }
    std::string dir = argv[1];
    bool ok = writeFile(dir + "/house.mdl", modelgen::sampleHouse());
    ok = writeFile(dir + "/house_seasons.mdl", modelgen::seasonalSampleHouse()) && ok;
    for (const auto& b : modelgen::sampleBitmaps()) ok = writeFile(dir + "/" + b.name, modelgen::bmpFile(b)) && ok;
    for (const auto& b : modelgen::seasonalSampleBitmaps()) ok = writeFile(dir + "/" + b.name, modelgen::bmpFile(b)) && ok;
    if (!ok) {
        std::fprintf(stderr, "fettle-sample: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
