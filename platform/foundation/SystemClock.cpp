#include "SystemClock.h"

#include <QTimer>

#include <cmath>

namespace platform {

Clock& Clock::system()
{
    static SystemClock* clock = new SystemClock; // lives as long as the process
    return *clock;
}

SystemClock::SystemClock()
{
    m_elapsed.start();
}

double SystemClock::now() const
{
    return double(m_elapsed.nsecsElapsed()) / 1e9;
}

Clock::TimerId SystemClock::schedule(double seconds, std::function<void()> fire)
{
    const TimerId id = m_next++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    const double ms = std::ceil(std::max(0.0, seconds) * 1000.0);
    timer->setInterval(int(std::min(ms, double(INT_MAX))));
    connect(timer, &QTimer::timeout, this, [this, id, fire = std::move(fire)] {
        cancel(id);
        fire();
    });
    m_timers[id] = timer;
    timer->start();
    return id;
}

void SystemClock::cancel(TimerId id)
{
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
}

} // namespace platform
