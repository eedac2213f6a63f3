#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modkit/bgl/BGLCommand.h"
#include "modkit/bgl/BGLOpcodeDictionary.h"
#include "modkit/bgl/SeasonalTextures.h"
#include "modkit/core/CompactCollection.h"

namespace modkit {

class ConditionList;

// Where one command of a list is held: its bytes in the list's stream copy
// until it is asked for as an object.
struct BGLCommandRecord {
    uint32_t where = 0;  // byte offset in the stream copy, or the object's index
    int32_t parent = 0;  // of a list item; the destination of a command whose one jump is parameter 0
    int16_t opcode = 0;
    bool live = false;
};

// One command read where the list holds it, without making it an object. Valid
// until the list changes.
class MODKIT_EXPORT BGLCommandView {
public:
    BGLOpcode opcode() const { return static_cast<BGLOpcode>(opcode_); }
    int32_t opcodeValue() const { return opcode_; }
    // As BGLCommand: empty text for an index never set, error 9 outside 0..32.
    std::string param(int index) const;
    // Parameters 0..count-1 as param() gives them, decoded in one pass.
    void params(std::vector<std::string>& out, int count) const;
    // The parameter as a number: numtext::toDouble of its text (error 13 for
    // a text that is none), without making the text where the bytes give it.
    double number(int index, const char* source) const;
    int paramSlots() const;
    int32_t jumpDest(int index) const;
    int32_t parent() const { return cmd_ ? cmd_->parent() : parent_; }

private:
    friend class BGLCommandList;
    const BGLCommand* cmd_ = nullptr;  // a live command
    const char* bytes_ = nullptr;      // or its encoded bytes
    int32_t opcode_ = 0;
    int32_t parent_ = 0;
    int32_t jump_ = 0;
};

// The decoded BGL section: commands in stream order, with jump parameters held
// as the 1-based positions of the commands they land on. The list keeps one
// copy of the stream it read and a 12-byte record per command; a command
// becomes a BGLCommand object only when a caller asks for it (or when it has
// more than one jump).
class MODKIT_EXPORT BGLCommandList : public CompactCollection<BGLCommand, BGLCommandRecord> {
public:
    BGLCommandList() : CompactCollection<BGLCommand, BGLCommandRecord>("Modkit.BGLCommandList") {}

    // The command at the 1-based position, read in place (error 5 outside).
    BGLCommandView view(int position) const;
    // Its opcode, without making an object (error 5 outside).
    int32_t opcodeAt(int position) const;
    // The encoded length of the whole list in bytes.
    int64_t streamLength() const;
    // Replaces the list by a deep copy of other (keys included).
    void copyFrom(const BGLCommandList& other);

    // Decodes a BGL section body, appends its commands and resolves the jumps.
    void readList(const std::string& data);
    // The same, keeping data itself as the list's copy of the stream when the
    // list is empty.
    void readList(std::string&& data);
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
        for (size_t k = 0; k < recordCount(); ++k) {
            BGLCommandRecord& r = record(k);
            if (!r.live) {
                if (BGLOpcodeDictionary::hasJump(r.opcode)) r.parent = map(r.parent);
                continue;
            }
            BGLCommand* cmd = &liveObject(r);
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

    std::shared_ptr<BGLCommand> unpack(const BGLCommandRecord& r) const override;
    void readStream(size_t base, size_t size);
    void clearCompact() override { stream_.clear(); }
    size_t compactBytes() const override { return stream_.capacity(); }

    BGLOpcodeDictionary dictionary_;
    std::string stream_;  // the bytes of the commands read, in reading order
};

}  // namespace modkit
