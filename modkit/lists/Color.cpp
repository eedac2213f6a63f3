#include "modkit/lists/Color.h"

#include "modkit/core/Error.h"
#include "modkit/core/NumText.h"

namespace modkit {

int16_t Color::toView(float component) {
    float product = component * 255.0f;  // rounded to single precision first
    return numtext::roundToInt16(product, "Modkit.Color");
}

std::string Color::packedColor() const {
    auto byte = [](int16_t v) {
        if (v < 0 || v > 255) raiseRuntime(err::InvalidCall, "Modkit.Color");
        return static_cast<char>(static_cast<unsigned char>(v));
    };
    std::string s;
    s.push_back(static_cast<char>(0xFF));
    s.push_back(byte(Bi()));
    s.push_back(byte(Gi()));
    s.push_back(byte(Ri()));
    return s;
}

}  // namespace modkit
