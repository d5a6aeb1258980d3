#include "ServerWatchdog.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <initializer_list>

#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct Message {
    int32_t operation; // kWatch or kForget
    int32_t group;
};
constexpr int32_t kWatch = 1;
constexpr int32_t kForget = 2;

// The watchdog's whole life, in the forked child. The test process may
// have had other threads when it forked, so only calls that are safe
// after a fork are made here: no allocation, no locks, no library state.
[[noreturn]] void watchdogMain(int readEnd)
{
    // Its own process group: a signal to the test process's group (a
    // terminal's Ctrl+C, a test runner stopping the test) does not end it
    // before it has done its work.
    setpgid(0, 0);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        sigaction(signal, &ignore, nullptr);
    // Keep nothing of the test process open but the reading end: inherited
    // sockets and pipes would otherwise outlive it here.
    if (readEnd != 0) {
        dup2(readEnd, 0);
        readEnd = 0;
    }
    if (syscall(SYS_close_range, 1u, UINT_MAX, 0u) != 0) {
        for (int fd = 1; fd < 4096; ++fd)
            close(fd);
    }

    pid_t groups[ServerWatchdog::kMaximumGroups] = {};
    for (;;) {
        Message message;
        char* into = reinterpret_cast<char*>(&message);
        size_t got = 0;
        while (got < sizeof message) {
            const ssize_t n = read(readEnd, into + got, sizeof message - got);
            if (n > 0) {
                got += size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            // The test process has ended: its servers go with it.
            for (pid_t group : groups) {
                if (group > 0)
                    kill(-group, SIGKILL);
            }
            _exit(0);
        }
        if (message.group <= 0)
            continue;
        for (pid_t& group : groups) {
            if (message.operation == kWatch && group == 0) {
                group = message.group;
                break;
            }
            if (message.operation == kForget && group == message.group) {
                group = 0;
                break;
            }
        }
    }
}

} // namespace

ServerWatchdog& ServerWatchdog::shared()
{
    static ServerWatchdog watchdog;
    return watchdog;
}

bool ServerWatchdog::start()
{
    if (m_pid > 0)
        return true;
    int ends[2];
    // Neither end may leak into the servers or any other program started
    // from here: one more holder of the test process's end would keep the
    // watchdog waiting after the test process ended. A socket rather than
    // a pipe, so that telling a watchdog that is gone raises no SIGPIPE.
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    if (pid == 0)
        watchdogMain(ends[0]);
    close(ends[0]);
    m_end = ends[1];
    m_pid = pid;
    return true;
}

bool ServerWatchdog::tell(int operation, pid_t group)
{
    const Message message{operation, int32_t(group)};
    const char* from = reinterpret_cast<const char*>(&message);
    size_t sent = 0;
    while (sent < sizeof message) {
        const ssize_t n = ::send(m_end, from + sent, sizeof message - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += size_t(n);
    }
    return true;
}

bool ServerWatchdog::watch(pid_t group)
{
    return group > 0 && start() && tell(kWatch, group);
}

void ServerWatchdog::forget(pid_t group)
{
    if (m_pid > 0 && group > 0)
        tell(kForget, group);
}
