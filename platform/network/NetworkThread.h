#pragma once

#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace platform {

class RunLoop;
class RunLoopFdSource;

// The one thread that runs the network work of the process: a run loop in
// its default mode, kept from running dry, started on first use and
// stopped when the process exits.
class NetworkThread {
public:
    static NetworkThread& shared();
    ~NetworkThread();

    RunLoop& runLoop() { return *m_loop; }
    bool isCurrent() const;
    // Runs work on the thread; with wait the caller blocks until it ran
    // (at once when the caller is the network thread itself).
    void perform(std::function<void()> work, bool wait = false);

private:
    NetworkThread();
    void run(std::promise<RunLoop*>& ready);

    std::thread m_thread;
    RunLoop* m_loop = nullptr;
    std::shared_ptr<RunLoopFdSource> m_keepAlive;
    int m_keepAliveFd = -1;
    bool m_stopping = false;
};

} // namespace platform
