// Object-level display conditions: the block of tests and jumps in front of
// the body call.
#include "modkit/bgl/Conditions.h"

#include <deque>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/core/Error.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.BGLCommandList";

bool isBodyCall(const BGLCommand& c) {
    return c.opcode() == BGLOpcode::BGL_CALL_32 || c.opcode() == BGLOpcode::SPRITE_VICALL;
}

std::shared_ptr<BGLCommand> makeCommand(BGLOpcode op, std::initializer_list<std::string_view> params) {
    auto c = std::make_shared<BGLCommand>(op);
    int i = 0;
    for (auto p : params) c->setParam(i++, p);
    return c;
}

void makeRotation(BGLCommand& body, bool wind) {
    body.setOpcode(BGLOpcode::SPRITE_VICALL);
    for (int i = 0; i <= 9; ++i) body.setParam(i, "0");
    if (wind) body.setParam(9, "3188");
    else body.setParam(6, "1");
}

}  // namespace

std::string Condition::getTypeString() const {
    static const char* const names[] = {"Between", "Mask", "Rotate to user", "Rotate with wind"};
    auto t = static_cast<int32_t>(type_);
    if (t < 0 || t > 3) raiseRuntime(err::Subscript, "Modkit.Condition");
    return names[t];
}

std::shared_ptr<ConditionList> BGLCommandList::getConditions(int32_t position) {
    auto list = std::make_shared<ConditionList>();
    if (position != -1) return list;
    const int32_t n = Count();
    int32_t k = 1;
    for (;; ++k) {
        if (k > n) raiseRuntime(err::InvalidCall, kSource);  // no body call
        const BGLCommandView c = view(k);
        if (c.opcode() == BGLOpcode::IFIN1) {
            auto cond = list->Add();
            cond->setCType(CondType::Between);
            cond->setVar(c.param(1));
            cond->setMin(numtext::toInt16(c.param(2), kSource));
            cond->setMax(numtext::toInt16(c.param(3), kSource));
        } else if (c.opcode() == BGLOpcode::IFMSK) {
            auto cond = list->Add();
            cond->setCType(CondType::mask);
            cond->setVar(c.param(1));
            cond->setMin(numtext::toInt16(c.param(2), kSource));
        } else if (c.opcode() == BGLOpcode::BGL_CALL_32) {
            break;
        } else if (c.opcode() == BGLOpcode::SPRITE_VICALL) {
            if (numtext::toDouble(c.param(9), kSource) == 3188) list->Add()->setCType(CondType::RotWind);
            else if (numtext::toDouble(c.param(6), kSource) == 1) list->Add()->setCType(CondType::RotUser);
            break;
        }
    }
    list->setCommandStart(1);
    list->setCommandEnd(k);
    if (list->Count() > 1) {
        // Position 0 is no command, so a short block reads as not a jump there.
        auto isJump = [&](int32_t p) { return p >= 1 && opcodeAt(p) == toInt(BGLOpcode::BGL_JUMP_32); };
        const int32_t e = k;
        eMultiCondition m = eMultiCondition::mAND;
        if (isJump(e - 1)) {
            if (isJump(e - 2)) m = eMultiCondition::mOR;
            else if (isJump(e - 3)) m = eMultiCondition::mNOT;
            else m = eMultiCondition::mNOR;
        }
        list->setMultiCondition(m);
    }
    return list;
}

void BGLCommandList::addCondition(std::shared_ptr<ConditionList>& cList) {
    if (!cList) raiseRuntime(err::InvalidCall, kSource);
    const ConditionList& conds = *cList;
    const int32_t s = conds.commandStart(), end = conds.commandEnd();
    const eMultiCondition multi = conds.multiCondition();
    const auto multiValue = static_cast<int32_t>(multi);
    if (s < 1 || end < s || end > Count() || !isBodyCall(*Item(end)) || multiValue < 0 || multiValue > 3)
        raiseRuntime(err::InvalidCall, kSource);
    const std::shared_ptr<BGLCommand> body = Item(end);

    // The new block is built apart. Commands go in at its front (position s) or
    // at its back (right before the body call C). A destination set to a position
    // ends on the command that stood there before the insertion, whatever is
    // inserted later, so each jump is kept as the command it lands on: a member
    // of the block, C, or X (the command after C).
    constexpr int targetC = -1, targetX = -2;
    struct NewCommand {
        std::shared_ptr<BGLCommand> cmd;
        int target;
    };
    std::vector<NewCommand> made;
    std::deque<int> block;  // indices into made, in list order
    // The command at position s + offset of the list as it is now.
    auto at = [&](size_t offset) {
        if (offset < block.size()) return block[offset];
        return offset == block.size() ? targetC : targetX;
    };
    auto make = [&](BGLOpcode op, std::initializer_list<std::string_view> params, int target) {
        made.push_back({makeCommand(op, params), target});
        return static_cast<int>(made.size()) - 1;
    };

    // J0 takes the path on which no test held past the body call.
    bool tests = false;
    for (const auto& c : conds)
        if (c->cType() == CondType::Between || c->cType() == CondType::mask) tests = true;
    if (tests && (multi == eMultiCondition::mOR || multi == eMultiCondition::mNOR))
        block.push_front(make(BGLOpcode::BGL_JUMP_32, {""}, targetX));

    std::vector<bool> rotations;  // wind or not, in list order
    for (const auto& c : conds) {
        const std::string mn = numtext::intText(c->min()), mx = numtext::intText(c->max());
        switch (c->cType()) {
        case CondType::Between:
            switch (multi) {
            case eMultiCondition::mAND:
                block.push_back(make(BGLOpcode::IFIN1, {"", c->var(), mn, mx}, targetX));
                break;
            case eMultiCondition::mOR:
            case eMultiCondition::mNOT: {
                int b = make(BGLOpcode::BGL_JUMP_32, {""}, multi == eMultiCondition::mOR ? targetC : targetX);
                block.push_front(b);
                int a = make(BGLOpcode::IFIN1, {"", c->var(), mn, mx}, at(1));
                block.push_front(a);
                break;
            }
            case eMultiCondition::mNOR:
                block.push_front(make(BGLOpcode::IFIN1, {"", c->var(), mn, mx}, targetC));
                break;
            }
            break;
        case CondType::mask:
            block.push_back(make(BGLOpcode::IFMSK, {"", c->var(), mn}, targetX));
            break;
        case CondType::RotUser: rotations.push_back(false); break;
        case CondType::RotWind: rotations.push_back(true); break;
        default: break;
        }
    }

    // Jumps of the commands kept: into the old block -> the command before it;
    // C and after -> shifted by the change in size.
    const int32_t removed = end - s, added = static_cast<int32_t>(block.size());
    remapJumpDests([&](int32_t d) {
        if (d < s) return d;
        if (d < end) return s - 1;
        return d - removed + added;
    });
    std::vector<int32_t> finalIndex(made.size());
    std::vector<Ptr> items;
    items.reserve(block.size());
    for (size_t i = 0; i < block.size(); ++i) {
        finalIndex[static_cast<size_t>(block[i])] = static_cast<int32_t>(i);
        items.push_back(made[static_cast<size_t>(block[i])].cmd);
    }
    // Masks stand right in front of the body call. Under OR and NOR they are
    // behind J0 and never tested; the condition editor warns about that.
    const int32_t bodyOffset = added;
    for (const NewCommand& m : made) {
        int32_t offset = m.target == targetC ? bodyOffset
                         : m.target == targetX ? added + 1
                                               : finalIndex[static_cast<size_t>(m.target)];
        m.cmd->setJumpDest(0, s + offset);
    }
    std::vector<Splice> edit(1);
    edit[0].at = s;
    edit[0].count = removed;
    edit[0].items = std::move(items);
    spliceRanges(std::move(edit));

    for (bool wind : rotations) makeRotation(*body, wind);
    if (rotations.empty()) body->setOpcode(BGLOpcode::BGL_CALL_32);
    cList.reset();
}

}  // namespace modkit
