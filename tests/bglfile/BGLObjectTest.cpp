#include <gtest/gtest.h>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/bglfile/BGLObject.h"
#include "modkit/core/HexFunctions.h"

using namespace modkit;
using namespace modelgen;
using testutil::TempDir;

namespace {

// A model told apart from the others by its vertex count.
std::string modelWith(int vertices) { return syntheticModel(vertices, 2, 0); }

std::vector<int> vertexCounts(const BGLObject& lib) {
    std::vector<int> out;
    for (const auto& m : *lib.ModelList()) out.push_back(m->VertexList()->Count());
    return out;
}

struct LibFile {
    TempDir dir;
    std::string path;
    explicit LibFile(const std::string& bytes) : path(dir.file("lib.bgl")) { testutil::writeFile(path, bytes); }
};

int readError(const std::string& bytes, std::string* description = nullptr) {
    try {
        BGLObject lib;
        lib.readXMLBGLBytes(bytes);
        return 0;
    } catch (const Error& e) {
        if (description) *description = e.description();
        return e.number();
    }
}

}  // namespace

TEST(BGLObject, RecognisesXmlStyleLibrariesByTheirFirstWord) {
    TempDir dir;
    BGLObject lib;
    testutil::writeFile(dir.file("a.bgl"), std::string("\x01\x02rest", 6));
    testutil::writeFile(dir.file("b.bgl"), std::string("\x02\x01rest", 6));
    testutil::writeFile(dir.file("c.bgl"), std::string("\x01", 1));
    std::vector<bool> recognised;
    for (const char* name : {"a.bgl", "b.bgl", "c.bgl", "missing.bgl", ""}) recognised.push_back(lib.isXMLBGL(dir.file(name)));
    EXPECT_EQ(recognised, (std::vector<bool>{true, false, false, false, false}));

    EXPECT_EQ(testutil::errorText([&] { lib.readXMLBGL(dir.file("b.bgl")); }),
              "100 Modkit.BGLObject: This is not a valid XML style BGL file");

    // A missing file changes nothing and raises nothing.
    lib.readXMLBGL(dir.file("missing.bgl"));
    EXPECT_EQ(lib.ModelList()->Count(), 0);
}

TEST(BGLObject, ListsTheModelsOfEveryModelSectionInFileOrder) {
    // The second of three sections holds two models.
    LibFile one(xmlBglLibrary({{3, {{"airport-record"}}}, {43, {{modelWith(5), modelWith(6)}}}, {39, {}}}));
    BGLObject lib;
    lib.readXMLBGL(one.path);
    EXPECT_EQ(vertexCounts(lib), (std::vector<int>{5, 6}));
    EXPECT_EQ(lib.sections()->Count(), 3);
    EXPECT_EQ(lib.sections()->Item(2)->sectionType(), 43);
    EXPECT_EQ(lib.sections()->Item(2)->subSections()->Item(1)->numSubSection(), 2);
    EXPECT_EQ(lib.ModelList()->Item(1)->MDLPath(), one.path);

    // Two model sections, the second with an empty subsection first: all models, in file order.
    std::vector<std::string> models = {modelWith(3), modelWith(4), modelWith(7), modelWith(8), modelWith(9)};
    BGLObject lib2;
    lib2.readXMLBGLBytes(xmlBglLibrary({{43, {{models[0]}, {models[1], models[2]}}},
                                        {37, {{"x", "y"}}},
                                        {43, {{}, {models[3], models[4]}}}}));
    EXPECT_EQ(vertexCounts(lib2), (std::vector<int>{3, 4, 7, 8, 9}));
    ASSERT_EQ(lib2.modelCount(), 5);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(lib2.modelBytes(n), models[static_cast<size_t>(n - 1)]) << n;
        EXPECT_EQ(lib2.modelSize(n), static_cast<int64_t>(models[static_cast<size_t>(n - 1)].size()));
    }
    EXPECT_MODKIT_ERROR(lib2.modelBytes(6), 5);
    EXPECT_MODKIT_ERROR(lib2.modelSize(0), 5);
}

TEST(BGLObject, CountsOffsetsAndLengthsOutsideTheFileAreNamed) {
    const std::string good = xmlBglLibrary({{3, {{"r"}}}, {43, {{modelWith(3), modelWith(4)}}}});
    const size_t section2 = 56 + 20;
    const size_t sub2 = 56 + 2 * 20 + 16;  // the second section's subsection table
    ASSERT_EQ(readError(good), 0);
    ByteReader r(good);
    r.seek(sub2 + 8);
    const size_t model2 = static_cast<size_t>(getLong(r)) + 24;  // the second model's start and length in the index
    // Every description names the table and where it lies: tests/data/bglfile/bad-offsets.txt.
    const std::pair<size_t, int32_t> cases[] = {
        {20, 1000000}, {20, -1}, {section2 + 12, 0x7FFFFFF0}, {section2 + 8, 0x10000000}, {section2 + 12, -4},
        {sub2 + 4, 0x7FFFFFFF}, {sub2 + 8, static_cast<int32_t>(good.size()) - 10}, {model2 + 20, 0x7FFFFF00},
        {model2 + 20, -1}, {model2 + 16, -100000}};
    std::string said, d;
    for (const auto& [at, value] : cases) {
        EXPECT_EQ(readError(testutil::withLong(good, at, value), &d), 100) << at;
        said += d + "\n";
    }
    EXPECT_EQ(readError(good.substr(0, 40), &d), 100);
    testutil::expectGolden("bglfile/bad-offsets.txt", said + d + "\n");
}

TEST(BGLObject, TablesAndModelsSharedBetweenEntriesCannotMultiplyTheWork) {
    // Fifty sections that all name one table of 40 subsections.
    ByteWriter w;
    putInteger(w, 513);
    putString(w, "", 18);
    putLong(w, 50);
    putString(w, "", 32);
    for (int i = 0; i < 50; ++i)
        for (int32_t v : {3, 0, 40, 56 + 50 * 20, 640}) putLong(w, v);
    putString(w, std::string(640, '\0'));
    std::string d;
    EXPECT_EQ(readError(w.bytes(), &d), 100);
    EXPECT_NE(d.find("the subsection tables of the 50 sections claim 2000 records in all, more than the file holds"), std::string::npos) << d;

    // Two index entries naming the same large model.
    const std::string big = sampleHouse(), small = modelWith(3);
    std::string lib = xmlBglLibrary({{43, {{big, small}}}});
    ByteReader r(lib);
    r.seek(56 + 20 + 8);
    const size_t index = static_cast<size_t>(getLong(r));
    r.seek(index + 16);
    const int32_t start = getLong(r);
    lib = testutil::withLong(testutil::withLong(lib, index + 24 + 16, start), index + 24 + 20, static_cast<int32_t>(big.size()));
    EXPECT_EQ(readError(lib, &d), 100);
    EXPECT_NE(d.find("the models of the index claim " + std::to_string(2 * big.size()) + " bytes in all"),
              std::string::npos) << d;
}

TEST(BGLObject, CorpusLibraries) {
    if (!testutil::haveCorpus()) GTEST_SKIP() << "corpus folder " << testutil::corpusDir() << " is absent";
    const std::string dir = testutil::corpusDir() + "/";
    for (const char* name : {"xmlbgl_airport_a.bgl", "xmlbgl_airport_b.bgl"}) {
        BGLObject lib;
        EXPECT_TRUE(lib.isXMLBGL(dir + name)) << name;
        lib.readXMLBGL(dir + name);
        EXPECT_EQ(lib.ModelList()->Count(), 0) << name;
        EXPECT_EQ(lib.sections()->Count(), 6) << name;
    }
    for (const char* name : {"bgl_older_library.bgl", "bgl_other_family.bgl"}) {
        BGLObject lib;
        EXPECT_FALSE(lib.isXMLBGL(dir + name)) << name;
        EXPECT_EQ(testutil::errorText([&] { lib.readXMLBGL(dir + name); }),
                  "100 Modkit.BGLObject: This is not a valid XML style BGL file") << name;
    }
}
