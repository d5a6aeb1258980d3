#include "RunLoop.h"

#include "RunLoopFdSource.h"
#include "RunLoopTimer.h"

#include <QCoreApplication>
#include <QThread>
#include <QtGlobal>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <future>
#include <exception>
#include <map>

namespace platform {

const QString RunLoop::defaultMode = QStringLiteral("DefaultRunLoopMode");

struct RunLoop::Mode {
    int epfd = -1;
    std::map<quint64, std::weak_ptr<RunLoopFdSource>> fds;
    std::vector<std::weak_ptr<RunLoopTimer>> timers;
};

struct RunLoop::Private {
    int wakeFd = -1;
    std::map<QString, Mode> modes;
    struct Work {
        std::function<void()> work;
        QStringList modes;
    };
    std::deque<Work> performs;
    bool stopRequested = false;
    bool isMain = false;
    quint64 nextId = 1;
};

std::recursive_mutex& RunLoop::registryLock()
{
    static std::recursive_mutex lock;
    return lock;
}

namespace {
// The loops alive now, by serial (under the registry lock).
std::map<quint64, RunLoop*>& liveLoops()
{
    static std::map<quint64, RunLoop*> loops;
    return loops;
}
quint64 nextSerial = 1;

// Work of a loop ends in the loop: an exception from it (an allocation
// failure, say) would otherwise end the thread and every request on it.
template <typename F>
void runGuarded(const char* what, F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        qWarning("An exception left %s on a run loop: %s", what, e.what());
    } catch (...) {
        qWarning("An exception left %s on a run loop", what);
    }
}
} // namespace

bool RunLoop::performOnLoop(quint64 serial, std::function<void()> work, const QStringList& modes)
{
    std::lock_guard lock(registryLock());
    const auto it = liveLoops().find(serial);
    if (it == liveLoops().end())
        return false;
    it->second->d->performs.push_back({ std::move(work), modes });
    it->second->wakeUp();
    return true;
}

RunLoop::RunLoop()
    : d(std::make_unique<Private>())
    , m_thread(std::this_thread::get_id())
{
    d->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    std::lock_guard lock(registryLock());
    m_serial = nextSerial++;
    liveLoops()[m_serial] = this;
}

RunLoop::~RunLoop()
{
    std::lock_guard lock(registryLock());
    liveLoops().erase(m_serial);
    for (auto& [name, m] : d->modes) {
        for (auto& [id, weak] : m.fds) {
            if (auto source = weak.lock()) {
                auto& regs = source->m_registrations;
                regs.erase(std::remove_if(regs.begin(), regs.end(),
                               [this](const auto& r) { return r.loop == this; }),
                    regs.end());
            }
        }
        for (auto& weak : m.timers) {
            if (auto timer = weak.lock()) {
                auto& regs = timer->m_registrations;
                regs.erase(std::remove_if(regs.begin(), regs.end(),
                               [this](const auto& r) { return r.loop == this; }),
                    regs.end());
            }
        }
        ::close(m.epfd);
    }
    ::close(d->wakeFd);
}

static bool onQtMainThread()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

RunLoop& RunLoop::main()
{
    // Made once and kept for the process: the main thread's loop outlives
    // every object that may still post work to it at exit.
    static RunLoop* loop = [] {
        auto* l = new RunLoop();
        l->d->isMain = true;
        return l;
    }();
    return *loop;
}

RunLoop& RunLoop::current()
{
    if (onQtMainThread())
        return main();
    thread_local std::unique_ptr<RunLoop> loop;
    if (!loop)
        loop.reset(new RunLoop());
    return *loop;
}

bool RunLoop::isCurrent() const
{
    if (d->isMain)
        return onQtMainThread() || (!QCoreApplication::instance() && std::this_thread::get_id() == m_thread);
    return std::this_thread::get_id() == m_thread;
}

RunLoop::Mode& RunLoop::mode(const QString& name)
{
    std::lock_guard lock(registryLock());
    auto it = d->modes.find(name);
    if (it != d->modes.end())
        return it->second;
    Mode& m = d->modes[name];
    m.epfd = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event ev {};
    ev.events = EPOLLIN;
    ev.data.u64 = 0; // the wake descriptor
    ::epoll_ctl(m.epfd, EPOLL_CTL_ADD, d->wakeFd, &ev);
    return m;
}

quint64 RunLoop::addFdEntry(const QString& name, std::weak_ptr<RunLoopFdSource> source)
{
    const quint64 id = d->nextId++;
    mode(name).fds[id] = std::move(source);
    return id;
}

void RunLoop::removeFdEntry(const QString& name, quint64 id)
{
    mode(name).fds.erase(id);
}

void RunLoop::addTimerEntry(const QString& name, std::weak_ptr<RunLoopTimer> timer)
{
    mode(name).timers.push_back(std::move(timer));
}

void RunLoop::removeTimerEntry(const QString& name, const RunLoopTimer* timer)
{
    std::erase_if(mode(name).timers, [timer](auto& w) { auto t = w.lock(); return !t || t.get() == timer; });
}

int RunLoop::modeDescriptor(const QString& name)
{
    return mode(name).epfd;
}

void RunLoop::wakeUp()
{
    quint64 one = 1;
    [[maybe_unused]] auto n = ::write(d->wakeFd, &one, sizeof one);
}

void RunLoop::stop()
{
    {
        std::lock_guard lock(registryLock());
        d->stopRequested = true;
    }
    wakeUp();
}

void RunLoop::perform(std::function<void()> work, bool wait)
{
    perform(std::move(work), QStringList { defaultMode }, wait);
}

void RunLoop::perform(std::function<void()> work, const QStringList& modes, bool wait)
{
    if (wait && isCurrent()) {
        work();
        return;
    }
    std::promise<void> done;
    auto finished = done.get_future();
    if (wait) {
        work = [inner = std::move(work), &done] {
            inner();
            done.set_value();
        };
    }
    {
        std::lock_guard lock(registryLock());
        d->performs.push_back({ std::move(work), modes });
    }
    wakeUp();
    if (wait)
        finished.wait();
}

std::optional<RunLoop::Clock::duration> RunLoop::timeToNextTimer(const QString& name)
{
    std::lock_guard lock(registryLock());
    auto it = d->modes.find(name);
    if (it == d->modes.end())
        return std::nullopt;
    std::optional<Clock::time_point> next;
    for (auto& weak : it->second.timers) {
        if (auto timer = weak.lock(); timer && timer->m_valid) {
            if (!next || timer->m_fireDate < *next)
                next = timer->m_fireDate;
        }
    }
    if (!next)
        return std::nullopt;
    return std::max(Clock::duration::zero(), *next - Clock::now());
}

RunLoop::RunResult RunLoop::runMode(const QString& name, Clock::duration timeout, bool returnAfterSourceHandled)
{
    const auto deadline = timeout > std::chrono::hours(24 * 365 * 100) ? Clock::time_point::max() : Clock::now() + timeout;
    const int epfd = mode(name).epfd;
    bool handledAny = false;
    for (;;) {
        // Deferred work first: it was asked for before anything now ready.
        std::vector<std::function<void()>> work;
        {
            std::lock_guard lock(registryLock());
            if (d->stopRequested) {
                d->stopRequested = false;
                return RunResult::Stopped;
            }
            for (auto it = d->performs.begin(); it != d->performs.end();) {
                if (it->modes.contains(name)) {
                    work.push_back(std::move(it->work));
                    it = d->performs.erase(it);
                } else {
                    ++it;
                }
            }
        }
        for (auto& w : work)
            runGuarded("deferred work", w);
        handledAny = handledAny || !work.empty();

        // Timers that are due.
        std::vector<std::shared_ptr<RunLoopTimer>> timers;
        std::optional<Clock::time_point> nextTimer;
        bool hasSources = false;
        {
            std::lock_guard lock(registryLock());
            Mode& m = d->modes[name];
            std::erase_if(m.timers, [](auto& w) { return w.expired(); });
            std::erase_if(m.fds, [](auto& entry) { return entry.second.expired(); });
            for (auto& weak : m.timers)
                if (auto t = weak.lock())
                    timers.push_back(t);
            hasSources = !m.fds.empty() || !m.timers.empty()
                || std::any_of(d->performs.begin(), d->performs.end(), [&](const Private::Work& w) { return w.modes.contains(name); });
        }
        const auto now = Clock::now();
        for (auto& t : timers) {
            runGuarded("a timer", [&] {
                if (t->fireIfDue(now))
                    handledAny = true;
            });
        }
        for (auto& t : timers) {
            std::lock_guard lock(registryLock());
            if (t->m_valid && (!nextTimer || t->m_fireDate < *nextTimer))
                nextTimer = t->m_fireDate;
        }
        timers.clear();
        if (handledAny && returnAfterSourceHandled)
            return RunResult::HandledSource;
        if (!hasSources && !handledAny)
            return RunResult::Finished;

        auto waitUntil = deadline;
        if (nextTimer && *nextTimer < waitUntil)
            waitUntil = *nextTimer;
        const auto now2 = Clock::now();
        int waitMs = 0;
        if (waitUntil == Clock::time_point::max())
            waitMs = -1;
        else if (waitUntil > now2)
            waitMs = int(std::min<long long>(std::chrono::ceil<std::chrono::milliseconds>(waitUntil - now2).count(), 1 << 30));

        epoll_event events[32];
        int n = ::epoll_wait(epfd, events, 32, waitMs);
        if (n < 0 && errno != EINTR)
            n = 0;
        for (int i = 0; i < n; ++i) {
            const quint64 id = events[i].data.u64;
            if (id == 0) {
                quint64 count;
                while (::read(d->wakeFd, &count, sizeof count) > 0) { }
                continue;
            }
            std::shared_ptr<RunLoopFdSource> source;
            int ready = 0;
            RunLoopFdSource::Handler handler;
            {
                std::lock_guard lock(registryLock());
                auto& fds = d->modes[name].fds;
                auto it = fds.find(id);
                if (it == fds.end())
                    continue;
                source = it->second.lock();
                if (!source)
                    continue;
                const int interest = source->m_interest;
                const auto e = events[i].events;
                if (e & EPOLLIN)
                    ready |= RunLoopFdSource::Readable;
                if (e & EPOLLOUT)
                    ready |= RunLoopFdSource::Writable;
                if (e & (EPOLLERR | EPOLLHUP))
                    ready |= interest;
                ready &= interest;
                handler = source->m_handler; // survives the source dropping it
            }
            if (!ready || !handler)
                continue;
            runGuarded("a descriptor's handler", [&] { handler(ready); });
            handledAny = true;
            // The wake descriptor or another source may be ready too; with
            // one source handled the caller asked to return.
            if (returnAfterSourceHandled)
                return RunResult::HandledSource;
        }
        if (Clock::now() >= deadline)
            return handledAny && returnAfterSourceHandled ? RunResult::HandledSource : RunResult::TimedOut;
    }
}

} // namespace platform
