#include <gtest/gtest.h>

#include "TestUtil.h"
#include "modkit/core/HexFunctions.h"

using namespace modkit;
using testutil::bytes;
using testutil::hex;

TEST(HexFunctions, PutStringPadsOrRefuses) {
    ByteWriter w;
    putString(w, "ABC", 5);
    putString(w, "ABCDE", 5);
    EXPECT_EQ(hex(w.bytes()), "41 42 43 00 00 41 42 43 44 45");
    EXPECT_EQ(testutil::errorText([&] { putString(w, "ABCDEF", 5); }),
              "100 Modkit.HexFunctions: The string trying to be written is bigger than the specified length");
    putString(w, "longer than nothing", 0);  // nothing was written by the refused one
    putString(w, "", 0);
    EXPECT_EQ(w.bytes().substr(10), "longer than nothing");
}

TEST(HexFunctions, UnsignedIntegers) {
    // 65535 and 65536 are the vertex counts of tests/lists; here the signed side.
    ByteWriter w;
    putUnsignedInteger(w, -1);
    EXPECT_EQ(hex(w.bytes()), "FF FF");
    EXPECT_MODKIT_ERROR(putUnsignedInteger(w, -32769), 6);
    ByteReader r(w.bytes());
    EXPECT_EQ(getInteger(r), -1);
}

TEST(HexFunctions, ReadsPastTheEndGiveZerosAndShortStrings) {
    std::string data = bytes({0x42, 0x47, 0x4C, 0x20, 0x01});
    ByteReader r(data);
    EXPECT_EQ(getString(r, 4), "BGL ");
    EXPECT_EQ(r.position(), 5);
    EXPECT_EQ(getLong(r), 1);  // 01 then three missing bytes
    EXPECT_EQ(getSingle(r), 0.0f);
    EXPECT_EQ(getString(r, 1000000000), "");
    seekFile(r, 2);
    EXPECT_EQ(getString(r, 100), "GL \x01");
    EXPECT_EQ(getString(r, -5), "");
    ByteReader empty("");
    EXPECT_EQ(getByte(empty), 0);
}
