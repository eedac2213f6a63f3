#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/Version.h"
#include "modkit/core/MDLObject.h"
#include "modkit/export/ASMWriter.h"

using namespace modkit;
using namespace modelgen;
using testutil::TempDir;

namespace {

const std::string kHeader =
    "; #######################################################\r\n"
    "; \r\n"
    "; This BGLC source file has been created with the\r\n"
    "; Modkit DLL version " + std::string(versionText) + "\r\n"
    "; \r\n"
    "; For the moment this source file can only be used for\r\n"
    "; debugging purposes. It does not yet contain all the\r\n"
    "; code to create a valid MDL file again.\r\n"
    "; \r\n"
    "; #######################################################\r\n"
    "\r\n";

std::shared_ptr<MDLObject> load(const std::string& bytes) {
    auto m = std::make_shared<MDLObject>();
    m->readMDLBytes(bytes);
    return m;
}

std::string listing(MDLObject& m) {
    TempDir dir;
    m.exportASM(dir.file("out.asm"));
    return testutil::readFile(dir.file("out.asm"));
}

}  // namespace

TEST(ASMWriter, EmptyModelGivesHeaderAndBothSectionHeads) {
    auto m = load(mdlFile({}, {}));
    EXPECT_EQ(listing(*m), kHeader + "; Start of texture list\r\n\r\n; Start of BGL command list\r\n\r\n");
}

TEST(ASMWriter, TextureIndexStandsAtColumn32) {
    std::vector<Tex> texs(5);
    texs[0].bitmap = "Roof";
    texs[1].bitmap = std::string(30, 'a');
    texs[2].bitmap = std::string(31, 'b');
    texs[3].bitmap = std::string(32, 'c');
    texs[4].bitmap = std::string(40, 'd');
    auto m = load(mdlFile({}, {{"TEXT", texturesBody(texs)}}));
    std::string expected = kHeader + "; Start of texture list\r\n" +
                           "Roof" + std::string(27, ' ') + " 0 \r\n" +
                           std::string(30, 'a') + " " + " 1 \r\n" +
                           std::string(31, 'b') + " 2 \r\n" +
                           std::string(32, 'c') + "\r\n" + std::string(31, ' ') + " 3 \r\n" +
                           std::string(40, 'd') + "\r\n" + std::string(31, ' ') + " 4 \r\n" +
                           "\r\n; Start of BGL command list\r\n\r\n";
    EXPECT_EQ(listing(*m), expected);
}

TEST(ASMWriter, CommandLinesCarryEveryParameterWithItsJumpDestination) {
    BglBuilder b;
    Label over = b.label();
    b.cmd(36, {over, 827.0, 0.0, 5000.0});  // IFIN1 jumping past the next two commands
    b.cmd(184, {1.0, -1.0});                // SET_MATERIAL
    b.triList(4, {{0, 1, 2}});
    b.place(over);
    b.cmd(177, {std::string("TAG"), 0.1});  // BGL_TAG: a string and a single
    b.cmd(34, {});                          // BGL_RETURN
    auto m = load(mdlFile({}, {{"BGL ", b.bytes()}}));
    std::string text = listing(*m);
    std::string body = text.substr(text.find("; Start of BGL command list\r\n"));
    EXPECT_EQ(body,
              "; Start of BGL command list\r\n"
              "IFIN1 30 JD: 5, 827 JD: 0, 0 JD: 0, 5000 JD: 0,\r\n"
              "SET_MATERIAL 1 JD: 0, -1 JD: 0,\r\n"
              "DRAW_TRI_LIST_BEGIN 4 JD: 0, 0 JD: 0, 3 JD: 0,\r\n"
              "DRAW_TRI_LIST_ITEM 0 JD: 0, 1 JD: 0, 2 JD: 0,\r\n"
              "BGL_TAG TAG" + std::string(13, '\0') + " JD: 0, 0.1 JD: 0,\r\n"
              "BGL_RETURN\r\n"
              "\r\n");
}

TEST(ASMWriter, ReplacesAnExistingFileAndKeepsItWhenTheListingFails) {
    TempDir dir;
    std::string out = dir.file("model.asm");
    testutil::writeFile(out, std::string(100000, 'x'));
    auto m = load(mdlFile({}, {}));
    m->exportASM(out);
    EXPECT_EQ(testutil::readFile(out).size(), kHeader.size() + 58);

    // A command the dictionary cannot name stops the listing: the old file stays.
    testutil::writeFile(out, "previous listing");
    m->BGLCommandList()->Add(std::make_shared<BGLCommand>(static_cast<BGLOpcode>(300)));
    EXPECT_MODKIT_ERROR(m->exportASM(out), 9);
    EXPECT_EQ(testutil::readFile(out), "previous listing");

    // A read-only target and a missing folder fail with the file errors.
    auto ok = load(mdlFile({}, {}));
    ::chmod(out.c_str(), 0444);
    EXPECT_MODKIT_ERROR(ok->exportASM(out), 70);
    EXPECT_EQ(testutil::readFile(out), "previous listing");
    EXPECT_MODKIT_ERROR(ok->exportASM(dir.file("no/such/folder.asm")), 76);
}

TEST(ASMWriter, WriterStepsAndRepeatedClose) {
    TempDir dir;
    ASMWriter w;
    w.createASM(dir.file("a.asm"));
    TextureList none;
    w.writeTextureList(none);
    w.writeTextureList(none);
    w.closeASM();
    testutil::writeFile(dir.file("a.asm"), "changed since");
    w.closeASM();  // nothing further
    EXPECT_EQ(testutil::readFile(dir.file("a.asm")), "changed since");
    EXPECT_EQ(w.text(), kHeader + "; Start of texture list\r\n\r\n; Start of texture list\r\n\r\n");
}
