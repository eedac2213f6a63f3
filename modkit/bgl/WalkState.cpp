#include "modkit/bgl/WalkState.h"

#include <algorithm>
#include <cctype>

#include "modkit/bgl/ConditionVariables.h"
#include "modkit/core/Error.h"
#include "modkit/core/NumText.h"

namespace modkit {
namespace {

const char* const kSource = "Modkit.WalkState";

// The numeric address of each variable of the table, in its order.
const std::vector<int32_t>& addresses() {
    static const std::vector<int32_t> table = [] {
        std::vector<int32_t> out;
        for (const auto& v : conditionVariables()) out.push_back(static_cast<int32_t>(std::stol(v.address, nullptr, 16)));
        return out;
    }();
    return table;
}

int indexOf(int32_t address) {
    const auto& a = addresses();
    const auto it = std::find(a.begin(), a.end(), address);
    return it == a.end() ? -1 : static_cast<int>(it - a.begin());
}

// The numbers of a variable's named values ("4 = night" gives 4).
std::vector<int32_t> namedValues(const ConditionVariable& v) {
    std::vector<int32_t> out;
    for (const auto& text : v.values) out.push_back(static_cast<int32_t>(numtext::leadingNumber(text)));
    return out;
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

WalkState::WalkState() {
    for (const auto& v : conditionVariables()) values_.push_back(v.defaultValue);
}

const ConditionVariable* WalkState::find(std::string_view variable) {
    for (const auto& v : conditionVariables())
        if (sameText(v.name, variable) || sameText(v.address, variable)) return &v;
    return nullptr;
}

std::string WalkState::rangeMessage(const ConditionVariable& v, int32_t value) {
    const std::string label = v.name + " (" + v.address + ")";
    if (!v.values.empty()) {
        const std::vector<int32_t> named = namedValues(v);
        if (std::find(named.begin(), named.end(), value) != named.end()) return {};
        std::string list;
        for (int32_t n : named) list += (list.empty() ? "" : ", ") + numtext::intText(n);
        return label + " must be one of " + list;
    }
    if (value >= v.minValue && value <= v.maxValue) return {};
    return label + " must be between " + numtext::intText(v.minValue) + " and " + numtext::intText(v.maxValue);
}

void WalkState::set(std::string_view variable, int32_t value) {
    const ConditionVariable* v = find(variable);
    if (!v) raiseLibrary(kSource, "Unknown variable: " + std::string(variable));
    setAddress(static_cast<int32_t>(std::stol(v->address, nullptr, 16)), value);
}

void WalkState::setAddress(int32_t address, int32_t value) {
    const int i = indexOf(address);
    if (i < 0) raiseLibrary(kSource, "Unknown variable: " + hexText(address));
    const std::string why = rangeMessage(conditionVariables()[static_cast<size_t>(i)], value);
    if (!why.empty()) raiseLibrary(kSource, why);
    values_[static_cast<size_t>(i)] = value;
}

void WalkState::setDayOfYear(int32_t dayOfYear) {
    setAddress(0x38A, dayOfYear);
    setAddress(0x6F8, seasonOfDay(dayOfYear));
}

bool WalkState::lookup(int32_t address, int32_t& value) const {
    const int i = indexOf(address);
    if (i < 0) return false;
    value = values_[static_cast<size_t>(i)];
    return true;
}

int32_t WalkState::value(int32_t address) const {
    int32_t v = 0;
    return lookup(address, v) ? v : 0;
}

int32_t seasonOfDay(int32_t d) {
    // Equinoxes and solstices: 21 March, 21 June, 23 September, 21 December.
    if (d >= 80 && d < 172) return 1;
    if (d >= 172 && d < 266) return 2;
    if (d >= 266 && d < 355) return 3;
    return 0;
}

}  // namespace modkit
