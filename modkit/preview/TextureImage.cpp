#include "modkit/preview/TextureImage.h"

#include <squish.h>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "modkit/core/Error.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/HexFunctions.h"
#include "modkit/export/TextureDecoder.h"
#include "modkit/preview/TexturePng.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.OpenGLPreviewObject";

// Raised inside the readers; decodeTextureImage turns it into the texture error.
struct Unreadable {};

constexpr uint32_t fourCC(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

uint32_t u32At(std::string_view bytes, size_t offset) {
    ByteReader r(bytes);
    r.seek(offset);
    return static_cast<uint32_t>(getLong(r));
}
int32_t i32At(std::string_view bytes, size_t offset) { return static_cast<int32_t>(u32At(bytes, offset)); }
uint16_t u16At(std::string_view bytes, size_t offset) {
    ByteReader r(bytes);
    r.seek(offset);
    return static_cast<uint16_t>(getInteger(r));
}

std::string lowerSuffix(const std::string& name) {
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string s = name.substr(dot + 1);
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return s;
}

void checkSides(int64_t width, int64_t height) {
    if (width < 1 || height < 1 || width > kMaxTextureSide || height > kMaxTextureSide) throw Unreadable{};
}

// squish's flag for a DXT FourCC (DXT2 and DXT4 are the premultiplied forms of
// DXT3 and DXT5; their colours decode the same way); 0 for anything else.
int squishFlags(uint32_t code) {
    if (code == fourCC("DXT1")) return squish::kDxt1;
    if (code == fourCC("DXT2") || code == fourCC("DXT3")) return squish::kDxt3;
    if (code == fourCC("DXT4") || code == fourCC("DXT5")) return squish::kDxt5;
    return 0;
}

// The first level of a DXT surface: blocks of 4x4 texels, top row of blocks first.
QImage decodeBlocks(std::string_view bytes, size_t offset, int64_t width, int64_t height, int flags) {
    checkSides(width, height);
    const int64_t blockBytes = (flags & squish::kDxt1) ? 8 : 16;
    const int64_t need = ((width + 3) / 4) * ((height + 3) / 4) * blockBytes;
    if (offset > bytes.size() || need > static_cast<int64_t>(bytes.size() - offset)) throw Unreadable{};
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGBA8888);
    if (image.isNull()) throw std::bad_alloc();
    squish::DecompressImage(image.bits(), image.width(), image.height(), static_cast<int>(image.bytesPerLine()),
                            bytes.data() + offset, flags);
    return image;
}

// One channel of an uncompressed texel, scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (m == 0) return;
        shift = std::countr_zero(m);
        max = m >> shift;
    }
    uint8_t operator()(uint32_t texel, uint8_t absent) const {
        if (mask == 0) return absent;
        const uint32_t v = (texel & mask) >> shift;
        return static_cast<uint8_t>((uint64_t(v) * 255 + max / 2) / max);
    }
};

QImage decodeDds(std::string_view bytes) {
    constexpr size_t kData = 128;
    if (bytes.size() < kData) throw Unreadable{};
    const int64_t height = u32At(bytes, 12);
    const int64_t width = u32At(bytes, 16);
    const uint32_t pfFlags = u32At(bytes, 80);
    const uint32_t code = u32At(bytes, 84);
    constexpr uint32_t kAlphaPixels = 0x1, kAlphaOnly = 0x2, kFourCC = 0x4, kRGB = 0x40, kLuminance = 0x20000;

    if (pfFlags & kFourCC) {
        const int flags = squishFlags(code);
        if (flags == 0) throw Unreadable{};  // DX10 and other block formats are not read
        return decodeBlocks(bytes, kData, width, height, flags);
    }
    if (!(pfFlags & (kRGB | kLuminance | kAlphaOnly))) throw Unreadable{};
    const uint32_t bits = u32At(bytes, 88);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) throw Unreadable{};
    checkSides(width, height);
    uint32_t rMask = u32At(bytes, 92), gMask = u32At(bytes, 96), bMask = u32At(bytes, 100);
    const uint32_t aMask = (pfFlags & (kAlphaPixels | kAlphaOnly)) ? u32At(bytes, 104) : 0;
    if ((pfFlags & kRGB) && rMask == 0 && gMask == 0 && bMask == 0) {
        if (bits == 16) rMask = 0xF800, gMask = 0x07E0, bMask = 0x001F;
        else rMask = 0xFF0000, gMask = 0x00FF00, bMask = 0x0000FF;
    }
    const Channel r(rMask), g(gMask), b(bMask), a(aMask);
    const bool luminance = (pfFlags & kLuminance) != 0;
    const bool alphaOnly = !(pfFlags & (kRGB | kLuminance));

    const int64_t texelBytes = bits / 8;
    const int64_t rowBytes = width * texelBytes;
    if (rowBytes * height > static_cast<int64_t>(bytes.size() - kData)) throw Unreadable{};
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGBA8888);
    if (image.isNull()) throw std::bad_alloc();
    const auto* src = reinterpret_cast<const uint8_t*>(bytes.data() + kData);
    for (int64_t y = 0; y < height; ++y) {
        uint8_t* out = image.scanLine(static_cast<int>(y));
        const uint8_t* in = src + y * rowBytes;
        for (int64_t x = 0; x < width; ++x, in += texelBytes, out += 4) {
            uint32_t t = 0;
            for (int64_t k = 0; k < texelBytes; ++k) t |= uint32_t(in[k]) << (8 * k);
            if (alphaOnly) {
                out[0] = out[1] = out[2] = 255;
            } else if (luminance) {
                out[0] = out[1] = out[2] = r(t, 0);
            } else {
                out[0] = r(t, 0);
                out[1] = g(t, 0);
                out[2] = b(t, 0);
            }
            out[3] = a(t, 255);
        }
    }
    return image;
}

// A TGA file (Qt reads only the uncompressed ones that carry the version-2
// footer): true-colour, grey and colour-mapped images, raw or run-length
// encoded, 8 to 32 bits a pixel.
QImage decodeTga(std::string_view bytes) {
    constexpr size_t kHeader = 18;
    if (bytes.size() < kHeader) throw Unreadable{};
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
    const int idLength = b[0], mapType = b[1], type = b[2];
    const int mapFirst = u16At(bytes, 3), mapLength = u16At(bytes, 5), mapBits = b[7];
    const int64_t width = u16At(bytes, 12), height = u16At(bytes, 14);
    const int bits = b[16], descriptor = b[17];
    const bool rle = type >= 9;
    const int kind = rle ? type - 8 : type;  // 1 colour-mapped, 2 true colour, 3 grey
    if (kind < 1 || kind > 3 || mapType > 1 || (kind == 1 && mapType != 1)) throw Unreadable{};
    checkSides(width, height);

    // Texels of 15/16, 24 and 32 bits (in the map or in the image) become RGBA.
    auto colourOf = [](const uint8_t* p, int bitsPerTexel, bool alphaBit) -> std::array<uint8_t, 4> {
        if (bitsPerTexel == 15 || bitsPerTexel == 16) {
            const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
            static const Channel r(0x7C00), g(0x03E0), bl(0x001F), a(0x8000);
            return {r(v, 0), g(v, 0), bl(v, 0), alphaBit ? a(v, 255) : uint8_t(255)};
        }
        return {p[2], p[1], p[0], bitsPerTexel == 32 ? p[3] : uint8_t(255)};
    };
    size_t at = kHeader + static_cast<size_t>(idLength);
    std::vector<std::array<uint8_t, 4>> map;
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) throw Unreadable{};
        const size_t entry = static_cast<size_t>((mapBits + 7) / 8);
        if (at > bytes.size() || static_cast<size_t>(mapLength) * entry > bytes.size() - at) throw Unreadable{};
        for (int i = 0; i < mapLength; ++i) map.push_back(colourOf(b + at + static_cast<size_t>(i) * entry, mapBits, false));
        at += static_cast<size_t>(mapLength) * entry;
    }
    const bool validBits = kind == 2 ? (bits == 15 || bits == 16 || bits == 24 || bits == 32)
                                     : (bits == 8 || (kind == 1 && bits == 16));
    if (!validBits || at > bytes.size()) throw Unreadable{};
    const size_t texelBytes = static_cast<size_t>((bits + 7) / 8);
    const int64_t texels = width * height;
    const int64_t available = static_cast<int64_t>(bytes.size() - at);
    // A run packet of 1 + texelBytes bytes gives at most 128 texels.
    if (rle ? texels > available / int64_t(1 + texelBytes) * 128 + 128 : texels * int64_t(texelBytes) > available)
        throw Unreadable{};

    const bool alphaBit = (descriptor & 0x0F) != 0;
    auto texel = [&](const uint8_t* p) -> std::array<uint8_t, 4> {
        if (kind == 3) return {p[0], p[0], p[0], 255};
        if (kind == 1) {
            const int index = (bits == 16 ? int(p[0]) | int(p[1]) << 8 : int(p[0])) - mapFirst;
            if (index < 0 || index >= static_cast<int>(map.size())) throw Unreadable{};
            return map[static_cast<size_t>(index)];
        }
        return colourOf(p, bits, alphaBit);
    };
    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGBA8888);
    if (image.isNull()) throw std::bad_alloc();
    const bool topDown = descriptor & 0x20, rightToLeft = descriptor & 0x10;
    auto put = [&](int64_t i, const std::array<uint8_t, 4>& c) {
        const int64_t row = i / width, column = i % width;
        const int y = static_cast<int>(topDown ? row : height - 1 - row);
        const int x = static_cast<int>(rightToLeft ? width - 1 - column : column);
        std::memcpy(image.scanLine(y) + x * 4, c.data(), 4);
    };
    const uint8_t* p = b + at;
    const uint8_t* end = b + bytes.size();
    for (int64_t i = 0; i < texels;) {
        int64_t count = 1;
        bool run = false;
        if (rle) {
            if (p >= end) throw Unreadable{};
            count = (*p & 0x7F) + 1;
            run = (*p & 0x80) != 0;
            ++p;
            count = std::min(count, texels - i);
        }
        for (int64_t k = 0; k < count; ++k, ++i) {
            if (static_cast<size_t>(end - p) < texelBytes) throw Unreadable{};
            put(i, texel(p));
            if (!run || k + 1 == count) p += texelBytes;
        }
    }
    return image;
}

QImage decodeWithQt(std::string_view bytes, const std::string& name);

// A bitmap: its DXT forms are decoded here; every other form goes to Qt once
// its header has been checked against the size of the file.
QImage decodeBitmap(std::string_view bytes, const std::string& name) {
    if (bytes.size() < 26) throw Unreadable{};
    const uint32_t offBits = u32At(bytes, 10);
    const uint32_t infoSize = u32At(bytes, 14);
    if (infoSize < 12 || infoSize > bytes.size() - 14) throw Unreadable{};
    if (infoSize < 40) return decodeWithQt(bytes, name);  // the old 12-byte header has no compression
    const int64_t width = i32At(bytes, 18);
    const int64_t height = i32At(bytes, 22);
    const uint16_t bitCount = u16At(bytes, 28);
    const uint32_t compression = u32At(bytes, 30);
    const int64_t absHeight = height < 0 ? -height : height;
    checkSides(width, absHeight);
    if (offBits < 14 + infoSize || offBits > bytes.size()) throw Unreadable{};

    if (const int flags = squishFlags(compression)) {
        // The blocks are stored as on a DXT surface, top row first.
        return decodeBlocks(bytes, offBits, width, absHeight, flags);
    }
    constexpr uint32_t kRGB = 0, kBitfields = 3, kAlphaBitfields = 6;
    if (compression == kRGB || compression == kBitfields || compression == kAlphaBitfields) {
        if (bitCount == 0 || bitCount > 32) throw Unreadable{};
        const int64_t rowBytes = (width * bitCount + 31) / 32 * 4;
        if (rowBytes * absHeight > static_cast<int64_t>(bytes.size() - offBits)) throw Unreadable{};
    }
    return decodeWithQt(bytes, name);
}

QImage decodeWithQt(std::string_view bytes, const std::string& name) {
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) throw Unreadable{};
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) throw Unreadable{};
    // The content decides; the extension helps where it cannot tell.
    QImage image;
    const QByteArray hint = QByteArray::fromStdString(lowerSuffix(name));
    for (const QByteArray& format : {QByteArray(), hint}) {
        if (!buffer.seek(0)) throw Unreadable{};
        QImageReader reader(&buffer, format);
        // Compressed formats hold more pixels than bytes, but a few bytes must
        // not buy a huge image: at most 1024 times the file, at least 64 MB
        // (4096 x 4096 at 4 bytes a pixel), at most 1 GB (16384 x 16384).
        reader.setAllocationLimit(static_cast<int>(std::clamp<size_t>(bytes.size() >> 10, 64, 1024)));
        const QSize size = reader.size();
        if (size.isValid()) checkSides(size.width(), size.height());
        image = reader.read();
        if (!image.isNull() || hint.isEmpty()) break;
    }
    if (image.isNull()) throw Unreadable{};
    checkSides(image.width(), image.height());
    return image;
}

}  // namespace

void raiseTextureLoadError(const std::string& path, const std::string& reason) {
    raiseLibrary(kSource, "Loading Texture File: '" + path + "' Failed! (" + reason + ")");
}

QImage decodeTextureImage(std::string_view bytes, const std::string& name) {
    try {
        if (bytes.size() >= 4 && bytes.substr(0, 4) == "DDS ") return decodeDds(bytes);
        if (bytes.size() >= 2 && bytes.substr(0, 2) == "BM") return decodeBitmap(bytes, name);
        if (lowerSuffix(name) == "tga") {
            try {
                return decodeTga(bytes);
            } catch (const Unreadable&) {  // perhaps another format under a wrong name
            }
        }
        return decodeWithQt(bytes, name);
    } catch (const Unreadable&) {
        raiseTextureLoadError(name, "not an image format that can be read, or a damaged or oversized image");
    } catch (const std::bad_alloc&) {
    }
    raiseTextureLoadError(name, "too large to hold in memory");
}

QImage readTextureImage(const std::string& path) {
    std::string bytes;
    try {
        bytes = readFileBytes(path, kSource);
    } catch (const Error& e) {
        raiseTextureLoadError(path, e.description());
    }
    return decodeTextureImage(bytes, path);
}

BitmapPixels bitmapPixelsOf(const QImage& image) {
    QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull() && !image.isNull()) throw std::bad_alloc();
    BitmapPixels out;
    out.width = rgb.width();
    out.height = rgb.height();
    const size_t row = out.rowBytes();
    out.bgr.assign(row * static_cast<size_t>(out.height), 0);
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* in = rgb.constScanLine(out.height - 1 - y);
        uint8_t* o = &out.bgr[static_cast<size_t>(y) * row];
        for (int x = 0; x < out.width; ++x, in += 3, o += 3) {
            o[0] = in[2];
            o[1] = in[1];
            o[2] = in[0];
        }
    }
    return out;
}

std::string pngBytesOf(const QImage& image, const std::string& source) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) raiseRuntime(err::PathFileAccess, source);
    return data.toStdString();
}

std::string texturePng(const std::string& path) {
    return pngBytesOf(readTextureImage(path), kSource);
}

namespace {
// Loading this library gives the model library's exports their texture decoder.
[[maybe_unused]] const bool decoderInstalled = (setTexturePngDecoder(&texturePng), true);
}  // namespace

}  // namespace modkit
