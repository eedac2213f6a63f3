#include <gtest/gtest.h>

#include "TestUtil.h"
#include "modkit/core/Paths.h"

using namespace modkit;

TEST(Paths, SplitJoinAndNames) {
    EXPECT_EQ(fileNameOf("/a/b/House.mdl"), "House.mdl");
    EXPECT_EQ(fileNameOf("C:\\scenery\\tex.bmp"), "tex.bmp");
    EXPECT_EQ(fileNameOf("plain"), "plain");
    EXPECT_EQ(folderOf("/a/b/House.mdl"), "/a/b");
    EXPECT_EQ(folderOf("plain"), "");
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
    EXPECT_EQ(joinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(joinPath("", "b"), "b");
    EXPECT_TRUE(isAbsolutePath("/x"));
    EXPECT_TRUE(isAbsolutePath("C:\\x"));
    EXPECT_FALSE(isAbsolutePath("tex"));
    EXPECT_EQ(replaceMdlExtension("House.MDL", "_tweaked.mdl"), "House_tweaked.mdl");
    EXPECT_EQ(replaceMdlExtension("/d/x.mdl", ".asm"), "/d/x.asm");
    EXPECT_EQ(replaceMdlExtension("noext", ".asm"), "noext.asm");
}

TEST(Paths, TextureLookUpExactThenIgnoringCase) {
    testutil::TempDir model, abs;
    std::filesystem::create_directory(model.file("texture"));
    testutil::writeFile(model.file("texture/Walls.BMP"), "x");
    testutil::writeFile(abs.file("roof.bmp"), "x");
    testutil::writeFile(model.file("exact.bmp"), "x");
    testutil::writeFile(model.file("EXACT.bmp"), "x");

    EXPECT_EQ(locateTextureFile("exact.bmp", model.path(), {}), model.file("exact.bmp"));
    EXPECT_EQ(locateTextureFile("EXACT.bmp", model.path(), {}), model.file("EXACT.bmp"));
    EXPECT_EQ(locateTextureFile("walls.bmp", model.path(), {"texture"}), model.file("texture/Walls.BMP"));
    EXPECT_EQ(locateTextureFile("ROOF.BMP", model.path(), {"texture", abs.path()}), abs.file("roof.bmp"));
    EXPECT_EQ(locateTextureFile("texture\\walls.bmp", model.path(), {"texture"}), model.file("texture/Walls.BMP"));
    EXPECT_EQ(locateTextureFile("missing.bmp", model.path(), {"texture", abs.path(), "nofolder"}), "");
    EXPECT_EQ(locateTextureFile("", model.path(), {"texture"}), "");
}
