#pragma once
#include "modkit/core/Export.h"
#include <array>
#include <cstdint>
#include <string>

namespace modkit {

// The MDLH record: nine signed 32-bit values with no meaning of the library's own.
class MODKIT_EXPORT MDLHeader {
public:
    // Error 9 outside 0..8.
    int32_t param(int index) const;
    void setParam(int index, int32_t value);

    // Reads the first 36 bytes; any further bytes are ignored.
    void readList(const std::string& data);
    std::string asString() const;

private:
    std::array<int32_t, 9> params_{};
};

}  // namespace modkit
