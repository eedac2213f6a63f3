#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "modkit/bgl/BGLOpcode.h"

namespace modkit {

// One command of the BGL stream. Parameters are texts, indices 0..32. A model
// holds hundreds of thousands of commands, so the texts that were set are packed
// into one string (short ones need no allocation of their own) and jump
// destinations take memory only on commands that have them.
class MODKIT_EXPORT BGLCommand {
public:
    static constexpr int maxIndex = 32;

    BGLCommand() = default;
    explicit BGLCommand(BGLOpcode op) : opcode_(op) {}

    BGLOpcode opcode() const { return opcode_; }
    void setOpcode(BGLOpcode op) { opcode_ = op; }
    int32_t opcodeValue() const { return static_cast<int32_t>(opcode_); }

    // Empty text for an index never set; error 9 outside 0..32.
    std::string param(int index) const;
    void setParam(int index, std::string_view value);

    int32_t parent() const { return parent_; }
    void setParent(int32_t p) { parent_ = p; }

    // 0 for an index never set; error 9 outside 0..32.
    int32_t jumpDest(int index) const;
    void setJumpDest(int index, int32_t dest);

    // Appends the next parameter while a command is decoded (index = count so far).
    void appendParam(std::string_view value);
    // Number of parameter slots in use (highest set index + 1).
    int paramSlots() const;
    int jumpSlots() const { return jumps_ ? static_cast<int>(jumps_->size()) : 0; }
    // Unchecked access for the library's own loops over set slots.
    int32_t& jumpSlot(int index) { return (*jumps_)[static_cast<size_t>(index)]; }

    BGLCommand(const BGLCommand& o);
    BGLCommand& operator=(const BGLCommand& o);
    BGLCommand(BGLCommand&&) noexcept = default;
    BGLCommand& operator=(BGLCommand&&) noexcept = default;

private:
    // Each set parameter is a length (one byte, or 255 and four more bytes)
    // followed by its bytes, in index order. Up to 23 bytes (a triangle, most
    // tests and jumps) stay inside the object.
    std::string_view packed() const;
    void setPacked(std::string_view bytes);
    void appendPacked(std::string_view bytes);
    std::string_view field(int index) const;

    BGLOpcode opcode_ = BGLOpcode::EOF_;
    int32_t parent_ = 0;
    std::unique_ptr<std::string> big_;
    uint8_t smallLen_ = 0;
    char small_[23] = {};
    std::unique_ptr<std::vector<int32_t>> jumps_;
};

}  // namespace modkit
