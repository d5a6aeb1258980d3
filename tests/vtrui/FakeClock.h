#pragma once

#include "VTRClock.h"

#include <memory>
#include <vector>

// Time that only moves when a test says so; its timers fire as advance()
// passes their due times, in order.
class FakeClock : public VTRClock {
public:
    double now() const override { return m_now; }
    std::unique_ptr<VTRTimer> scheduleRepeatingTimer(double interval, std::function<void()> fire) override;

    void advance(double seconds);
    int activeTimerCount() const;

private:
    struct Entry {
        double interval;
        double due;
        std::function<void()> fire;
        bool valid = true;
    };
    double m_now = 1000.0;
    std::vector<std::shared_ptr<Entry>> m_entries;
};
