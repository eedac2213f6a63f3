#include "modkit/bgl/ConditionVariables.h"

#include <cmath>

#include "modkit/core/Error.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.Condition";

std::vector<ConditionVariable> buildTable() {
    const char* timer = "A timer variable.";
    const char* hz = "The frequency currently set on the ";
    return {
        {"Aircraft altitude MSL", "280", "The altitude of the aircraft above mean sea level in meters.", {}, -1000, 100000, 0},
        {"Beacon", "282", timer, {}, 0, 65535, 0},
        {"Time of day", "28C", "Time of the day.", {"1 = day", "2 = dusk/dawn", "4 = night"}, 1, 4, 1},
        {"Beacon2", "30A", timer, {}, 0, 65535, 0},
        {"Beacon3", "30C", timer, {}, 0, 65535, 0},
        {"Beacon4", "30E", timer, {}, 0, 65535, 0},
        {"Beacon5", "310", timer, {}, 0, 65535, 0},
        {"User variable 1", "312", "First variable freely useable by the user.", {}, -32768, 32767, 0},
        {"User variable 2", "314", "Second variable freely useable by the user.", {}, -32768, 32767, 0},
        {"User variable 3", "316", "Third variable freely useable by the user.", {}, -32768, 32767, 0},
        {"User variable 4", "318", "Fourth variable freely useable by the user.", {}, -32768, 32767, 0},
        {"User variable 5", "31A", "Fifth variable freely useable by the user.", {}, -32768, 32767, 0},
        {"Distance to RefPoint", "33B",
         "Distance between the reference point of the object and the eyepoint in meters.", {}, 0, 1000000, 0},
        {"Scenery complexity", "346", "Scenery complexity setting.",
         {"0 = very sparse", "1 = sparse", "2 = normal", "3 = dense", "4 = very dense", "5 = extremely dense"}, 0, 5, 5},
        {"Distance along x axis", "37E", "Distance along the x axis in meters.", {}, -1000000, 1000000, 0},
        {"Distance along y axis", "382", "Distance along the y axis in meters (this is the z axis in GMax).", {}, -1000000, 1000000, 0},
        {"Distance along z axis", "386", "Distance along the z axis in meters (this is the -y axis in GMax).", {}, -1000000, 1000000, 0},
        {"Day of the year", "38A", "Day of the year, range is beteen 1 and 365.", {}, 1, 365, 196},
        {"Year", "38C", "Year, for example 1997 or 2003.", {}, 1900, 2100, 2003},
        {"18Hz timer", "5FC",
         "This timer increases its value with one each 1/18th second. Is the default timer for animations.", {}, 0, 65535, 0},
        {"Season", "6F8",
         "The season of the year for the northern hemisphere. On the southern hemisphere you need to reverse them.",
         {"0 = winter", "1 = spring", "2 = summer", "3 = autumn"}, 0, 3, 2},
        {"ADF frequency", "7BC",
         std::string(hz) + "ADF radio. For example 622 kHz is a value of 622 in hex mode and 321 kHz is equal to 321 in hex mode.", {}, 0, 65535, 0},
        {"COM frequency", "7BE",
         std::string(hz) + "COM radio. For example a frequency of 119.30 is equal to a value of 1930 in hex mode.", {}, 0, 65535, 0},
        {"NAV1 frequency", "7C0",
         std::string(hz) + "NAV1 radio. A frequency of 112.00 is equal to 1200 in hex mode. While 123.45 is equal to 2345 in hex mode.", {}, 0, 65535, 0},
        {"NAV2 frequency", "7C2",
         std::string(hz) + "NAV2 radio. A frequency of 112.00 is equal to 1200 in hex mode. While 123.45 is equal to 2345 in hex mode.", {}, 0, 65535, 0},
        {"Transponder frequency", "7C4",
         std::string(hz) + "transponder. For example 1427 equal a value of 1427 in hex mode.", {}, 0, 65535, 0},
        {"ADF extended frequency", "7C6",
         "The part behind the dot of the currently set ADF frequency. For example xxx.2 kHz is a value of 2 in hex mode.", {}, 0, 65535, 0},
        {"Wind velocity", "C72", "The global wind velocity in knots.", {}, 0, 32767, 0},
        {"Wind heading", "C74",
         "The global wind heading. The variable takes a value ranges between 0-65535 for a heading of 0-360.", {}, 0, 65535, 0},
    };
}

// The value of a hexadecimal text of at most 16 bits, as a signed 16-bit number
// (FFFF is -1). False for a non-hexadecimal or longer text; an empty text is 0
// where allowed.
bool hex16(std::string text, int16_t& out, bool emptyIsZero = false) {
    if ((text.empty() && !emptyIsZero) || !isHexText(text)) return false;
    uint32_t v = 0;
    for (char c : text) {
        v = v * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
        if (v > 0xFFFF) return false;
    }
    out = static_cast<int16_t>(static_cast<uint16_t>(v));
    return true;
}

bool decimal16(const std::string& text, int16_t& out) {
    if (!numtext::isNumber(text)) return false;
    double v = numtext::toDouble(text);
    if (!(v > -32768.5 && v < 32767.5)) return false;
    out = numtext::roundToInt16(v);
    return true;
}

}  // namespace

std::string ConditionVariable::helpText() const {
    std::string out = description;
    for (const auto& v : values) out += "\r\n" + v;
    return out;
}

const std::vector<ConditionVariable>& conditionVariables() {
    static const std::vector<ConditionVariable> table = buildTable();
    return table;
}

const ConditionVariable* variableByAddress(std::string_view address) {
    for (const auto& v : conditionVariables())
        if (v.address == address) return &v;
    return nullptr;
}

const ConditionVariable* variableAt(int32_t value) { return variableByAddress(hexText(value)); }

std::string variableNameOf(int32_t value) {
    const ConditionVariable* v = variableAt(value);
    return v ? v->name : std::string();
}

std::string hexText(int64_t value) {
    uint64_t bits = static_cast<uint64_t>(value);
    if (value < 0) bits &= value >= -32768 ? 0xFFFFu : 0xFFFFFFFFu;
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[bits & 15]);
        bits >>= 4;
    } while (bits);
    return out;
}

bool isHexText(std::string& text) {
    bool ok = true;
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) ok = false;
    }
    return ok;
}

namespace {
// The whole number a var text holds.
bool wholeVar(const std::string& var, int32_t& out) {
    if (!numtext::isNumber(var)) return false;
    const double v = numtext::toDouble(var);
    if (v != std::floor(v) || std::fabs(v) >= 2147483648.0) return false;
    out = static_cast<int32_t>(v);
    return true;
}
}  // namespace

std::string addressText(const std::string& var) {
    int32_t whole = 0;
    return wholeVar(var, whole) ? hexText(whole) : var;
}

std::string conditionText(const Condition& c) {
    std::string label = c.var();
    if (int32_t whole = 0; wholeVar(c.var(), whole)) {
        label = variableNameOf(whole);
        if (label.empty()) label = hexText(whole);
    }
    switch (c.cType()) {
    case CondType::Between:
        return label + " between " + numtext::intText(c.min()) + " and " + numtext::intText(c.max());
    case CondType::mask: return label + " contains " + numtext::intText(c.min());
    case CondType::RotUser:
    case CondType::RotWind: return c.getTypeString();
    }
    return c.getTypeString();  // error 9 for any other type
}

std::string multiConditionName(eMultiCondition m) {
    static const char* const names[] = {"AND", "OR", "NOT", "NOR"};
    auto i = static_cast<int32_t>(m);
    if (i < 0 || i > 3) raiseRuntime(err::Subscript, kSource);
    return names[i];
}

namespace conditionrules {

bool readValue(std::string text, bool hexValue, int16_t& out) {
    return hexValue ? hex16(std::move(text), out) : decimal16(text, out);
}

std::string combinationWarning(const ConditionList& list) {
    const eMultiCondition m = list.multiCondition();
    if (m != eMultiCondition::mOR && m != eMultiCondition::mNOR) return {};
    bool masks = false, tests = false;
    for (const auto& c : list) {
        masks = masks || c->cType() == CondType::mask;
        tests = tests || c->cType() == CondType::Between;
    }
    if (!masks) return {};
    if (!tests) return "Mask conditions combined with OR or NOR are never tested: the object will never be drawn.";
    return "Mask conditions combined with OR or NOR are never tested: only the other conditions decide.";
}

std::string rotationMessage(const ConditionList& list, CondType changed) {
    int user = 0, wind = 0;
    for (const auto& c : list) {
        if (c->cType() == CondType::RotUser) ++user;
        if (c->cType() == CondType::RotWind) ++wind;
    }
    if (changed == CondType::RotUser) {
        if (wind >= 1) return bothRotations;
        if (user >= 2) return twoRotateUser;
    } else if (changed == CondType::RotWind) {
        if (wind >= 2) return twoRotateWind;
        if (user >= 1) return bothRotations;
    }
    return {};
}

std::string storeVariableCondition(Condition& cond, CondType type, std::string address, std::string minText,
                                   std::string maxText, bool hexValues) {
    int16_t var = 0, mn = 0, mx = 0;
    if (!hex16(address, var)) return fieldsInvalid;
    if (type == CondType::Between) {
        bool ok = hexValues ? hex16(minText, mn, true) && hex16(maxText, mx, true) : decimal16(minText, mn) && decimal16(maxText, mx);
        if (!ok) return fieldsInvalid;
    } else if (type == CondType::mask) {
        // The mask field takes decimal digits in both modes.
        if (!numtext::isNumber(minText)) return fieldsInvalid;
        if (hexValues ? !hex16(minText, mn) : !decimal16(minText, mn)) return fieldsInvalid;
        mx = cond.max();
    } else {
        return fieldsInvalid;
    }
    cond.setCType(type);
    cond.setVar(numtext::intText(var));
    cond.setMin(mn);
    cond.setMax(mx);
    return {};
}

}  // namespace conditionrules
}  // namespace modkit
