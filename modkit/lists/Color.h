#pragma once
#include "modkit/core/Export.h"
#include <cstdint>
#include <string>

namespace modkit {

// An RGBA colour as four floats, nominally 0..1 and never clamped, with integer
// 0..255 views.
class MODKIT_EXPORT Color {
public:
    float r() const { return r_; }
    float g() const { return g_; }
    float b() const { return b_; }
    float a() const { return a_; }
    void setR(float v) { r_ = v; }
    void setG(float v) { g_ = v; }
    void setB(float v) { b_ = v; }
    void setA(float v) { a_ = v; }

    // component x 255, rounded half to even; error 6 outside the 16-bit range.
    int16_t Ri() const { return toView(r_); }
    int16_t Gi() const { return toView(g_); }
    int16_t Bi() const { return toView(b_); }
    int16_t Ai() const { return toView(a_); }
    void setRi(int16_t v) { r_ = fromView(v); }
    void setGi(int16_t v) { g_ = fromView(v); }
    void setBi(int16_t v) { b_ = fromView(v); }
    void setAi(int16_t v) { a_ = fromView(v); }

    // Bytes 255, Bi, Gi, Ri (alpha, blue, green, red); error 5 for a view outside 0..255.
    std::string packedColor() const;

    static int16_t toView(float component);
    static float fromView(int16_t view) { return static_cast<float>(static_cast<double>(view) / 255.0); }

private:
    float r_ = 0, g_ = 0, b_ = 0, a_ = 0;
};

}  // namespace modkit
