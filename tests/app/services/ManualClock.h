#pragma once

#include "platform/foundation/Clock.h"

#include <map>

// A clock that stands still until the test advances it; timers fire, in
// time order, as the time passes them.
class ManualClock : public platform::Clock {
public:
    double now() const override { return m_now; }
    TimerId schedule(double seconds, std::function<void()> fire) override
    {
        const TimerId id = m_next++;
        m_timers.emplace(id, Timer{m_now + std::max(0.0, seconds), std::move(fire)});
        return id;
    }
    void cancel(TimerId id) override { m_timers.erase(id); }

    void advance(double seconds)
    {
        const double end = m_now + seconds;
        for (;;) {
            auto due = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
                if (it->second.at <= end && (due == m_timers.end() || it->second.at < due->second.at))
                    due = it;
            }
            if (due == m_timers.end())
                break;
            m_now = due->second.at;
            auto fire = std::move(due->second.fire);
            m_timers.erase(due);
            fire();
        }
        m_now = end;
    }
    std::size_t pendingTimers() const { return m_timers.size(); }

private:
    struct Timer {
        double at;
        std::function<void()> fire;
    };
    double m_now = 100.0;
    TimerId m_next = 1;
    std::map<TimerId, Timer> m_timers;
};
