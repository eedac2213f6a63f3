#include "modkit/export/GltfExport.h"

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <QImage>
#include <algorithm>
#include <array>
#include <cstdio>

#include "ModelBuilder.h"
#include "RunCli.h"
#include "TestUtil.h"
#include "modkit/bgl/CommandWalk.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "modkit/preview/TextureImage.h"

using modkit::GltfFormat;
using testutil::TempDir;
using testutil::writeFile;

namespace {

using Tri = std::array<float, 9>;

// The sample house beside its bitmaps. With seasons, the walls get autumn,
// winter and spring textures and a night map through the texture editor's own
// update, saved as seasons.mdl; each new texture is one colour, winter's as DXT1
// blocks in a bitmap, the night map a DDS file.
std::string writeHouse(const TempDir& dir, bool seasons) {
    writeFile(dir.file("house.mdl"), modelgen::sampleHouse());
    for (const auto& b : modelgen::sampleBitmaps()) writeFile(dir.file(b.name), modelgen::bmpFile(b));
    if (!seasons) return dir.file("house.mdl");
    modkit::MDLObject m;
    m.readMDL(dir.file("house.mdl"));
    modkit::TextureGroups groups;
    const modkit::SeasonSuffixes days;
    const modkit::TextureUpdate u{1, {true, true, true, false, true}, true, days.dayStart, days.dayEnd, {"255", "255", "255"}, "2", ""};
    groups.recognise(*m.TextureList());
    groups.applyUpdate(*m.TextureList(), *m.BGLCommandList(), u);
    m.saveMDL(dir.file("seasons.mdl"));
    auto solid = [](const char* name, uint8_t r, uint8_t g, uint8_t b) {
        modelgen::Bitmap bmp{name, 8, 4, {}};
        for (int i = 0; i < 32; ++i) bmp.rgb.insert(bmp.rgb.end(), {r, g, b});
        return modelgen::bmpFile(bmp);
    };
    writeFile(dir.file("house_walls_fa.bmp"), solid("fa", 200, 120, 20));
    writeFile(dir.file("house_walls_sp.bmp"), solid("sp", 90, 200, 60));
    const std::string redBlocks = testutil::bytes({0x00, 0xF8, 0, 0, 0, 0, 0, 0});  // colour 0 red, every texel 0
    std::string dxt;
    for (int i = 0; i < 4; ++i) dxt += redBlocks;
    writeFile(dir.file("house_walls_wi.bmp"), modelgen::bitmapFile(8, 8, 0, 0x31545844, "", dxt));
    writeFile(dir.file("house_walls_lm.bmp"), modelgen::ddsFile(8, 8, {"DXT1"}, dxt));
    return dir.file("seasons.mdl");
}

modkit::MDLObject& located(modkit::MDLObject& m, const std::string& path) {
    m.readMDL(path);
    modkit::locateTextureFiles(*m.TextureList(), modkit::folderOf(path), {});
    return m;
}

// Every triangle's three positions, sorted: those the model draws after the
// axis change, or those the file holds.
std::vector<Tri> modelTriangles(const modkit::MDLObject& m) {
    std::vector<Tri> out;
    for (const auto& t : modkit::drawnTriangles(*m.BGLCommandList())) {
        Tri p;
        for (int i = 0; i < 3; ++i) {
            const auto v = m.VertexList()->Item(t.v[i] + 1);
            p[i * 3] = v->x(), p[i * 3 + 1] = v->y(), p[i * 3 + 2] = -v->z();
        }
        out.push_back(p);
    }
    std::sort(out.begin(), out.end());
    return out;
}

template <class T>
const T* data(const tinygltf::Model& g, int accessor) {
    const auto& a = g.accessors[static_cast<size_t>(accessor)];
    const auto& v = g.bufferViews[static_cast<size_t>(a.bufferView)];
    return reinterpret_cast<const T*>(&g.buffers[static_cast<size_t>(v.buffer)].data[v.byteOffset + a.byteOffset]);
}

size_t indexAt(const tinygltf::Model& g, int accessor, size_t i) {
    switch (g.accessors[static_cast<size_t>(accessor)].componentType) {
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return data<uint8_t>(g, accessor)[i];
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return data<uint16_t>(g, accessor)[i];
    default: return data<uint32_t>(g, accessor)[i];
    }
}

std::vector<Tri> fileTriangles(const tinygltf::Model& g) {
    std::vector<Tri> out;
    for (const auto& p : g.meshes.at(0).primitives) {
        const float* pos = data<float>(g, p.attributes.at("POSITION"));
        for (size_t i = 0; i < g.accessors[static_cast<size_t>(p.indices)].count; i += 3) {
            Tri& t = out.emplace_back();
            for (size_t k = 0; k < 9; ++k) t[k] = pos[indexAt(g, p.indices, i + k / 3) * 3 + k % 3];
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

tinygltf::Model load(const std::string& path) {
    tinygltf::Model g;
    tinygltf::TinyGLTF loader;
    std::string err, warn;
    const bool ok = path.ends_with(".glb") ? loader.LoadBinaryFromFile(&g, &err, &warn, path)
                                           : loader.LoadASCIIFromFile(&g, &err, &warn, path);
    EXPECT_TRUE(ok) << err;
    return g;
}

// The image's name chosen for the primitive by variant v (-1: the default material).
std::string imageOf(const tinygltf::Model& g, const tinygltf::Primitive& p, int v, bool emissive = false) {
    int mat = p.material;
    if (v >= 0)
        for (const auto& map : p.extensions.at("KHR_materials_variants").Get("mappings").Get<tinygltf::Value::Array>())
            for (const auto& x : map.Get("variants").Get<tinygltf::Value::Array>())
                if (x.GetNumberAsInt() == v) mat = map.Get("material").GetNumberAsInt();
    const auto& m = g.materials[static_cast<size_t>(mat)];
    const int tex = emissive ? m.emissiveTexture.index : m.pbrMetallicRoughness.baseColorTexture.index;
    return tex < 0 ? "" : g.images[static_cast<size_t>(g.textures[static_cast<size_t>(tex)].source)].name;
}

}  // namespace

TEST(GltfExport, ReadBackHoldsTheModelsTrianglesVariantsAndTexturePixels) {
    for (GltfFormat format : {GltfFormat::glb, GltfFormat::gltf}) {
        SCOPED_TRACE(format == GltfFormat::glb ? "glb" : "gltf");
        TempDir dir;
        modkit::MDLObject m;
        located(m, writeHouse(dir, true));
        const std::string out = dir.file(format == GltfFormat::glb ? "out/seasons.glb" : "out/seasons.gltf");
        std::filesystem::create_directory(dir.file("out"));
        const auto report = modkit::exportGLTF(m, out, {format, {}});
        EXPECT_TRUE(report.textureFailures.empty());
        const tinygltf::Model g = load(out);

        EXPECT_EQ(fileTriangles(g), modelTriangles(m));
        EXPECT_EQ(report.triangles, static_cast<int>(modelTriangles(m).size()));
        // Facing: each triangle's winding agrees with its first vertex's normal.
        for (const auto& p : g.meshes[0].primitives) {
            const float *pos = data<float>(g, p.attributes.at("POSITION")), *nor = data<float>(g, p.attributes.at("NORMAL"));
            for (size_t i = 0; i < g.accessors[static_cast<size_t>(p.indices)].count; i += 3) {
                const size_t a = indexAt(g, p.indices, i), b = indexAt(g, p.indices, i + 1), c = indexAt(g, p.indices, i + 2);
                auto d = [&](size_t v, int k) { return pos[v * 3 + k] - pos[a * 3 + k]; };
                float dot = 0;
                for (int k = 0; k < 3; ++k)
                    dot += (d(b, (k + 1) % 3) * d(c, (k + 2) % 3) - d(b, (k + 2) % 3) * d(c, (k + 1) % 3)) * nor[a * 3 + k];
                EXPECT_GT(dot, 0);
            }
        }

        std::vector<std::string> names;
        for (const auto& v : g.extensions.at("KHR_materials_variants").Get("variants").Get<tinygltf::Value::Array>())
            names.push_back(v.Get("name").Get<std::string>());
        EXPECT_EQ(names, (std::vector<std::string>{"summer", "fall", "winter", "spring", "night"}));
        const auto& walls = g.meshes[0].primitives[0];
        const char* chosen[] = {"", "_fa", "_wi", "_sp", ""};  // by variant; the default is the base
        for (int v = -1; v < 5; ++v) EXPECT_EQ(imageOf(g, walls, v), "house_walls" + std::string(v < 0 ? "" : chosen[v]) + ".png");
        EXPECT_EQ(imageOf(g, walls, 4, true), "house_walls_lm.png");
        EXPECT_EQ(g.meshes[0].primitives[1].extensions.count("KHR_materials_variants"), 0u);  // the roof has none

        ASSERT_EQ(g.images.size(), 6u);
        for (const auto& image : g.images) {
            const QImage want = modkit::readTextureImage(modkit::findFileInFolder(
                                                   dir.path(), image.name.substr(0, image.name.size() - 4) + ".bmp"))
                                    .convertToFormat(QImage::Format_RGBA8888);
            const QImage got(image.image.data(), image.width, image.height, image.width * image.component,
                             image.component == 4 ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
            EXPECT_EQ(got.convertToFormat(QImage::Format_RGBA8888), want) << image.name;
        }
    }
}

TEST(GltfExport, ATextureThatCannotBeReadCostsOnlyItselfAndModelsWithoutTexturesHaveNoImages) {
    TempDir dir;
    writeHouse(dir, false);
    writeFile(dir.file("house_roof.bmp"), "BM damaged");
    modkit::MDLObject m;
    located(m, dir.file("house.mdl"));
    const auto report = modkit::exportGLTF(m, dir.file("house.glb"));
    ASSERT_EQ(report.textureFailures.size(), 1u);
    EXPECT_EQ(report.textureFailures[0].path, dir.file("house_roof.bmp"));
    const tinygltf::Model g = load(dir.file("house.glb"));
    EXPECT_EQ(g.images.size(), 1u);
    const auto& roof = g.materials[static_cast<size_t>(g.meshes[0].primitives[1].material)].pbrMetallicRoughness;
    EXPECT_EQ(roof.baseColorTexture.index, -1);
    EXPECT_EQ(roof.baseColorFactor, (std::vector<double>{1, 1, 1, 1}));  // the tiles' diffuse colour
    EXPECT_TRUE(g.extensionsUsed.empty());
    // Never over an input.
    EXPECT_EQ(testutil::errorOf([&] { modkit::exportGLTF(m, dir.file("house.mdl")); }).number(), 75);
    EXPECT_EQ(testutil::readFile(dir.file("house.mdl")), modelgen::sampleHouse());

    // Indices take the smallest type: bytes below 255 vertices, shorts up to 65,535.
    writeFile(dir.file("mesh.mdl"), modelgen::meshModel(100));
    writeFile(dir.file("big.mdl"), modelgen::syntheticModel(65535, 3000, 0));
    for (const auto& [name, type] : {std::pair{"mesh", TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE},
                                     std::pair{"big", TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT}}) {
        located(m, dir.file(std::string(name) + ".mdl"));
        modkit::exportGLTF(m, dir.file(std::string(name) + ".glb"));
        const tinygltf::Model h = load(dir.file(std::string(name) + ".glb"));
        EXPECT_EQ(h.accessors[size_t(h.meshes[0].primitives[0].indices)].componentType, type) << name;
        EXPECT_TRUE(h.images.empty() && h.extensions.empty()) << name;
        EXPECT_EQ(fileTriangles(h), modelTriangles(m)) << name;
    }
}

// What gltf and textures print: tests/data/cli/gltf.txt.
TEST(GltfExport, CommandLineConvertsEachModelAndWritesTextures) {
    TempDir dir;
    writeHouse(dir, true);
    writeFile(dir.file("broken.mdl"), "RIFF");
    testutil::Transcript t(dir);
    t.run({"gltf", dir.file("seasons.mdl"), dir.file("broken.mdl"), "--format", "gltf"});
    std::remove(dir.file("house_walls_sp.bmp").c_str());
    t.run({"textures", dir.file("seasons.mdl"), dir.file("png")});
    testutil::expectGolden("cli/gltf.txt", t.text());
    for (const char* f : {"seasons.bin", "house_walls_lm.png", "house_roof.png", "png/house_walls_wi.png"})
        EXPECT_TRUE(std::filesystem::exists(dir.file(f))) << f;
}

// The Khronos validator over the sample house, the house with seasons and a
// night map, a model of 65,535 vertices and one without textures.
TEST(GltfExport, KhronosValidatorFindsNoErrorsOrWarnings) {
    if (std::system("command -v node >/dev/null 2>&1") != 0) GTEST_SKIP() << "Node.js is not installed";
    if (!std::filesystem::exists(FETTLE_GLTF_VALIDATOR))
        GTEST_SKIP() << "the glTF validator is not installed (npm install --prefix build/gltf-validator gltf-validator)";
    TempDir dir;
    writeHouse(dir, true);
    writeFile(dir.file("big.mdl"), modelgen::syntheticModel(65535, 20000, 0));
    writeFile(dir.file("mesh.mdl"), modelgen::meshModel(2000));
    std::string cmd = "node " + testutil::shellQuote(FETTLE_GLTF_SCRIPT) + " " + FETTLE_GLTF_VALIDATOR;
    for (const char* name : {"house", "seasons", "big", "mesh"}) {
        modkit::MDLObject m;
        located(m, dir.file(std::string(name) + ".mdl"));
        for (GltfFormat f : {GltfFormat::glb, GltfFormat::gltf}) {
            const std::string out = dir.file(std::string(name) + (f == GltfFormat::glb ? ".glb" : ".gltf"));
            modkit::exportGLTF(m, out, {f, {}});
            cmd += " " + out;
        }
    }
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    for (char buf[4096]; size_t n = std::fread(buf, 1, sizeof buf, p);) out.append(buf, n);
    EXPECT_EQ(::pclose(p), 0) << out;
    size_t clean = 0;
    for (size_t at = 0; (at = out.find(": 0 errors, 0 warnings\n", at)) != std::string::npos; ++at) ++clean;
    EXPECT_EQ(clean, 8u) << out;
}
