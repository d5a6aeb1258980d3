// The servers the network tests start end with the test process that
// started them, however it ends. Judged from the process table (/proc),
// not from anything the servers' owner keeps.
#include "LocalServers.h"
#include "ProcessTable.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <set>
#include <vector>

#include <sys/types.h>

namespace {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

} // namespace

TEST(LocalServers, ServersAndTheirHelpersEndWithTheTestProcessHoweverItEnds)
{
    // Generous: the sanitizer build on a busy machine starts slowly.
    constexpr int kDeadlineMs = 120000;
    struct Case {
        const char* ending;
        QProcess::ExitStatus status;
        int code; // for a normal exit
    };
    const Case cases[] = {
        {"abort", QProcess::CrashExit, 0},
        {"exit", QProcess::NormalExit, 5}, // no destructors, no clean-up
        {"kill", QProcess::CrashExit, 0},  // killed from outside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ending);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        QProcess probe;
        probe.setProcessChannelMode(QProcess::ForwardedChannels);
        const bool killed = QByteArray(c.ending) == "kill";
        probe.start(QStringLiteral(VELUMO_SERVERS_PROBE), {folder.path(), QString::fromLatin1(killed ? "wait" : c.ending)});
        ASSERT_TRUE(probe.waitForStarted(kDeadlineMs));
        const pid_t probePid = pid_t(probe.processId());
        const bool ready = waitUntil(
            [&] { return QFile::exists(folder.filePath(QStringLiteral("ready"))) || probe.state() == QProcess::NotRunning || probe.waitForFinished(0); },
            kDeadlineMs);
        ASSERT_TRUE(ready && QFile::exists(folder.filePath(QStringLiteral("ready")))) << "the probe could not start its servers";

        const std::vector<ProcessTable::Entry> started = ProcessTable::descendantsOf(probePid);
        QList<QByteArray> names;
        for (const ProcessTable::Entry& process : started)
            names << process.name;
        for (const char* server : {"nginx", "squid", "danted"})
            EXPECT_TRUE(names.contains(server)) << server << " among " << ProcessTable::describe(started).toStdString();
        // Squid's authentication helpers run below it.
        EXPECT_GT(started.size(), size_t(4)) << ProcessTable::describe(started).toStdString();

        if (killed) {
            ::kill(probePid, SIGKILL);
        } else {
            QFile go(folder.filePath(QStringLiteral("go")));
            ASSERT_TRUE(go.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(probe.waitForFinished(kDeadlineMs));
        EXPECT_EQ(probe.exitStatus(), c.status);
        if (c.status == QProcess::NormalExit)
            EXPECT_EQ(probe.exitCode(), c.code);

        std::vector<ProcessTable::Entry> survivors;
        const bool allEnded = waitUntil(
            [&] {
                survivors.clear();
                for (const ProcessTable::Entry& process : started) {
                    if (ProcessTable::stillRuns(process))
                        survivors.push_back(process);
                }
                return survivors.empty();
            },
            kDeadlineMs);
        EXPECT_TRUE(allEnded) << "still running: " << ProcessTable::describe(survivors).toStdString();
        // Whatever this test found still running goes now, so a failure
        // leaves nothing behind either.
        for (const ProcessTable::Entry& process : survivors)
            ::kill(process.pid, SIGKILL);
    }
}

// Servers of one run, and listeners of one server, never share a port,
// although the system offers a port again once its socket is closed.
TEST(LocalServers, PortsAreHandedOutOnce)
{
    std::set<int> ports;
    for (int i = 0; i < 500; ++i) {
        const int port = LocalServers::freePort();
        ASSERT_GT(port, 0);
        EXPECT_TRUE(ports.insert(port).second) << "port " << port << " handed out twice";
    }
}
