// Jump destinations and draw-list parents of a command list. Offsets are turned
// into positions (and back) through one table of byte offsets, so the cost does
// not depend on how far the jumps reach.
#include <algorithm>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {
const char* const kSource = "Modkit.BGLCommandList";
}

std::vector<int64_t> BGLCommandList::byteOffsets() const {
    std::vector<int64_t> off(static_cast<size_t>(Count()) + 2, 0);
    for (int32_t k = 1; k <= Count(); ++k)
        off[static_cast<size_t>(k) + 1] = off[static_cast<size_t>(k)] + BGLOpcodeDictionary::lengthOf(opcodeAt(k));
    return off;
}

void BGLCommandList::processJumpDest() {
    const std::vector<int64_t> off = byteOffsets();
    const int32_t n = Count();
    for (int32_t k = 1; k <= n; ++k) {
        pumpEvents();
        if (!BGLOpcodeDictionary::hasJump(opcodeAt(k))) continue;
        const Ptr& cmd = Item(k);  // commands with jumps are objects
        const BGLCommandDictEntry& e = BGLOpcodeDictionary::entry(cmd->opcodeValue());
        for (int i = 0; i < e.numParam; ++i) {
            if (!e.isJump[static_cast<size_t>(i)]) continue;
            int64_t offset = numtext::toInt32(cmd->param(i), kSource);
            int32_t dest;
            if (offset <= -2) {
                dest = k - 1;  // the walk does not start
            } else {
                // The walk stops at the first command j >= k whose end, counted
                // from the jump's start less 2, reaches the offset.
                int64_t target = off[static_cast<size_t>(k)] + offset + 2;
                auto first = off.begin() + (k + 1);
                auto last = off.begin() + (n + 2);
                auto it = std::lower_bound(first, last, target);
                if (it == last) raiseRuntime(err::InvalidCall, kSource);  // past the last command
                dest = static_cast<int32_t>(it - off.begin()) - 1;
            }
            cmd->setJumpDest(i, dest);
        }
    }
}

void BGLCommandList::updateJumpSize() {
    const std::vector<int64_t> off = byteOffsets();
    const int32_t n = Count();
    for (int32_t k = 1; k <= n; ++k) {
        if (!record(static_cast<size_t>(k - 1)).live) continue;  // only objects hold jumps
        BGLCommand* cmd = &liveObject(record(static_cast<size_t>(k - 1)));
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
