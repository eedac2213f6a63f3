// Seasonal texture blocks: day-of-year tests that pick a texture's variant in
// place of each SET_MATERIAL that selects the texture.
#include <algorithm>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const std::string kDayOfYear = numtext::intText(dayOfYearVariable);

// A command that belongs to a switching block.
bool isSwitching(const BGLCommandView& c) {
    switch (c.opcode()) {
    case BGLOpcode::SET_MATERIAL:
    case BGLOpcode::BGL_JUMP_32: return true;
    case BGLOpcode::IFIN1: return c.param(1) == kDayOfYear;
    default: return false;
    }
}

std::shared_ptr<BGLCommand> setMaterial(const std::string& material, int16_t texture) {
    auto c = std::make_shared<BGLCommand>(BGLOpcode::SET_MATERIAL);
    c->setParam(0, material);
    c->setParam(1, numtext::intText(texture));
    return c;
}

// The commands of one block, in list order, with each jump as an offset from
// the block's first command (the block's size is the command after it).
struct Block {
    std::vector<std::shared_ptr<BGLCommand>> cmds;
    std::vector<int32_t> jumpOffset;  // -1: no jump
};

Block buildBlock(const seasonalTextures& sl, const std::string& material) {
    Block b;
    int n = 0, wrap = -1;
    for (int j = 0; j < 5; ++j) {
        if (!sl.active[static_cast<size_t>(j)]) continue;
        ++n;
        if (sl.dayEnd[static_cast<size_t>(j)] < sl.dayStart[static_cast<size_t>(j)]) wrap = j;
    }
    if (n < 2) {
        // Nothing to switch between: the base texture alone.
        b.cmds.push_back(setMaterial(material, sl.Material[0]));
        b.jumpOffset.push_back(-1);
        return b;
    }
    // Highest season first; each test falls through to the next group, the last
    // to the wrapping season's texture (or past the block when none wraps).
    std::vector<int> groups;
    for (int j = 4; j >= 0; --j)
        if (sl.active[static_cast<size_t>(j)] && j != wrap) groups.push_back(j);
    const int32_t size = static_cast<int32_t>(groups.size()) * 3 + (wrap >= 0 ? 1 : 0);
    for (int j : groups) {
        const auto J = static_cast<size_t>(j);
        const int32_t at = static_cast<int32_t>(b.cmds.size());
        auto test = std::make_shared<BGLCommand>(BGLOpcode::IFIN1);
        test->setParam(0, "");
        test->setParam(1, kDayOfYear);
        test->setParam(2, numtext::intText(sl.dayStart[J]));
        test->setParam(3, numtext::intText(sl.dayEnd[J]));
        b.cmds.push_back(test);
        b.jumpOffset.push_back(at + 3);
        b.cmds.push_back(setMaterial(material, sl.Material[J]));
        b.jumpOffset.push_back(-1);
        auto jump = std::make_shared<BGLCommand>(BGLOpcode::BGL_JUMP_32);
        jump->setParam(0, "");
        b.cmds.push_back(jump);
        b.jumpOffset.push_back(size);
    }
    if (wrap >= 0) {
        b.cmds.push_back(setMaterial(material, sl.Material[static_cast<size_t>(wrap)]));
        b.jumpOffset.push_back(-1);
    }
    return b;
}

}  // namespace

int32_t BGLCommandList::findTextureBlockEdge(int16_t texture, bool backwards, int32_t start) const {
    const std::string wanted = numtext::intText(texture);
    const int32_t n = Count();
    int32_t r = std::max(start, 1);
    for (;; ++r) {
        if (r > n) return -1;
        const BGLCommandView c = view(r);
        if (c.opcode() == BGLOpcode::SET_MATERIAL && c.param(1) == wanted) break;
    }
    // Position 0 is no command: a run at the very start ends there.
    if (backwards) {
        while (r > 1 && isSwitching(view(r - 1))) --r;
    } else {
        while (r < n && isSwitching(view(r + 1))) ++r;
    }
    return r;
}

void BGLCommandList::addSeasonalTextures(const seasonalTextures& sList) {
    const int16_t t = sList.Material[0];
    const std::string wanted = numtext::intText(t);

    // The runs, found as the step-by-step replacement finds them: the search
    // goes on behind each run, whose next command is never part of another.
    struct Run {
        int32_t first, last;
        Block block;
        int32_t newFirst;
    };
    std::vector<Run> runs;
    for (int32_t s = 1;;) {
        pumpEvents();
        int32_t first = findTextureBlockEdge(t, true, s);
        if (first == -1) break;
        int32_t last = findTextureBlockEdge(t, false, s);
        // The block keeps the material index of the first SET_MATERIAL that
        // selected the texture, so its pairing with a material survives.
        std::string material = "0";
        for (int32_t p = first; p <= last; ++p) {
            const BGLCommandView c = view(p);
            if (c.opcode() == BGLOpcode::SET_MATERIAL && c.param(1) == wanted) {
                material = c.param(0);
                break;
            }
        }
        runs.push_back({first, last, buildBlock(sList, material), 0});
        s = last + 1;
    }
    if (runs.empty()) return;

    // Each old run gives way to its block; a jump that landed on the run or on
    // the command after it lands on the block's first command, later ones move
    // by the change in size.
    std::vector<int32_t> shiftBefore(runs.size() + 1, 0);
    for (size_t i = 0; i < runs.size(); ++i) {
        Run& r = runs[i];
        r.newFirst = r.first + shiftBefore[i];
        shiftBefore[i + 1] = shiftBefore[i] + static_cast<int32_t>(r.block.cmds.size()) - (r.last - r.first + 1);
    }
    remapJumpDests([&](int32_t d) {
        auto it = std::upper_bound(runs.begin(), runs.end(), d, [](int32_t v, const Run& r) { return v < r.first; });
        if (it == runs.begin()) return d;
        size_t i = static_cast<size_t>(it - runs.begin()) - 1;
        if (d <= runs[i].last + 1) return runs[i].newFirst;
        return d + shiftBefore[i + 1];
    });

    std::vector<Splice> edits;
    edits.reserve(runs.size());
    for (Run& r : runs) {
        for (size_t i = 0; i < r.block.cmds.size(); ++i)
            if (r.block.jumpOffset[i] >= 0) r.block.cmds[i]->setJumpDest(0, r.newFirst + r.block.jumpOffset[i]);
        edits.push_back({r.first, r.last - r.first + 1, r.block.cmds});
    }
    spliceRanges(std::move(edits));
}

}  // namespace modkit
