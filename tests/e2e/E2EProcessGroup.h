#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include <sys/types.h>

class QProcess;

// Starts what the harness runs for as long as a test (the display server,
// the buses, the program under test) so that it cannot outlive the test
// process: each leads a process group of its own, with whatever it starts
// in turn, and that group is in the watchdog's care (ServerWatchdog).
// Should the test process be killed or crash before it stops them, the
// watchdog ends the whole group.
class E2EProcessGroup {
public:
    // Starts the program in its own group, runs alsoInChild in the child
    // before it starts (async-signal-safe calls only), and puts the group
    // in the watchdog's care. Returns the group (the process id), or 0
    // when the program did not start or no watchdog could take it (it is
    // then stopped again).
    static pid_t start(QProcess& process, const QString& program, const QStringList& arguments, int timeoutMs,
                       const std::function<void()>& alsoInChild = {});
    // Ends every process still in the group and takes it out of the
    // watchdog's care. Call once its leader has ended or been stopped.
    static void end(pid_t group);
};
