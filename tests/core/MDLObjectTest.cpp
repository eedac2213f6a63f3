#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "Models.h"
#include "TestUtil.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/core/MDLObject.h"

using namespace modkit;
using namespace modelgen;
using testutil::TempDir;

namespace {

std::unique_ptr<MDLObject> load(const std::string& bytes) { return testutil::loadModel(bytes, "memory.mdl"); }

std::string minimal() { return mdlFile({}, {}); }

}  // namespace

TEST(MDLObject, MinimalFileAndAModelNeverRead) {
    auto m = load(minimal());
    EXPECT_EQ(m->getRIFFSectionSize(0), 4);
    for (int16_t i = 1; i < 20; ++i) EXPECT_EQ(m->getRIFFSectionSize(i), 0) << i;
    EXPECT_EQ(m->BGLCommandList()->Count() + m->VertexList()->Count() + m->TextureList()->Count(), 0);
    EXPECT_EQ(m->MDLPath(), "memory.mdl");
    EXPECT_MODKIT_ERROR(m->getRIFFSectionSize(20), 9);
    EXPECT_MODKIT_ERROR(m->getRIFFSectionSize(-1), 9);

    MDLObject fresh;
    fresh.BGLCommandList()->Add()->setOpcode(BGLOpcode::BGL_END);
    auto back = load(fresh.toBytes());
    EXPECT_EQ(back->BGLCommandList()->Count(), 1);
    EXPECT_EQ(back->getRIFFSectionSize(8), 10);
}

TEST(MDLObject, RejectsOtherFilesWithTheInvalidFileMessage) {
    std::string good = minimal();
    for (size_t i : {0, 1, 2, 3, 8, 9, 10, 11}) {
        std::string bad = good;
        bad[i] = static_cast<char>(bad[i] ^ 0x20);  // flips the case of a letter
        EXPECT_EQ(testutil::errorText([&] { load(bad); }), "100 Modkit.MDLObject: This is not a valid RIFF scenery MDL file") << i;
    }
    for (auto [form, which] : {std::pair{"MDLX", "a later simulator generation"}, {"MDL8", "an earlier generation"}})
        EXPECT_EQ(testutil::errorOf([&] { load(mdlFile({}, {}, form)); }).description(),
                  "This is not a valid RIFF scenery MDL file (form " + std::string(form) + " belongs to " + which + ")");
    EXPECT_EQ(testutil::errorOf([] { load(""); }).number(), 100);
    EXPECT_MODKIT_ERROR(load(mdlFile({{"MDLH", headerBody({})}, {"XXXX", "1234"}}, {})), 9);
}

TEST(MDLObject, SectionsLandInTheirSlots) {
    auto file = mdlFile({{"MDLH", headerBody({1, 2, 3, 4, 5, 6, 7, 8, 9})}, {"ISFT", "hello"},
                         {"BBOX", bboxBody(-1, -2, -3, 4, 5, 6)}},
                        {{"TEXT", texturesBody({})}, {"MATE", materialsBody({})}, {"VERT", verticesBody({})},
                         {"BGL ", testutil::bytes({0xBD, 0x00})}});
    auto m = load(file);
    std::vector<int16_t> present;
    for (int16_t i = 0; i < 19; ++i)
        if (m->getRIFFSectionSize(i) > 0) present.push_back(i);
    EXPECT_EQ(present, (std::vector<int16_t>{0, 1, 2, 4, 7, 8, 9, 10, 11}));
    EXPECT_EQ(m->getRIFFSectionSize(7), 10 + 10 + 10 + 2 + 4 * 8);
    EXPECT_EQ(m->section(7).data, "");
    EXPECT_EQ(m->getISFT(), "hello");
    EXPECT_EQ(m->MDLHeader()->param(8), 9);
    EXPECT_EQ(m->BoundingBox()->zmax(), 6.0f);
    EXPECT_EQ(m->BGLCommandList()->Count(), 1);
    EXPECT_EQ(m->getRIFFSectionIndex("BGL"), -1);
    EXPECT_EQ(m->getRIFFSectionIndex("BGL "), 11);
    EXPECT_EQ(m->getRIFFSectionIndex("bgl "), -1);
}

TEST(MDLObject, BoxIgnoresTrailingBytesAndISFTResizes) {
    BoundingBox b;
    b.readList(bboxBody(1, 2, 3, 4, 5, 6) + "123456");
    EXPECT_EQ(b.asString(), bboxBody(1, 2, 3, 4, 5, 6));
    auto m = load(minimal());
    m->setISFT("0123456789");
    EXPECT_EQ(m->getRIFFSectionSize(2), 10);
    EXPECT_MODKIT_ERROR(m->MDLHeader()->param(9), 9);
}

TEST(MDLObject, RoundTripIsByteExact) {
    for (const std::string& file : {testmodels::everything(), syntheticModel(500, 3000, 40), sampleHouse()}) {
        auto m = load(file);
        EXPECT_EQ(testutil::hex(m->toBytes()), testutil::hex(file));
        // Saving twice changes nothing.
        EXPECT_EQ(m->toBytes(), file);
    }
}

TEST(MDLObject, SavingResizesSectionsAndKeepsSlotOrder) {
    // No TEXT in the file: written as an empty 10-byte list inside EXTE.
    auto m = load(mdlFile({{"MDLH", headerBody({})}}, {{"VERT", verticesBody({})}}));
    std::string saved = m->toBytes();
    auto back = load(saved);
    EXPECT_EQ(back->getRIFFSectionSize(8), 10);
    EXPECT_EQ(back->getRIFFSectionSize(7), 18 + 18);

    // Three textures give a TEXT size of 250; RIFF counts everything.
    for (int i = 0; i < 3; ++i) m->TextureList()->Add();
    saved = m->toBytes();
    back = load(saved);
    EXPECT_EQ(back->getRIFFSectionSize(8), 250);
    EXPECT_EQ(back->getRIFFSectionSize(0), static_cast<int32_t>(saved.size()) - 8);

    // An emptied section disappears with its header.
    auto full = load(testmodels::everything());
    int32_t before = full->getRIFFSectionSize(0);
    full->setSection(3, "");
    std::string noDict = full->toBytes();
    EXPECT_EQ(load(noDict)->getRIFFSectionSize(0), before - (3 + 8));
    EXPECT_EQ(noDict.find("DICT"), std::string::npos);

    // Sections out of slot order, and a MATE body with bytes after its end marker.
    m = load(mdlFile({{"BBOX", bboxBody(0, 0, 0, 1, 1, 1)}, {"MDLH", headerBody({})}},
                     {{"BGL ", testutil::bytes({0x22, 0x00})}, {"MATE", materialsBody({Mat{}}) + "trailing"}}));
    saved = m->toBytes();
    EXPECT_LT(saved.find("MDLH"), saved.find("BBOX"));
    EXPECT_LT(saved.find("MATE"), saved.find("BGL "));
    back = load(saved);
    EXPECT_EQ(back->getRIFFSectionSize(9), 78);
    EXPECT_EQ(back->toBytes(), saved);
}

TEST(MDLObject, SavesOverTheLoadedFileFailedSavesLeaveTheTargetAndMissingFolders) {
    TempDir dir;
    std::string house = dir.file("house.mdl");
    testutil::writeFile(house, sampleHouse());
    MDLObject loaded;
    loaded.readMDL(house);
    loaded.saveMDL(house);
    EXPECT_EQ(testutil::readFile(house), sampleHouse());
    EXPECT_EQ(loaded.MDLPath(), house);

    std::string path = dir.file("locked.mdl");
    testutil::writeFile(path, "old contents");
    ::chmod(path.c_str(), 0444);
    auto m = load(sampleHouse());
    EXPECT_MODKIT_ERROR(m->saveMDL(path), 70);
    EXPECT_EQ(testutil::readFile(path), "old contents");

    EXPECT_MODKIT_ERROR(m->saveMDL(dir.file("no/such/folder/x.mdl")), 76);
    EXPECT_MODKIT_ERROR(MDLObject().readMDL(dir.file("no/such/folder/x.mdl")), 76);  // 53 for a missing file: cli/model.txt

    // An encoder error (a name too long for its field) writes nothing.
    std::string other = dir.file("other.mdl");
    testutil::writeFile(other, "previous");
    m->TextureList()->Item(1)->setBitmap(std::string(65, 'n'));
    EXPECT_MODKIT_ERROR(m->saveMDL(other), 100);
    EXPECT_EQ(testutil::readFile(other), "previous");
    // No temporary files are left behind.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) (void)e, ++files;
    EXPECT_EQ(files, 3);
}

TEST(MDLObject, LoadingStatusIsShownStepByStepWithAThrottledPump) {
    auto m = std::make_shared<MDLObject>();
    std::vector<LoadingStatus> seen;
    int calls = 0;
    setEventPump([&] {
        ++calls;
        if (seen.empty() || seen.back() != m->LoadingStatus()) seen.push_back(m->LoadingStatus());
    });
    m->readMDLBytes(syntheticModel(2000, 100000, 10));
    setEventPump(nullptr);
    EXPECT_EQ(seen, (std::vector<LoadingStatus>{LoadingStatus::loadingHEAD, LoadingStatus::loadingMATE,
                                                LoadingStatus::loadingTEXT, LoadingStatus::loadingVERT,
                                                LoadingStatus::loadingBGL}));
    EXPECT_LT(calls, 10000);  // far fewer than one per command
}

TEST(MDLObject, CloneIsDeepAndKeepsInMemoryFields) {
    auto m = load(testmodels::everything());  // every list has items: Item(1) below would fail
    auto tex = m->TextureList()->Item(1);
    tex->setFile("/models/tex/a.bmp");
    tex->setTextureVariant(textureVariant::winter);
    tex->setParent(1);
    tex->setGlPointer(7);
    m->MaterialList()->Add(nullptr, "keyed");
    m->setLoaded(true);
    const std::string before = m->toBytes();

    auto c = m->clone();
    EXPECT_EQ(c->toBytes(), before);
    EXPECT_TRUE(c->Loaded());
    EXPECT_EQ(c->MDLPath(), "memory.mdl");
    auto ct = c->TextureList()->Item(1);
    EXPECT_NE(ct.get(), tex.get());
    EXPECT_EQ(ct->file(), "/models/tex/a.bmp");
    EXPECT_EQ(ct->textureVariant(), textureVariant::winter);
    EXPECT_EQ(ct->parent(), 1);
    EXPECT_EQ(ct->glPointer(), 7);
    EXPECT_NO_THROW(c->MaterialList()->Item("keyed"));

    // Changing every kind of element of the copy leaves the original alone.
    c->MaterialList()->Item(1)->Diffuse()->setR(0.25f);
    ct->Color()->setG(0.5f);
    ct->setBitmap("other.bmp");
    c->VertexList()->Item(1)->setX(99);
    c->BGLCommandList()->Item(1)->setParam(0, "12345");
    c->BGLCommandList()->Remove(c->BGLCommandList()->Count());
    c->MDLHeader()->setParam(0, 42);
    c->BoundingBox()->setXmax(1000);
    c->setISFT("changed");
    EXPECT_NE(c->toBytes(), before);
    EXPECT_EQ(m->toBytes(), before);
    EXPECT_EQ(tex->file(), "/models/tex/a.bmp");
}
