#pragma once

#include "VTRTimer.h"

#include <functional>
#include <memory>

// Monotonic time and the timers that run on it. Controls that count time take
// a clock, so tests can drive time themselves; the program uses monotonic(),
// which does not jump when the wall clock is set.
class VTRClock {
public:
    virtual ~VTRClock() = default;

    // Seconds since an arbitrary fixed start.
    virtual double now() const = 0;
    // Calls fire every interval seconds on the main thread until the timer is
    // invalidated or destroyed.
    virtual std::unique_ptr<VTRTimer> scheduleRepeatingTimer(double interval, std::function<void()> fire) = 0;

    static VTRClock& monotonic();
};
