#pragma once
// The length and jump flag of every opcode in two flat tables, for the loops
// over hundreds of thousands of commands (fetch once per loop).
#include <array>
#include <cstdint>

#include "modkit/bgl/BGLOpcodeDictionary.h"

namespace modkit {

struct OpcodeFacts {
    static constexpr int32_t slots = BGLOpcodeDictionary::slotCount;
    std::array<int16_t, slots> length{};
    std::array<bool, slots> jump{};

    OpcodeFacts() {
        for (int32_t o = 0; o < slots; ++o) {
            length[static_cast<size_t>(o)] = BGLOpcodeDictionary::lengthOf(o);
            jump[static_cast<size_t>(o)] = BGLOpcodeDictionary::hasJump(o);
        }
    }
    // As BGLOpcodeDictionary::lengthOf and hasJump.
    int16_t lengthOf(int32_t op) const { return op >= 0 && op < slots ? length[static_cast<size_t>(op)] : 0; }
    bool hasJump(int32_t op) const { return op >= 0 && op < slots && jump[static_cast<size_t>(op)]; }

    static const OpcodeFacts& get() {
        static const OpcodeFacts facts;
        return facts;
    }
};

}  // namespace modkit
