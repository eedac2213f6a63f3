// The model document without any window or GL: open, edit, undo, redo, save, reopen.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "document/ModelDocument.h"
#include "modkit/core/Error.h"

using fettle::EditOutcome;
using fettle::LogKind;
using fettle::ModelDocument;
using fettle::ModelOrigin;
using modkit::MDLObject;

namespace {

class Document : public ::testing::Test {
protected:
    void SetUp() override {
        QObject::connect(&doc, &ModelDocument::logged, [this](LogKind, const QString& t) { log.push_back(t.toStdString()); });
        QObject::connect(&doc, &ModelDocument::changed, [this](uint32_t p) { changed.push_back(p); });
    }
    std::string writeHouse(const std::string& name = "house.mdl") {
        testutil::writeFile(dir.file(name), modelgen::sampleHouse());
        for (const auto& b : modelgen::sampleBitmaps()) testutil::writeFile(dir.file(b.name), modelgen::bmpFile(b));
        return dir.file(name);
    }
    std::vector<std::string> files() {
        std::vector<std::string> f;
        for (const auto& t : *doc.model()->TextureList()) f.push_back(t->file());
        return f;
    }
    testutil::TempDir dir;
    ModelDocument doc;
    std::vector<std::string> log;
    std::vector<uint32_t> changed;
};

}  // namespace

TEST_F(Document, UndoOfEveryKindOfEditGivesBackTheExactBytesAndRedoTheEdit) {
    struct Edit {
        const char* label;
        uint32_t parts;
        ModelDocument::Change change;
    };
    const std::vector<Edit> edits = {
        {"header", modkit::partHeader, [](MDLObject& m) { m.MDLHeader()->setParam(3, 77); }},
        {"bbox", modkit::partBBox, [](MDLObject& m) { m.BoundingBox()->setXmax(9.5f); }},
        {"isft", modkit::partISFT, [](MDLObject& m) { m.setISFT(std::string("Tool\0", 5)); }},
        {"material", modkit::partMaterials, [](MDLObject& m) { m.MaterialList()->Item(1)->Diffuse()->setR(0.125f); }},
        {"texture", modkit::partTextures, [](MDLObject& m) {
             m.TextureList()->Item(1)->setBitmap("OTHER.BMP");
             m.TextureList()->Item(1)->setFile("");
         }},
        {"vertex", modkit::partVertices, [](MDLObject& m) { m.VertexList()->Item(2)->setY(-3.25f); }},
        {"commands", modkit::partCommands, [](MDLObject& m) { m.BGLCommandList()->removeWithJumpUpdate({2}); }},
        {"shadow", modkit::partSections, [](MDLObject& m) { m.addKillShadow(); }},
        {"all", modkit::partAll, [](MDLObject& m) {
             m.removeKillShadow();
             m.VertexList()->Item(1)->setX(1);
             m.TextureList()->Item(2)->setSize(4);
         }},
    };
    doc.open(writeHouse());
    const std::string original = doc.model()->toBytes();
    const auto located = files();
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.label);
        changed.clear();
        ASSERT_EQ(doc.apply(e.label, "", e.parts, e.change), EditOutcome::applied);
        ASSERT_EQ(changed.size(), 1u);
        EXPECT_EQ(changed[0] & ~e.parts, 0u);  // only what it declared
        EXPECT_TRUE(doc.isModified());
        const std::string edited = doc.model()->toBytes();
        doc.undo();
        EXPECT_EQ(doc.model()->toBytes(), original);
        EXPECT_EQ(files(), located);
        EXPECT_FALSE(doc.isModified());
        EXPECT_EQ(log.back(), std::string("Undo ") + e.label);
        doc.redo();
        EXPECT_EQ(doc.model()->toBytes(), edited);
        EXPECT_EQ(log.back(), std::string("Redo ") + e.label);
        doc.undo();
    }
    // Each new edit dropped the undone one it could have redone.
    EXPECT_EQ(doc.undoStack().count(), 1);
}

TEST_F(Document, EditsThatChangeNothingFailOrTypeInOneFieldLeaveOneStepOrNone) {
    doc.open(writeHouse());
    const std::string original = doc.model()->toBytes();
    // The house has no lights to fix and already holds this header value.
    EXPECT_EQ(doc.apply("Fix BGL_LIGHT problem", "", modkit::partCommands | modkit::partSections,
                        [](MDLObject& m) { m.fixLights(); }),
              EditOutcome::unchanged);
    const int32_t p1 = doc.model()->MDLHeader()->param(1);
    EXPECT_EQ(doc.apply("h", "", modkit::partHeader, [p1](MDLObject& m) { m.MDLHeader()->setParam(1, p1); }),
              EditOutcome::unchanged);
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.undoStack().count(), 0);

    // A change that throws is rolled back and leaves no step.
    EXPECT_THROW(doc.apply("Broken", "", modkit::partVertices,
                           [](MDLObject& m) {
                               m.VertexList()->Item(1)->setX(5);
                               m.VertexList()->Item(100000);
                           }),
                 modkit::Error);
    EXPECT_EQ(doc.model()->toBytes(), original);
    EXPECT_EQ(doc.undoStack().count(), 0);

    // Keystrokes in one field are one step, logged once; a save ends it.
    for (int v : {1, 12, 123})
        doc.apply("Change header parameter", "p2", modkit::partHeader, [v](MDLObject& m) { m.MDLHeader()->setParam(2, v); });
    EXPECT_EQ(doc.undoStack().count(), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "Change header parameter"), 1);
    doc.saveAs(dir.file("typed.mdl"));
    doc.apply("Change header parameter", "p2", modkit::partHeader, [](MDLObject& m) { m.MDLHeader()->setParam(2, 9); });
    EXPECT_EQ(doc.undoStack().count(), 2);
    doc.undo();
    EXPECT_FALSE(doc.isModified());
    doc.undo();
    EXPECT_EQ(doc.model()->toBytes(), original);

    // Busy (a model loading): edits are refused.
    doc.setBusy(true);
    EXPECT_EQ(doc.apply("x", "", modkit::partHeader, [](MDLObject& m) { m.MDLHeader()->setParam(1, 5); }),
              EditOutcome::refused);
}

TEST_F(Document, SaveAsOnceThenSaveWritesTheCurrentFileAndReopensTheSame) {
    const std::string house = writeHouse("House.mdl");
    doc.open(house);
    EXPECT_EQ(doc.saveTarget(), "");  // the original is never overwritten by surprise
    EXPECT_EQ(doc.proposedSaveName(), dir.file("House_tweaked.mdl"));
    EXPECT_EQ(doc.defaultName(".flt"), dir.file("House.flt"));
    doc.apply("Remove shadow", "", modkit::partSections, [](MDLObject& m) { m.addKillShadow(); });

    const std::string tweaked = dir.file("House_tweaked.mdl");
    doc.saveAs(tweaked);  // the titles are the main window's (WindowTest)
    EXPECT_EQ(doc.saveTarget() + " " + doc.proposedSaveName(), tweaked + " " + tweaked);
    EXPECT_EQ(doc.defaultName(".asm"), dir.file("House_tweaked.asm"));
    doc.apply("Material", "", modkit::partMaterials, [](MDLObject& m) { m.MaterialList()->Item(1)->setPower(3); });
    doc.saveAs(doc.saveTarget());
    EXPECT_FALSE(doc.isModified());

    ModelDocument again;
    again.open(tweaked);
    EXPECT_EQ(again.model()->toBytes(), doc.model()->toBytes());
    EXPECT_EQ(again.model()->MaterialList()->Item(1)->Power(), 3.0f);

    // A model that cannot be read leaves the open one as it was, its history too.
    again.apply("h", "", modkit::partHeader, [](MDLObject& m) { m.MDLHeader()->setParam(1, 4); });
    const std::string bytes = again.model()->toBytes(), whole = testutil::readFile(tweaked);
    for (const std::string& bad : {std::string("RIFF"), std::string("not a model"), whole.substr(0, whole.size() / 2)}) {
        testutil::writeFile(dir.file("bad.mdl"), bad);
        const auto before = again.model();
        EXPECT_THROW(again.open(dir.file("bad.mdl")), modkit::Error);
        EXPECT_EQ(again.model(), before);
        EXPECT_EQ(again.model()->toBytes(), bytes);
        EXPECT_TRUE(again.path() == tweaked && again.isModified());
    }
    again.undo();
    // Only a final ".mdl" in lower case gives way to another ending.
    testutil::writeFile(dir.file("m9.MDL"), whole);
    again.open(dir.file("m9.MDL"));
    EXPECT_EQ(again.proposedSaveName() + " " + again.defaultName(".asm"), dir.file("m9.MDL") + " " + dir.file("m9.MDL"));

    // A library object is saved as a new file beside the library, never into it.
    auto lib = std::make_shared<MDLObject>();
    lib->readMDLBytes(modelgen::sampleHouse(), dir.file("scenery.BGL"));
    again.apply("h", "", modkit::partHeader, [](MDLObject& m) { m.MDLHeader()->setParam(1, 4); });
    again.adopt(lib, dir.file("scenery.BGL") + " - Object 3", ModelOrigin::library);
    EXPECT_FALSE(again.undoStack().canUndo() || again.isModified());
    EXPECT_EQ(again.saveTarget(), "");
    EXPECT_EQ(again.proposedSaveName(), dir.file("scenery_object3.mdl"));
    again.saveAs(again.proposedSaveName());
    EXPECT_TRUE(again.origin() == ModelOrigin::file && again.saveTarget() == dir.file("scenery_object3.mdl"));
}

TEST_F(Document, TexturesOpenedOrAddedAreFoundBesideTheModelOrInSearchFoldersIgnoringCase) {
    // How a name is looked up is PathsTest's; here the document's search folders and log.
    for (const char* d : {"models", "textures", "abs"}) std::filesystem::create_directories(dir.file(d));
    const auto bitmaps = modelgen::sampleBitmaps();
    testutil::writeFile(dir.file("models/house.mdl"), modelgen::sampleHouse());
    // One bitmap in a relative search folder under another case, the other nowhere.
    std::string upper = bitmaps[0].name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    testutil::writeFile(dir.file("textures/" + upper), modelgen::bmpFile(bitmaps[0]));
    doc.setTextureSearchPath([this] { return std::vector<std::string>{dir.file("abs"), "../textures"}; });
    doc.open(dir.file("models/house.mdl"));
    for (const auto& t : *doc.model()->TextureList())
        EXPECT_EQ(t->file(), t->bitmap() == bitmaps[0].name ? dir.file("textures/" + upper) : "") << t->bitmap();
    EXPECT_EQ(log, std::vector<std::string>{"could not locate texture file \"" + bitmaps[1].name + "\""});

    // Textures an edit adds are looked up too.
    testutil::writeFile(dir.file("models/NEW_SU.BMP"), modelgen::bmpFile(bitmaps[0]));
    log.clear();
    doc.apply("Update texture", "", modkit::partTextures, [](MDLObject& m) {
        m.TextureList()->Add()->setBitmap("NEW_SU.BMP");
        m.TextureList()->Add()->setBitmap("GONE_WI.BMP");
    });
    EXPECT_EQ(doc.model()->TextureList()->Item(3)->file(), dir.file("models/NEW_SU.BMP"));
    EXPECT_EQ(log, std::vector<std::string>{"could not locate texture file \"GONE_WI.BMP\""});
}

TEST_F(Document, FiftyHeaderEditsOnALargeModelKeepFiftyStepsInLittleMemory) {
    testutil::writeFile(dir.file("big.mdl"), modelgen::syntheticModel(6554, 50000, 2000));
    doc.open(dir.file("big.mdl"));
    for (int i = 0; i < 50; ++i)
        doc.apply("h", "", modkit::partHeader, [i](MDLObject& m) { m.MDLHeader()->setParam(1, 1000 + i); });
    EXPECT_EQ(doc.undoStack().count(), 50);
    EXPECT_LT(doc.historyBytes(), 50u * 1024);
    // A whole-stream edit keeps the encoded stream only.
    doc.apply("tweak", "", modkit::partCommands, [](MDLObject& m) { m.BGLCommandList()->removeWithJumpUpdate({1}); });
    EXPECT_LT(doc.historyBytes(), testutil::readFile(dir.file("big.mdl")).size());
}
