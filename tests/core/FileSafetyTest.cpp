// Links, special files and outputs that are inputs, for every reader and writer
// of the library.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "Models.h"
#include "TestUtil.h"
#include "modkit/bglfile/BGLObject.h"
#include "modkit/core/Error.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "modkit/preview/TextureImage.h"

using namespace modkit;
namespace fs = std::filesystem;

namespace {

// The error f raises (number 0 when it raises none).
Error caught(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e;
    }
    return Error(0, "", "");
}

struct Special {
    std::string path, kind;
};

std::vector<Special> specials(const testutil::TempDir& dir) {
    ::mkfifo(dir.file("pipe").c_str(), 0644);
    fs::create_directory(dir.file("folder"));
    return {{dir.file("pipe"), "a named pipe (FIFO)"}, {"/dev/zero", "a character device"},
            {dir.file("folder"), "a directory"}};
}

}  // namespace

TEST(FileSafety, ReadersRefuseWhatIsNotARegularFileAtOnce) {
    testutil::TempDir dir;
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> readers = {
        {"bytes", [](const std::string& p) { readFileBytes(p, "Test"); }},
        {"mdl", [](const std::string& p) { MDLObject().readMDL(p); }},
        {"bgl", [](const std::string& p) { BGLObject().readXMLBGL(p); }},
    };
    for (const Special& s : specials(dir)) {
        for (const auto& [name, read] : readers) {
            Error e = caught([&] { read(s.path); });
            EXPECT_EQ(e.number(), err::PathFileAccess) << name << " " << s.path;
            EXPECT_EQ(e.description(), "Path/File access error: '" + s.path + "' is " + s.kind + ", not a regular file")
                << name;
        }
        // A texture named like a FIFO must not hang the preview: the load fails at once.
        EXPECT_EQ(caught([&] { readTextureImage(s.path); }).number(), err::Library) << s.path;
        EXPECT_FALSE(BGLObject().isXMLBGL(s.path));
    }
    EXPECT_EQ(caught([&] { readFileBytes(dir.file("none"), "Test"); }).number(), err::FileNotFound);
    EXPECT_EQ(caught([&] { readFileBytes(dir.file("none/x"), "Test"); }).number(), err::PathNotFound);
}

TEST(FileSafety, ReadersRefuseFilesLargerThanTheFormatBeforeReading) {
    testutil::TempDir dir;
    testutil::writeFile(dir.file("eleven"), "hello world");
    EXPECT_EQ(readFileBytes(dir.file("eleven"), "Test", 11), "hello world");
    EXPECT_EQ(caught([&] { readFileBytes(dir.file("eleven"), "Test", 10); }).number(), err::Library);

    // Sparse: one byte past what a RIFF size can reach.
    const std::string big = dir.file("big.mdl");
    testutil::writeFile(big, "RIFF");
    fs::resize_file(big, (uint64_t(1) << 31) + 8);
    Error e = caught([&] { MDLObject().readMDL(big); });
    EXPECT_EQ(e.number(), err::Library);
    EXPECT_EQ(e.source(), "Modkit.MDLObject");
    EXPECT_EQ(e.description(), "'" + big + "' holds 2147483656 bytes, more than the format can hold (2147483655 bytes)");
}

TEST(FileSafety, SavesWriteWhereLinksPointAndKeepTheLinks) {
    testutil::TempDir dir;
    fs::create_directory(dir.file("real"));
    fs::create_directory(dir.file("links"));
    testutil::writeFile(dir.file("real/a.mdl"), "old");
    fs::create_symlink("../real/a.mdl", dir.file("links/one"));
    fs::create_symlink("one", dir.file("links/two"));           // a chain of links
    fs::create_symlink("../real/new.mdl", dir.file("links/dangling"));

    writeFileAtomically(dir.file("links/two"), "new", "Test");
    EXPECT_TRUE(fs::is_symlink(dir.file("links/two")));
    EXPECT_TRUE(fs::is_symlink(dir.file("links/one")));
    EXPECT_EQ(testutil::readFile(dir.file("real/a.mdl")), "new");

    writeFileAtomically(dir.file("links/dangling"), "made", "Test");
    EXPECT_TRUE(fs::is_symlink(dir.file("links/dangling")));
    EXPECT_EQ(testutil::readFile(dir.file("real/new.mdl")), "made");
    // No temporary file left behind in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("real")), {}), 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("links")), {}), 3);

    // A read-only target behind a link keeps its error and its content.
    ::chmod(dir.file("real/a.mdl").c_str(), 0444);
    EXPECT_EQ(caught([&] { writeFileAtomically(dir.file("links/one"), "x", "Test"); }).number(), err::PermissionDenied);
    EXPECT_EQ(testutil::readFile(dir.file("real/a.mdl")), "new");
}

TEST(FileSafety, SavesRefuseFifosDevicesAndFolders) {
    testutil::TempDir dir;
    auto all = specials(dir);
    all.push_back({"/dev/null", "a character device"});
    fs::create_symlink(dir.file("pipe"), dir.file("to-pipe"));
    all.push_back({dir.file("to-pipe"), "a named pipe (FIFO)"});
    for (const Special& s : all) {
        Error e = caught([&] { writeFileAtomically(s.path, "x", "Test"); });
        EXPECT_EQ(e.number(), err::PathFileAccess) << s.path;
        EXPECT_EQ(e.description(), "Path/File access error: '" + s.path + "' is " + s.kind + ", not a regular file");
    }
    EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));
    EXPECT_TRUE(fs::is_empty(dir.file("folder")));
}

TEST(FileSafety, SameFileFollowsLinksAndSpellings) {
    testutil::TempDir dir;
    fs::create_directory(dir.file("sub"));
    testutil::writeFile(dir.file("a.mdl"), "a");
    testutil::writeFile(dir.file("b.mdl"), "a");
    fs::create_symlink("a.mdl", dir.file("link.mdl"));
    fs::create_hard_link(dir.file("a.mdl"), dir.file("hard.mdl"));
    for (const char* same : {"a.mdl", "./a.mdl", "sub/../a.mdl", "link.mdl", "hard.mdl"})
        EXPECT_TRUE(sameFile(dir.file(same), dir.file("a.mdl"))) << same;
    for (const char* other : {"b.mdl", "missing.mdl", "sub"}) EXPECT_FALSE(sameFile(dir.file(other), dir.file("a.mdl")));

    Error e = caught([&] { refuseOutputOverInput(dir.file("link.mdl"), {dir.file("b.mdl"), dir.file("a.mdl")}, "Test"); });
    EXPECT_EQ(e.number(), err::PathFileAccess);
    EXPECT_EQ(e.description(), "Path/File access error: the output '" + dir.file("link.mdl") +
                                   "' is the same file as the input '" + dir.file("a.mdl") + "'; nothing was written");
    EXPECT_EQ(caught([&] { refuseOutputOverInput(dir.file("new.mdl"), {dir.file("a.mdl"), ""}, "Test"); }).number(), 0);
}

TEST(FileSafety, ExportsRefuseTheModelsOwnFileWhileSaveMayReplaceIt) {
    testutil::TempDir dir;
    const std::string model = dir.file("house.mdl");
    testutil::writeFile(model, testmodels::everything());
    fs::create_symlink("house.mdl", dir.file("house.flt"));
    MDLObject m;
    m.readMDL(model);
    const std::vector<std::pair<const char*, std::function<void()>>> exports = {
        {"asm", [&] { m.exportASM(dir.file("./house.mdl")); }},
        {"flt", [&] { m.exportFLT(dir.file("house.flt"), "RGB"); }},
    };
    for (const auto& [name, run] : exports) {
        Error e = caught(run);
        EXPECT_EQ(e.number(), err::PathFileAccess) << name;
        EXPECT_NE(e.description().find("is the same file as the input '" + model + "'"), std::string::npos) << name;
    }
    EXPECT_EQ(testutil::readFile(model), testmodels::everything());
    m.saveMDL(model);  // the whole model is in memory: the normal Save
    EXPECT_TRUE(fs::is_regular_file(model));
}
