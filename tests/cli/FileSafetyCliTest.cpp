// Outputs that are inputs, links and special files, as a user meets them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ModelBuilder.h"
#include "RunCli.h"
#include "TestUtil.h"

using testutil::readFile;
using testutil::runCli;
using testutil::TempDir;
namespace fs = std::filesystem;

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(FileSafetyCli, NoWriterReplacesItsInput) {
    TempDir dir;
    const std::string house = modelgen::sampleHouse();
    testutil::writeFile(dir.file("m.mdl"), house);
    testutil::writeFile(dir.file("house_walls.bmp"), "a texture the model uses");
    testutil::writeFile(dir.file("lib.bgl"), modelgen::xmlBglLibrary({{43, {{house}}}}));
    fs::create_symlink("m.mdl", dir.file("link.mdl"));
    fs::create_symlink("m.mdl", dir.file("m_tweaked.mdl"));  // a default output name
    fs::create_symlink("m.mdl", dir.file("m.flt"));
    fs::create_directory(dir.file("out"));
    fs::create_symlink("../lib.bgl", dir.file("out/object_1.mdl"));

    const struct {
        std::vector<std::string> args;
        std::string output, input;
    } cases[] = {
        {{"save", dir.file("m.mdl"), dir.file("m.mdl")}, dir.file("m.mdl"), dir.file("m.mdl")},
        {{"save", dir.file("m.mdl"), dir.path() + "/./m.mdl"}, dir.path() + "/./m.mdl", dir.file("m.mdl")},
        {{"asm", dir.file("m.mdl"), dir.file("link.mdl")}, dir.file("link.mdl"), dir.file("m.mdl")},
        {{"tweak", dir.file("m.mdl"), "--clean-dict"}, dir.file("m_tweaked.mdl"), dir.file("m.mdl")},
        {{"set-conditions", dir.file("m.mdl"), "--rotate-wind"}, dir.file("m_tweaked.mdl"), dir.file("m.mdl")},
        {{"flt", dir.file("m.mdl")}, dir.file("m.flt"), dir.file("m.mdl")},
        {{"render", dir.file("m.mdl"), dir.file("link.mdl")}, dir.file("link.mdl"), dir.file("m.mdl")},
        {{"render", dir.file("m.mdl"), dir.file("house_walls.bmp")}, dir.file("house_walls.bmp"),
         dir.file("house_walls.bmp")},
        {{"extract", dir.file("lib.bgl"), dir.file("out")}, dir.file("out/object_1.mdl"), dir.file("lib.bgl")},
    };
    for (const auto& c : cases) {
        auto r = runCli(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0];
        EXPECT_TRUE(has(r.out + r.err, "Error 75 (Path/File access error: the output '" + c.output +
                                            "' is the same file as the input '" + c.input + "'; nothing was written)"))
            << c.args[0] << ": " << r.out << r.err;
    }
    EXPECT_EQ(readFile(dir.file("m.mdl")), house);
    EXPECT_EQ(readFile(dir.file("house_walls.bmp")), "a texture the model uses");
    EXPECT_TRUE(fs::is_symlink(dir.file("out/object_1.mdl")));

    // The explicit in-place edit stays allowed, through any spelling.
    EXPECT_EQ(runCli({"tweak", dir.file("m.mdl"), "--kill-shadow", "-o", dir.file("m.mdl")}).exitCode, 0);
    EXPECT_EQ(runCli({"set-conditions", dir.file("m.mdl"), "--rotate-wind", "-o", dir.file("link.mdl")}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(dir.file("link.mdl")));
    EXPECT_NE(readFile(dir.file("m.mdl")), house);
}

TEST(FileSafetyCli, SpecialFilesAreRefusedAtOnceAndLinksKept) {
    TempDir dir;
    testutil::writeFile(dir.file("m.mdl"), modelgen::sampleHouse());
    ::mkfifo(dir.file("pipe").c_str(), 0644);
    fs::create_directory(dir.file("folder"));
    const std::pair<std::string, std::string> specials[] = {
        {dir.file("pipe"), "a named pipe (FIFO)"}, {"/dev/zero", "a character device"}, {dir.file("folder"), "a directory"}};
    for (const auto& [path, kind] : specials) {
        const std::string said = "Error 75 (Path/File access error: '" + path + "' is " + kind + ", not a regular file)";
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"info", path}, {"asm", path, dir.file("x.asm")}, {"flt", path}, {"bgl", path},
                 {"extract", path, dir.file("x")}, {"save", dir.file("m.mdl"), path}}) {
            auto r = runCli(args);
            EXPECT_EQ(r.exitCode, 1) << args[0] << " " << path;
            EXPECT_TRUE(has(r.out + r.err, said)) << args[0] << ": " << r.out << r.err;
        }
    }
    EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));

    testutil::writeFile(dir.file("old.mdl"), "old");
    fs::create_symlink("old.mdl", dir.file("to-old.mdl"));
    ASSERT_EQ(runCli({"save", dir.file("m.mdl"), dir.file("to-old.mdl")}).exitCode, 0);
    EXPECT_TRUE(fs::is_symlink(dir.file("to-old.mdl")));
    EXPECT_EQ(readFile(dir.file("old.mdl")), modelgen::sampleHouse());
}
