#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {

class RunLoopFdSource;
class RunLoopTimer;

// One event loop per thread, with named modes. A source (file descriptor or
// timer) is scheduled in the modes it names, and a run of the loop in one
// mode serves only the sources of that mode: a private mode lets a caller
// wait for its own work without serving anyone else's.
class RunLoop {
public:
    enum class RunResult { Finished, Stopped, TimedOut, HandledSource };
    using Clock = std::chrono::steady_clock;

    static const QString defaultMode;

    // The calling thread's loop, made on first use; it lives as long as the thread.
    static RunLoop& current();
    // The main thread's loop; a bridge serves its default mode from Qt's event loop.
    static RunLoop& main();

    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;
    ~RunLoop();

    // Serves the mode until the deadline passes, stop() is called or, when
    // asked, one source has been handled. Answers Finished at once when the
    // mode has nothing to serve.
    RunResult runMode(const QString& mode, Clock::duration timeout, bool returnAfterSourceHandled);
    // Makes the run in progress (or the next one) return.
    void stop();
    void wakeUp();

    // Runs work on this loop's thread during a run of one of the modes.
    // With wait the caller blocks until it ran; on the loop's own thread
    // the work then runs at once.
    void perform(std::function<void()> work, const QStringList& modes, bool wait = false);
    void perform(std::function<void()> work, bool wait = false);

    bool isCurrent() const;
    std::thread::id threadId() const { return m_thread; }

    // A number no other loop of the process ever has: the way to reach a
    // loop later without holding on to it (its thread may end meanwhile).
    quint64 serial() const { return m_serial; }
    // Queues work on the loop with that number while it is alive; answers
    // false (and drops the work) once its thread has ended.
    static bool performOnLoop(quint64 serial, std::function<void()> work, const QStringList& modes);

    // A descriptor that becomes readable when the mode has something to
    // serve: what a foreign event loop watches to drive this one.
    int modeDescriptor(const QString& mode);
    // Time until the mode's next timer fires, if it has a timer.
    std::optional<Clock::duration> timeToNextTimer(const QString& mode);

private:
    friend class RunLoopFdSource;
    friend class RunLoopTimer;
    struct Private;
    struct Mode;
    RunLoop();
    // Guards every loop's tables and every source's registrations, so that
    // a source can be scheduled in loops of several threads.
    static std::recursive_mutex& registryLock();
    Mode& mode(const QString& name);
    // Table upkeep for the sources; called with registryLock() held.
    quint64 addFdEntry(const QString& mode, std::weak_ptr<RunLoopFdSource> source);
    void removeFdEntry(const QString& mode, quint64 id);
    void addTimerEntry(const QString& mode, std::weak_ptr<RunLoopTimer> timer);
    void removeTimerEntry(const QString& mode, const RunLoopTimer* timer);
    std::unique_ptr<Private> d;
    std::thread::id m_thread;
    quint64 m_serial;
};

} // namespace platform
