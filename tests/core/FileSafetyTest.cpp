// Links, special files and outputs that are inputs, for the library's readers and writers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "Models.h"
#include "TestUtil.h"
#include "modkit/bglfile/BGLObject.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "modkit/preview/TextureImage.h"

using namespace modkit;
namespace fs = std::filesystem;

namespace {

std::string failure(const std::function<void()>& f) {  // "number: description", empty when f succeeds
    try {
        f();
    } catch (const Error& e) {
        return std::to_string(e.number()) + ": " + e.description();
    }
    return "";
}

}  // namespace

TEST(FileSafety, ReadersRefuseSpecialAndOversizedFilesAtOnce) {
    testutil::TempDir dir;
    ::mkfifo(dir.file("pipe").c_str(), 0644);
    fs::create_directory(dir.file("folder"));
    const std::pair<std::string, std::string> specials[] = {
        {dir.file("pipe"), "a named pipe (FIFO)"}, {"/dev/zero", "a character device"}, {dir.file("folder"), "a directory"}};
    for (const auto& [path, kind] : specials) {
        const std::string said = "75: Path/File access error: '" + path + "' is " + kind + ", not a regular file";
        EXPECT_EQ(failure([&] { MDLObject().readMDL(path); }), said);
        EXPECT_EQ(failure([&] { BGLObject().readXMLBGL(path); }), said);
        EXPECT_EQ(failure([&] { readTextureImage(path); }), "100: Loading Texture File: '" + path + "' Failed! (" + said.substr(4) + ")");
    }
    const std::string big = dir.file("big.mdl");  // sparse, one byte more than a RIFF size reaches
    testutil::writeFile(big, "RIFF");
    fs::resize_file(big, (uint64_t(1) << 31) + 8);
    EXPECT_EQ(failure([&] { MDLObject().readMDL(big); }),
              "100: '" + big + "' holds 2147483656 bytes, more than the format can hold (2147483655 bytes)");
}

TEST(FileSafety, SavesWriteThroughLinksAndRefuseSpecialFiles) {
    testutil::TempDir dir;
    fs::create_directory(dir.file("real"));
    fs::create_directory(dir.file("links"));
    testutil::writeFile(dir.file("real/a.mdl"), "old");
    fs::create_symlink("../real/a.mdl", dir.file("links/one"));
    fs::create_symlink("one", dir.file("links/two"));
    fs::create_symlink("../real/new.mdl", dir.file("links/dangling"));
    writeFileAtomically(dir.file("links/two"), "new", "Test");
    writeFileAtomically(dir.file("links/dangling"), "made", "Test");
    EXPECT_EQ(testutil::readFile(dir.file("real/a.mdl")), "new");
    EXPECT_EQ(testutil::readFile(dir.file("real/new.mdl")), "made");
    for (const char* link : {"links/one", "links/two", "links/dangling"}) EXPECT_TRUE(fs::is_symlink(dir.file(link)));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("real")), {}), 2);  // no temporary file left
    // Written in pieces, failing after the first: the file stays, the temporary goes.
    EXPECT_EQ(failure([&] {
                  writeFileAtomically(dir.file("links/one"), [](const auto& write) {
                      write("half");
                      raiseLibrary("Test", "stopped");
                  }, "Test");
              }),
              "100: stopped");
    EXPECT_EQ(testutil::readFile(dir.file("real/a.mdl")), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("real")), {}), 2);

    ::mkfifo(dir.file("pipe").c_str(), 0644);
    fs::create_symlink("pipe", dir.file("to-pipe"));
    for (const char* special : {"pipe", "to-pipe", "real"}) {
        const std::string said = "75: Path/File access error: '" + dir.file(special) + "' is a";
        EXPECT_EQ(failure([&] { writeFileAtomically(dir.file(special), "x", "Test"); }).rfind(said, 0), 0u) << special;
    }  // a character device: cli/file-safety.txt (save to /dev/zero)
    EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));
}

TEST(FileSafety, AnOutputThatIsAnInputIsRefused) {
    testutil::TempDir dir;
    const std::string model = dir.file("house.mdl");
    testutil::writeFile(model, testmodels::everything());
    testutil::writeFile(dir.file("other.mdl"), testmodels::everything());
    fs::create_directory(dir.file("sub"));
    fs::create_symlink("house.mdl", dir.file("house.flt"));
    fs::create_hard_link(model, dir.file("hard.mdl"));
    for (const char* same : {"./house.mdl", "sub/../house.mdl", "house.flt", "hard.mdl"})
        EXPECT_TRUE(sameFile(dir.file(same), model)) << same;
    for (const char* other : {"other.mdl", "missing.mdl", "sub"}) EXPECT_FALSE(sameFile(dir.file(other), model)) << other;

    MDLObject m;
    m.readMDL(model);
    EXPECT_EQ(failure([&] { m.exportASM(dir.file("./house.mdl")); }), "75: Path/File access error: the output '" +
              dir.file("./house.mdl") + "' is the same file as the input '" + model + "'; nothing was written");
    // The database and several inputs: tests/data/cli/file-safety.txt (flt, render over a texture).
    EXPECT_EQ(testutil::readFile(model), testmodels::everything());
    EXPECT_EQ(failure([&] { m.saveMDL(model); }), "");  // Save: the whole model is in memory
}
