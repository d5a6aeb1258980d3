#include "Timer.h"

#include <QPointer>

#include <algorithm>

namespace platform {

namespace {
ManualClock*& installedClock()
{
    static ManualClock* clock = nullptr;
    return clock;
}
} // namespace

Timer::Timer(std::function<void()> tick)
    : m_tick(std::move(tick))
{
    m_qtimer.setTimerType(Qt::PreciseTimer);
    m_qtimer.callOnTimeout([this] { fire(); });
}

Timer::~Timer()
{
    stop();
}

void Timer::start()
{
    stop();
    if (ManualClock* clock = ManualClock::current()) {
        m_clock = clock;
        clock->add(this);
        return;
    }
    m_qtimer.setInterval(m_interval);
    m_qtimer.setSingleShot(m_singleShot);
    m_qtimer.start();
}

void Timer::stop()
{
    m_qtimer.stop();
    if (m_clock) {
        m_clock->remove(this);
        m_clock = nullptr;
    }
}

bool Timer::isActive() const
{
    return m_clock ? m_clock->holds(this) : m_qtimer.isActive();
}

void Timer::fire()
{
    if (m_tick)
        m_tick();
}

void Timer::singleShot(int milliseconds, QObject* context, std::function<void()> tick)
{
    if (!ManualClock::current()) {
        QTimer::singleShot(milliseconds, context, std::move(tick));
        return;
    }
    // The timer deletes itself after its tick, or with its context.
    auto* holder = new QObject(context);
    auto* timer = new Timer;
    QObject::connect(holder, &QObject::destroyed, [timer] { delete timer; });
    const QPointer<QObject> guard(holder);
    timer->setSingleShot(true);
    timer->setInterval(milliseconds);
    timer->setCallback([guard, tick = std::move(tick)] {
        if (!guard)
            return;
        tick();
        if (guard)
            guard->deleteLater();
    });
    timer->start();
}

ManualClock::ManualClock()
    : m_previous(installedClock())
{
    installedClock() = this;
}

ManualClock::~ManualClock()
{
    for (const Entry& entry : m_entries)
        entry.timer->m_clock = nullptr;
    m_entries.clear();
    installedClock() = m_previous;
}

ManualClock* ManualClock::current()
{
    return installedClock();
}

void ManualClock::add(Timer* timer)
{
    remove(timer);
    m_entries.push_back({timer, m_now + std::max(timer->interval(), 0), m_sequence++});
}

void ManualClock::remove(Timer* timer)
{
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [timer](const Entry& e) { return e.timer == timer; }),
                    m_entries.end());
}

bool ManualClock::holds(const Timer* timer) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [timer](const Entry& e) { return e.timer == timer; });
}

void ManualClock::advance(qint64 milliseconds)
{
    const qint64 target = m_now + std::max<qint64>(milliseconds, 0);
    for (;;) {
        // The earliest due tick; equal moments in the order they were set.
        auto next = m_entries.end();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->due <= target &&
                (next == m_entries.end() || it->due < next->due || (it->due == next->due && it->order < next->order)))
                next = it;
        }
        if (next == m_entries.end())
            break;
        Timer* timer = next->timer;
        m_now = next->due;
        if (timer->isSingleShot()) {
            m_entries.erase(next);
            timer->m_clock = nullptr;
        } else {
            // A zero interval still moves on, so one advance ends.
            next->due += std::max(timer->interval(), 1);
            next->order = m_sequence++;
        }
        timer->fire(); // may stop, restart or delete timers
    }
    m_now = target;
}

} // namespace platform
