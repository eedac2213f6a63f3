// Work on the model's textures that needs the command stream: texture sizes
// from the geometry and the seasons coded for a texture.
#include <algorithm>
#include <cmath>
#include <vector>

#include "modkit/bgl/CommandWalk.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {
const char* const kSource = "Modkit.MDLObject";
}

void MDLObject::updateTextureSize() {
    const auto& textures = *textures_;
    const auto& vertices = *vertices_;
    // The members of each group, so that raising a group's size does not scan
    // the whole texture list.
    std::vector<std::vector<std::shared_ptr<Texture>>> members(static_cast<size_t>(textures.Count()) + 1);
    for (const auto& t : textures)
        if (t->parent() >= 1 && t->parent() <= textures.Count()) members[static_cast<size_t>(t->parent())].push_back(t);

    // Each triangle raises the size of its texture's group to the largest ratio
    // of an edge's model length to its texture length.
    class Sizer : public GeometrySink {
    public:
        Sizer(const modkit::TextureList& textures, const modkit::VertexList& vertices,
              const std::vector<std::vector<std::shared_ptr<Texture>>>& members)
            : textures_(textures), vertices_(vertices), members_(members) {}
        void material(const DrawState& s, int32_t) override {
            group_ = s.texture == -1 ? -1 : textures_.Item(s.texture + 1)->parent();
        }
        // Untextured, or no group to size: the triangle is not read.
        bool wantsVertices() const override { return group_ > 0; }
        void triangle(const WalkTriangle& t) override {
            if (group_ <= 0) return;
            Vertex v[3];
            for (int k = 0; k < 3; ++k) v[k] = vertices_.at(t.v[k] + 1);
            const float stored = textures_.Item(group_)->size();
            float best = stored;
            for (int k = 0; k < 3; ++k) {
                const Vertex& a = v[k];
                const Vertex& b = v[(k + 1) % 3];
                const float dx = a.x() - b.x(), dy = a.y() - b.y(), dz = a.z() - b.z();
                const float du = a.tx() - b.tx(), dv = a.ty() - b.ty();
                const auto length = static_cast<float>(std::sqrt(double(dx) * dx + double(dy) * dy + double(dz) * dz));
                const auto uvLength = static_cast<float>(std::sqrt(double(dv) * dv + double(du) * du));
                if (!(uvLength > 0)) continue;
                const auto ratio = static_cast<float>(double(length) / double(uvLength));
                if (ratio > best) best = ratio;
            }
            if (best > stored)
                for (const auto& m : members_[static_cast<size_t>(group_)]) m->setSize(best);
        }

    private:
        const modkit::TextureList& textures_;
        const modkit::VertexList& vertices_;
        const std::vector<std::vector<std::shared_ptr<Texture>>>& members_;
        int32_t group_ = 0;  // 0: before any SET_MATERIAL or a texture without a group; -1: untextured
    } sizer(textures, vertices, members);
    walkCommands(*commands_, sizer);
}

void MDLObject::recalcTextureSizes() {}

seasonalTextures MDLObject::readSeasonalDates(int16_t parent) {
    seasonalTextures r;
    const auto& list = *commands_;
    const std::string dayOfYear = numtext::intText(dayOfYearVariable);
    for (int32_t i = 1; i <= list.Count(); ++i) {
        if (list.opcodeAt(i) != toInt(BGLOpcode::SET_MATERIAL)) continue;
        const double t = numtext::toDouble(list.view(i).param(1), kSource);
        if (t == -1) continue;
        const auto& texture = *textures_->Item(numtext::roundToInt32(t, kSource) + 1);
        if (texture.parent() != parent) continue;
        const auto v = static_cast<int32_t>(texture.textureVariant());
        if (v < 0 || v > 4) raiseRuntime(err::Subscript, kSource);
        const auto V = static_cast<size_t>(v);
        r.active[V] = true;
        // Position 0 is no command: a SET_MATERIAL first in the list has no test.
        const bool tested = i > 1 && list.opcodeAt(i - 1) == toInt(BGLOpcode::IFIN1);
        const BGLCommandView before = tested ? list.view(i - 1) : BGLCommandView();
        if (tested && before.param(1) == dayOfYear) {
            r.dayStart[V] = numtext::toInt16(before.param(2), kSource);
            r.dayEnd[V] = numtext::toInt16(before.param(3), kSource);
        } else {
            r.dayStart[V] = -1;
            r.dayEnd[V] = -1;
        }
    }
    int32_t leastStart = 400, greatestEnd = 0;
    for (size_t j = 0; j < 5; ++j) {
        if (!r.active[j] || r.dayStart[j] == -1) continue;
        leastStart = std::min<int32_t>(leastStart, r.dayStart[j]);
        greatestEnd = std::max<int32_t>(greatestEnd, r.dayEnd[j]);
    }
    if (leastStart == 400) {
        r.active = {};
    } else {
        // The season without a test is the fallback: it fills the gap around the others.
        for (size_t j = 0; j < 5; ++j) {
            if (!r.active[j] || r.dayStart[j] != -1) continue;
            r.dayStart[j] = static_cast<int16_t>(greatestEnd + 1);
            r.dayEnd[j] = static_cast<int16_t>(leastStart - 1);
        }
    }
    return r;
}

}  // namespace modkit
