#pragma once
#include "modkit/core/Export.h"
#include <string>

namespace modkit {

// The BBOX record: six floats xmin, ymin, zmin, xmax, ymax, zmax.
class MODKIT_EXPORT BoundingBox {
public:
    float xmin() const { return v_[0]; }
    float ymin() const { return v_[1]; }
    float zmin() const { return v_[2]; }
    float xmax() const { return v_[3]; }
    float ymax() const { return v_[4]; }
    float zmax() const { return v_[5]; }
    void setXmin(float v) { v_[0] = v; }
    void setYmin(float v) { v_[1] = v; }
    void setZmin(float v) { v_[2] = v; }
    void setXmax(float v) { v_[3] = v; }
    void setYmax(float v) { v_[4] = v; }
    void setZmax(float v) { v_[5] = v; }

    // Reads the first 24 bytes; any further bytes are ignored.
    void readList(const std::string& data);
    std::string asString() const;

private:
    float v_[6] = {0, 0, 0, 0, 0, 0};
};

}  // namespace modkit
