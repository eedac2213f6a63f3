// The document's model in the GL preview after texture edits: pixels read back offscreen.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "document/ModelDocument.h"
#include "modkit/lists/TextureGroups.h"
#include "modkit/preview/EglOffscreenSurface.h"
#include "modkit/preview/OpenGLPreviewObject.h"

TEST(DocumentPreview, UpdateTextureKeepsTheWallsTexturedAndLoadsOnlyTheNewVariants) {
    testutil::TempDir dir;
    testutil::writeFile(dir.file("house.mdl"), modelgen::sampleHouse());
    for (const auto& list : {modelgen::sampleBitmaps(), modelgen::seasonalSampleBitmaps()})
        for (const auto& b : list) testutil::writeFile(dir.file(b.name), modelgen::bmpFile(b));
    fettle::ModelDocument doc;
    doc.open(dir.file("house.mdl"));
    modkit::EglOffscreenSurface surface(64, 64);
    modkit::OpenGLPreviewObject gl;
    gl.initOpenGL(surface);
    modkit::MDLObject& m = *doc.model();
    ASSERT_TRUE(m.glPreparepreview(gl).empty());
    auto untextured = [&] {
        m.glDrawMDL(30, -60, 0, 0, 64, 64, surface, 100);  // walls, door and roof in view
        int n = 0;
        const std::vector<uint8_t> p = surface.readPixelsRGB();
        for (size_t i = 0; i < p.size(); i += 3) n += p[i] == p[i + 1] && p[i] == p[i + 2] && p[i] < 250;
        return n;
    };
    const int greyBefore = untextured();
    EXPECT_LT(greyBefore, 20);  // grey walls are hundreds
    const int32_t walls = m.TextureList()->Item(1)->glPointer(), roof = m.TextureList()->Item(2)->glPointer();

    // The texture window's "Update texture": a night map for the walls.
    auto update = [&](bool night) {
        return doc.apply("Update texture", "", modkit::partTextures | modkit::partCommands, [&](modkit::MDLObject& mo) {
            modkit::TextureGroups g;
            g.recognise(*mo.TextureList());
            modkit::TextureUpdate u;
            u.rgb = {"255", "255", "255"};
            u.size = "2";
            u.position = 1;
            u.seasons = {true, false, false, false, false};
            u.night = night;
            g.applyUpdate(*mo.TextureList(), *mo.BGLCommandList(), u);
        });
    };
    ASSERT_EQ(update(true), fettle::EditOutcome::applied);
    ASSERT_EQ(m.TextureList()->Count(), 3);
    EXPECT_TRUE(m.glReloadChangedTextures(gl).empty());
    EXPECT_EQ(m.TextureList()->Item(1)->glPointer(), walls);
    EXPECT_EQ(m.TextureList()->Item(3)->glPointer(), roof);
    const int32_t night = m.TextureList()->Item(2)->glPointer();
    EXPECT_GT(night, 0);
    EXPECT_EQ(untextured(), greyBefore);

    // Removed again: its texture goes, the others stay.
    doc.undo();
    EXPECT_TRUE(m.glReloadChangedTextures(gl).empty());
    EXPECT_FALSE(glIsTexture(static_cast<GLuint>(night)));
    EXPECT_EQ(m.TextureList()->Item(1)->glPointer(), walls);
    EXPECT_EQ(untextured(), greyBefore);
}
