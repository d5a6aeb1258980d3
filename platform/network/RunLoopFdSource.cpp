#include "RunLoopFdSource.h"

#include "RunLoop.h"

#include <sys/epoll.h>

#include <algorithm>

namespace platform {

std::shared_ptr<RunLoopFdSource> RunLoopFdSource::create(int fd, int interest, Handler handler)
{
    return std::shared_ptr<RunLoopFdSource>(new RunLoopFdSource(fd, interest, std::move(handler)));
}

RunLoopFdSource::RunLoopFdSource(int fd, int interest, Handler handler)
    : m_fd(fd)
    , m_interest(interest)
    , m_handler(std::move(handler))
{
}

RunLoopFdSource::~RunLoopFdSource()
{
    invalidate();
}

int RunLoopFdSource::interest() const
{
    std::lock_guard lock(RunLoop::registryLock());
    return m_interest;
}

void RunLoopFdSource::applyInterest(Registration& r)
{
    const int epfd = r.loop->modeDescriptor(r.mode);
    // A descriptor with no interest leaves the poll set altogether, or a
    // hang-up would be reported to nobody over and over.
    if (m_interest == 0) {
        if (r.inPoll)
            ::epoll_ctl(epfd, EPOLL_CTL_DEL, m_fd, nullptr);
        r.inPoll = false;
        return;
    }
    epoll_event ev {};
    ev.events = ((m_interest & Readable) ? EPOLLIN : 0u) | ((m_interest & Writable) ? EPOLLOUT : 0u);
    ev.data.u64 = r.id;
    ::epoll_ctl(epfd, r.inPoll ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, m_fd, &ev);
    r.inPoll = true;
}

void RunLoopFdSource::setInterest(int events)
{
    std::lock_guard lock(RunLoop::registryLock());
    if (events == m_interest)
        return;
    m_interest = events;
    for (auto& r : m_registrations)
        applyInterest(r);
}

void RunLoopFdSource::schedule(RunLoop& loop, const QString& mode)
{
    std::lock_guard lock(RunLoop::registryLock());
    for (auto& r : m_registrations)
        if (r.loop == &loop && r.mode == mode)
            return;
    const quint64 id = loop.addFdEntry(mode, weak_from_this());
    m_registrations.push_back({ &loop, mode, id, false });
    applyInterest(m_registrations.back());
    loop.wakeUp();
}

void RunLoopFdSource::removeRegistration(Registration& r)
{
    if (r.inPoll)
        ::epoll_ctl(r.loop->modeDescriptor(r.mode), EPOLL_CTL_DEL, m_fd, nullptr);
    r.loop->removeFdEntry(r.mode, r.id);
    r.loop->wakeUp();
}

void RunLoopFdSource::unschedule(RunLoop& loop, const QString& mode)
{
    std::lock_guard lock(RunLoop::registryLock());
    for (auto it = m_registrations.begin(); it != m_registrations.end(); ++it) {
        if (it->loop == &loop && it->mode == mode) {
            removeRegistration(*it);
            m_registrations.erase(it);
            return;
        }
    }
}

bool RunLoopFdSource::isScheduled() const
{
    std::lock_guard lock(RunLoop::registryLock());
    return !m_registrations.empty();
}

void RunLoopFdSource::invalidate()
{
    std::lock_guard lock(RunLoop::registryLock());
    for (auto& r : m_registrations)
        removeRegistration(r);
    m_registrations.clear();
    m_handler = nullptr;
}

} // namespace platform
