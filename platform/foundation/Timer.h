#pragma once

#include <QTimer>

#include <functional>

namespace platform {

class ManualClock;

// A timer for timed work (a tool's ticks, a delayed selection). It runs on
// the event loop's clock, or, while a ManualClock is installed, on that
// clock: then it ticks only when the clock is moved, so tests decide exactly
// when every tick happens, however fast the machine is.
class Timer {
public:
    explicit Timer(std::function<void()> tick = {});
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void setCallback(std::function<void()> tick) { m_tick = std::move(tick); }
    void setInterval(int milliseconds) { m_interval = milliseconds; }
    int interval() const { return m_interval; }
    // A single-shot timer stops after its first tick.
    void setSingleShot(bool singleShot) { m_singleShot = singleShot; }
    bool isSingleShot() const { return m_singleShot; }

    // (Re)starts the timer: the first tick comes one interval from now.
    void start();
    void stop();
    bool isActive() const;

    // Runs the callback once after the delay, on the current clock, as long
    // as the context object lives.
    static void singleShot(int milliseconds, QObject* context, std::function<void()> tick);

private:
    friend class ManualClock;
    void fire();

    std::function<void()> m_tick;
    int m_interval = 0;
    bool m_singleShot = false;
    QTimer m_qtimer;
    ManualClock* m_clock = nullptr; // the clock it runs on, when manual
};

// A clock that stands still until a test moves it. While one lives, every
// Timer started runs on it (the newest installed clock wins).
class ManualClock {
public:
    ManualClock();
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    static ManualClock* current();

    qint64 now() const { return m_now; }
    // Moves the clock forward, firing every tick that falls due on the way,
    // in time order (each at its own moment).
    void advance(qint64 milliseconds);
    // Timers running on this clock.
    int runningTimers() const { return int(m_entries.size()); }

private:
    friend class Timer;
    struct Entry {
        Timer* timer;
        qint64 due;
        quint64 order;
    };
    void add(Timer* timer);
    void remove(Timer* timer);
    bool holds(const Timer* timer) const;

    std::vector<Entry> m_entries;
    qint64 m_now = 0;
    quint64 m_sequence = 0;
    ManualClock* m_previous = nullptr;
};

} // namespace platform
