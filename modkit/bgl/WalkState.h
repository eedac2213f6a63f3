#pragma once
// The simulator state a command walk runs under: one value for each variable of
// the condition editor's table (conditionVariables()).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "modkit/core/Export.h"

namespace modkit {

struct ConditionVariable;

class MODKIT_EXPORT WalkState {
public:
    // Values of the variable "Time of day" (28C).
    static constexpr int32_t day = 1, dusk = 2, night = 4;

    // Every variable at its default: daytime, day 196 of a summer (season 2),
    // at the reference point (distance 0), full scenery complexity (5), the
    // others 0 (the year 2003).
    WalkState();

    // Sets a variable named by its name ("Day of the year", any case) or its
    // hexadecimal address ("38A"). Error 100 "Modkit.WalkState" for a name
    // not in the table, or a value outside the variable's range ("Day of the
    // year (38A) must be between 1 and 365", "Time of day (28C) must be one of
    // 1, 2, 4").
    void set(std::string_view variable, int32_t value);
    // The same for a variable given by its address as a number (906 for 38A).
    void setAddress(int32_t address, int32_t value);

    // The day of the year, and the northern season it falls in.
    void setDayOfYear(int32_t dayOfYear);
    void setTimeOfDay(int32_t time) { setAddress(0x28C, time); }
    void setDistance(int32_t metres) { setAddress(0x33B, metres); }

    // The value of the variable at address, false when the table has none.
    bool lookup(int32_t address, int32_t& value) const;
    int32_t value(int32_t address) const;  // 0 for an unknown address

    int32_t timeOfDay() const { return value(0x28C); }
    int32_t dayOfYear() const { return value(0x38A); }

    // The variable named as set() takes it, or null.
    static const ConditionVariable* find(std::string_view variable);
    // Empty when value fits the variable, otherwise why not.
    static std::string rangeMessage(const ConditionVariable& v, int32_t value);

    bool operator==(const WalkState&) const = default;

private:
    std::vector<int32_t> values_;  // in the table's order
};

// The northern season (Season 6F8: 0 winter, 1 spring, 2 summer, 3 autumn) of a
// day of the year.
MODKIT_EXPORT int32_t seasonOfDay(int32_t dayOfYear);

}  // namespace modkit
