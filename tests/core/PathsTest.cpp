#include <gtest/gtest.h>

#include "TestUtil.h"
#include "modkit/core/Paths.h"

using namespace modkit;

TEST(Paths, SplitJoinAndNames) {
    using Names = std::vector<std::string>;
    EXPECT_EQ((Names{fileNameOf("/a/b/House.mdl"), fileNameOf("C:\\scenery\\tex.bmp"), fileNameOf("plain"),
                     folderOf("/a/b/House.mdl"), folderOf("plain"), joinPath("/a", "b"), joinPath("/a/", "b"),
                     joinPath("", "b"), replaceMdlExtension("House.MDL", "_tweaked.mdl"),
                     replaceMdlExtension("/d/x.mdl", ".asm"), replaceMdlExtension("noext", ".asm")}),
              (Names{"House.mdl", "tex.bmp", "plain", "/a/b", "", "/a/b", "/a/b", "b", "House_tweaked.mdl", "/d/x.asm",
                     "noext.asm"}));
    EXPECT_TRUE(isAbsolutePath("/x") && isAbsolutePath("C:\\x"));
    EXPECT_FALSE(isAbsolutePath("tex"));
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
