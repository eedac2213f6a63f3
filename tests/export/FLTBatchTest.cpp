#include "modkit/export/FLTBatch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "FltWalker.h"
#include "ModelBuilder.h"
#include "TestUtil.h"

using modkit::FLTBatch;
using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

namespace {

bool exists(const std::string& p) { return std::filesystem::exists(p); }

}  // namespace

TEST(FLTBatch, OutputNamesLowerCaseOnlyTheFileNameAndNeverNameTheModel) {
    EXPECT_EQ(FLTBatch::outputName("/Models/House.MDL", ""), "/Models/house.flt");
    EXPECT_EQ(FLTBatch::outputName("/Models/House.MDL", "/Out"), "/Out/house.flt");
    EXPECT_EQ(FLTBatch::outputName("/Models/House.MDL", "/Out/"), "/Out/house.flt");
    // A model file without the extension keeps its bytes: the database goes beside it.
    EXPECT_EQ(FLTBatch::outputName("/m/Hangar.bin", ""), "/m/hangar.bin.flt");
    EXPECT_EQ(FLTBatch::outputName("/m/x.flt", ""), "/m/x.flt.flt");
    EXPECT_EQ(FLTBatch::outputName("plain.mdl", ""), "plain.flt");
}

TEST(FLTBatch, ConvertsEveryModelAndReportsEachFailure) {
    TempDir dir;
    writeFile(dir.file("House.MDL"), modelgen::sampleHouse());
    writeFile(dir.file("broken.mdl"), "RIFF not a model at all");
    writeFile(dir.file("small.mdl"), modelgen::syntheticModel(30, 12, 2));
    FLTBatch batch({});
    auto house = batch.convert(dir.file("House.MDL"));
    auto broken = batch.convert(dir.file("broken.mdl"));
    auto missing = batch.convert(dir.file("missing.mdl"));
    auto small = batch.convert(dir.file("small.mdl"));

    EXPECT_TRUE(house.converted());
    EXPECT_EQ(house.output, dir.file("house.flt"));
    ASSERT_FALSE(broken.converted());
    EXPECT_EQ(broken.error->number(), 100);
    EXPECT_EQ(broken.error->source(), "Modkit.MDLObject");
    ASSERT_FALSE(missing.converted());
    EXPECT_EQ(missing.error->number(), 53);
    EXPECT_TRUE(small.converted());
    EXPECT_EQ(batch.converted(), 2);
    EXPECT_EQ(batch.failed(), 2);

    auto db = fltcheck::walk(readFile(dir.file("house.flt")));
    EXPECT_TRUE(db.problems.empty()) << db.problems[0];
    EXPECT_EQ(db.textures, (std::vector<std::string>{"house_walls.RGB", "house_roof.RGB"}));
    EXPECT_TRUE(exists(dir.file("house_walls.RGB.attr")));
    EXPECT_EQ(fltcheck::walk(readFile(dir.file("small.flt"))).faces.size(), 12u);
    EXPECT_FALSE(exists(dir.file("broken.flt")));
    EXPECT_EQ(readFile(dir.file("House.MDL")), modelgen::sampleHouse());
}
