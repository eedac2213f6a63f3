#include "modkit/bgl/CommandWalk.h"

#include <algorithm>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/bgl/WalkState.h"
#include "modkit/core/Error.h"
#include "modkit/core/NumText.h"

namespace modkit {

void GeometrySink::material(const DrawState&, int32_t) {}
void GeometrySink::zbias(double, int32_t) {}
void GeometrySink::triangle(const WalkTriangle&) {}
void GeometrySink::line(const WalkLine&) {}

std::string opcodeName(BGLOpcode op) {
    const int32_t v = toInt(op);
    if (v >= 0 && v <= 260) {
        const std::string& name = BGLOpcodeDictionary::entry(v).name;
        if (!name.empty()) return name;
    }
    if (op == BGLOpcode::IFINF1) return "IFINF1";
    return "opcode " + numtext::intText(v);
}

namespace {

const char* const kSource = "Modkit.CommandWalk";
const char* const kNumbers = "Modkit.BGLCommandList";

using numtext::intText;

std::string commandLabel(int32_t position, BGLOpcode op) {
    return "command " + intText(position) + " (" + opcodeName(op) + ")";
}

class Walker {
public:
    Walker(const BGLCommandList& list, GeometrySink& sink, const WalkState* state, WalkTrace* trace)
        : list_(list), sink_(sink), state_(state), trace_(trace) {}

    void linear() {
        for (int32_t position = 1; position <= list_.Count(); ++position) draw(position, list_.view(position));
    }

    void run();

private:
    // The drawing commands; false for any other.
    bool draw(int32_t position, const BGLCommandView& cmd) {
        switch (cmd.opcode()) {
        case BGLOpcode::SET_MATERIAL:
            drawState_.material = numtext::toInt16(cmd.param(0), kNumbers);
            drawState_.texture = numtext::toInt16(cmd.param(1), kNumbers);
            drawState_.set = true;
            sink_.material(drawState_, position);
            return true;
        case BGLOpcode::BGL_ZBIAS:
            sink_.zbias(numtext::toDouble(cmd.param(0), kNumbers), position);
            return true;
        case BGLOpcode::DRAW_TRI_LIST_BEGIN:
            triBase_ = numtext::toInt32(cmd.param(0), kNumbers);
            return true;
        case BGLOpcode::DRAW_LINE_LIST_BEGIN:
            lineBase_ = numtext::toInt32(cmd.param(0), kNumbers);
            return true;
        case BGLOpcode::DRAW_TRI_LIST_ITEM: {
            WalkTriangle t;
            if (sink_.wantsVertices())
                for (int i = 0; i < 3; ++i) t.v[i] = index(cmd, i, triBase_);
            t.state = drawState_;
            t.position = position;
            sink_.triangle(t);
            return true;
        }
        case BGLOpcode::DRAW_LINE_LIST_ITEM: {
            WalkLine l;
            if (sink_.wantsVertices())
                for (int i = 0; i < 2; ++i) l.v[i] = index(cmd, i, lineBase_);
            l.state = drawState_;
            l.position = position;
            sink_.line(l);
            return true;
        }
        default:
            return false;
        }
    }

    static int32_t index(const BGLCommandView& cmd, int i, int32_t base) {
        return numtext::roundToInt32(cmd.number(i, kNumbers) + base, kNumbers);
    }

    // The destination of the command's jump parameter 0, checked to be a
    // command of the list.
    int32_t destination(int32_t position, const BGLCommandView& cmd) const {
        const int32_t d = cmd.jumpDest(0);
        if (d < 1 || d > list_.Count())
            raiseLibrary(kSource, "The jump of " + commandLabel(position, cmd.opcode()) + " lands outside the stream (at " +
                                      intText(d) + " of " + intText(list_.Count()) + " commands)");
        return d;
    }

    // The state's value for the variable text, false when it has none.
    bool variable(const std::string& text, int32_t& value, std::string& label) const {
        const double v = numtext::toDouble(text, kNumbers);
        const int32_t address = numtext::roundToInt32(v, kNumbers);
        const ConditionVariable* known = variableAt(address);
        label = known ? known->name + " (" + known->address + ")" : "variable " + hexText(address);
        return state_->lookup(address, value);
    }

    // One range test of param(first) (variable), param(first+1..first+2) (bounds).
    bool inRange(const BGLCommandView& cmd, int first, bool& known, std::string& text) const {
        int32_t value = 0;
        std::string label;
        const double lo = numtext::toDouble(cmd.param(first + 1), kNumbers);
        const double hi = numtext::toDouble(cmd.param(first + 2), kNumbers);
        const std::string range = numtext::intText(static_cast<int64_t>(lo)) + ".." + numtext::intText(static_cast<int64_t>(hi));
        text += (text.empty() ? "" : ", ");
        if (!variable(cmd.param(first), value, label)) {
            known = false;
            text += label + " unknown, in " + range + "?";
            return true;
        }
        text += label + " = " + intText(value) + (value >= lo && value <= hi ? " in " : " not in ") + range;
        return value >= lo && value <= hi;
    }

    // Decides a test: true when the commands after it run.
    bool test(int32_t position, const BGLCommandView& cmd, bool& known, std::string& text) const {
        switch (cmd.opcode()) {
        case BGLOpcode::IFIN1:
        case BGLOpcode::IFINF1:
            return inRange(cmd, 1, known, text);
        case BGLOpcode::IFIN2:
        case BGLOpcode::IFIN3: {
            const int ranges = cmd.opcode() == BGLOpcode::IFIN2 ? 2 : 3;
            bool all = true;
            for (int r = 0; r < ranges; ++r) all = inRange(cmd, 1 + 3 * r, known, text) && all;
            return all;
        }
        case BGLOpcode::IFMSK: {
            int32_t value = 0;
            std::string label;
            const int32_t mask = numtext::toInt32(cmd.param(2), kNumbers) & 0xFFFF;
            if (!variable(cmd.param(1), value, label)) {
                known = false;
                text = label + " unknown, mask " + hexText(mask) + "?";
                return true;
            }
            const bool hit = (value & mask) != 0;
            text = label + " = " + intText(value) + (hit ? " has bits of mask " : " has no bit of mask ") + hexText(mask);
            return hit;
        }
        default:
            (void)position;
            known = false;
            text = "meaning unknown";
            return true;
        }
    }

    void decide(int32_t position, const BGLCommandView& cmd, bool passed, bool known, const std::string& what) {
        if (!trace_) return;
        std::string text = opcodeName(cmd.opcode()) + (what.empty() ? "" : " " + what) + ": ";
        if (!known) text += "not decided, passed";
        else text += passed ? "passed" : "skipped to " + intText(cmd.jumpDest(0));
        trace_->decisions.push_back(WalkDecision{position, cmd.opcode(), passed, known, text});
    }

    const BGLCommandList& list_;
    GeometrySink& sink_;
    const WalkState* state_;
    WalkTrace* trace_;
    DrawState drawState_;
    int32_t triBase_ = 0, lineBase_ = 0;
};

void Walker::run() {
    const int32_t count = list_.Count();
    if (trace_) trace_->executed.assign(static_cast<size_t>(count) + 1, false);
    // The call that last ran each command: reaching a command again within the
    // same call means the walk repeats for ever (the state never changes).
    std::vector<uint32_t> seenIn(static_cast<size_t>(count) + 1, 0);
    uint32_t calls = 1;                                    // call numbers handed out
    std::vector<std::pair<int32_t, uint32_t>> stack;       // return position, caller's call number
    uint32_t current = 1;
    int32_t position = 1;
    // Loops are caught above; this bounds what a tree of calls may cost.
    const int64_t budget = std::max<int64_t>(int64_t{100} * count, 10'000'000);
    int64_t steps = 0;
    while (position >= 1 && position <= count) {
        if (++steps > budget)
            raiseLibrary(kSource, "The stream runs more than " + intText(budget) + " commands (at " +
                                      commandLabel(position, list_.view(position).opcode()) + ")");
        uint32_t& seen = seenIn[static_cast<size_t>(position)];
        const BGLCommandView cmd = list_.view(position);
        if (seen == current) raiseLibrary(kSource, "The stream loops at " + commandLabel(position, cmd.opcode()));
        seen = current;
        if (trace_) trace_->executed[static_cast<size_t>(position)] = true;
        if (draw(position, cmd)) {
            ++position;
            continue;
        }
        switch (cmd.opcode()) {
        case BGLOpcode::jump:
        case BGLOpcode::BGL_JUMP_32:
            position = destination(position, cmd);
            break;
        case BGLOpcode::BGL_CALL:
        case BGLOpcode::BGL_CALL_32:
        case BGLOpcode::SPRITE_VICALL: {
            const int32_t to = destination(position, cmd);
            if (static_cast<int>(stack.size()) >= kMaxCallDepth)
                raiseLibrary(kSource, "Calls nest deeper than " + intText(kMaxCallDepth) + " at " +
                                          commandLabel(position, cmd.opcode()));
            stack.emplace_back(position + 1, current);
            current = ++calls;
            position = to;
            break;
        }
        case BGLOpcode::BGL_RETURN:
            if (stack.empty()) return;
            position = stack.back().first;
            current = stack.back().second;
            stack.pop_back();
            break;
        case BGLOpcode::BGL_END:
            return;
        case BGLOpcode::IFIN1:
        case BGLOpcode::IFIN2:
        case BGLOpcode::IFIN3:
        case BGLOpcode::IFINF1:
        case BGLOpcode::IFMSK:
        case BGLOpcode::IFSIZEV:
        case BGLOpcode::IFSIZEH:
        case BGLOpcode::IFINBOXP:
        case BGLOpcode::IFIN_BOX_PLANE:
        case BGLOpcode::IFIN_INSTANCED_BOX_PLANE:
        case BGLOpcode::SEPARATION_PLANE: {
            bool known = true;
            std::string text;
            const bool passed = test(position, cmd, known, text);
            decide(position, cmd, passed, known, text);
            position = passed ? position + 1 : destination(position, cmd);
            break;
        }
        default:
            ++position;
            break;
        }
    }
}

class Counter : public GeometrySink {
public:
    void triangle(const WalkTriangle&) override { ++count; }
    bool wantsVertices() const override { return false; }
    int64_t count = 0;
};

class Collector : public GeometrySink {
public:
    void triangle(const WalkTriangle& t) override { triangles.push_back(t); }
    std::vector<WalkTriangle> triangles;
};

class PairFinder : public GeometrySink {
public:
    void triangle(const WalkTriangle& t) override {
        if (!pairs.empty() && t.state == last) return;
        last = t.state;
        if (std::find(pairs.begin(), pairs.end(), t.state) == pairs.end()) pairs.push_back(t.state);
    }
    bool wantsVertices() const override { return false; }
    std::vector<DrawState> pairs;
    DrawState last;
};

}  // namespace

void walkCommands(const BGLCommandList& list, GeometrySink& sink, const WalkState* state, WalkTrace* trace) {
    Walker w(list, sink, state, trace);
    if (state) w.run();
    else w.linear();
}

int64_t countTriangles(const BGLCommandList& list, const WalkState* state) {
    Counter c;
    walkCommands(list, c, state);
    return c.count;
}

std::vector<WalkTriangle> drawnTriangles(const BGLCommandList& list, const WalkState* state) {
    Collector c;
    walkCommands(list, c, state);
    return std::move(c.triangles);
}

std::vector<int32_t> testedVariables(const BGLCommandList& list) {
    std::vector<int32_t> out;
    auto add = [&](const std::string& text) {
        if (!numtext::isNumber(text)) return;
        const double v = numtext::toDouble(text);
        if (!(v >= INT32_MIN && v <= INT32_MAX)) return;
        const auto address = static_cast<int32_t>(v);
        if (std::find(out.begin(), out.end(), address) == out.end()) out.push_back(address);
    };
    for (int32_t position = 1; position <= list.Count(); ++position) {
        const BGLCommandView cmd = list.view(position);
        switch (cmd.opcode()) {
        case BGLOpcode::IFIN1:
        case BGLOpcode::IFINF1:
        case BGLOpcode::IFMSK:
            add(cmd.param(1));
            break;
        case BGLOpcode::IFIN2:
        case BGLOpcode::IFIN3:
            for (int i = 1; i <= (cmd.opcode() == BGLOpcode::IFIN2 ? 4 : 7); i += 3) add(cmd.param(i));
            break;
        default:
            break;
        }
    }
    return out;
}

std::vector<DrawState> materialTexturePairs(const BGLCommandList& list, const WalkState* state) {
    PairFinder p;
    walkCommands(list, p, state);
    return std::move(p.pairs);
}

}  // namespace modkit
