#include "E2EProcessGroup.h"

#include "ServerWatchdog.h"

#include <QProcess>

#include <iostream>

#include <csignal>
#include <unistd.h>

pid_t E2EProcessGroup::start(QProcess& process, const QString& program, const QStringList& arguments, int timeoutMs,
                             const std::function<void()>& alsoInChild)
{
    process.setChildProcessModifier([alsoInChild] {
        ::setpgid(0, 0);
        if (alsoInChild)
            alsoInChild();
    });
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return 0;
    const pid_t group = pid_t(process.processId());
    if (!ServerWatchdog::shared().watch(group)) {
        std::cerr << "No watchdog could be started to stop " << program.toStdString()
                  << " should the test process end abruptly; it is not run." << std::endl;
        ::kill(-group, SIGKILL);
        process.waitForFinished(5000);
        return 0;
    }
    return group;
}

void E2EProcessGroup::end(pid_t group)
{
    if (group <= 0)
        return;
    ::kill(-group, SIGKILL);
    ServerWatchdog::shared().forget(group);
}
