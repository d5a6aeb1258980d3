// The servers the network tests start end with the test process that
// started them, however it ends. Judged from the process table (/proc),
// not from anything the servers' owner keeps.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <map>
#include <vector>

#include <sys/types.h>

namespace {

struct ProcessEntry {
    pid_t pid = 0;
    pid_t parent = 0;
    QByteArray name;
    char state = '?';
    QByteArray startTime;
};

// One process as /proc/PID/stat describes it; pid 0 when it is gone.
ProcessEntry readEntry(pid_t pid)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray stat = file.readAll();
    // "pid (name) state ppid ...": the name may hold blanks and brackets.
    const qsizetype open = stat.indexOf('(');
    const qsizetype close = stat.lastIndexOf(')');
    if (open < 0 || close < open)
        return {};
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 20)
        return {};
    ProcessEntry entry;
    entry.pid = pid;
    entry.name = stat.mid(open + 1, close - open - 1);
    entry.state = fields[0].isEmpty() ? '?' : fields[0][0];
    entry.parent = pid_t(fields[1].toInt());
    entry.startTime = fields[19]; // the 22nd field of the line
    return entry;
}

// Every process below root, root excluded.
std::vector<ProcessEntry> descendantsOf(pid_t root)
{
    std::multimap<pid_t, ProcessEntry> byParent;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = pid_t(name.toInt(&number));
        if (!number)
            continue;
        const ProcessEntry entry = readEntry(pid);
        if (entry.pid)
            byParent.emplace(entry.parent, entry);
    }
    std::vector<ProcessEntry> found;
    std::vector<pid_t> parents{root};
    while (!parents.empty()) {
        const pid_t parent = parents.back();
        parents.pop_back();
        const auto [first, last] = byParent.equal_range(parent);
        for (auto it = first; it != last; ++it) {
            found.push_back(it->second);
            parents.push_back(it->second.pid);
        }
    }
    return found;
}

// Whether that very process (not a later one with its number) still runs.
bool stillRuns(const ProcessEntry& process)
{
    const ProcessEntry now = readEntry(process.pid);
    return now.pid && now.startTime == process.startTime && now.state != 'Z' && now.state != 'X';
}

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

QString describe(const std::vector<ProcessEntry>& processes)
{
    QStringList names;
    for (const ProcessEntry& process : processes)
        names << QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(process.name)).arg(process.pid);
    return names.join(QStringLiteral(", "));
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

        const std::vector<ProcessEntry> started = descendantsOf(probePid);
        QList<QByteArray> names;
        for (const ProcessEntry& process : started)
            names << process.name;
        for (const char* server : {"nginx", "squid", "danted"})
            EXPECT_TRUE(names.contains(server)) << server << " among " << describe(started).toStdString();
        // Squid's authentication helpers run below it.
        EXPECT_GT(started.size(), size_t(4)) << describe(started).toStdString();

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

        std::vector<ProcessEntry> survivors;
        const bool allEnded = waitUntil(
            [&] {
                survivors.clear();
                for (const ProcessEntry& process : started) {
                    if (stillRuns(process))
                        survivors.push_back(process);
                }
                return survivors.empty();
            },
            kDeadlineMs);
        EXPECT_TRUE(allEnded) << "still running: " << describe(survivors).toStdString();
        // Whatever this test found still running goes now, so a failure
        // leaves nothing behind either.
        for (const ProcessEntry& process : survivors)
            ::kill(process.pid, SIGKILL);
    }
}
