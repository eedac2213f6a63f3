// render and visible under a simulator state, on the sample house with seasons.
#include <gtest/gtest.h>

#include "RunCli.h"
#include "TestUtil.h"

using testutil::runCli;

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
const std::string kHouse = std::string(FETTLE_SAMPLE_DIR) + "/house_seasons.mdl";
}

TEST(StateCli, RenderFollowsTheDayAndVisibleSaysWhichTestsDecided) {
    testutil::TempDir dir;
    std::string pictures[2];
    for (int i = 0; i < 2; ++i) {
        const std::string png = dir.file("house" + std::to_string(i) + ".png");
        auto r = runCli({"render", kHouse, png, "--width", "64", "--height", "64", "--day", i ? "196" : "15"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        pictures[i] = testutil::readFile(png);
    }
    EXPECT_NE(pictures[0], pictures[1]);

    auto v = runCli({"visible", kHouse, "--day", "15", "--state", "Scenery complexity=2"});
    ASSERT_EQ(v.exitCode, 0) << v.err;
    EXPECT_TRUE(contains(v.out, "State: Time of day 1, Distance to RefPoint 0, Scenery complexity 2, Day of the year 15"))
        << v.out;
    EXPECT_TRUE(contains(v.out, "IFIN1 Distance to RefPoint (33B) = 0 in 0..5000: passed\n")) << v.out;
    EXPECT_TRUE(contains(v.out, "IFIN1 Day of the year (38A) = 15 not in 60..329: skipped to ")) << v.out;
    EXPECT_TRUE(contains(v.out, " skipped\n")) << v.out;
    EXPECT_TRUE(contains(v.out, "Triangles drawn: 16 of 16\n")) << v.out;
    v = runCli({"visible", kHouse, "--distance", "5001"});
    EXPECT_TRUE(contains(v.out, "Triangles drawn: 0 of 16\n")) << v.out;

    struct Refused {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const Refused refused[] = {
        {{"--day", "366"}, 1, "Day of the year (38A) must be between 1 and 365"},
        {{"--time", "noon"}, 2, "--time needs day, dusk or night, not 'noon'"},
        {{"--state", "28C=3"}, 1, "Time of day (28C) must be one of 1, 2, 4"},
        {{"--state", "Moon=1"}, 1, "Unknown variable: Moon"},
        {{"--distance", "far"}, 2, "--distance needs a whole number, not 'far'"},
    };
    for (const Refused& r : refused) {
        std::vector<std::string> args = {"visible", kHouse};
        args.insert(args.end(), r.args.begin(), r.args.end());
        auto out = runCli(args);
        EXPECT_EQ(out.exitCode, r.exitCode) << r.message;
        EXPECT_TRUE(contains(out.err, r.message)) << out.err;
    }
}
