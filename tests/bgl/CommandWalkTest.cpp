#include <gtest/gtest.h>

#include "CommandLists.h"
#include "TestUtil.h"
#include "modkit/bgl/CommandWalk.h"
#include "modkit/bgl/Conditions.h"
#include "modkit/bgl/WalkState.h"
#include "modkit/core/Error.h"

using namespace modkit;
using testcmds::add;
using testcmds::cmd;

namespace {

// What a walk drew: "m<material>/<texture>" for each material change,
// "t<a>,<b>,<c>" for each triangle, "l<a>,<b>" for each line.
std::vector<std::string> drawn(const BGLCommandList& l, const WalkState* s = nullptr, WalkTrace* trace = nullptr) {
    struct Sink : GeometrySink {
        std::vector<std::string> out;
        void material(const DrawState& d, int32_t) override {
            out.push_back("m" + std::to_string(d.material) + "/" + std::to_string(d.texture));
        }
        void triangle(const WalkTriangle& t) override {
            out.push_back("t" + std::to_string(t.v[0]) + "," + std::to_string(t.v[1]) + "," + std::to_string(t.v[2]));
        }
        void line(const WalkLine& l) override { out.push_back("l" + std::to_string(l.v[0]) + "," + std::to_string(l.v[1])); }
    } sink;
    walkCommands(l, sink, s, trace);
    return sink.out;
}

std::shared_ptr<BGLCommand> tri(const char* a, const char* b, const char* c) {
    return cmd(BGLOpcode::DRAW_TRI_LIST_ITEM, {a, b, c});
}

}  // namespace

TEST(CommandWalk, LinearWalkDrawsEveryTriangleAndLineInListOrder) {
    BGLCommandList l;
    add(l, {cmd(BGLOpcode::IFIN1, {"", "827", "0", "10"}, 6), tri("0", "1", "2"),
            cmd(BGLOpcode::SET_MATERIAL, {"2", "-1"}), cmd(BGLOpcode::DRAW_TRI_LIST_BEGIN, {"100", "3", "3"}),
            tri("0", "1", "2"), cmd(BGLOpcode::BGL_END), cmd(BGLOpcode::DRAW_LINE_LIST_BEGIN, {"7", "0", "2"}),
            cmd(BGLOpcode::DRAW_LINE_LIST_ITEM, {"1", "2"}), cmd(BGLOpcode::SET_MATERIAL, {"1", "0"}),
            tri("1", "2", "3")});
    EXPECT_EQ(drawn(l), (std::vector<std::string>{"t0,1,2", "m2/-1", "t100,101,102", "l8,9", "m1/0", "t101,102,103"}));
    EXPECT_EQ(countTriangles(l), 3);
    // The first triangle has nothing selected yet; then two pairs.
    const std::vector<DrawState> pairs = materialTexturePairs(l);
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_FALSE(pairs[0].set);
    EXPECT_EQ(pairs[1], (DrawState{2, -1, true}));
    EXPECT_EQ(pairs[2], (DrawState{1, 0, true}));
    // Under a state the distance test (at 0, within 0..10) passes and BGL_END stops.
    WalkState s;
    WalkTrace trace;
    EXPECT_EQ(drawn(l, &s, &trace), (std::vector<std::string>{"t0,1,2", "m2/-1", "t100,101,102"}));
    ASSERT_EQ(trace.decisions.size(), 1u);
    EXPECT_EQ(trace.decisions[0].text, "IFIN1 Distance to RefPoint (33B) = 0 in 0..10: passed");
    s.setDistance(11);
    trace = {};
    EXPECT_EQ(drawn(l, &s, &trace), std::vector<std::string>{});
    EXPECT_EQ(trace.decisions[0].text, "IFIN1 Distance to RefPoint (33B) = 11 not in 0..10: skipped to 6");
    EXPECT_FALSE(trace.executed[2]);
    EXPECT_TRUE(trace.executed[6]);
}

TEST(CommandWalk, CallsReturnToTheCommandAfterThemAndJumpsAreFollowed) {
    BGLCommandList l;
    add(l, {cmd(BGLOpcode::BGL_CALL_32, {""}, 6),                              // 1
            cmd(BGLOpcode::SET_MATERIAL, {"1", "1"}),                           // 2
            cmd(BGLOpcode::BGL_CALL, {""}, 6),                                  // 3
            cmd(BGLOpcode::jump, {""}, 9),                                      // 4
            tri("9", "9", "9"),                                                 // 5: jumped over
            cmd(BGLOpcode::SET_MATERIAL, {"0", "0"}),                           // 6
            tri("0", "1", "2"),                                                 // 7
            cmd(BGLOpcode::BGL_RETURN),                                         // 8
            cmd(BGLOpcode::BGL_JUMP_32, {""}, 11),                              // 9
            tri("8", "8", "8"),                                                 // 10: jumped over
            cmd(BGLOpcode::IFMSK, {"", "786", "4"}, 13),                        // 11: user variable 1 has bit 4
            tri("3", "4", "5"),                                                 // 12
            cmd(BGLOpcode::BGL_RETURN)});                                       // 13: ends the walk
    WalkState s;
    EXPECT_EQ(drawn(l, &s), (std::vector<std::string>{"m0/0", "t0,1,2", "m1/1", "m0/0", "t0,1,2"}));
    s.set("user variable 1", 6);
    EXPECT_EQ(drawn(l, &s).back(), "t3,4,5");
}

TEST(CommandWalk, LoopsJumpsOutsideAndEndlessCallsAreErrorsNamingTheCommand) {
    struct Case {
        std::vector<std::shared_ptr<BGLCommand>> cmds;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{cmd(BGLOpcode::SET_MATERIAL, {"0", "0"}), cmd(BGLOpcode::BGL_JUMP_32, {""}, 1)},
         "The stream loops at command 1 (SET_MATERIAL)"},
        {{cmd(BGLOpcode::IFIN1, {"", "906", "1", "100"}, 1)}, "The stream loops at command 1 (IFIN1)"},
        {{cmd(BGLOpcode::jump, {""}, 3)}, "The jump of command 1 (JUMP) lands outside the stream (at 3 of 1 commands)"},
        {{cmd(BGLOpcode::BGL_CALL_32, {""}, 0)},
         "The jump of command 1 (BGL_CALL_32) lands outside the stream (at 0 of 1 commands)"},
        {{cmd(BGLOpcode::BGL_CALL, {""}, 1)}, "Calls nest deeper than 64 at command 1 (BGL_CALL)"},
    };
    for (const Case& c : cases) {
        BGLCommandList l;
        for (const auto& x : c.cmds) l.Add(x);
        WalkState s;
        EXPECT_EQ(testutil::errorText([&] { drawn(l, &s); }), "100 Modkit.CommandWalk: " + c.message);
        EXPECT_NO_THROW(drawn(l));  // the linear walk follows nothing
    }
}

TEST(CommandWalk, ConditionCombinationsGiveTheirTruthTables) {
    // Two between conditions on user variables 1 and 2 (1..1 holds at 1).
    const std::pair<eMultiCondition, bool (*)(bool, bool)> kinds[] = {
        {eMultiCondition::mAND, [](bool a, bool b) { return a && b; }},
        {eMultiCondition::mOR, [](bool a, bool b) { return a || b; }},
        {eMultiCondition::mNOT, [](bool a, bool b) { return !a && !b; }},
        {eMultiCondition::mNOR, [](bool a, bool b) { return !a || !b; }},
    };
    for (const auto& [kind, truth] : kinds) {
        BGLCommandList l;
        add(l, {cmd(BGLOpcode::BGL_CALL_32, {""}, 3), cmd(BGLOpcode::BGL_END), tri("0", "1", "2"),
                cmd(BGLOpcode::BGL_RETURN)});
        auto conditions = l.getConditions(-1);
        for (const char* var : {"786", "788"}) conditions->Add(testcmds::between(var, 1, 1));
        conditions->setMultiCondition(kind);
        l.addCondition(conditions);
        for (int a = 0; a < 2; ++a)
            for (int b = 0; b < 2; ++b) {
                WalkState s;
                s.set("312", a);
                s.set("314", b);
                EXPECT_EQ(countTriangles(l, &s), truth(a, b) ? 1 : 0)
                    << "kind " << static_cast<int>(kind) << ", conditions " << a << b;
            }
    }
}

// What each refusal says: tests/data/cli/render.txt (visible).
TEST(WalkState, RefusedValuesAreNotTakenAndTheSeasonFollowsTheDay) {
    WalkState s;
    EXPECT_THROW(s.set("Scenery complexity", 6), Error);
    EXPECT_THROW(s.set("Distance to RefPoint", -1), Error);
    EXPECT_THROW(s.set("Moon phase", 1), Error);
    EXPECT_EQ(s, WalkState());
    EXPECT_EQ(s.value(0x6F8), 2);  // summer
    EXPECT_EQ(s.value(0x346), 5);
    s.setDayOfYear(20);
    EXPECT_EQ(s.value(0x6F8), 0);  // winter
}
