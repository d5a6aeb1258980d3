#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include <sys/types.h>

// The machine's processes as /proc shows them, for tests that check what
// a process left running when it ended. Judged from the kernel's table,
// not from anything the processes' owner keeps.
class ProcessTable {
public:
    struct Entry {
        pid_t pid = 0;
        pid_t parent = 0;
        pid_t group = 0;
        QByteArray name;
        char state = '?';
        // Distinguishes the process from a later one given its number.
        QByteArray startTime;
    };

    // One process as /proc/PID/stat describes it; pid 0 when it is gone.
    static Entry entry(pid_t pid);
    // Every process below root (root excluded), and every other member of
    // their process groups: a daemon that left its parent for another
    // stays in the group it was started in.
    static std::vector<Entry> descendantsOf(pid_t root);
    // Whether that very process (not a later one with its number) still
    // runs; one that has ended but is not yet reaped counts as gone.
    static bool stillRuns(const Entry& process);
    // "name (pid), ..." for a failure message.
    static QString describe(const std::vector<Entry>& processes);
};
