#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace fettle {

// What one input field that edits the model or the configuration accepts: a
// text is either a value of the field's kind inside its range, or refused as
// a whole. Nothing is clamped or rounded, so what is applied is what was typed.
class FieldRule {
public:
    enum class Kind { whole, real, hex };

    // A whole decimal number from min to max.
    static FieldRule whole(std::string field, int64_t min, int64_t max);
    // Any number that single precision holds (min/max narrow it).
    static FieldRule real(std::string field);
    static FieldRule real(std::string field, double min, double max);
    // Hexadecimal digits (either case) for a value from 0 to max.
    static FieldRule hex(std::string field, int64_t max);

    const std::string& field() const { return field_; }
    Kind kind() const { return kind_; }
    // The value text stands for, or none when the field must refuse it.
    std::optional<double> value(const std::string& text) const;
    bool accepts(const std::string& text) const { return value(text).has_value(); }
    // "a whole number from 0 to 255"
    std::string range() const;
    // "Red: "300" is not valid; enter a whole number from 0 to 255."
    std::string refusal(const std::string& text) const;

private:
    FieldRule(std::string field, Kind kind, double min, double max);

    std::string field_;
    Kind kind_;
    double min_, max_;
    bool singleRange_ = false;
};

}  // namespace fettle
