// Texture files decoded in memory: every format gives the same pixels, and
// sizes a file cannot hold give error 100 (random damage: tests/fuzz).
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "ModelBuilder.h"
#include "TestUtil.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/preview/TextureImage.h"

using namespace modelgen;
using modkit::ByteWriter;

namespace {

using Rgb = std::array<int, 3>;

Rgb pixel(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return {c.red(), c.green(), c.blue()};
}

// 2 x 2: red, green on top; blue, white below.
const Rgb kTopLeft{255, 0, 0}, kTopRight{0, 255, 0}, kBottomLeft{0, 0, 255}, kBottomRight{255, 255, 255};

// tolerance: Qt widens 5-bit channels by shifting (31 -> 248).
void expectQuadrants(const QImage& image, int tolerance = 0) {
    ASSERT_FALSE(image.isNull());
    const int w = image.width(), h = image.height();
    const std::pair<Rgb, Rgb> checks[] = {{pixel(image, 0, 0), kTopLeft},
                                          {pixel(image, w - 1, 0), kTopRight},
                                          {pixel(image, 0, h - 1), kBottomLeft},
                                          {pixel(image, w - 1, h - 1), kBottomRight}};
    for (const auto& [got, want] : checks)
        for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(got[c], want[c], tolerance) << "channel " << c;
}

QImage quadrantImage(int side) {
    QImage image(side, side, QImage::Format_RGB888);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const Rgb& c = y < side / 2 ? (x < side / 2 ? kTopLeft : kTopRight) : (x < side / 2 ? kBottomLeft : kBottomRight);
            image.setPixelColor(x, y, QColor(c[0], c[1], c[2]));
        }
    return image;
}

std::string encoded(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return data.toStdString();
}

QImage decode(const std::string& bytes, const std::string& name = "texture") {
    return modkit::decodeTextureImage(bytes, name);
}

// A block of one colour in each DXT form (colours chosen exact in 5-6-5).
std::string solidBlock(const std::string& form, Rgb c) {
    const auto packed = static_cast<int32_t>(((c[0] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[2] >> 3));
    ByteWriter w;
    if (form == "DXT3") modkit::putString(w, std::string(8, '\xFF'));  // explicit alpha, opaque
    if (form == "DXT5") modkit::putString(w, std::string("\xFF\xFF") + std::string(6, '\0'));
    modkit::putUnsignedInteger(w, packed);
    modkit::putUnsignedInteger(w, packed);
    modkit::putLong(w, 0);
    return w.take();
}

// The 8 x 8 quadrant picture as blocks, top row of blocks first.
std::string quadrantBlocks(const std::string& form) {
    return solidBlock(form, kTopLeft) + solidBlock(form, kTopRight) + solidBlock(form, kBottomLeft) +
           solidBlock(form, kBottomRight);
}

uint32_t fourCC(const char* s) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

// Texels of the 2 x 2 picture, top row first, each packed by `pack` into `bytes` bytes.
template <class Pack>
std::string texels(int bytes, Pack pack, bool bottomUp = false, int rowPad = 0) {
    ByteWriter w;
    const Rgb rows[2][2] = {{kTopLeft, kTopRight}, {kBottomLeft, kBottomRight}};
    for (int r = 0; r < 2; ++r) {
        for (const Rgb& c : rows[bottomUp ? 1 - r : r]) {
            uint32_t v = pack(c);
            for (int k = 0; k < bytes; ++k) modkit::putByte(w, static_cast<uint8_t>(v >> (8 * k)));
        }
        for (int k = 0; k < rowPad; ++k) modkit::putByte(w, 0);
    }
    return w.take();
}

uint32_t rgb888(Rgb c) { return uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | uint32_t(c[2]); }
uint32_t rgb565(Rgb c) { return uint32_t(c[0] >> 3) << 11 | uint32_t(c[1] >> 2) << 5 | uint32_t(c[2] >> 3); }
uint32_t rgb555(Rgb c) { return uint32_t(c[0] >> 3) << 10 | uint32_t(c[1] >> 3) << 5 | uint32_t(c[2] >> 3); }

// A TGA file of a 2 x 2 picture: the header, then the colour map (3 bytes an
// entry) and the texels as given.
std::string tgaFile(int type, int bits, int descriptor, const std::string& map, const std::string& texels) {
    ByteWriter w;
    modkit::putString(w, std::string{'\0', static_cast<char>(!map.empty()), static_cast<char>(type)});
    for (int v : {0, static_cast<int>(map.size() / 3)}) modkit::putInteger(w, static_cast<int16_t>(v));
    modkit::putByte(w, map.empty() ? 0 : 24);
    for (int v : {0, 0, 2, 2}) modkit::putInteger(w, static_cast<int16_t>(v));
    modkit::putByte(w, static_cast<uint8_t>(bits));
    modkit::putByte(w, static_cast<uint8_t>(descriptor));
    modkit::putString(w, map + texels);
    return w.take();
}

// Every file the tests decode, valid.
std::vector<std::pair<std::string, std::string>> sampleFiles() {
    const QImage picture = quadrantImage(8);
    Bitmap bmp{"b", 2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}};
    return {
        {"24-bit.bmp", bmpFile(bmp)},
        {"8-bit.bmp", bitmapFile(2, 2, 8, 0,
                                 std::string("\0\0\xFF\0\0\xFF\0\0\xFF\0\0\0\xFF\xFF\xFF\0", 16),  // BGRx palette
                                 std::string("\2\3\0\0\0\1\0\0", 8))},
        {"16-bit.bmp", bitmapFile(2, 2, 16, 0, "", texels(2, rgb555, true))},
        {"32-bit.bmp", bitmapFile(2, 2, 32, 0, "", texels(4, rgb888, true))},
        {"dxt1.bmp", bitmapFile(8, 8, 0, fourCC("DXT1"), "", quadrantBlocks("DXT1"))},
        {"dxt5.bmp", bitmapFile(8, 8, 0, fourCC("DXT5"), "", quadrantBlocks("DXT5"))},
        {"dxt1.dds", ddsFile(8, 8, {"DXT1"}, quadrantBlocks("DXT1"))},
        {"dxt3.dds", ddsFile(8, 8, {"DXT3"}, quadrantBlocks("DXT3"))},
        {"dxt5.dds", ddsFile(8, 8, {"DXT5"}, quadrantBlocks("DXT5"))},
        {"argb.dds", ddsFile(2, 2, {"", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u}, texels(4, [](Rgb c) { return 0xFF000000u | rgb888(c); }))},
        {"rgb.dds", ddsFile(2, 2, {"", 24, 0xFF0000, 0xFF00, 0xFF, 0}, texels(3, rgb888))},
        {"565.dds", ddsFile(2, 2, {"", 16, 0xF800, 0x07E0, 0x001F, 0}, texels(2, rgb565))},
        {"picture.png", encoded(picture, "PNG")},
        {"picture.tif", encoded(picture, "TIFF")},
        {"picture.TGA", tgaFile(2, 24, 0, "", texels(3, rgb888, true))},
        // 16-bit texels, top row first: two runs of one, then a raw packet of two.
        {"rle.tga", tgaFile(10, 16, 0x20, "", texels(2, [](Rgb c) { return 0x8000u | rgb555(c); }).insert(4, "\x01").insert(2, "\x80").insert(0, "\x80"))},
        {"mapped.tga", tgaFile(1, 8, 0, std::string("\0\0\xFF\0\xFF\0\xFF\0\0\xFF\xFF\xFF", 12), std::string("\2\3\0\1", 4))},
    };
}

TEST(TextureImage, EveryFormatGivesTheSamePicture) {
    for (const auto& [name, bytes] : sampleFiles()) {
        SCOPED_TRACE(name);
        expectQuadrants(decode(bytes, name), name == "16-bit.bmp" ? 7 : 0);
    }
    // Lossy JPEG: near the colours.
    QImage jpeg = decode(encoded(quadrantImage(16), "JPEG"), "picture.jpg");
    ASSERT_EQ(jpeg.width(), 16);
    EXPECT_GT(pixel(jpeg, 3, 3)[0], 200);
    EXPECT_LT(pixel(jpeg, 3, 3)[1], 60);
    // A PNG named .bmp still reads by its content.
    expectQuadrants(decode(encoded(quadrantImage(4), "PNG"), "wrongly-named.bmp"));
}

TEST(TextureImage, GreyLevelsAndAlphaInDds) {
    QImage grey = decode(ddsFile(2, 1, {"", 8, 0xFF, 0, 0, 0, true}, std::string("\x10\xF0", 2)));
    EXPECT_EQ(pixel(grey, 0, 0), (Rgb{16, 16, 16}));
    EXPECT_EQ(pixel(grey, 1, 0), (Rgb{240, 240, 240}));
    QImage alpha = decode(ddsFile(1, 1, {"", 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u}, std::string("\x03\x02\x01\x80", 4)));
    EXPECT_EQ(pixel(alpha, 0, 0), (Rgb{1, 2, 3}));
    EXPECT_EQ(alpha.pixelColor(0, 0).alpha(), 128);  // kept for display, dropped from the bitmap pixels
}

TEST(TextureImage, BitmapPixelsAreBottomUpBgrWithPaddedRows) {
    QImage image(3, 2, QImage::Format_ARGB32);
    const Rgb top[3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, bottom[3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    for (int x = 0; x < 3; ++x) {
        image.setPixelColor(x, 0, QColor(top[x][0], top[x][1], top[x][2], 10));
        image.setPixelColor(x, 1, QColor(bottom[x][0], bottom[x][1], bottom[x][2]));
    }
    modkit::BitmapPixels p = modkit::bitmapPixelsOf(image);
    EXPECT_EQ(p.width, 3);
    EXPECT_EQ(p.height, 2);
    EXPECT_EQ(p.rowBytes(), 12u);
    const std::vector<uint8_t> want = {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0,   // bottom row first
                                       0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    EXPECT_EQ(p.bgr, want);
}

// Claims far beyond the bytes present must fail before any allocation.
TEST(TextureImage, FailuresNameTheFileAndSizesTheFileCannotHoldAreRefused) {
    testutil::TempDir dir;
    const std::string absent = dir.file("absent.dds");
    EXPECT_EQ(testutil::errorText([&] { modkit::readTextureImage(absent); }),
              "100 Modkit.OpenGLPreviewObject: Loading Texture File: '" + absent + "' Failed! (File not found)");
    const std::string zeros(64, '\0'), palette("\0\0\xFF\0\xFF\xFF\xFF\0", 8), endOfBitmap("\0\1", 2);
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"empty.png", ""}, {"dx10.dds", ddsFile(8, 8, {"DX10"}, zeros)}, {"ati2.dds", ddsFile(8, 8, {"ATI2"}, zeros)},
             {"dxt1.dds", ddsFile(16384, 16384, {"DXT1"}, zeros)},
             {"argb.dds", ddsFile(16384, 16384, {"", 32, 0xFF0000, 0xFF00, 0xFF, 0}, zeros)},
             {"24-bit.bmp", bitmapFile(16384, 16384, 24, 0, "", zeros)},
             {"dxt5.bmp", bitmapFile(16384, -16384, 0, fourCC("DXT5"), "", zeros)},
             {"wide.dds", ddsFile(70000, 1, {"DXT1"}, std::string(20000 * 8, '\0'))},
             {"no-width.bmp", bitmapFile(0, 4, 24, 0, "", zeros)}, {"negative-width.bmp", bitmapFile(-4, 4, 24, 0, "", zeros)},
             // A few bytes of run-length data may not buy a huge picture either.
             {"rle.bmp", bitmapFile(16384, 16384, 8, 1, palette, endOfBitmap)}})
        EXPECT_MODKIT_ERROR(decode(bytes, name), 100) << name;
    EXPECT_EQ(decode(bitmapFile(4096, 4096, 8, 1, palette, endOfBitmap), "rle.bmp").width(), 4096);
    // A bitmap stored top-down (negative height) still reads.
    expectQuadrants(decode(bitmapFile(2, -2, 32, 0, "", texels(4, rgb888)), "top-down.bmp"));
}

}  // namespace
