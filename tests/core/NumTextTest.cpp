#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>

#include "TestUtil.h"
#include "modkit/core/NumText.h"

using namespace modkit::numtext;

TEST(NumText, ReadsNumbersRoundsIntegersHalfToEvenAndRefusesOverflow) {
    for (auto [text, value] : std::vector<std::pair<const char*, double>>{
             {" 12 ", 12}, {"-3.5", -3.5}, {"+.5", 0.5}, {"5.", 5}, {"1E+08", 1e8}, {"1.234568E-05", 1.234568e-05}})
        EXPECT_EQ(toDouble(text), value) << text;
    for (const char* bad : {"", " ", "abc", "1a", "--1", "1e", "0x10", ".", "1 2", "e5", "NaN"})
        EXPECT_MODKIT_ERROR(toDouble(bad), 13) << bad;
    EXPECT_EQ((std::vector<int>{toInt16("2.5"), toInt16("3.5"), toInt16("-2.5"), toInt16("32767"), toInt16("-32768")}),
              (std::vector<int>{2, 4, -2, 32767, -32768}));
    EXPECT_EQ(toInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(toByte("255"), 255);
    for (auto f : std::vector<std::function<void()>>{[] { toInt16("32768"); }, [] { toInt16("-32769"); },
                                                     [] { toInt32("2147483648"); }, [] { toInt32("1e300"); },
                                                     [] { toInt32("1e999"); }, [] { toByte("256"); },
                                                     [] { toByte("-1"); }, [] { toSingle("1e39"); }})
        EXPECT_MODKIT_ERROR(f(), 6);
    EXPECT_MODKIT_ERROR(toInt16("x"), 13);
    // The leading number of a text never fails.
    EXPECT_EQ((std::vector<double>{leadingNumber("12abc"), leadingNumber("  -4.5e1x"), leadingNumber("abc"),
                                   leadingNumber(""), leadingNumber("7e")}),
              (std::vector<double>{12, -45, 0, 0, 7}));
}

TEST(NumText, SingleTextLayout) {
    const std::pair<float, const char*> cases[] = {
        {0.1f, "0.1"}, {1.0f, "1"}, {-2.5f, "-2.5"}, {0.0f, "0"}, {-0.0f, "-0"}, {1e8f, "1E+08"},
        {1234567.0f, "1234567"}, {12345678.0f, "1.234568E+07"}, {0.0001f, "0.0001"}, {1.234568e-05f, "1.234568E-05"},
        {-2.5e-07f, "-2.5E-07"}, {3188.0f, "3188"}, {1e-40f, "1E-40"}};
    for (auto [value, text] : cases) EXPECT_EQ(singleText(value), text);
    EXPECT_TRUE(std::isnan(toSingle(singleText(std::numeric_limits<float>::quiet_NaN()))));
    EXPECT_EQ(toSingle(singleText(-std::numeric_limits<float>::infinity())), -std::numeric_limits<float>::infinity());
}

// Values that need at most 7 digits come back bit for bit; others to the value
// nearest their 7-digit text. No text has more than 7 significant digits.
TEST(NumText, SingleTextReadsBackForEveryShortValue) {
    std::mt19937 rng(7);
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        const uint32_t b = static_cast<uint32_t>(rng());
        const float f = std::bit_cast<float>(b);
        if (!std::isfinite(f)) continue;
        const std::string t = singleText(f);
        char seven[32];
        std::snprintf(seven, sizeof seven, "%.6e", static_cast<double>(f));
        if (std::strtof(seven, nullptr) == f) {
            ASSERT_EQ(std::bit_cast<uint32_t>(toSingle(t)), b) << t;
            ++checked;
        } else {
            ASSERT_EQ(toSingle(t), std::strtof(seven, nullptr)) << t;
        }
        const std::string mantissa = t.substr(0, t.find('E'));
        ASSERT_LE(std::count_if(mantissa.begin() + long(std::min(mantissa.find_first_of("123456789"), mantissa.size())),
                                mantissa.end(), [](char c) { return c >= '0' && c <= '9'; }), 7) << t;
    }
    EXPECT_GT(checked, 1000);
}
