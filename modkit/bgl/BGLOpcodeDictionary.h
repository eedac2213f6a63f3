#pragma once
#include "modkit/core/Export.h"
#include <array>
#include <cstdint>
#include <string>

namespace modkit {

// Encoding of one parameter in the command stream.
enum class parameterType : int32_t {
    pByte = 0,
    pInteger = 1,
    pLong = 2,
    pSingle = 3,
    pString = 4,
    pUInteger = 5,
};

// Width in bytes of a parameter type (strLength for pString).
MODKIT_EXPORT int parameterWidth(parameterType t, int strLength);

struct MODKIT_EXPORT BGLCommandDictEntry {
    std::string name;
    int16_t numParam = 0;
    std::array<parameterType, 33> paramType{};
    std::array<bool, 33> isJump{};
    std::array<int16_t, 33> strLength{};
    int16_t length = 0;
};

// The table of every command the library can decode and encode, indexed by
// opcode 0..260. Undefined opcodes hold the empty entry (length 0).
class MODKIT_EXPORT BGLOpcodeDictionary {
public:
    BGLOpcodeDictionary() = default;

    // A copy of the entry; error 9 outside 0..260.
    BGLCommandDictEntry getEntry(int16_t opcode) const;

    // The shared entry without copying (for the codec's hot loops); error 6
    // outside the 16-bit range, error 9 outside 0..260.
    static const BGLCommandDictEntry& entry(int32_t opcode);
    // The encoded length of a command, 0 for an undefined opcode or one outside the table.
    static int16_t lengthOf(int32_t opcode);
    // True when the opcode has at least one jump parameter.
    static bool hasJump(int32_t opcode);

    static constexpr int slotCount = 261;
};

}  // namespace modkit
