#pragma once
// The glTF 2.0 export: a model as one mesh for today's 3-D tools, its textures
// as PNG images, its seasonal and night textures as material variants.
#include <cstdint>
#include <string>
#include <vector>

#include "modkit/core/Export.h"
#include "modkit/export/FLTBatch.h"
#include "modkit/lists/TextureGroups.h"
#include "modkit/core/TextureLoadFailure.h"

namespace modkit {

class MDLObject;

enum class GltfFormat {
    glb,   // one binary file, images inside
    gltf,  // JSON, with a .bin buffer and the PNG images beside it
};

struct MODKIT_EXPORT GltfExportOptions {
    GltfFormat format = GltfFormat::glb;
    SeasonSuffixes suffixes;  // names that make a texture a seasonal or night variant
};

// Variant names, in the order an export lists them; a model gets those it has.
inline constexpr const char* kGltfVariantNames[6] = {"summer", "fall", "winter", "hard winter", "spring", "night"};

struct MODKIT_EXPORT GltfExportReport {
    int32_t triangles = 0;
    int32_t primitives = 0;
    std::vector<std::string> variants;  // the variant names written, empty when none
    std::vector<std::string> files;     // every file written, the main one last
    // Textures whose file could not be read or decoded: their triangles keep
    // the material's colour.
    std::vector<TextureLoadFailure> textureFailures;
};

// Writes the model as glTF 2.0 at path (the .glb or .gltf file; with gltf the
// buffer goes beside it as <name>.bin and each texture as its PNG name). One
// mesh with a primitive per material and texture met in drawing order (every
// triangle of the command stream, as the OpenFlight export reads it); a
// seasonal variant drawn in the stream's place of its base counts as the base.
//
// Axes: the model's x east, y up, z north (left-handed) become glTF's right-
// handed, y-up (x, y, -z) for positions and normals, so triangles keep their
// winding and facing and north is -Z. Texture coordinates (u, 1 - v): the
// model counts v from the image's bottom row, glTF from its top. Normals are
// normalised; a zero normal takes its triangles' face normal.
//
// Materials, metallic-roughness: untextured triangles take the diffuse colour
// as base colour (alpha below 1 blends) and the emissive colour; textured ones
// a white base colour times the texture, as the preview draws them. Metallic
// 0. Roughness from Power taken as a Phong exponent, (2 / (Power + 2))^(1/4),
// towards fully rough as the specular colour darkens (fully rough without
// specular colour or power). Ambient has no glTF counterpart and is dropped.
//
// Variants (KHR_materials_variants): the seasons found by name (as the
// texture list editor finds them) among the drawn textures' groups ("fall",
// "winter", "hard winter", "spring"), "night" where a night map is found
// (the base texture with the night map as emissive texture), and with any of
// them "summer", the base textures, so a viewer can switch back. A model
// without seasonal or night textures has no extension.
//
// Errors: a triangle outside the vertex pool, a material or texture index
// outside its list, or a coordinate that is not a finite number raise error
// 100 (source "Modkit.GltfExport"); file errors as writeFileAtomically. Each
// file is written through a temporary one: a failed export leaves existing
// files as they were.
MODKIT_EXPORT GltfExportReport exportGLTF(const MDLObject& model, const std::string& path,
                            const GltfExportOptions& options = GltfExportOptions());

// The PNG file name of a texture: its file name in lower case with the
// extension replaced by ".png" ("Walls.BMP" -> "walls.png").
MODKIT_EXPORT std::string pngNameOf(const std::string& bitmap);

struct MODKIT_EXPORT TexturePngReport {
    std::vector<std::string> files;                 // written, in texture-list order
    std::vector<std::string> missing;               // bitmaps without a located file
    std::vector<TextureLoadFailure> failures;       // files that could not be read
};

// Writes every texture of the model that has a located file as PNG into
// folder, under its PNG name. A texture whose file is already that PNG is left
// as it is; one that cannot be read is reported and costs only itself.
MODKIT_EXPORT TexturePngReport exportTexturesPNG(const MDLObject& model, const std::string& folder);

// A batch of glTF exports (named like the OpenFlight batch, ".glb" or
// ".gltf"): each model's textures are looked for in its folder, then in
// searchFolders; what could not be found or read comes back as warnings.
MODKIT_EXPORT FLTBatch gltfBatch(const std::string& outFolder, const GltfExportOptions& options,
                   const std::vector<std::string>& searchFolders);

}  // namespace modkit
