#include "modkit/core/NumText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

#include "modkit/core/Error.h"

namespace modkit::numtext {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Scans a number at the start of s (no blanks). Returns the length of the longest
// valid number and fills `clean` with a form std::from_chars accepts.
size_t scanNumber(std::string_view s, std::string& clean) {
    size_t i = 0;
    clean.clear();
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') clean.push_back('-');
        ++i;
    }
    size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) { clean.push_back(s[i++]); ++digits; }
    if (i < s.size() && s[i] == '.') {
        size_t j = i + 1;
        size_t frac = 0;
        std::string f;
        while (j < s.size() && isDigit(s[j])) { f.push_back(s[j++]); ++frac; }
        if (digits + frac > 0) {
            if (digits == 0) clean.push_back('0');
            clean.push_back('.');
            clean += f;
            if (frac == 0) clean.push_back('0');
            digits += frac;
            i = j;
        }
    }
    if (digits == 0) return 0;
    size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        std::string e = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            if (s[j] == '-') e.push_back('-');
            ++j;
        }
        size_t ed = 0;
        while (j < s.size() && isDigit(s[j])) { e.push_back(s[j++]); ++ed; }
        if (ed > 0) {
            clean += e;
            end = j;
        }
    }
    return end;
}

// Parses the whole text; false when it is not a number.
template <class F>
bool parseWhole(std::string_view text, F& out) {
    size_t b = 0, e = text.size();
    while (b < e && isBlank(text[b])) ++b;
    while (e > b && isBlank(text[e - 1])) --e;
    std::string_view s = text.substr(b, e - b);
    std::string clean;
    size_t n = scanNumber(s, clean);
    if (n == 0 || n != s.size()) return false;
    auto r = std::from_chars(clean.data(), clean.data() + clean.size(), out);
    if (r.ec == std::errc::result_out_of_range) {
        // Huge exponents: infinity or zero with the right sign, checked by the caller.
        bool neg = clean[0] == '-';
        bool tiny = clean.find("e-") != std::string::npos;
        out = tiny ? F(neg ? -0.0 : 0.0) : (neg ? -std::numeric_limits<F>::infinity()
                                                : std::numeric_limits<F>::infinity());
        return true;
    }
    return r.ec == std::errc();
}

template <class I>
I roundTo(double v, const char* source) {
    if (std::isnan(v)) raiseRuntime(err::Overflow, source);
    double r = std::nearbyint(v);  // the default rounding mode is half to even
    if (r < static_cast<double>(std::numeric_limits<I>::min()) ||
        r > static_cast<double>(std::numeric_limits<I>::max()))
        raiseRuntime(err::Overflow, source);
    return static_cast<I>(r);
}

// Lays out digits d1 d2 ... dn with decimal exponent exp10 (value = d1.d2...dn x 10^exp10).
std::string layout(bool negative, const std::string& digits, int exp10, int fixedLimit) {
    std::string out;
    if (negative) out.push_back('-');
    if (exp10 < -4 || exp10 >= fixedLimit) {
        out.push_back(digits[0]);
        if (digits.size() > 1) {
            out.push_back('.');
            out.append(digits, 1, std::string::npos);
        }
        out.push_back('E');
        out.push_back(exp10 < 0 ? '-' : '+');
        std::string e = std::to_string(std::abs(exp10));
        if (e.size() < 2) e.insert(e.begin(), '0');
        out += e;
        return out;
    }
    if (exp10 < 0) {
        out += "0.";
        out.append(static_cast<size_t>(-exp10 - 1), '0');
        out += digits;
        return out;
    }
    size_t intLen = static_cast<size_t>(exp10) + 1;
    if (digits.size() <= intLen) {
        out += digits;
        out.append(intLen - digits.size(), '0');
    } else {
        out.append(digits, 0, intLen);
        out.push_back('.');
        out.append(digits, intLen, std::string::npos);
    }
    return out;
}

// Splits a %.*e rendering into its digits (trailing zeros dropped) and exponent.
void splitScientific(const char* buf, std::string& digits, int& exp10) {
    digits.clear();
    const char* p = buf;
    if (*p == '-') ++p;
    for (; *p && *p != 'e'; ++p)
        if (isDigit(*p)) digits.push_back(*p);
    exp10 = (*p == 'e') ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

std::string nonFinite(double v) {
    if (std::isnan(v)) return "NaN";
    return v < 0 ? "-Infinity" : "Infinity";
}

}  // namespace
double toDouble(std::string_view text, const char* source);
namespace {

// Plain integers ("-123") are by far the most common texts: read them directly.
bool plainInteger(std::string_view t, int64_t& out) {
    size_t i = 0;
    bool neg = false;
    if (!t.empty() && t[0] == '-') {
        neg = true;
        i = 1;
    }
    if (i == t.size() || t.size() - i > 18) return false;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (!isDigit(t[i])) return false;
        v = v * 10 + (t[i] - '0');
    }
    out = neg ? -v : v;
    return true;
}

template <class I>
I toInteger(std::string_view text, const char* source) {
    int64_t v;
    if (plainInteger(text, v)) {
        if (v < std::numeric_limits<I>::min() || v > std::numeric_limits<I>::max()) raiseRuntime(err::Overflow, source);
        return static_cast<I>(v);
    }
    return roundTo<I>(toDouble(text, source), source);
}

}  // namespace

double toDouble(std::string_view text, const char* source) {
    double v = 0;
    if (!parseWhole(text, v)) raiseRuntime(err::TypeMismatch, source);
    if (std::isinf(v)) raiseRuntime(err::Overflow, source);
    return v;
}

bool isNumber(std::string_view text) {
    double v = 0;
    return parseWhole(text, v);
}

int16_t toInt16(std::string_view text, const char* source) { return toInteger<int16_t>(text, source); }
int32_t toInt32(std::string_view text, const char* source) { return toInteger<int32_t>(text, source); }
uint8_t toByte(std::string_view text, const char* source) { return toInteger<uint8_t>(text, source); }

float toSingle(std::string_view text, const char* source) {
    // The texts singleText gives to values that are not finite read back too,
    // so a model holding one saves as it was read.
    std::string_view t = text;
    while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
    if (t == "NaN") return std::numeric_limits<float>::quiet_NaN();
    if (t == "Infinity") return std::numeric_limits<float>::infinity();
    if (t == "-Infinity") return -std::numeric_limits<float>::infinity();
    float f = 0;
    if (!parseWhole(text, f)) raiseRuntime(err::TypeMismatch, source);
    if (std::isinf(f)) raiseRuntime(err::Overflow, source);
    return f;
}

int16_t roundToInt16(double v, const char* source) { return roundTo<int16_t>(v, source); }
int32_t roundToInt32(double v, const char* source) { return roundTo<int32_t>(v, source); }

double leadingNumber(std::string_view text) {
    size_t b = 0;
    while (b < text.size() && isBlank(text[b])) ++b;
    std::string clean;
    size_t n = scanNumber(text.substr(b), clean);
    if (n == 0) return 0;
    double v = 0;
    auto r = std::from_chars(clean.data(), clean.data() + clean.size(), v);
    if (r.ec != std::errc()) return 0;
    return v;
}

std::string intText(int64_t value) { return std::to_string(value); }

std::string singleText(float value) {
    if (!std::isfinite(value)) return nonFinite(value);
    if (value == 0) return std::signbit(value) ? "-0" : "0";
    char buf[64];
    std::string digits;
    int exp10 = 0;
    for (int p = 1; p <= 7; ++p) {
        std::snprintf(buf, sizeof buf, "%.*e", p - 1, static_cast<double>(value));
        float back = 0;
        std::from_chars(buf, buf + std::strlen(buf), back);
        if (back == value || p == 7) {
            splitScientific(buf, digits, exp10);
            break;
        }
    }
    return layout(value < 0, digits, exp10, 7);
}

std::string doubleText(double value) {
    if (!std::isfinite(value)) return nonFinite(value);
    if (value == 0) return std::signbit(value) ? "-0" : "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string digits;
    int exp10 = 0;
    splitScientific(buf, digits, exp10);
    return layout(value < 0, digits, exp10, 15);
}

}  // namespace modkit::numtext
