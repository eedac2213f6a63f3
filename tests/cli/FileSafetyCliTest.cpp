// Outputs that are inputs, links and special files, as a user meets them; the
// messages are in tests/data/cli/file-safety.txt.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ModelBuilder.h"
#include "RunCli.h"
#include "TestUtil.h"

using testutil::runCli;
namespace fs = std::filesystem;

TEST(FileSafetyCli, NoWriterReplacesItsInputAndSpecialFilesAreRefused) {
    testutil::TempDir dir;
    const std::string house = modelgen::sampleHouse(), m = dir.file("m.mdl"), link = dir.file("link.mdl");
    testutil::writeFile(m, house);
    testutil::writeFile(dir.file("house_walls.bmp"), "texture");
    testutil::writeFile(dir.file("lib.bgl"), modelgen::xmlBglLibrary({{43, {{house, house}}}}));
    fs::create_symlink("m.mdl", link);
    fs::create_symlink("m.mdl", dir.file("m_tweaked.mdl"));  // default output names
    fs::create_symlink("m.mdl", dir.file("m.flt"));
    fs::create_directory(dir.file("out"));
    fs::create_symlink("../lib.bgl", dir.file("out/object_2.mdl"));
    ::mkfifo(dir.file("pipe").c_str(), 0644);
    fs::create_directory(dir.file("folder"));
    std::vector<std::vector<std::string>> runs = {
        {"save", m, dir.path() + "/./m.mdl"},
        {"asm", m, link},
        {"tweak", m, "--clean-dict"},
        {"set-conditions", m, "--rotate-wind"},
        {"flt", m},
        {"render", m, link},
        {"render", m, dir.file("house_walls.bmp")},
        {"extract", dir.file("lib.bgl"), dir.file("out")},
    };
    for (const std::string& special : {dir.file("pipe"), std::string("/dev/zero"), dir.file("folder")})
        for (const char* command : {"info", "flt", "bgl"}) runs.push_back({command, special});
    runs.push_back({"save", m, dir.file("pipe")});
    runs.push_back({"save", m, "/dev/zero"});
    runs.push_back({"save", m, dir.file("folder")});
    testutil::Transcript t(dir);
    for (const auto& args : runs) t.run(args);
    testutil::expectGolden("cli/file-safety.txt", t.text());
    EXPECT_EQ(testutil::readFile(m), house);
    EXPECT_EQ(testutil::readFile(dir.file("house_walls.bmp")), "texture");
    EXPECT_FALSE(fs::exists(dir.file("out/object_1.mdl")));  // refused before the first object
    EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));

    // The explicit in-place edit stays allowed, also through a link, which stays a link.
    EXPECT_EQ(runCli({"tweak", m, "--kill-shadow", "-o", m}).exitCode, 0);
    EXPECT_EQ(runCli({"set-conditions", m, "--rotate-wind", "-o", link}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(testutil::readFile(m), house);
}
