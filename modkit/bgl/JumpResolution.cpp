// Jump destinations and draw-list parents of a command list. Offsets are turned
// into positions (and back) through one table of byte offsets, so the cost does
// not depend on how far the jumps reach.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/bgl/OpcodeFacts.h"
#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {
const char* const kSource = "Modkit.BGLCommandList";
}

std::vector<int64_t> BGLCommandList::byteOffsets() const {
    std::vector<int64_t> off(static_cast<size_t>(Count()) + 2, 0);
    const OpcodeFacts& facts = OpcodeFacts::get();
    for (size_t k = 1; k <= recordCount(); ++k) {
        const BGLCommandRecord& r = record(k - 1);
        off[k + 1] = off[k] + facts.lengthOf(r.live ? liveObject(r).opcodeValue() : r.opcode);
    }
    return off;
}

namespace {

// True when parameter 0 is the opcode's one jump: such a command keeps its
// destination in its record.
bool onlyFirstJump(int32_t op) {
    const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(op);
    if (e.numParam < 1 || !e.isJump[0]) return false;
    for (int i = 1; i < e.numParam; ++i)
        if (e.isJump[static_cast<size_t>(i)]) return false;
    return e.paramType[0] == parameterType::pInteger || e.paramType[0] == parameterType::pLong;
}

}  // namespace

void BGLCommandList::processJumpDest() {
    const std::vector<int64_t> off = byteOffsets();
    const int32_t n = Count();
    const OpcodeFacts& facts = OpcodeFacts::get();
    for (int32_t k = 1; k <= n; ++k) {
        const BGLCommandRecord& at = record(static_cast<size_t>(k - 1));
        if (!facts.hasJump(at.live ? liveObject(at).opcodeValue() : at.opcode)) continue;
        pumpEvents();
        auto destination = [&](int64_t offset) -> int32_t {
            if (offset <= -2) return k - 1;  // the walk does not start
            // The walk stops at the first command j >= k whose end, counted
            // from the jump's start less 2, reaches the offset.
            int64_t target = off[static_cast<size_t>(k)] + offset + 2;
            auto first = off.begin() + (k + 1);
            auto last = off.begin() + (n + 2);
            auto it = std::lower_bound(first, last, target);
            if (it == last) raiseRuntime(err::InvalidCall, kSource);  // past the last command
            return static_cast<int32_t>(it - off.begin()) - 1;
        };
        BGLCommandRecord& r = record(static_cast<size_t>(k - 1));
        if (!r.live && onlyFirstJump(r.opcode)) {
            r.parent = destination(numtext::toInt32(view(k).param(0), kSource));
            continue;
        }
        const Ptr& cmd = Item(k);
        const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(cmd->opcodeValue());
        for (int i = 0; i < e.numParam; ++i) {
            if (!e.isJump[static_cast<size_t>(i)]) continue;
            cmd->setJumpDest(i, destination(numtext::toInt32(cmd->param(i), kSource)));
        }
    }
}

void BGLCommandList::updateJumpSize() {
    const std::vector<int64_t> off = byteOffsets();
    const int32_t n = Count();
    const OpcodeFacts& facts = OpcodeFacts::get();
    for (int32_t k = 1; k <= n; ++k) {
        BGLCommandRecord& r = record(static_cast<size_t>(k - 1));
        if (!r.live) {
            if (!facts.hasJump(r.opcode)) continue;
            // Parameter 0 is written in place while the offset fits it; one that
            // does not becomes a text the encoding refuses, as for an object.
            const bool wide = BGLOpcodeDictionary::entry(r.opcode).paramType[0] == parameterType::pLong;
            auto put = [&](int64_t v) {
                if (v < (wide ? INT32_MIN : INT16_MIN) || v > (wide ? INT32_MAX : INT16_MAX)) {
                    Item(k)->setParam(0, numtext::intText(v));
                    return;
                }
                const auto u = static_cast<uint32_t>(static_cast<int32_t>(v));
                char* p = stream_.data() + r.where + 2;
                for (int b = 0; b < (wide ? 4 : 2); ++b) p[b] = static_cast<char>((u >> (8 * b)) & 0xFF);
            };
            const int32_t dest = r.parent;
            if (dest <= k) {
                if (!(numtext::toDouble(view(k).param(0)) < 0)) put(0);
                continue;
            }
            if (dest - 1 > n) raiseRuntime(err::InvalidCall, kSource);
            put(off[static_cast<size_t>(dest)] - off[static_cast<size_t>(k)]);
            continue;
        }
        BGLCommand* cmd = &liveObject(r);
        const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(cmd->opcodeValue());
        for (int i = 0; i < e.numParam; ++i) {
            if (!e.isJump[static_cast<size_t>(i)]) continue;
            int32_t dest = cmd->jumpDest(i);
            if (dest <= k) {
                // A backward jump read from the file keeps its offset; everything
                // else that lands at or before itself gets 0.
                const std::string old = cmd->param(i);
                if (!(numtext::isNumber(old) && numtext::toDouble(old) < 0)) cmd->setParam(i, "0");
                continue;
            }
            if (dest - 1 > n) raiseRuntime(err::InvalidCall, kSource);
            cmd->setParam(i, numtext::intText(off[static_cast<size_t>(dest)] - off[static_cast<size_t>(k)]));
        }
    }
}

void BGLCommandList::updateJumpDest(int32_t position, bool Remove) {
    const int32_t delta = Remove ? -1 : 1;
    remapJumpDests([&](int32_t d) { return d >= position ? d + delta : d; });
}

void BGLCommandList::removeWithJumpUpdate(const std::vector<int32_t>& positions, bool toNext) {
    if (positions.empty()) return;
    size_t next = 0;
    retainPositions([&](int pos) {
        if (next < positions.size() && positions[next] == pos) {
            ++next;
            return false;
        }
        return true;
    });
    remapJumpDests([&](int32_t d) {
        auto below = toNext ? std::lower_bound(positions.begin(), positions.end(), d)
                            : std::upper_bound(positions.begin(), positions.end(), d);
        return d - static_cast<int32_t>(below - positions.begin());
    });
}

}  // namespace modkit
