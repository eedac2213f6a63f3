#pragma once
#include "modkit/core/Export.h"
#include <functional>

// Long library operations let the program's window events run through one hook.
namespace modkit {

using EventPump = std::function<void()>;

// Installs the hook (an empty function removes it).
MODKIT_EXPORT void setEventPump(EventPump pump);

// Called between the steps of long operations. Cheap: looks at the clock only
// now and then and calls the hook at most about every 20 ms. True when it did.
MODKIT_EXPORT bool pumpEvents();

// Calls the hook now (status changes the user should see at once).
MODKIT_EXPORT void pumpEventsNow();

}  // namespace modkit
