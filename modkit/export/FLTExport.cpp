// MDLObject::exportFLT: the model's palettes, its vertex pool and one face per
// triangle of its command stream, under a fixed chain of nodes.
#include "modkit/bgl/CommandWalk.h"
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

    // Every triangle of the stream, whatever its conditions (no state).
    class Faces : public GeometrySink {
    public:
        Faces(OpenFlightWriter& w, int16_t white, int32_t vertexCount) : w_(w), white_(white), vertexCount_(vertexCount) {}
        void triangle(const WalkTriangle& t) override {
            if (faces_ == INT16_MAX) raiseRuntime(err::Overflow, kSource);
            ++faces_;
            for (int32_t v : t.v)
                // An index past the pool would point the face at bytes that are no vertex.
                if (v < 0 || v >= vertexCount_)
                    raiseLibrary(kSource, "Triangle " + numtext::intText(faces_) + " refers to vertex " +
                                              numtext::intText(v) + ", but the model has " +
                                              numtext::intText(vertexCount_) + " vertices");
            const std::string name = "p" + numtext::intText(faces_);
            const DrawState& s = t.state;
            if (s.texture != -1) w_.writeFace(name, s.material, s.texture, white_);
            else w_.writeFace(name, s.material, -1, s.material);
            w_.writePushLevel();
            w_.writeVertexList(t.v[0], t.v[1], t.v[2]);
            w_.writePopLevel();
            pumpEvents();
        }

    private:
        OpenFlightWriter& w_;
        const int16_t white_;
        const int32_t vertexCount_;
        int16_t faces_ = 0;
    } faces(w, numtext::roundToInt16(materials.Count(), kSource), vertexCount);
    walkCommands(*BGLCommandList(), faces);
    for (int i = 0; i < 5; ++i) w.writePopLevel();
    w.closeDB();
}

}  // namespace modkit
