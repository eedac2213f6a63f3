// The export and library commands: what they print and their exit codes
// against tests/data/cli/export.txt, what they write checked here.
#include <gtest/gtest.h>

#include <filesystem>

#include "FltWalker.h"
#include "ModelBuilder.h"
#include "RunCli.h"
#include "TestUtil.h"
#include "modkit/export/OpenFlightWriter.h"

using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

namespace {
size_t filesIn(const std::string& folder) { return size_t(std::distance(std::filesystem::directory_iterator(folder), {})); }
}  // namespace

TEST(ExportCli, ExportAndLibraryCommands) {
    TempDir dir;
    auto file = [&](const std::string& name) { return dir.file(name); };
    const std::string house = modelgen::sampleHouse(), small = modelgen::syntheticModel(10, 4, 0);
    writeFile(file("House.MDL"), house);
    writeFile(file("second.mdl"), modelgen::syntheticModel(50, 20, 2));
    writeFile(file("broken.mdl"), "not a model");
    std::filesystem::create_directories(file("in"));
    std::filesystem::create_directories(file("out"));
    writeFile(file("in/A.mdl"), house);
    writeFile(file("in/a.MDL"), modelgen::syntheticModel(30, 12, 0));
    writeFile(file("lib.bgl"), modelgen::xmlBglLibrary({{3, {{"airport"}}}, {43, {{house, small}}}, {43, {{small}}}}));
    // A model that does not load: the ones before it are listed, then the error
    // (the library keeps them).
    writeFile(file("none.bgl"), modelgen::xmlBglLibrary({{3, {{"airport"}}}}));
    writeFile(file("damaged.bgl"), modelgen::xmlBglLibrary({{43, {{small, "RIFF", small}}}}));

    testutil::Transcript t(dir);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"asm", file("House.MDL")},
             {"asm", file("House.MDL"), file("other.txt")},
             {"asm"},
             {"flt", file("House.MDL"), file("broken.mdl"), file("missing.mdl"), file("second.mdl")},
             // Both names become a.flt: the second would overwrite the first, so it fails.
             {"flt", file("in/A.mdl"), file("in/a.MDL"), "--outdir", file("out"), "--format", "dds", "--no-attr",
              "--rotate", "90"},
             {"flt", file("House.MDL"), "--format", "PNG"},
             {"flt", file("House.MDL"), "--rotate", "left"},
             {"flt", file("House.MDL"), "--outdir", file("nowhere")},
             {"flt"},
             {"bgl", file("lib.bgl")},
             {"extract", file("lib.bgl"), file("all")},
             {"extract", file("lib.bgl"), file("one"), "--object", "2"},
             {"extract", file("lib.bgl"), file("one"), "--object", "4"},
             {"bgl", file("missing.bgl")},
             {"bgl", file("none.bgl")},
             {"bgl", file("damaged.bgl")},
             {"extract", file("damaged.bgl"), file("damaged")},  // scanning finds all three, bytes as stored
         })
        t.run(args);
    testutil::expectGolden("cli/export.txt", t.text());

    testutil::expectGolden("cli/house.asm.txt", testutil::visible(readFile(file("House.asm"))));
    EXPECT_EQ(readFile(file("other.txt")), readFile(file("House.asm")));
    EXPECT_EQ(readFile(file("House.MDL")), house);
    EXPECT_TRUE(fltcheck::walk(readFile(file("house.flt"))).problems.empty());
    EXPECT_EQ(readFile(file("house_walls.RGB.attr")), modkit::OpenFlightWriter::attributeFileBytes());
    EXPECT_EQ(fltcheck::walk(readFile(file("out/a.flt"))).textures,
              (std::vector<std::string>{"house_walls.DDS", "house_roof.DDS"}));
    EXPECT_EQ(filesIn(file("out")), 1u);  // no attribute files
    EXPECT_FALSE(std::filesystem::exists(file("in/a.flt")));
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"all/object_1.mdl", house}, {"all/object_2.mdl", small}, {"all/object_3.mdl", small},
             {"one/object_2.mdl", small}, {"damaged/object_2.mdl", "RIFF"}, {"damaged/object_3.mdl", small}})
        EXPECT_EQ(readFile(file(name)), bytes) << name;
    EXPECT_EQ(filesIn(file("one")), 1u);
}
