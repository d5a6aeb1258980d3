#pragma once

#include <QtGlobal>

#include <functional>

namespace platform {

// Time and one-shot timers for code whose behaviour depends on how long
// things take. The program uses the system clock; tests hand in a clock
// they advance themselves, so nothing depends on the machine's speed.
class Clock {
public:
    using TimerId = quint64;

    virtual ~Clock() = default;
    // Seconds since some fixed moment.
    virtual double now() const = 0;
    // Calls fire once after the given seconds, on the main thread.
    virtual TimerId schedule(double seconds, std::function<void()> fire) = 0;
    // A pending timer does not fire; unknown ids are ignored.
    virtual void cancel(TimerId id) = 0;

    // The real clock, on the event loop's timers.
    static Clock& system();
};

} // namespace platform
