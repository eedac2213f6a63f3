// The glTF 2.0 export, through tinygltf: the model's triangles by material and
// texture, its textures as PNG, its seasonal and night textures as variants.
#include "modkit/export/GltfExport.h"

#include <stdlib.h>
#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <unordered_map>

#include "modkit/Version.h"
#include "modkit/bgl/CommandWalk.h"
#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/export/TextureDecoder.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.GltfExport";
const char* const kVariants = "KHR_materials_variants";
constexpr int kNight = 5;  // index of "night" in kGltfVariantNames

// Every triangle of the stream, whatever its conditions (no state), to f.
template <class F>
class TriangleSink : public GeometrySink {
public:
    explicit TriangleSink(F f) : f_(std::move(f)) {}
    void triangle(const WalkTriangle& t) override {
        f_(t);
        pumpEvents();
    }

private:
    F f_;
};

// A relative URI reference for a file name: everything but the unreserved
// characters percent-encoded.
std::string uriOf(const std::string& name) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

// The files an export reads: the model and its located textures.
std::vector<std::string> inputsOf(const MDLObject& model) {
    std::vector<std::string> in{model.MDLPath()};
    for (const auto& t : *model.TextureList())
        if (!t->file().empty()) in.push_back(t->file());
    return in;
}

// Whether a PNG written at path would replace an input other than its own texture.
bool overOtherInput(const std::string& path, const std::string& own, const std::vector<std::string>& inputs) {
    return std::any_of(inputs.begin(), inputs.end(),
                       [&](const std::string& in) { return sameFile(path, in) && !sameFile(in, own); });
}

double unit(float v) { return std::clamp(static_cast<double>(v), 0.0, 1.0); }

// The one buffer, made on first use; views start on 4-byte boundaries.
class BufferBuilder {
public:
    explicit BufferBuilder(tinygltf::Model& m) : m_(m) {}

    int view(const void* bytes, size_t size, int target) {
        if (m_.buffers.empty()) m_.buffers.emplace_back();
        auto& data = m_.buffers[0].data;
        data.resize((data.size() + 3) & ~size_t(3), 0);
        tinygltf::BufferView v;
        v.buffer = 0;
        v.byteOffset = data.size();
        v.byteLength = size;
        v.target = target;
        const auto* p = static_cast<const unsigned char*>(bytes);
        data.insert(data.end(), p, p + size);
        m_.bufferViews.push_back(v);
        return static_cast<int>(m_.bufferViews.size() - 1);
    }

    int accessor(int view, int componentType, int type, size_t count) {
        tinygltf::Accessor a;
        a.bufferView = view;
        a.componentType = componentType;
        a.type = type;
        a.count = count;
        m_.accessors.push_back(a);
        return static_cast<int>(m_.accessors.size() - 1);
    }

private:
    tinygltf::Model& m_;
};

// name, or name with "-2", "-3", ... before ".png" when taken.
template <class Taken>
std::string uniquePngName(const std::string& name, Taken&& taken) {
    std::string out = name;
    for (int k = 2; taken(out); ++k) out = name.substr(0, name.size() - 4) + "-" + std::to_string(k) + ".png";
    return out;
}

// Builds the glTF model of one MDL model.
class GltfBuilder {
public:
    // pngFolder: where the PNGs will be written (empty when they go inside).
    GltfBuilder(const MDLObject& model, const GltfExportOptions& options, std::string pngFolder,
                GltfExportReport& report)
        : model_(model), options_(options), pngFolder_(std::move(pngFolder)), inputs_(inputsOf(model)),
          report_(report), buf_(m_) {}

    tinygltf::Model build(const std::string& name);

    // The PNG of each texture loaded (in GLB) or named (in .gltf): texture
    // position (0-based) to its PNG bytes and name.
    struct Png {
        std::string name, bytes, source;
    };
    const std::vector<Png>& pngs() const { return pngs_; }

private:
    struct Primitive {
        int32_t material, texture;
        std::vector<uint32_t> indices;
    };

    struct Attributes {
        int position = -1, normal = -1, texcoord = -1;
    };

    std::vector<Primitive> primitives();
    void readVertices();
    void fixNormals(const std::vector<Primitive>& prims);
    Attributes attributes(const std::vector<Primitive>& prims);
    int indices(const std::vector<uint32_t>& idx);
    tinygltf::Value::Array variantList(const std::vector<Primitive>& prims);
    int gltfTexture(int32_t texture);
    int material(int32_t mat, int32_t texture, int32_t emissive);
    void addVariants(tinygltf::Primitive& p, const Primitive& prim);

    const MDLObject& model_;
    const GltfExportOptions& options_;
    const std::string pngFolder_;
    const std::vector<std::string> inputs_;
    GltfExportReport& report_;
    tinygltf::Model m_;
    BufferBuilder buf_;

    std::vector<float> positions_, normals_, uvs_;
    std::vector<bool> badNormal_;
    std::map<int32_t, int> textures_;  // texture position -> glTF texture, -1 when unreadable
    std::vector<Png> pngs_;
    std::map<std::tuple<int32_t, int32_t, int32_t>, int> materials_;

    // Variants: the texture groups by name, and each variant's index in the
    // extension's list (-1 when the model has none).
    modkit::TextureList groupList_;
    TextureGroups groups_;
    std::array<int, 6> variantIndex_{-1, -1, -1, -1, -1, -1};
};

void GltfBuilder::readVertices() {
    const auto& list = *model_.VertexList();
    const size_t n = static_cast<size_t>(list.Count());
    positions_.resize(n * 3);
    normals_.resize(n * 3);
    uvs_.resize(n * 2);
    badNormal_.assign(n, false);
    size_t i = 0;
    for (int32_t k = 1; k <= list.Count(); ++k) {
        const Vertex v = list.at(k);
        const float p[8] = {v.x(), v.y(), -v.z(), v.nx(), v.ny(), -v.nz(), v.tx(), 1.0f - v.ty()};
        for (float c : p)
            if (!std::isfinite(c))
                raiseLibrary(kSource, "Vertex " + numtext::intText(static_cast<int64_t>(i)) +
                                          " has a coordinate that is not a finite number");
        std::memcpy(&positions_[i * 3], p, sizeof(float) * 3);
        const double len = std::sqrt(double(p[3]) * p[3] + double(p[4]) * p[4] + double(p[5]) * p[5]);
        if (len > 1e-12) {
            for (int k = 0; k < 3; ++k) normals_[i * 3 + k] = static_cast<float>(p[3 + k] / len);
        } else {
            badNormal_[i] = true;
        }
        uvs_[i * 2] = p[6];
        uvs_[i * 2 + 1] = p[7];
        ++i;
    }
}

// A zero normal becomes the sum of its triangles' face normals; up when none.
void GltfBuilder::fixNormals(const std::vector<Primitive>& prims) {
    if (std::find(badNormal_.begin(), badNormal_.end(), true) == badNormal_.end()) return;
    std::vector<double> sum(normals_.size(), 0.0);
    for (const Primitive& p : prims) {
        for (size_t t = 0; t + 2 < p.indices.size(); t += 3) {
            const uint32_t* v = &p.indices[t];
            if (!badNormal_[v[0]] && !badNormal_[v[1]] && !badNormal_[v[2]]) continue;
            double e[2][3];
            for (int k = 0; k < 3; ++k) {
                e[0][k] = double(positions_[v[1] * 3 + k]) - positions_[v[0] * 3 + k];
                e[1][k] = double(positions_[v[2] * 3 + k]) - positions_[v[0] * 3 + k];
            }
            const double n[3] = {e[0][1] * e[1][2] - e[0][2] * e[1][1], e[0][2] * e[1][0] - e[0][0] * e[1][2],
                                 e[0][0] * e[1][1] - e[0][1] * e[1][0]};
            for (int c = 0; c < 3; ++c)
                if (badNormal_[v[c]])
                    for (int k = 0; k < 3; ++k) sum[v[c] * 3 + k] += n[k];
        }
    }
    for (size_t i = 0; i < badNormal_.size(); ++i) {
        if (!badNormal_[i]) continue;
        double* s = &sum[i * 3];
        const double len = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
        const bool ok = len > 1e-30 && std::isfinite(len);
        for (int k = 0; k < 3; ++k) normals_[i * 3 + k] = ok ? static_cast<float>(s[k] / len) : (k == 1 ? 1.0f : 0.0f);
    }
}

// The glTF texture of a model texture (0-based), made on first use; -1 when
// the texture has no file or its file cannot be read.
int GltfBuilder::gltfTexture(int32_t texture) {
    auto found = textures_.find(texture);
    if (found != textures_.end()) return found->second;
    int& out = textures_[texture];
    out = -1;
    const auto t = model_.TextureList()->Item(texture + 1);
    if (t->file().empty()) return out;
    auto taken = [&](const std::string& n) {
        return std::any_of(pngs_.begin(), pngs_.end(), [&](const Png& p) { return p.name == n; }) ||
               (!pngFolder_.empty() && overOtherInput(joinPath(pngFolder_, n), t->file(), inputs_));
    };
    Png png{uniquePngName(pngNameOf(t->bitmap()), taken), {}, t->file()};
    try {
        png.bytes = decodeTexturePng(t->file());
    } catch (const Error& e) {
        report_.textureFailures.push_back({t->file(), e});
        return out;
    }
    tinygltf::Image image;
    image.name = png.name;
    image.mimeType = "image/png";
    if (options_.format == GltfFormat::glb) {
        image.bufferView = buf_.view(png.bytes.data(), png.bytes.size(), 0);
    } else {
        image.uri = uriOf(png.name);
    }
    m_.images.push_back(image);
    pngs_.push_back(std::move(png));
    if (m_.samplers.empty()) {
        tinygltf::Sampler s;
        s.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
        s.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR_MIPMAP_LINEAR;
        m_.samplers.push_back(s);
    }
    tinygltf::Texture tex;
    tex.sampler = 0;
    tex.source = static_cast<int>(m_.images.size() - 1);
    m_.textures.push_back(tex);
    out = static_cast<int>(m_.textures.size() - 1);
    return out;
}

// The glTF material for a model material with a base texture and an emissive
// (night) texture, each -1 for none.
int GltfBuilder::material(int32_t mat, int32_t texture, int32_t emissive) {
    const int base = texture >= 0 ? gltfTexture(texture) : -1;
    const int glow = emissive >= 0 ? gltfTexture(emissive) : -1;
    const auto key = std::make_tuple(mat, base, glow);
    auto found = materials_.find(key);
    if (found != materials_.end()) return found->second;

    const auto m = model_.MaterialList()->Item(mat + 1);
    tinygltf::Material g;
    g.name = "MATE" + std::string(mat < 10 ? "0" : "") + std::to_string(mat);
    if (base >= 0) g.name += " " + model_.TextureList()->Item(texture + 1)->bitmap();
    if (glow >= 0) g.name += " night";
    auto& pbr = g.pbrMetallicRoughness;
    pbr.metallicFactor = 0;
    const auto& specular = *m->Specular();
    const double shine = std::max({unit(specular.r()), unit(specular.g()), unit(specular.b())});
    const double rough = m->Power() > 0 ? std::pow(2.0 / (double(m->Power()) + 2.0), 0.25) : 1.0;
    pbr.roughnessFactor = std::clamp(1.0 - shine * (1.0 - rough), 0.0, 1.0);
    if (base >= 0) {
        // As the preview: the texture alone colours the surface.
        pbr.baseColorTexture.index = base;
    } else {
        const auto& d = *m->Diffuse();
        pbr.baseColorFactor = {unit(d.r()), unit(d.g()), unit(d.b()), unit(d.a())};
        if (d.a() < 1) g.alphaMode = "BLEND";
        const auto& e = *m->Emmisive();
        g.emissiveFactor = {unit(e.r()), unit(e.g()), unit(e.b())};
    }
    if (glow >= 0) {
        g.emissiveTexture.index = glow;
        g.emissiveFactor = {1.0, 1.0, 1.0};
    }
    m_.materials.push_back(g);
    const int index = static_cast<int>(m_.materials.size() - 1);
    materials_.emplace(key, index);
    return index;
}

void GltfBuilder::addVariants(tinygltf::Primitive& p, const Primitive& prim) {
    if (prim.texture < 0) return;
    const int16_t base = static_cast<int16_t>(prim.texture + 1);
    const auto seasons = TextureGroups::seasonPositions(groupList_, base);
    const int16_t night = groups_.nightPosition(groupList_, base);
    std::map<int, std::vector<int>> byMaterial;  // glTF material -> variants choosing it
    for (int v = 0; v < 6; ++v) {
        if (variantIndex_[static_cast<size_t>(v)] < 0) continue;
        int chosen = p.material;
        if (v >= 1 && v <= 4 && seasons[static_cast<size_t>(v)] > 0)
            chosen = material(prim.material, seasons[static_cast<size_t>(v)] - 1, -1);
        else if (v == kNight && night > 0)
            chosen = material(prim.material, prim.texture, night - 1);
        byMaterial[chosen].push_back(variantIndex_[static_cast<size_t>(v)]);
    }
    if (byMaterial.size() == 1 && byMaterial.begin()->first == p.material) return;  // no variant of its own
    tinygltf::Value::Array mappings;
    for (const auto& [mat, variants] : byMaterial) {
        tinygltf::Value::Array list;
        for (int v : variants) list.emplace_back(v);
        mappings.emplace_back(tinygltf::Value::Object{{"material", tinygltf::Value(mat)},
                                                      {"variants", tinygltf::Value(std::move(list))}});
    }
    p.extensions[kVariants] = tinygltf::Value(tinygltf::Value::Object{{"mappings", tinygltf::Value(std::move(mappings))}});
}

// The model's triangles grouped by material and texture in drawing order; a
// seasonal variant counts as its base.
std::vector<GltfBuilder::Primitive> GltfBuilder::primitives() {
    const int32_t materialCount = model_.MaterialList()->Count();
    const int32_t textureCount = model_.TextureList()->Count();
    const int32_t vertexCount = model_.VertexList()->Count();
    std::vector<Primitive> prims;
    std::unordered_map<int64_t, size_t> primOf;
    TriangleSink sink([&](const WalkTriangle& t) {
        auto refuse = [&](const char* what, int32_t index, int32_t count) {
            raiseLibrary(kSource, "Triangle " + numtext::intText(report_.triangles + 1) + " uses " + what + " " +
                                      numtext::intText(index) + ", but the model has " + numtext::intText(count));
        };
        for (int32_t v : t.v)
            if (v < 0 || v >= vertexCount) refuse("vertex", v, vertexCount);
        const int32_t mat = t.state.material;
        int32_t tex = t.state.texture;
        if (mat < 0 || mat >= materialCount) refuse("material", mat, materialCount);
        if (tex < -1 || tex >= textureCount) refuse("texture", tex, textureCount);
        if (tex >= 0 && groups_.roleOf(tex + 1) == TextureGroups::Role::seasonal)
            tex = groupList_.Item(tex + 1)->parent() - 1;
        const int64_t key = (int64_t(mat) << 32) | uint32_t(tex);
        auto [it, added] = primOf.try_emplace(key, prims.size());
        if (added) prims.push_back({mat, tex, {}});
        auto& idx = prims[it->second].indices;
        idx.insert(idx.end(), {uint32_t(t.v[0]), uint32_t(t.v[1]), uint32_t(t.v[2])});
        ++report_.triangles;
    });
    walkCommands(*model_.BGLCommandList(), sink);
    report_.primitives = static_cast<int32_t>(prims.size());
    return prims;
}

// The vertex pool's positions (with their bounds), normals and, when a
// primitive has a texture, texture coordinates.
GltfBuilder::Attributes GltfBuilder::attributes(const std::vector<Primitive>& prims) {
    fixNormals(prims);
    const size_t n = positions_.size() / 3;
    auto floats = [&](const std::vector<float>& v, int type) {
        return buf_.accessor(buf_.view(v.data(), v.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER),
                             TINYGLTF_COMPONENT_TYPE_FLOAT, type, n);
    };
    Attributes a;
    a.position = floats(positions_, TINYGLTF_TYPE_VEC3);
    auto& pa = m_.accessors[static_cast<size_t>(a.position)];
    pa.minValues = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    pa.maxValues = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (size_t i = 0; i < n; ++i)
        for (size_t k = 0; k < 3; ++k) {
            pa.minValues[k] = std::min(pa.minValues[k], double(positions_[i * 3 + k]));
            pa.maxValues[k] = std::max(pa.maxValues[k], double(positions_[i * 3 + k]));
        }
    a.normal = floats(normals_, TINYGLTF_TYPE_VEC3);
    if (std::any_of(prims.begin(), prims.end(), [](const Primitive& p) { return p.texture >= 0; }))
        a.texcoord = floats(uvs_, TINYGLTF_TYPE_VEC2);
    return a;
}

// The primitive's indices as the smallest type that holds every index below
// its restart value.
int GltfBuilder::indices(const std::vector<uint32_t>& idx) {
    const uint32_t top = *std::max_element(idx.begin(), idx.end());
    int view, type;
    if (top < 0xFF) {
        std::vector<uint8_t> v(idx.begin(), idx.end());
        view = buf_.view(v.data(), v.size(), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE;
    } else if (top < 0xFFFF) {
        std::vector<uint16_t> v(idx.begin(), idx.end());
        view = buf_.view(v.data(), v.size() * 2, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
    } else {
        view = buf_.view(idx.data(), idx.size() * 4, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
        type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
    }
    return buf_.accessor(view, type, TINYGLTF_TYPE_SCALAR, idx.size());
}

// The variants the drawn textures' groups have, in the order of their names;
// sets variantIndex_.
tinygltf::Value::Array GltfBuilder::variantList(const std::vector<Primitive>& prims) {
    bool any = false;
    for (const Primitive& p : prims) {
        if (p.texture < 0) continue;
        const int16_t base = static_cast<int16_t>(p.texture + 1);
        const auto s = TextureGroups::seasonPositions(groupList_, base);
        for (size_t v = 1; v <= 4; ++v)
            if (s[v] > 0) variantIndex_[v] = 0, any = true;
        if (groups_.nightPosition(groupList_, base) > 0) variantIndex_[kNight] = 0, any = true;
    }
    if (any) variantIndex_[0] = 0;  // the base textures serve summer
    tinygltf::Value::Array list;
    for (size_t v = 0; v < 6; ++v) {
        if (variantIndex_[v] < 0) continue;
        variantIndex_[v] = static_cast<int>(list.size());
        list.emplace_back(tinygltf::Value::Object{{"name", tinygltf::Value(std::string(kGltfVariantNames[v]))}});
        report_.variants.push_back(kGltfVariantNames[v]);
    }
    return list;
}

tinygltf::Model GltfBuilder::build(const std::string& name) {
    m_.asset.version = "2.0";
    m_.asset.generator = std::string("Fettle II ") + versionText;
    readVertices();
    // The texture groups by name, on copies: the model's own textures keep
    // the parents and variants they have.
    for (const auto& t : *model_.TextureList()) {
        auto copy = std::make_shared<Texture>();
        copy->setBitmap(t->bitmap());
        groupList_.Add(copy);
    }
    groups_.setSuffixes(options_.suffixes);
    groups_.recognise(groupList_);

    const std::vector<Primitive> prims = primitives();
    tinygltf::Scene scene;
    scene.name = name;
    if (!prims.empty()) {
        const Attributes a = attributes(prims);
        tinygltf::Value::Array variants = variantList(prims);
        tinygltf::Mesh mesh;
        mesh.name = name;
        for (const Primitive& prim : prims) {
            tinygltf::Primitive p;
            p.mode = TINYGLTF_MODE_TRIANGLES;
            p.indices = indices(prim.indices);
            p.attributes = {{"POSITION", a.position}, {"NORMAL", a.normal}};
            if (prim.texture >= 0) p.attributes["TEXCOORD_0"] = a.texcoord;
            p.material = material(prim.material, prim.texture, -1);
            if (!variants.empty()) addVariants(p, prim);
            mesh.primitives.push_back(std::move(p));
        }
        if (!variants.empty()) {
            m_.extensionsUsed.push_back(kVariants);
            m_.extensions[kVariants] =
                tinygltf::Value(tinygltf::Value::Object{{"variants", tinygltf::Value(std::move(variants))}});
        }
        m_.meshes.push_back(std::move(mesh));
        tinygltf::Node node;
        node.name = name;
        node.mesh = 0;
        m_.nodes.push_back(node);
        scene.nodes.push_back(0);
    }
    m_.scenes.push_back(scene);
    m_.defaultScene = 0;
    return std::move(m_);
}

// The .gltf text of a model whose buffer and images name their files: tinygltf
// writes it beside its buffer file, into a private folder next to the output.
std::string gltfText(tinygltf::Model& model, const std::string& folder, const std::string& name) {
    std::string tmpl = joinPath(folder.empty() ? "." : folder, "." + name + ".XXXXXX");
    if (!::mkdtemp(tmpl.data())) raiseFromErrno(errno, kSource);
    struct Remove {
        std::string dir;
        ~Remove() {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    } remove{tmpl};
    tinygltf::TinyGLTF writer;
    writer.SetImageWriter(nullptr, nullptr);  // the PNGs are written by the caller
    const std::string file = tmpl + "/model.gltf";
    if (!writer.WriteGltfSceneToFile(&model, file, false, false, true, false))
        raiseLibrary(kSource, "The glTF file could not be written");
    std::string text = readFileBytes(file, kSource);
    if (text.empty()) raiseRuntime(err::DiskFull, kSource);
    return text;
}

}  // namespace

std::string pngNameOf(const std::string& bitmap) {
    std::string name = lowerCase(fileNameOf(bitmap));
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    if (name.empty() || name == "." || name == "..") name = "texture";
    return name + ".png";
}

GltfExportReport exportGLTF(const MDLObject& model, const std::string& path, const GltfExportOptions& options) {
    GltfExportReport report;
    const std::string folder = folderOf(path);
    std::string stem = fileNameOf(path);
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0) stem.erase(dot);

    const std::vector<std::string> inputs = inputsOf(model);
    refuseOutputOverInput(path, inputs, kSource);
    const bool glb = options.format == GltfFormat::glb;
    const std::string bin = stem + ".bin";
    if (!glb) refuseOutputOverInput(joinPath(folder, bin), inputs, kSource);

    GltfBuilder builder(model, options, glb ? std::string() : (folder.empty() ? "." : folder), report);
    tinygltf::Model gltf = builder.build(stem);

    if (glb) {
        std::ostringstream out;
        tinygltf::TinyGLTF writer;
        if (!writer.WriteGltfSceneToStream(&gltf, out, false, true))
            raiseLibrary(kSource, "The glTF file could not be written");
        writeFileAtomically(path, out.str(), kSource);
        report.files.push_back(path);
        return report;
    }

    if (!gltf.buffers.empty()) gltf.buffers[0].uri = uriOf(bin);
    const std::string text = gltfText(gltf, folder, stem);
    if (!gltf.buffers.empty()) {
        const auto& data = gltf.buffers[0].data;
        const std::string binPath = joinPath(folder, bin);
        writeFileAtomically(binPath, std::string(data.begin(), data.end()), kSource);
        report.files.push_back(binPath);
    }
    for (const auto& png : builder.pngs()) {
        const std::string pngPath = joinPath(folder, png.name);
        if (!sameFile(pngPath, png.source)) writeFileAtomically(pngPath, png.bytes, kSource);
        report.files.push_back(pngPath);
    }
    writeFileAtomically(path, text, kSource);
    report.files.push_back(path);
    return report;
}

TexturePngReport exportTexturesPNG(const MDLObject& model, const std::string& folder) {
    TexturePngReport report;
    const std::vector<std::string> inputs = inputsOf(model);
    std::map<std::string, std::string> written;  // PNG path -> its texture file
    for (const auto& t : *model.TextureList()) {
        if (t->file().empty()) {
            if (!t->bitmap().empty()) report.missing.push_back(t->bitmap());
            continue;
        }
        if (std::any_of(written.begin(), written.end(), [&](const auto& w) { return sameFile(w.second, t->file()); }))
            continue;  // listed twice
        const std::string out = joinPath(folder, uniquePngName(pngNameOf(t->bitmap()), [&](const std::string& n) {
                                             const std::string at = joinPath(folder, n);
                                             return written.count(at) > 0 || overOtherInput(at, t->file(), inputs);
                                         }));
        std::string bytes;
        try {
            bytes = decodeTexturePng(t->file());
        } catch (const Error& e) {
            report.failures.push_back({t->file(), e});
            continue;
        }
        if (!sameFile(out, t->file())) writeFileAtomically(out, bytes, kSource);
        written[out] = t->file();
        report.files.push_back(out);
    }
    return report;
}

FLTBatch gltfBatch(const std::string& outFolder, const GltfExportOptions& options,
                   const std::vector<std::string>& searchFolders) {
    const std::string extension = options.format == GltfFormat::glb ? ".glb" : ".gltf";
    return FLTBatch(outFolder, extension, [options, searchFolders](MDLObject& m, const std::string& output) {
        std::vector<std::string> warnings;
        for (const std::string& b : locateTextureFiles(*m.TextureList(), folderOf(m.MDLPath()), searchFolders))
            warnings.push_back("could not locate texture file \"" + b + "\"");
        const GltfExportReport r = exportGLTF(m, output, options);
        for (const auto& f : r.textureFailures)
            warnings.push_back("Error " + std::to_string(f.error.number()) + " (" + f.error.description() +
                               "): its triangles keep their colour");
        return warnings;
    });
}

}  // namespace modkit
