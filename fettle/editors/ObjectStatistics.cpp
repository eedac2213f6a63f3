#include "editors/ObjectStatistics.h"

#include "modkit/bgl/CommandWalk.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "shell/ConfigFunctions.h"

namespace fettle {
namespace nt = modkit::numtext;

modkit::SeasonSuffixes seasonSuffixes(const ConfigFunctions& config) {
    // By textureVariant: summer, autumn, winter, heavy winter, spring.
    static const char* const names[5] = {"TexSufSU", "TexSufFA", "TexSufWI", "TexSufHW", "TexSufSP"};
    modkit::SeasonSuffixes s;
    for (size_t j = 0; j < 5; ++j) {
        s.suffix[j] = config.text(names[j]);
        s.dayStart[j] = config.attribute(names[j], "start");
        s.dayEnd[j] = config.attribute(names[j], "end");
    }
    s.night = config.text("TexSufLM");
    return s;
}

ObjectStatistics objectStatistics(const modkit::MDLObject& m, const modkit::SeasonSuffixes& suffixes) {
    ObjectStatistics s;
    s.vertices = m.VertexList()->Count();
    s.materials = m.MaterialList()->Count();
    s.triangles = static_cast<int>(modkit::countTriangles(*m.BGLCommandList()));
    const modkit::BGLCommandList& commands = *m.BGLCommandList();
    for (int k = 1; k <= commands.Count(); ++k)
        if (commands.opcodeAt(k) == modkit::toInt(modkit::BGLOpcode::SET_MATERIAL)) ++s.stateChanges;
    const modkit::TextureList& textures = *m.TextureList();
    s.textures = textures.Count();
    modkit::TextureList copy;
    for (const auto& t : textures) copy.Add(std::make_shared<modkit::Texture>(*t));
    modkit::TextureGroups groups(suffixes);
    try {
        groups.recognise(copy);
    } catch (const modkit::Error&) {
        // More textures than 16-bit positions reach: none counts as a variant.
        for (const auto& t : copy) t->setTextureVariant(modkit::textureVariant::summer);
    }
    for (const auto& t : copy) {
        if (t->textureType() == static_cast<int32_t>(modkit::textureType::TEXTURE2_NIGHT)) ++s.night;
        else if (t->textureVariant() != modkit::textureVariant::summer) ++s.seasonal;
        else if (t->textureType() != static_cast<int32_t>(modkit::textureType::TEXTURE_BUILDING)) ++s.other;
    }
    return s;
}

std::string creationToolText(const std::string& isft) { return isft.substr(0, isft.find('\0')); }

std::string creationToolBody(const std::string& text, const std::string& oldIsft) {
    const size_t nul = oldIsft.find('\0');
    return text + (nul == std::string::npos ? std::string() : oldIsft.substr(nul));
}

}  // namespace fettle
