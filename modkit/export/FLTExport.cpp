// MDLObject::exportFLT: the model's palettes, its vertex pool and one face per
// triangle of its command stream, under a fixed chain of nodes.
#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/export/OpenFlightWriter.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.MDLObject";

}  // namespace

void MDLObject::exportFLT(const std::string& f, const std::string& texFormat, bool saveATTR, float extraRotation) {
    refuseOutputOverInput(f, {MDLPath()}, kSource);
    const auto& materials = *MaterialList();
    const auto& vertices = *VertexList();
    const int32_t vertexCount = vertices.Count();

    OpenFlightWriter w;
    w.createDB(f);
    w.writeHeader();
    w.writeColorPalette(materials);
    w.writeMaterialPalette(materials);
    w.writeTexturePalette(*TextureList(), texFormat, saveATTR);
    w.writeVertexPalette(vertices, extraRotation);

    w.writePushLevel();
    w.writeGroup("g1");
    w.writePushLevel();
    w.writeGroup("g2");
    w.writePushLevel();
    w.writeLOD("lod", 5000.0, 0.0);
    w.writePushLevel();
    w.writeObject("o1");
    w.writePushLevel();

    int16_t material = 0;
    int16_t texture = 0;
    int32_t base = 0;
    int16_t faces = 0;
    const int16_t whiteMaterial = numtext::roundToInt16(materials.Count(), kSource);
    for (const auto& cmd : *BGLCommandList()) {
        switch (cmd->opcode()) {
        case BGLOpcode::SET_MATERIAL:
            material = numtext::toInt16(cmd->param(0), kSource);
            texture = numtext::toInt16(cmd->param(1), kSource);
            break;
        case BGLOpcode::DRAW_TRI_LIST_BEGIN:
            base = numtext::toInt32(cmd->param(0), kSource);
            break;
        case BGLOpcode::DRAW_TRI_LIST_ITEM: {
            if (faces == INT16_MAX) raiseRuntime(err::Overflow, kSource);
            ++faces;
            int32_t v[3];
            for (int i = 0; i < 3; ++i) {
                v[i] = numtext::roundToInt32(numtext::toDouble(cmd->param(i), kSource) + base, kSource);
                // An index past the pool would point the face at bytes that are no vertex.
                if (v[i] < 0 || v[i] >= vertexCount)
                    raiseLibrary(kSource, "Triangle " + numtext::intText(faces) + " refers to vertex " +
                                              numtext::intText(v[i]) + ", but the model has " +
                                              numtext::intText(vertexCount) + " vertices");
            }
            const std::string name = "p" + numtext::intText(faces);
            if (texture != -1) w.writeFace(name, material, texture, whiteMaterial);
            else w.writeFace(name, material, -1, material);
            w.writePushLevel();
            w.writeVertexList(v[0], v[1], v[2]);
            w.writePopLevel();
            pumpEvents();
            break;
        }
        default:
            break;
        }
    }
    for (int i = 0; i < 5; ++i) w.writePopLevel();
    w.closeDB();
}

}  // namespace modkit
