// Starts what an end-to-end test starts (a display server, the session and
// accessibility buses, the program showing its window) and then ends
// abruptly, for the test that none of it outlives the test process.
// Arguments: a folder and a way to end.
//
// Once the program's window shows it writes "ready" (its own process id)
// into the folder, and once "go" appears there it ends: "abort" crashes;
// with "wait" it only waits, to be killed. A probe never told to go ends
// by itself after ten minutes.
#include "E2EHarness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray ending = argv[2];
    E2EHarness harness;
    if (!harness.launch()) {
        std::fprintf(stderr, "The program could not be started.\n");
        return 3;
    }
    if (harness.waitForWindow().isEmpty()) {
        std::fprintf(stderr, "The program showed no window.\n");
        return 4;
    }
    QFile ready(folder + QStringLiteral("/ready"));
    if (!ready.open(QIODevice::WriteOnly) || ready.write(QByteArray::number(qint64(::getpid()))) <= 0)
        return 5;
    ready.close();

    const QDeadlineTimer lifetime(10 * 60 * 1000);
    while (!QFile::exists(folder + QStringLiteral("/go")) && !lifetime.hasExpired())
        QThread::msleep(50);
    if (ending == "abort")
        std::abort();
    while (!lifetime.hasExpired())
        QThread::msleep(50);
    ::_exit(6);
}
