// Starts the network tests' servers (nginx, squid with its helpers, dante)
// as a test binary does, then ends abruptly, for the test that shows the
// servers end with it. Arguments: a folder and a way to end.
//
// Once every server answers it writes "ready" (its own process id) into
// the folder, and once "go" appears there it ends: "abort" crashes,
// "exit" leaves without any clean-up; with "wait" it only waits, to be
// killed. A probe never told to go ends by itself after ten minutes.
#include "LocalServers.h"

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
    for (const QString& problem :
         {LocalServers::shared().startNginx(), LocalServers::shared().startSquid(), LocalServers::shared().startDante()}) {
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(problem));
            return 3;
        }
    }
    QFile ready(folder + QStringLiteral("/ready"));
    if (!ready.open(QIODevice::WriteOnly) || ready.write(QByteArray::number(qint64(::getpid()))) <= 0)
        return 4;
    ready.close();

    const QDeadlineTimer lifetime(10 * 60 * 1000);
    while (!QFile::exists(folder + QStringLiteral("/go")) && !lifetime.hasExpired())
        QThread::msleep(50);
    if (ending == "abort")
        std::abort();
    if (ending == "exit")
        ::_exit(5);
    while (!lifetime.hasExpired())
        QThread::msleep(50);
    ::_exit(6);
}
