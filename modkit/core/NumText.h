#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>
#include <string_view>

// Every conversion between numbers and their texts goes through here, so that
// parameter texts read, print and write back the same way everywhere.
namespace modkit::numtext {

// Reads a whole text as a number: optional blanks, sign, digits, decimal point,
// exponent. Anything else raises error 13 (type mismatch).
MODKIT_EXPORT double toDouble(std::string_view text, const char* source = "Modkit");

// As toDouble, rounded half to even; error 6 outside the type's range.
MODKIT_EXPORT int16_t toInt16(std::string_view text, const char* source = "Modkit");
MODKIT_EXPORT int32_t toInt32(std::string_view text, const char* source = "Modkit");
MODKIT_EXPORT uint8_t toByte(std::string_view text, const char* source = "Modkit");
// Single precision straight from the text (correctly rounded); error 6 when the
// value is beyond the single range.
MODKIT_EXPORT float toSingle(std::string_view text, const char* source = "Modkit");

// Rounds half to even; error 6 outside the type's range (and for NaN).
MODKIT_EXPORT int16_t roundToInt16(double value, const char* source = "Modkit");
MODKIT_EXPORT int32_t roundToInt32(double value, const char* source = "Modkit");

// True when the whole text reads as a number.
MODKIT_EXPORT bool isNumber(std::string_view text);

// The longest number at the start of a text (after blanks); 0 when there is none.
MODKIT_EXPORT double leadingNumber(std::string_view text);

// Decimal text of an integer.
MODKIT_EXPORT std::string intText(int64_t value);

// Text of a single-precision value: the shortest text of at most 7 significant
// digits that reads back as the same value (7 digits when none does); exponent
// form (1E+08, 1.234568E-05) below 1E-04 and from 1E+07 on; "-0" for negative zero.
MODKIT_EXPORT std::string singleText(float value);

// Text of a double with at most 15 significant digits, in the same layout.
MODKIT_EXPORT std::string doubleText(double value);

}  // namespace modkit::numtext
