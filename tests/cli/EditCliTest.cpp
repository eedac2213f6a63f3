#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ModelBuilder.h"
#include "RunCli.h"
#include "TestUtil.h"
#include "modkit/core/MDLObject.h"

using testutil::readFile;
using testutil::runCli;
using testutil::TempDir;
using testutil::writeFile;

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::unique_ptr<modkit::MDLObject> load(const std::string& path) {
    auto m = std::make_unique<modkit::MDLObject>();
    m->readMDL(path);
    return m;
}

}  // namespace

TEST(EditCli, TweakWritesBesideTheInput) {
    TempDir dir;
    const std::string in = dir.file("House.MDL");
    writeFile(in, modelgen::lightsModel(200, 10));
    const std::string original = readFile(in);
    auto r = runCli({"tweak", in, "--kill-shadow", "--fix-lights"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(has(r.out, "fix-lights: 20 commands removed before lights")) << r.out;
    EXPECT_EQ(readFile(in), original);
    auto m = load(dir.file("House_tweaked.mdl"));
    EXPECT_EQ(m->getRIFFSectionSize(m->getRIFFSectionIndex("SHAD")), 12);
    EXPECT_EQ(m->getRIFFSectionSize(m->getRIFFSectionIndex("DICT")), 0);
    for (const auto& c : *m->BGLCommandList()) EXPECT_NE(c->opcode(), modkit::BGLOpcode::VAR_BASE_OVERRIDE);

    r = runCli({"tweak", dir.file("House_tweaked.mdl"), "-o", dir.file("back.mdl"), "--restore-shadow"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(load(dir.file("back.mdl"))->getRIFFSectionSize(5), 0);
}

TEST(EditCli, TweakFixesTextureSizesByGroup) {
    TempDir dir;
    writeFile(dir.file("s.mdl"), modelgen::seasonalModel(2, 1));
    auto r = runCli({"tweak", dir.file("s.mdl"), "--fix-texture-sizes"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    auto m = load(dir.file("s_tweaked.mdl"));
    for (int i = 1; i <= 4; ++i) EXPECT_FLOAT_EQ(m->TextureList()->Item(i)->size(), 16) << i;

    // With other suffixes the variants are not recognised and keep their size.
    r = runCli({"tweak", dir.file("s.mdl"), "-o", dir.file("o.mdl"), "--fix-texture-sizes", "--suffixes",
                "_S,_A,_W,_H,_N"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    m = load(dir.file("o.mdl"));
    EXPECT_FLOAT_EQ(m->TextureList()->Item(1)->size(), 16);
    EXPECT_FLOAT_EQ(m->TextureList()->Item(2)->size(), 0);
}

TEST(EditCli, TweakUsageAndFailures) {
    TempDir dir;
    writeFile(dir.file("m.mdl"), modelgen::lightsModel(50, 2));
    EXPECT_EQ(runCli({"tweak", dir.file("m.mdl")}).exitCode, 2);
    EXPECT_EQ(runCli({"tweak", dir.file("m.mdl"), "--kill-shadow", "--restore-shadow"}).exitCode, 2);
    EXPECT_EQ(runCli({"tweak", dir.file("m.mdl"), "--fix-texture-sizes", "--suffixes", "_A,_B"}).exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("m_tweaked.mdl")));

    // A read-only target stays as it was.
    writeFile(dir.file("ro.mdl"), "old");
    ::chmod(dir.file("ro.mdl").c_str(), 0444);
    auto r = runCli({"tweak", dir.file("m.mdl"), "-o", dir.file("ro.mdl"), "--clean-dict"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "Error 70 (Permission denied)")) << r.err;
    EXPECT_EQ(readFile(dir.file("ro.mdl")), "old");
}

TEST(EditCli, ConditionsReadAndReplaced) {
    auto r = runCli({"conditions", testutil::sampleModel()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Distance to RefPoint between 0 and 5000\nCombination: AND\n");

    TempDir dir;
    const std::string in = dir.file("house.mdl");
    writeFile(in, readFile(testutil::sampleModel()));
    r = runCli({"set-conditions", in, "--mask", "28C:4", "--between", "33b:0:500", "--between", "38A:60:149",
                "--rotate-wind", "--combine", "NOR"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Warning: Mask conditions combined with OR or NOR are never tested"), std::string::npos) << r.err;
    r = runCli({"conditions", dir.file("house_tweaked.mdl")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The mask stands right in front of the body call, so the block reads back as AND.
    EXPECT_EQ(r.out,
              "Day of the year between 60 and 149\nDistance to RefPoint between 0 and 500\nTime of day contains 4\n"
              "Rotate with wind\nCombination: AND\n");

    // No condition at all: the plain body call.
    r = runCli({"set-conditions", dir.file("house_tweaked.mdl"), "-o", dir.file("plain.mdl")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(runCli({"conditions", dir.file("plain.mdl")}).out, "No display conditions\n");
}

TEST(EditCli, SetConditionsRefusesWhatTheEditorRefuses) {
    TempDir dir;
    const std::string in = dir.file("house.mdl");
    writeFile(in, readFile(testutil::sampleModel()));
    for (std::vector<std::string> bad : {std::vector<std::string>{"--between", "33B:0:40000"},
                                         {"--between", "33B:0"},
                                         {"--between", "XYZ:0:1"},
                                         {"--mask", "312:one"},
                                         {"--rotate-user", "--rotate-wind"},
                                         {"--rotate-user", "--rotate-user"},
                                         {"--combine", "xor"}}) {
        std::vector<std::string> args = {"set-conditions", in};
        args.insert(args.end(), bad.begin(), bad.end());
        auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << bad[0] << " " << r.err;
    }
    EXPECT_TRUE(has(runCli({"set-conditions", in, "--rotate-user", "--rotate-wind"}).err,
                    "You can not have both the rotate to user and wind condition on the same object"));
    EXPECT_TRUE(has(runCli({"set-conditions", in, "--between", "33B:0:40000"}).err,
                    "Please make sure all required fields are valid"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("house_tweaked.mdl")));

    // A model without a body call has no object conditions to read or replace.
    modelgen::BglBuilder b;
    b.cmd(189, {});
    writeFile(dir.file("nobody.mdl"), modelgen::mdlFile({}, {{"BGL ", b.bytes()}}));
    auto r = runCli({"conditions", dir.file("nobody.mdl")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(has(r.err, "Error 5 (")) << r.err;
    EXPECT_EQ(runCli({"set-conditions", dir.file("nobody.mdl"), "--rotate-user"}).exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("nobody_tweaked.mdl")));
}

TEST(EditCli, SeasonsOfEachBaseTexture) {
    TempDir dir;
    modkit::MDLObject m;
    m.readMDLBytes(modelgen::seasonalModel(3, 2));
    modkit::seasonalTextures s;
    s.Material = {0, 1, 2, 0, 3};
    s.active = {true, true, true, false, true};
    s.dayStart = {150, 240, 330, 0, 60};
    s.dayEnd = {239, 329, 59, 0, 149};
    m.BGLCommandList()->addSeasonalTextures(s);
    m.saveMDL(dir.file("seasons.mdl"));
    auto r = runCli({"seasons", dir.file("seasons.mdl")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "1 base.bmp\n"
              "  summer 150..239 base.bmp\n"
              "  autumn 240..329 base_fa.bmp\n"
              "  winter 330..59 base_wi.bmp\n"
              "  spring 60..149 base_sp.bmp\n"
              "5 other.bmp\n"
              "  no seasons\n");

    r = runCli({"seasons", testutil::sampleModel()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "1 house_walls.bmp\n  no seasons\n2 house_roof.bmp\n  no seasons\n");
}
