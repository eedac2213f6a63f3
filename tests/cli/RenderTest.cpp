#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <filesystem>
#include <set>

#include "RunCli.h"
#include "TestUtil.h"

using testutil::runCli;

namespace {

// Share of pixels that are brick-like (clearly red), and the number of
// colours: flat, untextured faces give only a few.
std::pair<double, size_t> looks(const QImage& image) {
    int red = 0;
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > c.green() + 30 && c.red() > c.blue() + 30;
            colours.insert(c.rgb());
        }
    return {double(red) / (image.width() * image.height()), colours.size()};
}

TEST(Render, SampleHouseIsDrawnWithItsTextures) {
    testutil::TempDir dir;
    const std::string png = dir.file("house.png");
    auto r = runCli({"render", testutil::sampleModel(), png});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    QImage image(QString::fromStdString(png));
    ASSERT_EQ(image.size(), QSize(800, 600));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));  // the background
    auto [red, colours] = looks(image);
    EXPECT_GT(red, 0.15);
    EXPECT_GT(colours, 100u);

    // Without its bitmaps the house is still drawn, untextured (the warnings: tests/data/cli/render.txt).
    std::filesystem::copy_file(testutil::sampleModel(), dir.file("house.mdl"));
    ASSERT_EQ(runCli({"render", dir.file("house.mdl"), png, "--width", "160", "--height", "120"}).exitCode, 0);
    image = QImage(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(160, 120));
    EXPECT_LT(looks(image).second, 30u);
}

TEST(Render, ViewOptionsAndFrameRate) {
    testutil::TempDir dir;
    const std::string a = dir.file("a.png"), b = dir.file("b.png");
    auto r = runCli({"render", testutil::sampleModel(), a, "--width", "200", "--height", "150", "--frames", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("3 frames in "), std::string::npos) << r.out;
    r = runCli({"render", testutil::sampleModel(), b, "--width", "200", "--height", "150", "--heading", "-45",
                "--pitch", "-60", "--zoom", "150", "--pan", "1,-2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(QImage(QString::fromStdString(a)), QImage(QString::fromStdString(b)));
    // --size gives the longest side and keeps the proportions (thumbnails).
    ASSERT_EQ(runCli({"render", testutil::sampleModel(), a, "--size", "64"}).exitCode, 0);
    EXPECT_EQ(QImage(QString::fromStdString(a)).size(), QSize(64, 48));
    ASSERT_EQ(runCli({"render", testutil::sampleModel(), a, "--width", "100", "--height", "300", "--size", "30"}).exitCode, 0);
    EXPECT_EQ(QImage(QString::fromStdString(a)).size(), QSize(10, 30));

    // A header box far from the vertices: the vertices frame the picture all the same.
    std::string moved = testutil::readFile(testutil::sampleModel());
    const size_t box = moved.find("BBOX") + 8;
    for (size_t i = 0; i < 6; ++i) {
        const float far = 1e5f + (i < 3 ? 0 : 10);
        std::memcpy(&moved[box + 4 * i], &far, 4);
    }
    testutil::writeFile(dir.file("moved.mdl"), moved);
    r = runCli({"render", dir.file("moved.mdl"), a, "--texture-path", FETTLE_SAMPLE_DIR});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_GT(looks(QImage(QString::fromStdString(a))).first, 0.15);
}

// The refusals of render and what visible prints under a simulator state, on
// the sample house with seasons, against tests/data/cli/render.txt.
TEST(Render, RefusalsAndVisibleUnderAState) {
    testutil::TempDir dir;
    const std::string png = dir.file("keep.png"), seasons = std::string(FETTLE_SAMPLE_DIR) + "/house_seasons.mdl";
    testutil::writeFile(png, "earlier picture");
    testutil::writeFile(dir.file("bad.mdl"), "RIFF");
    // Bitmaps missing, then found through a search folder but one that cannot be decoded: warnings.
    std::filesystem::copy_file(testutil::sampleModel(), dir.file("house.mdl"));
    testutil::Transcript t(dir);
    t.run({"render", dir.file("house.mdl"), dir.file("a.png"), "--size", "16"});
    testutil::writeFile(dir.file("house_roof.bmp"), "BM broken");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"render", dir.file("house.mdl"), dir.file("a.png"), "--size", "16", "--texture-path", FETTLE_SAMPLE_DIR},
             {"render", dir.file("bad.mdl"), png},
             {"render", testutil::sampleModel(), png, "--zoom", "near"},
             {"render", testutil::sampleModel(), png, "--pan", "3"},
             {"render", testutil::sampleModel(), png, "--width", "0"},
             {"render", testutil::sampleModel(), png, "--frames", "1.5"},
             {"render", testutil::sampleModel()},
             {"visible", seasons, "--day", "15", "--state", "Scenery complexity=2"},
             {"visible", seasons, "--distance", "5001"},
             {"visible", seasons, "--day", "366"},
             {"visible", seasons, "--time", "noon"},
             {"visible", seasons, "--state", "28C=3"},
             {"visible", seasons, "--state", "Scenery complexity=6"},
             {"visible", seasons, "--state", "Distance to RefPoint=-1"},
             {"visible", seasons, "--state", "Moon=1"},
             {"visible", seasons, "--distance", "far"},
         })
        t.run(args);
    testutil::expectGolden("cli/render.txt", t.text());
    EXPECT_EQ(testutil::readFile(png), "earlier picture");

    std::string pictures[2];
    for (int i = 0; i < 2; ++i) {
        auto r = runCli({"render", seasons, png, "--width", "64", "--height", "64", "--day", i ? "196" : "15"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        pictures[i] = testutil::readFile(png);
    }
    EXPECT_NE(pictures[0], pictures[1]);
}

}  // namespace
