#include "modkit/lists/TextureGroups.h"

#include <cmath>
#include <unordered_map>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/core/Error.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.TextureList";
constexpr int32_t kNightType = static_cast<int32_t>(textureType::TEXTURE2_NIGHT);

// A day of the year as typed: a whole number 1..365.
bool dayOf(const std::string& text, int& out) {
    if (!numtext::isNumber(text)) return false;
    const double v = numtext::toDouble(text);
    if (v != std::floor(v) || v < 1 || v > 365) return false;
    out = static_cast<int>(v);
    return true;
}

// A day field for the record: its whole number, 0 when it holds none.
int16_t recordDay(const std::string& text) {
    if (!numtext::isNumber(text)) return 0;
    const double v = numtext::toDouble(text);
    if (v != std::floor(v) || v < -32768 || v > 32767) return 0;
    return static_cast<int16_t>(v);
}

// A colour component as typed, rounded and held to 0..255.
int16_t componentOf(const std::string& text) {
    const double v = numtext::toDouble(text, kSource);
    if (!(v > 0)) return 0;
    if (v > 255) return 255;
    return numtext::roundToInt16(v, kSource);
}

bool finiteNumber(const std::string& text, double& out) {
    if (!numtext::isNumber(text)) return false;
    out = numtext::toDouble(text);
    return std::isfinite(out);
}

}  // namespace

TextureGroups::TextureGroups(SeasonSuffixes suffixes) : suffixes_(std::move(suffixes)) {}

std::string TextureGroups::variantName(const std::string& baseBitmap, const std::string& suffix) {
    const std::string name = lowerCase(baseBitmap), ext = ".bmp", with = lowerCase(suffix) + ext;
    std::string out;
    size_t from = 0;
    for (size_t at; (at = name.find(ext, from)) != std::string::npos; from = at + ext.size()) {
        out.append(name, from, at - from);
        out += with;
    }
    out.append(name, from, std::string::npos);
    return out;
}

void TextureGroups::recognise(modkit::TextureList& list) {
    if (list.Count() > 32767) raiseRuntime(err::Overflow, "Modkit.TextureList");
    struct Match {
        int16_t base;
        int variant;  // 1..4, or 0 for the night map
    };
    // Names the bases seen so far give their variants; the earliest base wins.
    std::unordered_map<std::string, Match> variants;
    roles_.assign(static_cast<size_t>(list.Count()), Role::base);
    bases_.clear();
    int16_t i = 0;
    for (const auto& t : list) {
        ++i;
        auto it = variants.find(lowerCase(t->bitmap()));
        if (it != variants.end()) {
            t->setParent(it->second.base);
            if (it->second.variant > 0) {
                t->setTextureVariant(static_cast<textureVariant>(it->second.variant));
                roles_[static_cast<size_t>(i - 1)] = Role::seasonal;
            } else {
                roles_[static_cast<size_t>(i - 1)] = Role::night;
            }
            continue;
        }
        t->setParent(i);
        t->setTextureVariant(textureVariant::summer);
        bases_.push_back(i);
        const std::string own = lowerCase(t->bitmap());
        auto offer = [&](const std::string& suffix, int variant) {
            std::string name = variantName(own, suffix);
            if (name == own) return;  // never a variant of itself
            auto [it, added] = variants.try_emplace(std::move(name), Match{i, variant});
            if (!added && it->second.base == i && variant > 0) it->second.variant = variant;  // the later season wins
        };
        for (int v = 1; v <= 4; ++v) offer(suffixes_.suffix[static_cast<size_t>(v)], v);
        offer(suffixes_.night, 0);
    }
}

TextureGroups::Role TextureGroups::roleOf(int position) const {
    if (position < 1 || static_cast<size_t>(position) > roles_.size()) raiseRuntime(err::InvalidCall, kSource);
    return roles_[static_cast<size_t>(position - 1)];
}

std::array<int16_t, 5> TextureGroups::seasonPositions(const TextureList& list, int16_t base) {
    std::array<int16_t, 5> out{};
    out[0] = base;
    for (int16_t v = 1; v <= 4; ++v) out[static_cast<size_t>(v)] = list.findTextureIndex(base, v);
    return out;
}

int16_t TextureGroups::nightPosition(const TextureList& list, int16_t base) const {
    const std::string own = lowerCase(list.Item(base)->bitmap());
    const std::string night = variantName(own, suffixes_.night);
    if (night == own) return 0;
    int16_t i = 0;
    for (const auto& t : list) {
        ++i;
        if (i != base && t->parent() == base && lowerCase(t->bitmap()) == night) return i;
    }
    return 0;
}

bool TextureGroups::canHaveVariants(const TextureList& list, int16_t base) {
    return lowerCase(list.Item(base)->bitmap()).find(".bmp") != std::string::npos;
}

std::string TextureGroups::seasonCheck(const std::array<bool, 5>& checked, const std::array<std::string, 5>& dayStart,
                                       const std::array<std::string, 5>& dayEnd) {
    std::vector<size_t> seasons;
    for (size_t j = 0; j < 5; ++j)
        if (checked[j]) seasons.push_back(j);
    if (seasons.size() < 2) return {};
    std::array<int, 5> start{}, end{};
    for (size_t j : seasons)
        if (!dayOf(dayStart[j], start[j]) || !dayOf(dayEnd[j], end[j])) return seasonGap;
    // The seasons form a ring: the first follows the last.
    for (size_t k = 0; k < seasons.size(); ++k) {
        const size_t j = seasons[k], before = seasons[(k + seasons.size() - 1) % seasons.size()];
        const bool follows = start[j] == end[before] + 1 || (end[before] == 365 && start[j] == 1);
        if (!follows) return seasonGap;
    }
    return {};
}

std::string TextureGroups::fieldCheck(const TextureList& list, const TextureUpdate& u) const {
    if (u.position < 1 || u.position > list.Count()) return fieldsInvalid;
    double v = 0;
    for (const auto& c : u.rgb)
        if (!finiteNumber(c, v)) return fieldsInvalid;
    if (!finiteNumber(u.size, v) || v < 0) return fieldsInvalid;
    try {
        numtext::toSingle(u.size);
    } catch (const Error&) {
        return fieldsInvalid;  // beyond the single range
    }
    if (static_cast<size_t>(u.position) > roles_.size() || roleOf(u.position) != Role::base) return {};

    const auto positions = seasonPositions(list, u.position);
    std::vector<std::string> newNames;
    for (size_t j = 1; j < 5; ++j)
        if (u.seasons[j] && positions[j] == 0) newNames.push_back(suffixes_.suffix[j]);
    if (u.night && nightPosition(list, u.position) == 0) newNames.push_back(suffixes_.night);
    if (newNames.empty()) return {};
    const std::string& bitmap = list.Item(u.position)->bitmap();
    if (!canHaveVariants(list, u.position))
        return "Seasonal and night textures are named after a \".bmp\" file name, which " + bitmap + " does not have.";
    for (const auto& suffix : newNames) {
        const std::string name = upperCase(variantName(bitmap, suffix));
        if (name == upperCase(bitmap))
            return "A seasonal or night texture suffix is empty; set one in the options to name the new texture.";
        if (name.size() > 64) return "The texture name " + name + " would be longer than 64 characters.";
    }
    return {};
}

int16_t TextureGroups::addVariant(TextureList& list, BGLCommandList& commands, int16_t base, int v) const {
    const Texture& b = *list.Item(base);
    const std::string& suffix = v == 0 ? suffixes_.night : suffixes_.suffix[static_cast<size_t>(v)];
    auto t = std::make_shared<Texture>();
    t->setBitmap(upperCase(variantName(b.bitmap(), suffix)));
    t->setTextureType(v == 0 ? kNightType : b.textureType());
    t->setColor(std::make_shared<Color>(*b.Color()));
    t->setSize(b.size());
    t->setTextureVariant(v == 0 ? textureVariant::summer : static_cast<textureVariant>(v));
    t->setParent(base);

    int32_t last = base, i = 0;
    for (const auto& other : list) {
        ++i;
        if (other->parent() == base) last = i;
    }
    const int32_t at = last + 1;
    if (at > list.Count()) list.Add(t);
    else list.Add(t, std::string(), at);
    // Groups behind the new texture moved one place on.
    for (const auto& other : list)
        if (other != t && other->parent() >= at) other->setParent(static_cast<int16_t>(other->parent() + 1));
    // The new texture's 0-based index is at - 1: references from there on move up.
    commands.updateMaterial(at - 1);
    return static_cast<int16_t>(at);
}

void TextureGroups::removeVariant(TextureList& list, BGLCommandList& commands, int16_t position) {
    list.Remove(position);
    for (const auto& other : list)
        if (other->parent() > position) other->setParent(static_cast<int16_t>(other->parent() - 1));
    commands.updateMaterial(position, true);
}

seasonalTextures TextureGroups::seasonalRecord(const TextureList& list, int16_t base, const TextureUpdate& u) {
    seasonalTextures r;
    const auto positions = seasonPositions(list, base);
    for (size_t j = 0; j < 5; ++j) {
        r.Material[j] = static_cast<int16_t>(positions[j] - 1);  // 0-based; -1 for none
        r.dayStart[j] = recordDay(u.dayStart[j]);
        r.dayEnd[j] = recordDay(u.dayEnd[j]);
        r.active[j] = u.seasons[j] && positions[j] != 0;
    }
    return r;
}

void TextureGroups::applyUpdate(TextureList& list, BGLCommandList& commands, const TextureUpdate& u) {
    if (u.position < 1 || u.position > list.Count()) raiseRuntime(err::InvalidCall, kSource);
    if (roles_.size() != static_cast<size_t>(list.Count())) recognise(list);
    const std::array<int16_t, 3> rgb{componentOf(u.rgb[0]), componentOf(u.rgb[1]), componentOf(u.rgb[2])};
    const float size = numtext::toSingle(u.size, kSource);
    auto store = [&](Texture& t, bool withType) {
        t.Color()->setRi(rgb[0]);
        t.Color()->setGi(rgb[1]);
        t.Color()->setBi(rgb[2]);
        t.setSize(size);
        if (!withType || u.typeName.empty()) return;
        if (int32_t type = t.getTypeVal(u.typeName); type != 0) t.setTextureType(type);
    };
    if (roleOf(u.position) != Role::base) {
        store(*list.Item(u.position), true);
        return;
    }

    const int16_t base = u.position;
    const auto before = seasonPositions(list, base);
    const bool hadSeasons = before[1] || before[2] || before[3] || before[4];
    for (int v = 1; v <= 4; ++v) {
        const int16_t at = list.findTextureIndex(base, static_cast<int16_t>(v));
        if (u.seasons[static_cast<size_t>(v)] && at == 0) addVariant(list, commands, base, v);
        else if (!u.seasons[static_cast<size_t>(v)] && at != 0) removeVariant(list, commands, at);
    }
    const int16_t night = nightPosition(list, base);
    if (u.night && night == 0) addVariant(list, commands, base, 0);
    else if (!u.night && night != 0) removeVariant(list, commands, night);

    int16_t i = 0;
    for (const auto& t : list) {
        ++i;
        if (t->parent() == base) store(*t, i == base || t->textureType() != kNightType);
    }
    const auto after = seasonPositions(list, base);
    if (hadSeasons || after[1] || after[2] || after[3] || after[4])
        commands.addSeasonalTextures(seasonalRecord(list, base, u));
    recognise(list);
}

}  // namespace modkit
