#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace platform {

class RunLoop;

// A one-shot or repeating timer served by the run loops and modes it is
// scheduled in. A repeating timer that fell behind fires once and moves on
// to its next slot after now. The owner keeps the shared pointer.
class RunLoopTimer : public std::enable_shared_from_this<RunLoopTimer> {
public:
    using Clock = std::chrono::steady_clock;
    using Handler = std::function<void(RunLoopTimer&)>;

    static std::shared_ptr<RunLoopTimer> create(Clock::duration interval, bool repeats, Handler handler);
    ~RunLoopTimer();

    void schedule(RunLoop& loop, const QString& mode);
    void unschedule(RunLoop& loop, const QString& mode);
    void invalidate();
    bool isValid() const;
    Clock::time_point fireDate() const;
    void setFireDate(Clock::time_point when);
    Clock::duration interval() const { return m_interval; }

private:
    friend class RunLoop;
    RunLoopTimer(Clock::duration interval, bool repeats, Handler handler);
    // Called by a loop when the fire date has come; answers whether it fired.
    bool fireIfDue(Clock::time_point now);

    Clock::duration m_interval;
    bool m_repeats;
    bool m_valid = true;
    Clock::time_point m_fireDate;
    Handler m_handler;
    struct Registration {
        RunLoop* loop;
        QString mode;
    };
    std::vector<Registration> m_registrations;
};

} // namespace platform
