#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modkit/bgl/BGLCommand.h"
#include "modkit/bgl/BGLOpcodeDictionary.h"
#include "modkit/core/KeyedCollection.h"

namespace modkit {

// The decoded BGL section: commands in stream order, with jump parameters held
// as the 1-based positions of the commands they land on.
class BGLCommandList : public KeyedCollection<BGLCommand> {
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
    // the front, each followed by updateJumpDest(its position, true).
    void removeWithJumpUpdate(const std::vector<int32_t>& positions);

    // Byte offset of each command from the start of the stream, 1-based: entry k
    // is where command k starts and entry Count()+1 is the stream's length.
    std::vector<int64_t> byteOffsets() const;

private:
    BGLOpcodeDictionary dictionary_;
};

}  // namespace modkit
