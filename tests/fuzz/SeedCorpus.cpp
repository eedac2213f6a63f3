// Writes the fuzzers' seed inputs into OUTDIR/<fuzzer>/, made by the model
// builder at build time so that no binary corpus is kept in the tree.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "ModelBuilder.h"

using namespace modelgen;

static void put(const std::filesystem::path& dir, const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

// A 4 x 4 block of DXT blocks: one colour in each 5-6-5 end point.
static std::string blocks(int count, int blockBytes) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += std::string(blockBytes - 8, '\xFF') + std::string("\x1F\xF8\xE0\x07\x55\xAA\x55\xAA", 8);
    return out;
}

int main(int argc, char** argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: fuzz-seeds OUTDIR\n"), 2;
    const std::filesystem::path out = argv[1];
    const std::pair<const char*, std::string> models[] = {
        {"house.mdl", sampleHouse()},           {"synthetic.mdl", syntheticModel(12, 10, 2)},
        {"lights.mdl", lightsModel(30, 3)},     {"seasonal.mdl", seasonalModel(3, 2)},
        {"mesh.mdl", meshModel(8)},
    };
    for (const auto& [name, bytes] : models) put(out / "mdl_read", name, bytes), put(out / "mdl_roundtrip", name, bytes);

    put(out / "bgl_library", "two.bgl",
        xmlBglLibrary({{3, {{"record"}}}, {43, {{models[1].second, models[4].second}}}, {43, {{}, {models[3].second}}}}));

    // The harness takes the first byte as the format: 0 BMP, 1 DDS, 2 TGA.
    const Bitmap bmp{"b", 2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}};
    const std::string tex = out / "texture";
    put(tex, "24.bmp", '\0' + bmpFile(bmp));
    put(tex, "8.bmp", '\0' + bitmapFile(2, 2, 8, 0, std::string(8, '\x7F'), std::string("\0\1\0\0\1\0\0\0", 8)));
    put(tex, "dxt1.bmp", '\0' + bitmapFile(8, 8, 0, 0x31545844, "", blocks(4, 8)));
    put(tex, "dxt5.bmp", '\0' + bitmapFile(8, -8, 0, 0x35545844, "", blocks(4, 16)));
    put(tex, "dxt1.dds", '\1' + ddsFile(8, 8, {"DXT1"}, blocks(4, 8)));
    put(tex, "dxt3.dds", '\1' + ddsFile(4, 4, {"DXT3"}, blocks(1, 16)));
    put(tex, "dxt5.dds", '\1' + ddsFile(4, 4, {"DXT5"}, blocks(1, 16)));
    put(tex, "argb.dds", '\1' + ddsFile(2, 1, {"", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u}, std::string(8, '\x40')));
    put(tex, "565.dds", '\1' + ddsFile(2, 1, {"", 16, 0xF800, 0x07E0, 0x001F, 0}, std::string(4, '\x21')));
    put(tex, "grey.dds", '\1' + ddsFile(2, 1, {"", 8, 0xFF, 0, 0, 0, true}, std::string(2, '\x80')));
    // 18-byte header: type, 2 x 1 pixels, bits, descriptor; then the texels.
    const auto tga = [](char type, char bits, const std::string& map, const std::string& texels) {
        std::string h(18, '\0');
        h[1] = map.empty() ? 0 : 1, h[2] = type, h[5] = static_cast<char>(map.size() / 3), h[7] = map.empty() ? 0 : 24;
        h[12] = 2, h[14] = 1, h[16] = bits;
        return '\2' + h + map + texels;
    };
    put(tex, "rgb.tga", tga(2, 24, "", std::string("\1\2\3\4\5\6", 6)));
    put(tex, "rle.tga", tga(10, 32, "", std::string("\x81\1\2\3\4", 5)));
    put(tex, "mapped.tga", tga(1, 8, std::string("\0\0\xFF\0\xFF\0", 6), std::string("\0\1", 2)));
    put(tex, "grey-rle.tga", tga(11, 8, "", std::string("\1\x10\x20", 3)));

    put(out / "config", "fettle.xml",
        "<Configuration>\r\n<ConfigVersion>201000</ConfigVersion>\r\n<LastMDL>/m/House.MDL</LastMDL>\r\n"
        "<TexSufSP start=\"60\" end=\"149\">_SP</TexSufSP>\r\n<TexSufHW start=\"\" end=\"\"> </TexSufHW>\r\n"
        "<LastFile>/a.mdl</LastFile>\r\n<LastFile>/b.mdl</LastFile>\r\n"
        "<NormVector nx=\"0.00\" ny=\"0.00\" nz=\"1.00\"/>\r\n</Configuration>\r\n");
    return 0;
}
