#pragma once
#include "modkit/core/Export.h"

namespace modkit {

// The window-system side of the preview: the surface the model is drawn on and
// its GL context. The program binds it to its widget, the tests and fettle-cli
// to an offscreen buffer.
class MODKIT_EXPORT GLSurface {
public:
    virtual ~GLSurface() = default;
    // Makes the surface's context current on this thread; false when it cannot.
    virtual bool makeCurrent() = 0;
    // Shows the frame just drawn.
    virtual void present() = 0;
};

}  // namespace modkit
