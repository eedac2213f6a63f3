#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modkit/bgl/BGLCommand.h"
#include "modkit/bgl/BGLOpcodeDictionary.h"
#include "modkit/bgl/SeasonalTextures.h"
#include "modkit/core/KeyedCollection.h"

namespace modkit {

class ConditionList;

// The decoded BGL section: commands in stream order, with jump parameters held
// as the 1-based positions of the commands they land on.
class MODKIT_EXPORT BGLCommandList : public KeyedCollection<BGLCommand> {
public:
    BGLCommandList() : KeyedCollection<BGLCommand>("Modkit.BGLCommandList") {}

    // Decodes a BGL section body, appends its commands and resolves the jumps.
    void readList(const std::string& data);
    // Encodes the list as a section body, after recomputing every jump offset.
    std::string asString();

    // Jump offsets -> destinations (after decoding).
    void processJumpDest();
    // Links draw-list items to their list header.
    void processParent();
    // Keeps destinations on their commands after one command was inserted at
    // (Remove false) or removed from (Remove true) position.
    void updateJumpDest(int32_t position, bool Remove = false);
    // Destinations -> jump offsets (before encoding).
    void updateJumpSize();
    // Renumbers the texture references of SET_MATERIAL commands after a texture
    // was inserted at, or removed from, the 1-based position of the texture list.
    void updateMaterial(int32_t position, bool Remove = false);

    const BGLOpcodeDictionary& dictionary() const { return dictionary_; }

    // Removes the commands at the given 1-based positions (ascending, distinct) in
    // one pass; every destination d left behind becomes d minus the number of
    // removed positions at or below d, exactly as removing them one by one from
    // the front, each followed by updateJumpDest(its position, true). With toNext,
    // d minus the number of removed positions below d, as updateJumpDest(its
    // position + 1, true) after each removal: a jump that landed on a removed
    // command lands on the next command kept.
    void removeWithJumpUpdate(const std::vector<int32_t>& positions, bool toNext = false);

    // The display conditions of the object (position -1): the IFIN1 and IFMSK
    // tests and the rotation in front of the first body call. Any other
    // position gives an empty list. Error 5 when the list has no body call.
    std::shared_ptr<ConditionList> getConditions(int32_t position);
    // Replaces the condition block that cList (from getConditions(-1)) describes
    // by one built from its conditions, then releases the caller's reference.
    // A list whose commandStart and commandEnd do not frame a body call of this
    // list raises error 5 and changes nothing.
    void addCondition(std::shared_ptr<ConditionList>& cList);
    // Replaces every run of switching commands around a SET_MATERIAL of the
    // texture sList.Material[0] by a block that picks the season's texture by
    // the day of the year.
    void addSeasonalTextures(const seasonalTextures& sList);

    // Byte offset of each command from the start of the stream, 1-based: entry k
    // is where command k starts and entry Count()+1 is the stream's length.
    std::vector<int64_t> byteOffsets() const;

private:
    // First (backwards) or last command of the run of switching commands around
    // the first SET_MATERIAL of the texture at or after start; -1 when none.
    int32_t findTextureBlockEdge(int16_t texture, bool backwards, int32_t start) const;

    // Applies map to every jump destination held by the list's commands.
    template <class Map>
    void remapJumpDests(Map map) {
        for (const auto& cmd : *this) {
            int jumps = cmd->jumpSlots();
            if (jumps == 0 || !BGLOpcodeDictionary::hasJump(cmd->opcodeValue())) continue;
            const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(cmd->opcodeValue());
            for (int i = 0; i < jumps && i < e.numParam; ++i) {
                if (!e.isJump[static_cast<size_t>(i)]) continue;
                int32_t& d = cmd->jumpSlot(i);
                d = map(d);
            }
        }
    }

    BGLOpcodeDictionary dictionary_;
};

}  // namespace modkit
