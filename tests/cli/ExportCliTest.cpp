#include <gtest/gtest.h>

#include <filesystem>

#include "FltWalker.h"
#include "ModelBuilder.h"
#include "RunCli.h"
#include "TestUtil.h"

using testutil::readFile;
using testutil::runCli;
using testutil::TempDir;
using testutil::writeFile;

namespace {

bool exists(const std::string& p) { return std::filesystem::exists(p); }

}  // namespace

TEST(ExportCli, AsmWritesBesideTheModelByDefault) {
    TempDir dir;
    writeFile(dir.file("House.MDL"), modelgen::sampleHouse());
    auto r = runCli({"asm", dir.file("House.MDL")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string text = readFile(dir.file("House.asm"));
    EXPECT_NE(text.find("house_walls.bmp                 0 \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nBGL_END\r\n"), std::string::npos);
    EXPECT_EQ(readFile(dir.file("House.MDL")), modelgen::sampleHouse());

    EXPECT_EQ(runCli({"asm", dir.file("House.MDL"), dir.file("other.txt")}).exitCode, 0);
    EXPECT_EQ(readFile(dir.file("other.txt")), text);
    EXPECT_EQ(runCli({"asm"}).exitCode, 2);
}

TEST(ExportCli, FltConvertsEveryModelAndReportsTheFailures) {
    TempDir dir;
    writeFile(dir.file("House.MDL"), modelgen::sampleHouse());
    writeFile(dir.file("second.mdl"), modelgen::syntheticModel(50, 20, 2));
    writeFile(dir.file("broken.mdl"), "not a model");
    auto r = runCli({"flt", dir.file("House.MDL"), dir.file("broken.mdl"), dir.file("missing.mdl"),
                     dir.file("second.mdl")});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.out.find(dir.file("House.MDL") + " -> " + dir.file("house.flt") + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(dir.file("broken.mdl") + ": failed: Error 100 (This is not a valid RIFF scenery MDL file)"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find(dir.file("missing.mdl") + ": failed: Error 53"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("2 converted, 2 failed\n"), std::string::npos) << r.out;
}

TEST(ExportCli, FltOptions) {
    TempDir dir, out;
    writeFile(dir.file("A.mdl"), modelgen::sampleHouse());
    writeFile(dir.file("a.MDL"), modelgen::syntheticModel(30, 12, 0));
    auto r = runCli({"flt", dir.file("A.mdl"), dir.file("a.MDL"), "--outdir", out.path(), "--format", "dds",
                     "--no-attr", "--rotate", "90"});
    // Both names become a.flt: the second would overwrite the first, so it fails.
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("1 converted, 1 failed"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("already written to"), std::string::npos) << r.out;
    auto db = fltcheck::walk(readFile(out.file("a.flt")));
    EXPECT_EQ(db.textures, (std::vector<std::string>{"house_walls.DDS", "house_roof.DDS"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 1);  // no attribute files
    EXPECT_FALSE(exists(dir.file("a.flt")));

    EXPECT_EQ(runCli({"flt", dir.file("A.mdl"), "--format", "PNG"}).exitCode, 2);
    EXPECT_EQ(runCli({"flt", dir.file("A.mdl"), "--rotate", "left"}).exitCode, 2);
    EXPECT_EQ(runCli({"flt", dir.file("A.mdl"), "--outdir", dir.file("nowhere")}).exitCode, 2);
    EXPECT_EQ(runCli({"flt"}).exitCode, 2);
}

TEST(ExportCli, BglListsAndExtractsTheModelsOfALibrary) {
    TempDir dir;
    const std::string house = modelgen::sampleHouse(), small = modelgen::syntheticModel(10, 4, 0);
    writeFile(dir.file("lib.bgl"),
              modelgen::xmlBglLibrary({{3, {{"airport"}}}, {43, {{house, small}}}, {43, {{small}}}}));
    auto r = runCli({"bgl", dir.file("lib.bgl")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string size = std::to_string(house.size()), smallSize = std::to_string(small.size());
    EXPECT_EQ(r.out, "Object 1: " + size + " bytes, 2 textures, 34 vertices, 16 triangles\n"
                     "Object 2: " + smallSize + " bytes, 2 textures, 10 vertices, 4 triangles\n"
                     "Object 3: " + smallSize + " bytes, 2 textures, 10 vertices, 4 triangles\n");

    auto x = runCli({"extract", dir.file("lib.bgl"), dir.file("out")});
    ASSERT_EQ(x.exitCode, 0) << x.err;
    EXPECT_EQ(readFile(dir.file("out/object_1.mdl")), house);
    EXPECT_EQ(readFile(dir.file("out/object_2.mdl")), small);
    EXPECT_EQ(readFile(dir.file("out/object_3.mdl")), small);

    auto one = runCli({"extract", dir.file("lib.bgl"), dir.file("one"), "--object", "2"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("one")), {}), 1);
    EXPECT_EQ(readFile(dir.file("one/object_2.mdl")), small);
    EXPECT_EQ(runCli({"extract", dir.file("lib.bgl"), dir.file("one"), "--object", "4"}).exitCode, 2);
    EXPECT_EQ(runCli({"bgl", dir.file("missing.bgl")}).exitCode, 1);

    // A model that does not load: the ones before it are listed, then the error.
    writeFile(dir.file("damaged.bgl"), modelgen::xmlBglLibrary({{43, {{small, "RIFF", small}}}}));
    auto d = runCli({"bgl", dir.file("damaged.bgl")});
    EXPECT_EQ(d.exitCode, 1);
    EXPECT_EQ(d.out, "Object 1: " + smallSize + " bytes, 2 textures, 10 vertices, 4 triangles\n");
    EXPECT_NE(d.err.find("Error 100 (This is not a valid RIFF scenery MDL file)"), std::string::npos) << d.err;
    ASSERT_EQ(runCli({"extract", dir.file("damaged.bgl"), dir.file("damaged"), "--object", "2"}).exitCode, 0);
    EXPECT_EQ(readFile(dir.file("damaged/object_2.mdl")), "RIFF");
}

TEST(ExportCli, CorpusLibraries) {
    if (!testutil::haveCorpus()) GTEST_SKIP() << "corpus folder " << testutil::corpusDir() << " is absent";
    const std::string c = testutil::corpusDir() + "/";
    TempDir dir;
    for (const char* name : {"xmlbgl_airport_a.bgl", "xmlbgl_airport_b.bgl"}) {
        auto r = runCli({"bgl", c + name});
        EXPECT_EQ(r.exitCode, 0) << name << r.err;
        EXPECT_EQ(r.out, "No models in " + c + name + "\n");
        EXPECT_EQ(runCli({"extract", c + name, dir.path()}).exitCode, 0);
    }
    for (const char* name : {"bgl_older_library.bgl", "bgl_other_family.bgl"}) {
        auto r = runCli({"bgl", c + name});
        EXPECT_EQ(r.exitCode, 1) << name;
        EXPECT_NE(r.err.find("Error 100 (This is not a valid XML style BGL file)"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Source: Modkit.BGLObject"), std::string::npos) << r.err;
        EXPECT_EQ(runCli({"extract", c + name, dir.path()}).exitCode, 1);
    }
}
