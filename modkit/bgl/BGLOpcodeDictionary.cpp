#include "modkit/bgl/BGLOpcodeDictionary.h"

#include <initializer_list>
#include <vector>

#include "modkit/core/Error.h"

namespace modkit {
namespace {

using P = parameterType;

struct Table {
    std::array<BGLCommandDictEntry, BGLOpcodeDictionary::slotCount> entries;
    std::array<bool, BGLOpcodeDictionary::slotCount> jumps{};

    void define(int op, const char* name, std::vector<P> types, std::initializer_list<int> jumpParams,
                int16_t length, int16_t strLen0 = 0) {
        BGLCommandDictEntry& e = entries[static_cast<size_t>(op)];
        e.name = name;
        e.numParam = static_cast<int16_t>(types.size());
        for (size_t i = 0; i < types.size(); ++i) e.paramType[i] = types[i];
        for (int j : jumpParams) e.isJump[static_cast<size_t>(j)] = true;
        if (strLen0) e.strLength[0] = strLen0;
        e.length = length;
        jumps[static_cast<size_t>(op)] = jumpParams.size() > 0;
    }

    Table() {
        auto n = [](P t, int count) { return std::vector<P>(static_cast<size_t>(count), t); };
        define(13, "JUMP", {P::pInteger}, {0}, 4);
        define(27, "IFIN_BOX_PLANE", n(P::pInteger, 10), {0}, 22);
        define(28, "IFIN2", n(P::pInteger, 7), {0}, 16);
        define(33, "IFIN3", n(P::pInteger, 10), {0}, 22);
        define(34, "BGL_RETURN", {}, {}, 2);
        define(35, "BGL_CALL", {P::pInteger}, {0}, 4);
        define(36, "IFIN1", n(P::pInteger, 4), {0}, 10);
        define(37, "SEPARATION_PLANE", {P::pInteger, P::pInteger, P::pInteger, P::pInteger, P::pLong}, {0}, 14);
        define(38, "SETWRD", n(P::pInteger, 2), {}, 6);
        define(57, "IFMSK", n(P::pInteger, 3), {0}, 8);
        define(95, "IFSIZEV", n(P::pInteger, 3), {0}, 8);
        define(109, "IFSIZEH", n(P::pInteger, 3), {0}, 8);
        define(115, "IFINBOXP", n(P::pInteger, 7), {0}, 16);
        define(136, "BGL_JUMP_32", {P::pLong}, {0}, 6);
        define(137, "VAR_BASE_32", {P::pLong}, {}, 6);
        define(138, "BGL_CALL_32", {P::pLong}, {0}, 6);
        define(158, "BGL_INTERPOLATE", {P::pLong, P::pInteger, P::pLong, P::pInteger, P::pLong, P::pInteger},
               {1, 3, 5}, 20);
        define(159, "VAR_BASE_OVERRIDE", {P::pLong}, {}, 6);
        define(167, "SPRITE_VICALL", n(P::pInteger, 10), {0}, 22);
        define(169, "IFIN_INSTANCED_BOX_PLANE", n(P::pInteger, 10), {0}, 22);
        define(172, "BGL_ZBIAS", {P::pInteger}, {}, 4);
        define(173, "BGL_ANIMATE", {P::pLong, P::pLong, P::pLong, P::pLong, P::pSingle, P::pSingle, P::pSingle},
               {1, 3}, 30);
        define(177, "BGL_TAG", {P::pString, P::pSingle}, {}, 22, 16);
        define(178, "BGL_LIGHT",
               {P::pInteger, P::pSingle, P::pSingle, P::pSingle, P::pLong, P::pSingle, P::pSingle, P::pLong,
                P::pSingle, P::pSingle, P::pSingle},
               {}, 44);
        define(182, "MATERIAL_LIST_BEGIN", {P::pInteger, P::pLong}, {}, 8);
        define(183, "TEXTURE_LIST_BEGIN", {P::pInteger, P::pLong}, {}, 8);
        define(184, "SET_MATERIAL", n(P::pInteger, 2), {}, 6);
        define(185, "DRAW_TRI_LIST_BEGIN", n(P::pUInteger, 3), {}, 8);
        define(186, "DRAW_LINE_LIST_BEGIN", n(P::pInteger, 3), {}, 8);
        define(189, "BGL_END", {}, {}, 2);
        define(196, "BGL_SET_MATRIX_INDIRECT", {P::pInteger}, {}, 4);
        define(256, "DRAW_TRI_LIST_ITEM", n(P::pInteger, 3), {}, 6);
        define(257, "DRAW_LINE_LIST_ITEM", n(P::pInteger, 2), {}, 4);
    }
};

const Table& table() {
    static const Table t;
    return t;
}

}  // namespace

int parameterWidth(parameterType t, int strLength) {
    switch (t) {
    case P::pByte: return 1;
    case P::pInteger: return 2;
    case P::pLong: return 4;
    case P::pSingle: return 4;
    case P::pString: return strLength;
    case P::pUInteger: return 2;
    }
    return 0;
}

BGLCommandDictEntry BGLOpcodeDictionary::getEntry(int16_t opcode) const { return entry(opcode); }

const BGLCommandDictEntry& BGLOpcodeDictionary::entry(int32_t opcode) {
    // The opcode is taken as a 16-bit value first.
    if (opcode < -32768 || opcode > 32767) raiseRuntime(err::Overflow, "Modkit.BGLOpcodeDictionary");
    if (opcode < 0 || opcode >= slotCount) raiseRuntime(err::Subscript, "Modkit.BGLOpcodeDictionary");
    return table().entries[static_cast<size_t>(opcode)];
}

int16_t BGLOpcodeDictionary::lengthOf(int32_t opcode) {
    if (opcode < 0 || opcode >= slotCount) return 0;
    return table().entries[static_cast<size_t>(opcode)].length;
}

bool BGLOpcodeDictionary::hasJump(int32_t opcode) {
    if (opcode < 0 || opcode >= slotCount) return false;
    return table().jumps[static_cast<size_t>(opcode)];
}

}  // namespace modkit
