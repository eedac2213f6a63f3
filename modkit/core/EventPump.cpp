#include "modkit/core/EventPump.h"

#include <chrono>

namespace modkit {
namespace {

EventPump& hook() {
    static EventPump h;
    return h;
}

using Clock = std::chrono::steady_clock;
Clock::time_point lastCall;
unsigned callsSinceCheck = 0;

}  // namespace

void setEventPump(EventPump pump) { hook() = std::move(pump); }

void pumpEventsNow() {
    if (!hook()) return;
    lastCall = Clock::now();
    callsSinceCheck = 0;
    EventPump h = hook();  // the hook may replace itself
    h();
}

bool pumpEvents() {
    if (!hook()) return false;
    if (++callsSinceCheck < 256) return false;
    callsSinceCheck = 0;
    auto now = Clock::now();
    if (now - lastCall < std::chrono::milliseconds(20)) return false;
    lastCall = now;
    EventPump h = hook();  // the hook may replace itself
    h();
    return true;
}

}  // namespace modkit
