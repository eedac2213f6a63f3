// The model commands as a user runs them: what they print and their exit
// codes against tests/data/cli/model.txt, what they write checked here.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ModelBuilder.h"
#include "Models.h"
#include "RunCli.h"
#include "TestUtil.h"
#include "modkit/core/MDLObject.h"

using testutil::readFile;
using testutil::writeFile;

TEST(Cli, ModelCommands) {
    testutil::TempDir dir;
    auto file = [&](const char* name) { return dir.file(name); };
    const std::string sample = testutil::sampleModel();
    writeFile(file("bad.mdl"), "not a model at all");
    writeFile(file("House.MDL"), modelgen::lightsModel(200, 10));
    writeFile(file("s.mdl"), modelgen::seasonalModel(2, 1));
    writeFile(file("m.mdl"), modelgen::lightsModel(50, 2));
    writeFile(file("ro.mdl"), "old");
    ::chmod(file("ro.mdl").c_str(), 0444);
    writeFile(file("house.mdl"), readFile(sample));
    writeFile(file("refuse.mdl"), readFile(sample));
    modelgen::BglBuilder end;
    end.cmd(189, {});
    writeFile(file("nobody.mdl"), modelgen::mdlFile({}, {{"BGL ", end.bytes()}}));
    modkit::MDLObject seasons;
    seasons.readMDLBytes(modelgen::seasonalModel(3, 2));
    seasons.BGLCommandList()->addSeasonalTextures(testmodels::defaultSeasons());
    seasons.saveMDL(file("seasons.mdl"));
    const std::string lights = readFile(file("House.MDL"));

    testutil::Transcript t(dir);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"info", sample},
             {"info", "--json", sample},
             {"save", sample, file("copy.mdl")},
             {"info", file("bad.mdl")},
             {"info", file("absent.mdl")},
             {"info"}, {"info", "a", "b"}, {"info", "--bogus", "a"}, {"nosuchcommand"}, {},
             {"tweak", file("House.MDL"), "--kill-shadow", "--fix-lights"},
             {"tweak", file("House_tweaked.mdl"), "-o", file("back.mdl"), "--restore-shadow"},
             {"tweak", file("s.mdl"), "--fix-texture-sizes"},
             // With other suffixes the variants are not recognised and keep their size.
             {"tweak", file("s.mdl"), "-o", file("o.mdl"), "--fix-texture-sizes", "--suffixes", "_S,_A,_W,_H,_N"},
             {"tweak", file("m.mdl")},
             {"tweak", file("m.mdl"), "--kill-shadow", "--restore-shadow"},
             {"tweak", file("m.mdl"), "--fix-texture-sizes", "--suffixes", "_A,_B"},
             {"tweak", file("m.mdl"), "-o", file("ro.mdl"), "--clean-dict"},
             // What the condition editor refuses, set-conditions refuses.
             {"set-conditions", file("refuse.mdl"), "--between", "33B:0:40000"},
             {"set-conditions", file("refuse.mdl"), "--between", "33B:0"},
             {"set-conditions", file("refuse.mdl"), "--between", "XYZ:0:1"},
             {"set-conditions", file("refuse.mdl"), "--mask", "312:one"},
             {"set-conditions", file("refuse.mdl"), "--rotate-user", "--rotate-wind"},
             {"set-conditions", file("refuse.mdl"), "--rotate-user", "--rotate-user"},
             {"set-conditions", file("refuse.mdl"), "--rotate-wind", "--rotate-wind"},
             {"set-conditions", file("refuse.mdl"), "--rotate-wind", "--rotate-user"},
             {"set-conditions", file("m.mdl"), "-o", file("masked.mdl"), "--mask", "312:1", "--combine", "or"},
             {"set-conditions", file("refuse.mdl"), "--combine", "xor"},
             {"conditions", sample},
             {"set-conditions", file("house.mdl"), "--mask", "28C:4", "--between", "33b:0:500", "--between",
              "38A:60:149", "--rotate-wind", "--combine", "NOR"},
             // The mask stands right in front of the body call, so the block reads back as AND.
             {"conditions", file("house_tweaked.mdl")},
             {"set-conditions", file("house_tweaked.mdl"), "-o", file("plain.mdl")},
             {"conditions", file("plain.mdl")},
             // A model without a body call has no object conditions to read or replace.
             {"conditions", file("nobody.mdl")},
             {"set-conditions", file("nobody.mdl"), "--rotate-user"},
             {"seasons", file("seasons.mdl")},
             {"seasons", sample},
             // What the tweaks wrote: SHAD 12 bytes, no DICT, fewer commands; then no SHAD.
             {"info", file("House_tweaked.mdl")},
             {"info", file("back.mdl")},
         })
        t.run(args);
    testutil::expectGolden("cli/model.txt", t.text());

    EXPECT_EQ(testutil::runCli({"--help"}).exitCode, 0);
    EXPECT_EQ(readFile(file("copy.mdl")), readFile(sample));
    EXPECT_EQ(readFile(file("House.MDL")), lights);
    auto sizes = testutil::loadModel(readFile(file("s_tweaked.mdl")));
    for (int i = 1; i <= 4; ++i) EXPECT_FLOAT_EQ(sizes->TextureList()->Item(i)->size(), 16) << i;
    auto other = testutil::loadModel(readFile(file("o.mdl")));
    EXPECT_FLOAT_EQ(other->TextureList()->Item(1)->size(), 16);
    EXPECT_FLOAT_EQ(other->TextureList()->Item(2)->size(), 0);
    EXPECT_EQ(readFile(file("ro.mdl")), "old");
    for (const char* never : {"m_tweaked.mdl", "refuse_tweaked.mdl", "nobody_tweaked.mdl"})
        EXPECT_FALSE(std::filesystem::exists(file(never))) << never;
}
