#include "modkit/core/HexFunctions.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "modkit/core/Error.h"

namespace modkit {
namespace {

static_assert(std::endian::native == std::endian::little, "the codec assumes a little-endian host");

template <class T>
T readLE(ByteReader& s) {
    T v{};
    s.readRaw(&v, sizeof v);
    return v;
}

template <class T>
void writeOrdered(ByteWriter& s, T v, bool bigEndian) {
    unsigned char b[sizeof v];
    std::memcpy(b, &v, sizeof v);
    if (bigEndian) std::reverse(b, b + sizeof v);
    s.writeRaw(b, sizeof v);
}

}  // namespace

void ByteReader::readRaw(void* out, size_t n) {
    size_t have = remaining();
    size_t take = std::min(n, have);
    if (take) std::memcpy(out, data_.data() + pos_, take);
    if (take < n) std::memset(static_cast<char*>(out) + take, 0, n - take);
    skip(n);
}

uint8_t getByte(ByteReader& s) { return readLE<uint8_t>(s); }
int16_t getInteger(ByteReader& s) { return readLE<int16_t>(s); }
int32_t getUnsignedInteger(ByteReader& s) { return readLE<uint16_t>(s); }
int32_t getLong(ByteReader& s) { return readLE<int32_t>(s); }
float getSingle(ByteReader& s) { return readLE<float>(s); }
double getDouble(ByteReader& s) { return readLE<double>(s); }

std::string getString(ByteReader& s, int64_t length) {
    if (length <= 0) return {};
    size_t n = static_cast<size_t>(length);
    size_t take = std::min(n, s.remaining());
    std::string out(s.data().substr(std::min(s.offset(), s.size()), take));
    s.skip(n);
    return out;
}

void seekFile(ByteReader& s, int64_t position) {
    if (position < 1) raiseRuntime(err::InvalidCall, "Modkit.HexFunctions");
    s.seek(static_cast<size_t>(position - 1));
}

void putByte(ByteWriter& s, uint8_t value) { s.writeRaw(&value, 1); }
void putInteger(ByteWriter& s, int16_t value, bool be) { writeOrdered(s, value, be); }

void putUnsignedInteger(ByteWriter& s, int32_t value, bool be) {
    if (value < -32768 || value > 65535) raiseRuntime(err::Overflow, "Modkit.HexFunctions");
    writeOrdered(s, static_cast<uint16_t>(value), be);
}

void putLong(ByteWriter& s, int32_t value, bool be) { writeOrdered(s, value, be); }
void putSingle(ByteWriter& s, float value, bool be) { writeOrdered(s, value, be); }
void putDouble(ByteWriter& s, double value, bool be) { writeOrdered(s, value, be); }

void putString(ByteWriter& s, std::string_view text, int16_t length) {
    if (length < 1) {
        s.writeRaw(text.data(), text.size());
        return;
    }
    if (text.size() > static_cast<size_t>(length))
        raiseLibrary("Modkit.HexFunctions", "The string trying to be written is bigger than the specified length");
    s.writeRaw(text.data(), text.size());
    static const char zeros[64] = {};
    for (size_t pad = static_cast<size_t>(length) - text.size(); pad > 0;) {
        size_t n = std::min(pad, sizeof zeros);
        s.writeRaw(zeros, n);
        pad -= n;
    }
}

}  // namespace modkit
