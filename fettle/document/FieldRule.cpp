#include "document/FieldRule.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "modkit/core/Error.h"
#include "modkit/core/NumText.h"

namespace fettle {
namespace nt = modkit::numtext;

FieldRule::FieldRule(std::string field, Kind kind, double min, double max)
    : field_(std::move(field)), kind_(kind), min_(min), max_(max) {}

FieldRule FieldRule::whole(std::string field, int64_t min, int64_t max) {
    return FieldRule(std::move(field), Kind::whole, static_cast<double>(min), static_cast<double>(max));
}

FieldRule FieldRule::real(std::string field) {
    FieldRule r(std::move(field), Kind::real, 0, 0);
    r.singleRange_ = true;
    return r;
}

FieldRule FieldRule::real(std::string field, double min, double max) {
    return FieldRule(std::move(field), Kind::real, min, max);
}

FieldRule FieldRule::hex(std::string field, int64_t max) {
    return FieldRule(std::move(field), Kind::hex, 0, static_cast<double>(max));
}

std::optional<double> FieldRule::value(const std::string& text) const {
    if (kind_ == Kind::hex) {
        // Up to 8 digits keeps the value exact; more can only be out of range.
        if (text.empty() || text.size() > 8) return std::nullopt;
        uint64_t v = 0;
        for (char c : text) {
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                 : -1;
            if (d < 0) return std::nullopt;
            v = v * 16 + static_cast<uint64_t>(d);
        }
        if (static_cast<double>(v) > max_) return std::nullopt;
        return static_cast<double>(v);
    }
    double v = 0;
    try {
        // Single precision straight from the text: a value beyond it is refused, not made infinite.
        v = kind_ == Kind::real ? static_cast<double>(nt::toSingle(text)) : nt::toDouble(text);
    } catch (const modkit::Error&) {
        return std::nullopt;
    }
    if (!std::isfinite(v)) return std::nullopt;
    if (kind_ == Kind::whole && v != std::floor(v)) return std::nullopt;
    if (!singleRange_ && (v < min_ || v > max_)) return std::nullopt;
    return v;
}

std::string FieldRule::range() const {
    switch (kind_) {
    case Kind::whole:
        return "a whole number from " + nt::intText(static_cast<int64_t>(min_)) + " to " +
               nt::intText(static_cast<int64_t>(max_));
    case Kind::hex: {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(max_));
        return std::string("a hexadecimal number from 0 to ") + buf;
    }
    case Kind::real:
        break;
    }
    if (singleRange_) return "a number (at most " + nt::singleText(3.4028235e38f) + " either side of 0)";
    if (max_ >= static_cast<double>(std::numeric_limits<float>::max())) return "a number of at least " + nt::doubleText(min_);
    return "a number from " + nt::doubleText(min_) + " to " + nt::doubleText(max_);
}

std::string FieldRule::refusal(const std::string& text) const {
    return field_ + ": \"" + text + "\" is not valid; enter " + range() + ".";
}

}  // namespace fettle
