// One-click edits of a whole model: the shadow switch, the DICT section and the
// commands that hide lights.
#include <algorithm>

#include "modkit/core/Error.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {
const char* const kSource = "Modkit.MDLObject";
constexpr int16_t kSHAD = 5;
}  // namespace

void MDLObject::addKillShadow() {
    // A nested "BGL " record of size 0, then BGL_END and BGL_RETURN: no shadow.
    ByteWriter w;
    putString(w, "BGL ");
    putLong(w, 0);
    putInteger(w, static_cast<int16_t>(BGLOpcode::BGL_END));
    putInteger(w, static_cast<int16_t>(BGLOpcode::BGL_RETURN));
    setSection(kSHAD, w.take());
    updateSectionSize();
}

void MDLObject::removeKillShadow() {
    setSection(kSHAD, std::string());
    updateSectionSize();
}

void MDLObject::cleanDICT() { setSection(getRIFFSectionIndex("DICT"), std::string()); }

void MDLObject::fixLights() {
    cleanDICT();
    // Removing VAR_BASE_OVERRIDE and low IFMSK commands before a light, then
    // keeping jumps on the command after each (updateJumpDest one past the
    // removed position), is a removal of all of them at once. The walk back
    // from each light goes over the whole run; an IFMSK above the threshold is
    // stepped over. Each light is looked at once.
    constexpr double threshold = 200;
    auto& list = *commands_;
    std::vector<int32_t> removed;  // in the order the removals happen
    try {
        for (int32_t i = 1; i <= list.Count(); ++i) {
            if (list.opcodeAt(i) != toInt(BGLOpcode::BGL_LIGHT)) continue;
            for (int32_t p = i - 1; p >= 1; --p) {
                const BGLCommandView c = list.view(p);
                if (c.opcode() == BGLOpcode::VAR_BASE_OVERRIDE) {
                    removed.push_back(p);
                } else if (c.opcode() == BGLOpcode::IFMSK) {
                    if (numtext::toDouble(c.param(1), kSource) <= threshold) removed.push_back(p);
                } else {
                    break;
                }
            }
        }
    } catch (...) {
        std::sort(removed.begin(), removed.end());
        list.removeWithJumpUpdate(removed, true);  // the removals made so far stay
        throw;
    }
    std::sort(removed.begin(), removed.end());
    list.removeWithJumpUpdate(removed, true);
}

}  // namespace modkit
