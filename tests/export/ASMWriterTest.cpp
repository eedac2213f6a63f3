#include <gtest/gtest.h>

#include "ModelBuilder.h"
#include "Models.h"
#include "TestUtil.h"
#include "modkit/Version.h"
#include "modkit/core/MDLObject.h"
#include "modkit/export/ASMWriter.h"

using namespace modkit;
using namespace modelgen;
using testutil::TempDir;

namespace {

std::string listing(MDLObject& m) {
    TempDir dir;
    m.exportASM(dir.file("out.asm"));
    return testutil::readFile(dir.file("out.asm"));
}

// The listing as kept in tests/data: the version line is the one part that changes.
std::string golden(std::string text) {
    const std::string version = std::string("version ") + versionText;
    if (size_t at = text.find(version); at != std::string::npos) text.replace(at, version.size(), "version VERSION");
    return testutil::visible(text);
}

}  // namespace

// An empty model; names around column 32; every parameter with its jump
// destination, a string parameter keeping its NULs; every opcode.
TEST(ASMWriter, Listings) {
    std::vector<Tex> texs(5);
    texs[0].bitmap = "Roof";
    for (int i = 1; i < 5; ++i) texs[size_t(i)].bitmap = std::string(size_t(i == 4 ? 40 : 29 + i), char('a' + i - 1));
    BglBuilder b;
    Label over = b.label();
    b.cmd(36, {over, 827.0, 0.0, 5000.0});
    b.cmd(184, {1.0, -1.0});
    b.triList(4, {{0, 1, 2}});
    b.place(over);
    b.cmd(177, {std::string("TAG"), 0.1});
    b.cmd(34, {});
    const std::pair<const char*, std::string> cases[] = {
        {"empty", mdlFile({}, {})},
        {"textures", mdlFile({}, {{"TEXT", texturesBody(texs)}})},
        {"commands", mdlFile({}, {{"BGL ", b.bytes()}})},
        {"every-opcode", testmodels::everything()},  // names, parameters and jump flags of the whole dictionary
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        auto m = testutil::loadModel(bytes);
        testutil::expectGolden(std::string("asm/") + name + ".asm.txt", golden(listing(*m)));
    }
}

TEST(ASMWriter, ReplacesAnExistingFileAndKeepsItWhenTheListingFails) {
    TempDir dir;
    std::string out = dir.file("model.asm");
    testutil::writeFile(out, std::string(100000, 'x'));
    auto m = testutil::loadModel(mdlFile({}, {}));
    m->exportASM(out);
    EXPECT_EQ(testutil::readFile(out), listing(*m));

    // A command the dictionary cannot name stops the listing: the old file stays.
    testutil::writeFile(out, "previous listing");
    m->BGLCommandList()->Add(std::make_shared<BGLCommand>(static_cast<BGLOpcode>(300)));
    EXPECT_MODKIT_ERROR(m->exportASM(out), 9);
    EXPECT_EQ(testutil::readFile(out), "previous listing");
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
    testutil::expectGolden("asm/two-texture-lists.asm.txt", golden(w.text()));
}
