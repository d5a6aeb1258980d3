#include "RunLoopTimer.h"

#include "RunLoop.h"

#include <algorithm>

namespace platform {

std::shared_ptr<RunLoopTimer> RunLoopTimer::create(Clock::duration interval, bool repeats, Handler handler)
{
    return std::shared_ptr<RunLoopTimer>(new RunLoopTimer(interval, repeats, std::move(handler)));
}

RunLoopTimer::RunLoopTimer(Clock::duration interval, bool repeats, Handler handler)
    : m_interval(interval)
    , m_repeats(repeats)
    , m_fireDate(Clock::now() + interval)
    , m_handler(std::move(handler))
{
}

RunLoopTimer::~RunLoopTimer()
{
    invalidate();
}

void RunLoopTimer::schedule(RunLoop& loop, const QString& mode)
{
    std::lock_guard lock(RunLoop::registryLock());
    if (!m_valid)
        return;
    for (auto& r : m_registrations)
        if (r.loop == &loop && r.mode == mode)
            return;
    loop.addTimerEntry(mode, weak_from_this());
    m_registrations.push_back({ &loop, mode });
    loop.wakeUp();
}

void RunLoopTimer::unschedule(RunLoop& loop, const QString& mode)
{
    std::lock_guard lock(RunLoop::registryLock());
    auto it = std::find_if(m_registrations.begin(), m_registrations.end(),
        [&](const Registration& r) { return r.loop == &loop && r.mode == mode; });
    if (it == m_registrations.end())
        return;
    loop.removeTimerEntry(mode, this);
    m_registrations.erase(it);
}

void RunLoopTimer::invalidate()
{
    std::lock_guard lock(RunLoop::registryLock());
    m_valid = false;
    for (auto& r : m_registrations) {
        r.loop->removeTimerEntry(r.mode, this);
    }
    m_registrations.clear();
    m_handler = nullptr;
}

bool RunLoopTimer::isValid() const
{
    std::lock_guard lock(RunLoop::registryLock());
    return m_valid;
}

RunLoopTimer::Clock::time_point RunLoopTimer::fireDate() const
{
    std::lock_guard lock(RunLoop::registryLock());
    return m_fireDate;
}

void RunLoopTimer::setFireDate(Clock::time_point when)
{
    std::lock_guard lock(RunLoop::registryLock());
    m_fireDate = when;
    for (auto& r : m_registrations)
        r.loop->wakeUp();
}

bool RunLoopTimer::fireIfDue(Clock::time_point now)
{
    Handler handler;
    {
        std::lock_guard lock(RunLoop::registryLock());
        if (!m_valid || m_fireDate > now || !m_handler)
            return false;
        handler = m_handler;
        if (m_repeats && m_interval > Clock::duration::zero()) {
            const auto behind = (now - m_fireDate) / m_interval;
            m_fireDate += m_interval * (behind + 1);
        }
    }
    auto self = shared_from_this();
    handler(*this);
    if (!m_repeats)
        invalidate();
    return true;
}

} // namespace platform
