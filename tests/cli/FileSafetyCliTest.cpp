// Outputs that are inputs, links and special files, as a user meets them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ModelBuilder.h"
#include "RunCli.h"
#include "TestUtil.h"

using testutil::runCli;
namespace fs = std::filesystem;

TEST(FileSafetyCli, NoWriterReplacesItsInput) {
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
    const struct {
        std::vector<std::string> args;
        std::string output, input;
    } cases[] = {
        {{"save", m, dir.path() + "/./m.mdl"}, dir.path() + "/./m.mdl", m},
        {{"asm", m, link}, link, m},
        {{"tweak", m, "--clean-dict"}, dir.file("m_tweaked.mdl"), m},
        {{"set-conditions", m, "--rotate-wind"}, dir.file("m_tweaked.mdl"), m},
        {{"flt", m}, dir.file("m.flt"), m},
        {{"render", m, link}, link, m},
        {{"render", m, dir.file("house_walls.bmp")}, dir.file("house_walls.bmp"), dir.file("house_walls.bmp")},
        {{"extract", dir.file("lib.bgl"), dir.file("out")}, dir.file("out/object_2.mdl"), dir.file("lib.bgl")},
    };
    for (const auto& c : cases) {
        auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0];
        EXPECT_NE((r.out + r.err).find("Error 75 (Path/File access error: the output '" + c.output +
                                       "' is the same file as the input '" + c.input + "'; nothing was written)"),
                  std::string::npos)
            << r.out << r.err;
    }
    EXPECT_EQ(testutil::readFile(m), house);
    EXPECT_EQ(testutil::readFile(dir.file("house_walls.bmp")), "texture");
    EXPECT_FALSE(fs::exists(dir.file("out/object_1.mdl")));  // refused before the first object

    // The explicit in-place edit stays allowed, also through a link, which stays a link.
    EXPECT_EQ(runCli({"tweak", m, "--kill-shadow", "-o", m}).exitCode, 0);
    EXPECT_EQ(runCli({"set-conditions", m, "--rotate-wind", "-o", link}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(testutil::readFile(m), house);
}

TEST(FileSafetyCli, SpecialFilesAreRefusedAtOnce) {
    testutil::TempDir dir;
    testutil::writeFile(dir.file("m.mdl"), modelgen::sampleHouse());
    ::mkfifo(dir.file("pipe").c_str(), 0644);
    fs::create_directory(dir.file("folder"));
    const std::pair<std::string, std::string> specials[] = {
        {dir.file("pipe"), "a named pipe (FIFO)"}, {"/dev/zero", "a character device"}, {dir.file("folder"), "a directory"}};
    for (const auto& [path, kind] : specials) {
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"info", path}, {"flt", path}, {"bgl", path}, {"save", dir.file("m.mdl"), path}}) {
            auto r = runCli(args);
            EXPECT_EQ(r.exitCode, 1) << args[0] << " " << path;
            EXPECT_NE((r.out + r.err).find("Error 75 (Path/File access error: '" + path + "' is " + kind +
                                           ", not a regular file)"),
                      std::string::npos)
                << r.out << r.err;
        }
    }
    EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));
}
