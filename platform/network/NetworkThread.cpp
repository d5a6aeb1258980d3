#include "NetworkThread.h"

#include "RunLoop.h"
#include "RunLoopFdSource.h"
#include "platform/libraries/SystemLibraries.h"

#include <openssl/ssl.h>

#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>

namespace platform {

NetworkThread& NetworkThread::shared()
{
    static NetworkThread thread;
    return thread;
}

NetworkThread::NetworkThread()
{
    // The TLS library sets itself up first, so its clean-up at exit comes
    // after this thread has ended and let go of its per-thread TLS state.
    // (It is loaded here, by the first network use; without it, plain
    // connections still work and secure ones fail with the reason.)
    if (systemlibraries::tls().load())
        OPENSSL_init_ssl(0, nullptr);
    std::promise<RunLoop*> ready;
    auto loop = ready.get_future();
    m_thread = std::thread([this, &ready] { run(ready); });
    m_loop = loop.get();
}

NetworkThread::~NetworkThread()
{
    m_loop->perform([this] { m_stopping = true; });
    m_thread.join();
}

void NetworkThread::run(std::promise<RunLoop*>& ready)
{
    RunLoop& loop = RunLoop::current();
    // A source that never fires keeps the default mode from being empty,
    // so a run waits for work instead of returning at once.
    m_keepAliveFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_keepAlive = RunLoopFdSource::create(m_keepAliveFd, RunLoopFdSource::Readable, [](int) {});
    m_keepAlive->schedule(loop, RunLoop::defaultMode);
    ready.set_value(&loop);
    while (!m_stopping)
        loop.runMode(RunLoop::defaultMode, std::chrono::hours(24), true);
    m_keepAlive->invalidate();
    m_keepAlive.reset();
    ::close(m_keepAliveFd);
}

bool NetworkThread::isCurrent() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void NetworkThread::perform(std::function<void()> work, bool wait)
{
    m_loop->perform(std::move(work), wait);
}

} // namespace platform
