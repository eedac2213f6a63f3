#pragma once
// The synthetic models the benchmarks share.
#include <string>

#include "ModelBuilder.h"

namespace benchmodels {

// scale 10: 65,535 vertices, 500,000 triangles, 20,000 jumps; scale 1: ten times smaller.
inline const std::string& model(int scale) {
    static const std::string large = modelgen::syntheticModel(65535, 500000, 20000);
    static const std::string small = modelgen::syntheticModel(6554, 50000, 2000);
    return scale == 10 ? large : small;
}

}  // namespace benchmodels
