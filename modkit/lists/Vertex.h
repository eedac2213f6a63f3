#pragma once
#include "modkit/core/Export.h"

namespace modkit {

// Position, normal (as stored, never normalised) and texture coordinates.
class MODKIT_EXPORT Vertex {
public:
    float x() const { return x_; }
    float y() const { return y_; }
    float z() const { return z_; }
    float nx() const { return nx_; }
    float ny() const { return ny_; }
    float nz() const { return nz_; }
    float tx() const { return tx_; }
    float ty() const { return ty_; }
    void setX(float v) { x_ = v; }
    void setY(float v) { y_ = v; }
    void setZ(float v) { z_ = v; }
    void setNx(float v) { nx_ = v; }
    void setNy(float v) { ny_ = v; }
    void setNz(float v) { nz_ = v; }
    void setTx(float v) { tx_ = v; }
    void setTy(float v) { ty_ = v; }

private:
    float x_ = 0, y_ = 0, z_ = 0, nx_ = 0, ny_ = 0, nz_ = 0, tx_ = 0, ty_ = 0;
};

}  // namespace modkit
