#pragma once

#include <sys/types.h>

// Stops the servers a test process started when that process ends in any
// way, a crash or a kill included, so that none is left running, orphaned.
//
// Each server leads a process group of its own (its helpers and workers
// are in it too). The watchdog is a process of its own, forked at first
// use into its own process group, that holds the groups in its care and
// waits on a socket whose other end only the test process holds: when the
// test process ends, the kernel closes that end, and the watchdog kills
// every group still in its care, then ends.
class ServerWatchdog {
public:
    static ServerWatchdog& shared();

    // Puts the process group in the watchdog's care (started first, on
    // first use). False when there is no watchdog.
    bool watch(pid_t group);
    // Takes the group out of its care (its server was stopped).
    void forget(pid_t group);
    // The watchdog's process id, 0 before it started.
    pid_t processId() const { return m_pid; }

    // The most groups it holds at once.
    static constexpr int kMaximumGroups = 256;

private:
    ServerWatchdog() = default;
    bool start();
    bool tell(int operation, pid_t group);

    int m_end = -1;
    pid_t m_pid = 0;
};
