#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>
#include <string_view>

// Field operations over in-memory byte streams. Every section body is decoded
// through a ByteReader and encoded through a ByteWriter; reading never swaps
// bytes (little-endian), writing may produce big-endian for the OpenFlight writer.
namespace modkit {

// Reads fields from a byte string it does not own. A read past the end yields
// zero bytes; getString yields the bytes that exist.
class MODKIT_EXPORT ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::string_view data) : data_(data) {}

    // 1-based position of the next byte.
    int64_t position() const { return static_cast<int64_t>(pos_) + 1; }
    size_t offset() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return pos_ < data_.size() ? data_.size() - pos_ : 0; }
    bool atEnd() const { return pos_ >= data_.size(); }
    std::string_view data() const { return data_; }

    // Copies n bytes to out; missing bytes are zero. Advances by n.
    void readRaw(void* out, size_t n);
    void skip(size_t n) { pos_ = n > SIZE_MAX - pos_ ? SIZE_MAX : pos_ + n; }
    void seek(size_t offset0) { pos_ = offset0; }

private:
    std::string_view data_;
    size_t pos_ = 0;
};

// Appends fields to a byte string.
class MODKIT_EXPORT ByteWriter {
public:
    ByteWriter() = default;
    void reserve(size_t n) { out_.reserve(n); }
    const std::string& bytes() const { return out_; }
    std::string take() { return std::move(out_); }
    size_t size() const { return out_.size(); }
    void writeRaw(const void* p, size_t n) { out_.append(static_cast<const char*>(p), n); }

private:
    std::string out_;
};

MODKIT_EXPORT uint8_t getByte(ByteReader& s);
MODKIT_EXPORT int16_t getInteger(ByteReader& s);
MODKIT_EXPORT int32_t getUnsignedInteger(ByteReader& s);  // 0..65535
MODKIT_EXPORT int32_t getLong(ByteReader& s);
MODKIT_EXPORT float getSingle(ByteReader& s);
MODKIT_EXPORT double getDouble(ByteReader& s);
// The next length bytes, NULs kept; fewer when the data ends first.
MODKIT_EXPORT std::string getString(ByteReader& s, int64_t length);
// Makes the 1-based position current.
MODKIT_EXPORT void seekFile(ByteReader& s, int64_t position);

MODKIT_EXPORT void putByte(ByteWriter& s, uint8_t value);
MODKIT_EXPORT void putInteger(ByteWriter& s, int16_t value, bool bigEndian = false);
// A value meant as 0..65535; values above 32767 are stored as their 16-bit
// pattern. Anything outside -32768..65535 is an overflow (error 6), nothing written.
MODKIT_EXPORT void putUnsignedInteger(ByteWriter& s, int32_t value, bool bigEndian = false);
MODKIT_EXPORT void putLong(ByteWriter& s, int32_t value, bool bigEndian = false);
MODKIT_EXPORT void putSingle(ByteWriter& s, float value, bool bigEndian = false);
MODKIT_EXPORT void putDouble(ByteWriter& s, double value, bool bigEndian = false);
// length < 1: text written whole. Otherwise text NUL-padded to exactly length
// bytes; a longer text raises error 100 (Modkit.HexFunctions) and writes nothing.
MODKIT_EXPORT void putString(ByteWriter& s, std::string_view text, int16_t length = 0);

}  // namespace modkit
