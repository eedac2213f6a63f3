#pragma once
#include "modkit/core/Export.h"
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "modkit/bgl/SeasonalTextures.h"
#include "modkit/lists/TextureList.h"

namespace modkit {

class BGLCommandList;

// The file-name suffixes of seasonal and night textures and the days of each
// season, by textureVariant (summer 0, autumn 1, winter 2, heavy winter 3,
// spring 4). Days are texts as the configuration keeps them; heavy winter has
// none by default. Summer's suffix names no file: the base texture is summer.
struct MODKIT_EXPORT SeasonSuffixes {
    std::array<std::string, 5> suffix{"_SU", "_FA", "_WI", "_HW", "_SP"};
    std::string night = "_LM";
    std::array<std::string, 5> dayStart{"150", "240", "330", "", "60"};
    std::array<std::string, 5> dayEnd{"239", "329", "59", "", "149"};
};

// What "Update texture" of the texture editor sets for one texture, with the
// fields as the user typed them.
struct MODKIT_EXPORT TextureUpdate {
    int16_t position = 0;             // the texture, 1-based
    std::array<bool, 5> seasons{};    // by textureVariant; summer is the base itself
    bool night = false;
    std::array<std::string, 5> dayStart, dayEnd;
    std::array<std::string, 3> rgb;   // red, green, blue
    std::string size;
    std::string typeName;             // a textureType name; empty keeps the type
};

// Groups a model's textures into base textures and their seasonal and night
// variants by file name, as the texture editor shows them, and makes the
// editor's changes: variants added and removed, the seasons coded.
class MODKIT_EXPORT TextureGroups {
public:
    enum class Role { base, seasonal, night };

    static constexpr const char* seasonGap =
        "Please define the start and end days of the seasons correctly. There should not be any gaps between the seasons.";
    static constexpr const char* fieldsInvalid = "Please make sure all required fields are valid";

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

    // The positions of base's textures by season (element 0 is base itself), 0
    // where the season has none.
    static std::array<int16_t, 5> seasonPositions(const TextureList& list, int16_t base);
    // The position of base's night texture, 0 when it has none.
    int16_t nightPosition(const TextureList& list, int16_t base) const;
    // Whether base's name can carry variants (it holds ".bmp" in some case).
    static bool canHaveVariants(const TextureList& list, int16_t base);

    // The seasons of the checked boxes must follow each other around the year
    // without a gap: each one starts the day after the one before it ends (day
    // 1 after day 365), the last one before the first. Days are whole numbers
    // 1..365. Fewer than two seasons always pass. Empty, or seasonGap.
    static std::string seasonCheck(const std::array<bool, 5>& checked, const std::array<std::string, 5>& dayStart,
                                   const std::array<std::string, 5>& dayEnd);
    // The other fields: colour components and size must be numbers, the size
    // not negative, and the names of new variants must fit the 64 characters of
    // a texture record. Empty, or the message to show.
    std::string fieldCheck(const TextureList& list, const TextureUpdate& u) const;

    // "Update texture" on a texture that passed both checks. For a base: adds
    // the checked variants it lacks and removes the unchecked ones it has (the
    // texture references of the command list follow), stores colour, size and
    // type on the whole group (the type not on night textures) and codes the
    // seasons into the command list. The command list is left alone when the
    // group has no seasonal variant before or after. For a variant, only its
    // own colour, size and type change. The groups are recognised again.
    void applyUpdate(TextureList& list, BGLCommandList& commands, const TextureUpdate& u);

    // Adds base's variant for season v (1..4), or its night texture (v 0),
    // after the last texture of its group, named, typed and coloured after the
    // base; the command list's texture references to the textures behind it
    // follow them. Returns its position.
    int16_t addVariant(TextureList& list, BGLCommandList& commands, int16_t base, int v) const;
    // Removes the texture at position; the SET_MATERIAL commands that selected
    // it go, and references to the textures behind it follow them.
    static void removeVariant(TextureList& list, BGLCommandList& commands, int16_t position);

    // The seasons of base for addSeasonalTextures: each season's texture as a
    // 0-based index, the days of the fields and the checked seasons.
    static seasonalTextures seasonalRecord(const TextureList& list, int16_t base, const TextureUpdate& u);

private:
    SeasonSuffixes suffixes_;
    std::vector<Role> roles_;
    std::vector<int16_t> bases_;
};

}  // namespace modkit
