#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "modkit/lists/TextureList.h"

namespace modkit {

// The file-name suffixes of seasonal and night textures and the days of each
// season, by textureVariant (summer 0, autumn 1, winter 2, heavy winter 3,
// spring 4). Days are texts as the configuration keeps them; heavy winter has
// none by default. Summer's suffix names no file: the base texture is summer.
struct SeasonSuffixes {
    std::array<std::string, 5> suffix{"_SU", "_FA", "_WI", "_HW", "_SP"};
    std::string night = "_LM";
    std::array<std::string, 5> dayStart{"150", "240", "330", "", "60"};
    std::array<std::string, 5> dayEnd{"239", "329", "59", "", "149"};
};

// Groups a model's textures into base textures and their seasonal and night
// variants by file name, as the texture editor shows them.
class TextureGroups {
public:
    enum class Role { base, seasonal, night };

    explicit TextureGroups(SeasonSuffixes suffixes = SeasonSuffixes());

    const SeasonSuffixes& suffixes() const { return suffixes_; }
    void setSuffixes(SeasonSuffixes s) { suffixes_ = std::move(s); }

    // The lower-case file name a variant of baseBitmap carries: every ".bmp" of
    // the lower-case name with suffix put in front of it.
    static std::string variantName(const std::string& baseBitmap, const std::string& suffix);

    // Sets every texture's parent (its own position for a base) and, for a
    // seasonal variant, its textureVariant. A texture whose lower-case name is a
    // variant name of an earlier base belongs to that base; every other texture
    // is a base of its own. Error 6 for a list too long for 16-bit positions.
    void recognise(modkit::TextureList& list);

    // What recognise found, by 1-based position.
    Role roleOf(int position) const;
    // The base textures' positions in list order.
    const std::vector<int16_t>& bases() const { return bases_; }

private:
    SeasonSuffixes suffixes_;
    std::vector<Role> roles_;
    std::vector<int16_t> bases_;
};

}  // namespace modkit
