#pragma once
#include "modkit/core/Export.h"
#include <array>
#include <cstdint>

namespace modkit {

// The seasons of one texture, indexed by textureVariant (summer 0, autumn 1,
// winter 2, heavy winter 3, spring 4). Material holds 0-based texture indices,
// element 0 the base texture; a season whose dayEnd is below its dayStart runs
// over the turn of the year.
struct MODKIT_EXPORT seasonalTextures {
    std::array<int16_t, 5> Material{}, dayStart{}, dayEnd{};
    std::array<bool, 5> active{};
};

// The simulator variable that holds the day of the year.
inline constexpr int16_t dayOfYearVariable = 906;

}  // namespace modkit
