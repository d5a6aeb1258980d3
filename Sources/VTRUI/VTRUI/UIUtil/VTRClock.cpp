#include "VTRClock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

class QtTimer final : public VTRTimer {
public:
    QtTimer(double interval, std::function<void()> fire)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(int(interval * 1000.0 + 0.5));
        QObject::connect(&m_timer, &QTimer::timeout, [fire = std::move(fire)] { fire(); });
        m_timer.start();
    }
    void invalidate() override { m_timer.stop(); }
    bool isValid() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class MonotonicClock final : public VTRClock {
public:
    MonotonicClock() { m_elapsed.start(); }
    double now() const override { return double(m_elapsed.nsecsElapsed()) / 1e9; }
    std::unique_ptr<VTRTimer> scheduleRepeatingTimer(double interval, std::function<void()> fire) override
    {
        return std::make_unique<QtTimer>(interval, std::move(fire));
    }

private:
    QElapsedTimer m_elapsed; // monotonic on every platform Qt supports here
};

} // namespace

VTRClock& VTRClock::monotonic()
{
    static MonotonicClock clock;
    return clock;
}
