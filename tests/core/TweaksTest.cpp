#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "CommandLists.h"
#include "ModelBuilder.h"
#include "Models.h"
#include "TestUtil.h"
#include "modkit/bgl/Conditions.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"

using namespace modkit;
using testcmds::cmd;

namespace {

// Offset of a section header in a saved file, npos when absent.
size_t headerAt(const std::string& file, const std::string& tag) { return file.find(tag, 12); }

int32_t riffSize(const std::string& file) {
    int32_t v;
    std::memcpy(&v, file.data() + 4, 4);
    return v;
}

std::string modelWithout(const std::string& absent) {
    std::vector<modelgen::Section> top = {{"MDLH", modelgen::headerBody({})},
                                          {"DICT", "dictionary"},
                                          {"BBOX", modelgen::bboxBody(0, 0, 0, 1, 1, 1)},
                                          {"SHAD", "own shadow"},
                                          {"CRAS", "crash"}};
    std::erase_if(top, [&](const modelgen::Section& s) { return s.tag == absent; });
    modelgen::BglBuilder b;
    b.cmd(189, {});
    return modelgen::mdlFile(top, {{"BGL ", b.bytes()}});
}

std::shared_ptr<BGLCommand> light() { return cmd(BGLOpcode::BGL_LIGHT, {"1"}); }
std::shared_ptr<BGLCommand> mask(const char* var) { return cmd(BGLOpcode::IFMSK, {"", var, "1"}, 1); }
std::shared_ptr<BGLCommand> override() { return cmd(BGLOpcode::VAR_BASE_OVERRIDE, {"0"}); }
std::shared_ptr<BGLCommand> end() { return cmd(BGLOpcode::BGL_END); }

}  // namespace

TEST(Tweaks, KillShadowBodyAndPlace) {
    MDLObject m;
    m.readMDLBytes(modelWithout("SHAD"));
    const std::string before = m.toBytes();
    m.addKillShadow();
    const std::string once = m.toBytes();
    size_t at = headerAt(once, "SHAD");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(testutil::hex(once.substr(at, 20)),
              "53 48 41 44 0C 00 00 00 42 47 4C 20 00 00 00 00 BD 00 22 00");
    EXPECT_LT(headerAt(once, "BBOX"), at);
    EXPECT_GT(headerAt(once, "CRAS"), at);
    EXPECT_GT(headerAt(once, "EXTE"), at);
    EXPECT_EQ(riffSize(once), riffSize(before) + 20);
    m.addKillShadow();
    EXPECT_EQ(m.toBytes(), once);

    // Restoring drops the section, whatever it held; on a model without one nothing changes.
    m.removeKillShadow();
    EXPECT_EQ(m.toBytes(), before);
    m.removeKillShadow();
    EXPECT_EQ(m.toBytes(), before);
    MDLObject own;
    own.readMDLBytes(modelWithout(""));
    own.removeKillShadow();
    EXPECT_EQ(headerAt(own.toBytes(), "SHAD"), std::string::npos);
}

TEST(Tweaks, FixLightsStopsAtATextThatIsNoNumber) {
    MDLObject m;
    auto& l = *m.BGLCommandList();
    for (auto& c : {end(), override(), light(), end(), mask("x"), override(), light(), override(), light()}) l.Add(c);
    EXPECT_MODKIT_ERROR(m.fixLights(), 13);
    // The first light's run and the override nearest the failing mask are gone.
    std::vector<int> left;
    for (const auto& x : l) left.push_back(x->opcodeValue());
    EXPECT_EQ(left, (std::vector<int>{189, 178, 189, 57, 178, 159, 178}));
}

// Random streams of lights, masks of 100, 200 and 300 (the threshold is 200,
// removed with it), overrides, jumps and ends; the results are pinned in
// tests/data (they once equalled the command-by-command removal with
// updateJumpDest that fixLights replaced; jumps onto a removed command land on
// the next). A second pass changes nothing. The DICT it drops: cli/model.txt.
TEST(Tweaks, FixLightsOnRandomStreamsGivesThePinnedStreams) {
    std::mt19937 rng(11);
    const BGLOpcode ops[] = {BGLOpcode::BGL_LIGHT, BGLOpcode::IFMSK, BGLOpcode::VAR_BASE_OVERRIDE,
                             BGLOpcode::BGL_JUMP_32, BGLOpcode::BGL_END};
    std::vector<std::string> cases;
    for (int round = 0; round < 300; ++round) {
        MDLObject m;
        const int n = 1 + static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) {
            BGLOpcode op = ops[rng() % 5];
            auto c = cmd(op, {"", std::to_string(100 + static_cast<int>(rng() % 3) * 100), "1"});
            if (op == BGLOpcode::IFMSK || op == BGLOpcode::BGL_JUMP_32)
                c->setJumpDest(0, static_cast<int32_t>(rng() % static_cast<unsigned>(n + 3)) - 1);
            m.BGLCommandList()->Add(c);
        }
        const std::string before = testcmds::pictureText(*m.BGLCommandList());
        m.fixLights();
        cases.push_back(before + "gives\n" + testcmds::pictureText(*m.BGLCommandList()));
        m.fixLights();
        ASSERT_EQ(before + "gives\n" + testcmds::pictureText(*m.BGLCommandList()), cases.back());
    }
    testutil::expectGoldenDigests("core/random-lights.txt", cases);
}

TEST(Tweaks, EditsOnAnyReadableModelFailCleanly) {
    // Corrupted models that still load: every edit either works or raises a
    // library error, and the result can be written or refuses cleanly.
    std::mt19937 rng(7);
    const std::string bases[] = {testmodels::everything(), modelgen::seasonalModel(3, 2), modelgen::lightsModel(60, 4)};
    int loaded = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string s = bases[round % 3];
        for (int i = 0, flips = 1 + static_cast<int>(rng() % 4); i < flips; ++i)
            s[rng() % s.size()] = static_cast<char>(rng() & 0xFF);
        MDLObject m;
        try {
            m.readMDLBytes(s);
        } catch (const Error&) {
            continue;
        }
        ++loaded;
        auto attempt = [&](auto edit) {
            try {
                edit();
            } catch (const Error&) {
            }
        };
        for (auto& t : *m.TextureList()) t->setParent(1);
        attempt([&] { m.updateTextureSize(); });
        attempt([&] { m.readSeasonalDates(1); });
        attempt([&] {
            seasonalTextures st;
            st.active = {true, true, false, false, true};
            st.dayStart = {150, 240, 0, 0, 60};
            st.dayEnd = {239, 59, 0, 0, 149};
            m.BGLCommandList()->addSeasonalTextures(st);
        });
        attempt([&] {
            auto c = m.BGLCommandList()->getConditions(-1);
            c->Add()->setCType(CondType::RotWind);
            c->setMultiCondition(eMultiCondition::mOR);
            m.BGLCommandList()->addCondition(c);
        });
        attempt([&] { m.fixLights(); });
        attempt([&] { m.addKillShadow(); });
        attempt([&] { m.toBytes(); });
    }
    EXPECT_GT(loaded, 100);
}
