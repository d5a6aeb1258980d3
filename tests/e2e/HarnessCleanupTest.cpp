// What the harness starts for a test (display server, buses, the program)
// ends with the test process however that ends, also when it is killed
// before its destructors run. Judged from the process table.
#include "E2EHarness.h"
#include "ProcessTable.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

TEST(Harness, ItsDaemonsAndTheProgramEndWithTheTestProcessHoweverItEnds)
{
    struct Case {
        const char* ending;
        bool killed; // from outside; else the probe crashes itself
    };
    for (const Case& c : {Case{"kill", true}, Case{"abort", false}}) {
        SCOPED_TRACE(c.ending);
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        QProcess probe;
        probe.setProcessChannelMode(QProcess::ForwardedChannels);
        probe.start(QStringLiteral(VELUMO_E2E_HARNESS_PROBE), {folder.path(), QString::fromLatin1(c.killed ? "wait" : c.ending)});
        ASSERT_TRUE(probe.waitForStarted(E2EHarness::kDeadlineMs));
        const pid_t probePid = pid_t(probe.processId());
        const QString readyFile = folder.filePath(QStringLiteral("ready"));
        E2EHarness::waitUntil([&] { return QFile::exists(readyFile) || probe.waitForFinished(0); });
        ASSERT_TRUE(QFile::exists(readyFile)) << "the probe's program showed no window";

        const std::vector<ProcessTable::Entry> started = ProcessTable::descendantsOf(probePid);
        QList<QByteArray> names;
        for (const ProcessTable::Entry& process : started)
            names << process.name;
        // The kernel keeps the first 15 characters of a name.
        for (const char* daemon : {"Xvfb", "dbus-daemon", "at-spi-bus-laun", "velumo"})
            EXPECT_TRUE(names.contains(daemon)) << daemon << " among " << ProcessTable::describe(started).toStdString();

        if (c.killed) {
            ::kill(probePid, SIGKILL);
        } else {
            QFile go(folder.filePath(QStringLiteral("go")));
            ASSERT_TRUE(go.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(probe.waitForFinished(E2EHarness::kDeadlineMs));
        EXPECT_EQ(probe.exitStatus(), QProcess::CrashExit);

        std::vector<ProcessTable::Entry> survivors;
        const bool allEnded = E2EHarness::waitUntil([&] {
            survivors.clear();
            for (const ProcessTable::Entry& process : started) {
                if (ProcessTable::stillRuns(process))
                    survivors.push_back(process);
            }
            return survivors.empty();
        });
        EXPECT_TRUE(allEnded) << "still running: " << ProcessTable::describe(survivors).toStdString();
        // Whatever this test found still running goes now, so a failure
        // leaves nothing behind either.
        for (const ProcessTable::Entry& process : survivors)
            ::kill(process.pid, SIGKILL);
    }
}
