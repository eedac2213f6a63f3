#pragma once
#include "modkit/core/Export.h"
#include <string>

#include "modkit/core/Error.h"

namespace modkit {

// A texture that could not be loaded while a preview was prepared: its
// triangles are drawn untextured and the caller reports the failure.
struct MODKIT_EXPORT TextureLoadFailure {
    std::string path;
    modkit::Error error;
};

}  // namespace modkit
