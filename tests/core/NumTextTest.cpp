#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "TestUtil.h"
#include "modkit/core/NumText.h"

using namespace modkit::numtext;

TEST(NumText, ReadsNumbersWithBlanksSignsAndExponents) {
    EXPECT_EQ(toDouble(" 12 "), 12);
    EXPECT_EQ(toDouble("-3.5"), -3.5);
    EXPECT_EQ(toDouble("+.5"), 0.5);
    EXPECT_EQ(toDouble("5."), 5);
    EXPECT_EQ(toDouble("1E+08"), 1e8);
    EXPECT_EQ(toDouble("1.234568E-05"), 1.234568e-05);
    for (const char* bad : {"", " ", "abc", "1a", "--1", "1e", "0x10", ".", "1 2", "e5"})
        EXPECT_MODKIT_ERROR(toDouble(bad), 13) << bad;
}

TEST(NumText, IntegerConversionsRoundHalfToEvenAndOverflow) {
    EXPECT_EQ(toInt16("2.5"), 2);
    EXPECT_EQ(toInt16("3.5"), 4);
    EXPECT_EQ(toInt16("-2.5"), -2);
    EXPECT_EQ(toInt16("32767"), 32767);
    EXPECT_EQ(toInt16("-32768"), -32768);
    EXPECT_MODKIT_ERROR(toInt16("32768"), 6);
    EXPECT_MODKIT_ERROR(toInt16("-32769"), 6);
    EXPECT_EQ(toInt32("-2147483648"), INT32_MIN);
    EXPECT_MODKIT_ERROR(toInt32("2147483648"), 6);
    EXPECT_MODKIT_ERROR(toInt32("1e300"), 6);
    EXPECT_MODKIT_ERROR(toInt32("1e999"), 6);
    EXPECT_EQ(toByte("255"), 255);
    EXPECT_MODKIT_ERROR(toByte("256"), 6);
    EXPECT_MODKIT_ERROR(toByte("-1"), 6);
    EXPECT_MODKIT_ERROR(toInt16("x"), 13);
}

TEST(NumText, LeadingNumberNeverFails) {
    EXPECT_EQ(leadingNumber("12abc"), 12);
    EXPECT_EQ(leadingNumber("  -4.5e1x"), -45);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("7e"), 7);
}

TEST(NumText, SingleTextLayout) {
    EXPECT_EQ(singleText(0.1f), "0.1");
    EXPECT_EQ(singleText(1.0f), "1");
    EXPECT_EQ(singleText(-2.5f), "-2.5");
    EXPECT_EQ(singleText(0.0f), "0");
    EXPECT_EQ(singleText(-0.0f), "-0");
    EXPECT_EQ(singleText(1e8f), "1E+08");
    EXPECT_EQ(singleText(1234567.0f), "1234567");
    EXPECT_EQ(singleText(12345678.0f), "1.234568E+07");
    EXPECT_EQ(singleText(0.0001f), "0.0001");
    EXPECT_EQ(singleText(1.234568e-05f), "1.234568E-05");
    EXPECT_EQ(singleText(-2.5e-07f), "-2.5E-07");
    EXPECT_EQ(singleText(3188.0f), "3188");
    EXPECT_EQ(singleText(1e-40f), "1E-40");
}

TEST(NumText, SingleTextReadsBackForEveryShortValue) {
    // Values that need at most 7 digits come back bit for bit; others to the
    // value nearest their 7-digit text.
    std::mt19937 rng(7);
    std::uniform_int_distribution<uint32_t> bits;
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        uint32_t b = bits(rng);
        float f;
        std::memcpy(&f, &b, 4);
        if (!std::isfinite(f)) continue;
        std::string t = singleText(f);
        float back = toSingle(t);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.6e", static_cast<double>(f));
        float seven = std::strtof(buf, nullptr);
        if (seven == f) {
            uint32_t bb;
            std::memcpy(&bb, &back, 4);
            ASSERT_EQ(bb, b) << t;
            ++checked;
        } else {
            ASSERT_EQ(back, seven) << t;
        }
        std::string mantissa = t.substr(0, t.find('E'));
        size_t firstSignificant = mantissa.find_first_of("123456789");
        int significant = 0;
        for (size_t i = firstSignificant; i < mantissa.size(); ++i) significant += mantissa[i] >= '0' && mantissa[i] <= '9';
        ASSERT_LE(significant, 7) << t;
    }
    EXPECT_GT(checked, 1000);
}

TEST(NumText, NonFiniteSinglesReadBack) {
    EXPECT_TRUE(std::isnan(toSingle(singleText(std::numeric_limits<float>::quiet_NaN()))));
    EXPECT_EQ(toSingle(singleText(-std::numeric_limits<float>::infinity())), -std::numeric_limits<float>::infinity());
    EXPECT_MODKIT_ERROR(toSingle("1e39"), 6);
    EXPECT_MODKIT_ERROR(toDouble("NaN"), 13);
}
