#include "modkit/lists/TextureGroups.h"

#include <unordered_map>

#include "modkit/core/Error.h"
#include "modkit/core/Paths.h"

namespace modkit {
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
    if (position < 1 || static_cast<size_t>(position) > roles_.size()) raiseRuntime(err::InvalidCall, "Modkit.TextureList");
    return roles_[static_cast<size_t>(position - 1)];
}

}  // namespace modkit
