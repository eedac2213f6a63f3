#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "modkit/bgl/Conditions.h"

// The simulator variables that display conditions test, the wording of a
// condition, and the rules a condition must keep. The condition editor and the
// command line share them.
namespace modkit {

struct MODKIT_EXPORT ConditionVariable {
    std::string name;
    std::string address;  // upper-case hexadecimal, no leading zeros
    std::string description;
    std::vector<std::string> values;  // the values by name ("1 = day"), when the variable has them
    // The values a preview state may give it, and the one it has unless set
    // (daytime, summer, near, full complexity). A variable with named values
    // takes only those.
    int32_t minValue = -32768;
    int32_t maxValue = 32767;
    int32_t defaultValue = 0;

    // The description and each value on its own line, joined with CR LF.
    std::string helpText() const;
};

// The known variables, in the editor's order.
MODKIT_EXPORT const std::vector<ConditionVariable>& conditionVariables();

// The variable whose address is the upper-case hexadecimal form of value, or
// null. The address must match exactly ("33B", not "33b" or "033B").
MODKIT_EXPORT const ConditionVariable* variableAt(int32_t value);
MODKIT_EXPORT const ConditionVariable* variableByAddress(std::string_view address);
// Its name, or empty.
MODKIT_EXPORT std::string variableNameOf(int32_t value);

// Upper-case hexadecimal form; negative 16-bit values as their 16-bit pattern.
MODKIT_EXPORT std::string hexText(int64_t value);
// Upper-cases text in place; true when every character is 0-9 or A-F (an
// empty text counts as true).
MODKIT_EXPORT bool isHexText(std::string& text);
// A condition's var (decimal text) as its hexadecimal address; a text that is
// no whole number comes back as it is.
MODKIT_EXPORT std::string addressText(const std::string& var);

// A condition as the editor lists it: "Distance to RefPoint between 0 and
// 500", "User variable 1 contains 4", "Rotate to user". A variable not in the
// table is named by its hexadecimal address. Error 9 for a type outside 0..3.
MODKIT_EXPORT std::string conditionText(const Condition& c);
// "AND", "OR", "NOT" or "NOR"; error 9 outside 0..3.
MODKIT_EXPORT std::string multiConditionName(eMultiCondition m);

namespace conditionrules {
inline constexpr const char* bothRotations = "You can not have both the rotate to user and wind condition on the same object";
inline constexpr const char* twoRotateUser = "You can not have two rotate to user conditions on the same object";
inline constexpr const char* twoRotateWind = "You can not have two rotate to wind conditions on the same object";
inline constexpr const char* fieldsInvalid = "Please make sure all required fields are valid";

// The rule broken when a condition of the list has just become a rotation of
// type changed: a message, or empty when the list is allowed.
MODKIT_EXPORT std::string rotationMessage(const ConditionList& list, CondType changed);

// Why the list cannot work as the user means it, or empty. A mask stands right
// in front of the body call, behind the jump that ends the combined tests under
// OR and NOR: there it is never tested, and masks alone hide the object.
MODKIT_EXPORT std::string combinationWarning(const ConditionList& list);

// A value field of the editor as a 16-bit number: decimal -32768..32767
// (rounded), or hexadecimal up to FFFF (FFFF is -1). False for an empty text
// or any other.
MODKIT_EXPORT bool readValue(std::string text, bool hexValue, int16_t& out);

// Reads the fields of a Between or mask condition: the variable's address in
// hexadecimal, then min and max in decimal or (hexValues) hexadecimal. Values
// must fit 16 bits: decimal -32768..32767, hexadecimal up to FFFF (FFFF is -1);
// a mask must be written with the digits 0-9 in either mode. On success cond
// takes the type and values and the result is empty; otherwise the result is
// fieldsInvalid and cond is unchanged.
MODKIT_EXPORT std::string storeVariableCondition(Condition& cond, CondType type, std::string address, std::string minText,
                                   std::string maxText, bool hexValues);
}  // namespace conditionrules

}  // namespace modkit
