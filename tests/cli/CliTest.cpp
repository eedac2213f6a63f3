#include <gtest/gtest.h>

#include "ModelBuilder.h"
#include "RunCli.h"
#include "TestUtil.h"

using testutil::runCli;

TEST(Cli, InfoOnTheSampleModel) {
    auto r = runCli({"info", testutil::sampleModel()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Textures: 2"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("house_walls.bmp"), std::string::npos);
    EXPECT_NE(r.out.find("Triangles: 16"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Materials: 3"), std::string::npos);
    EXPECT_LT(r.out.find("MDLH"), r.out.find("EXTE"));

    auto j = runCli({"info", "--json", testutil::sampleModel()});
    ASSERT_EQ(j.exitCode, 0);
    EXPECT_EQ(j.out.front(), '{');
    EXPECT_NE(j.out.find("\"triangles\":16"), std::string::npos) << j.out;
    EXPECT_NE(j.out.find("\"textures\":[\"house_walls.bmp\",\"house_roof.bmp\"]"), std::string::npos);
    EXPECT_NE(j.out.find("{\"tag\":\"BGL \",\"size\":"), std::string::npos);
}

TEST(Cli, SaveReproducesTheFile) {
    testutil::TempDir dir;
    std::string out = dir.file("copy.mdl");
    auto r = runCli({"save", testutil::sampleModel(), out});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(testutil::readFile(out), testutil::readFile(testutil::sampleModel()));
}

TEST(Cli, ErrorsAndUsage) {
    testutil::TempDir dir;
    testutil::writeFile(dir.file("bad.mdl"), "not a model at all");
    auto r = runCli({"info", dir.file("bad.mdl")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error 100 (This is not a valid RIFF scenery MDL file)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Modkit.MDLObject"), std::string::npos);

    EXPECT_EQ(runCli({"info", dir.file("absent.mdl")}).exitCode, 1);
    EXPECT_EQ(runCli({"info"}).exitCode, 2);
    EXPECT_EQ(runCli({"info", "a", "b"}).exitCode, 2);
    EXPECT_EQ(runCli({"info", "--bogus", "a"}).exitCode, 2);
    EXPECT_EQ(runCli({"nosuchcommand"}).exitCode, 2);
    EXPECT_EQ(runCli({}).exitCode, 2);
    EXPECT_EQ(runCli({"--help"}).exitCode, 0);
}
