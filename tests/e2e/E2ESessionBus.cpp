#include "E2ESessionBus.h"

#include "E2EProcessGroup.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>

#include <iostream>

#include <csignal>
#include <unistd.h>

namespace {

// A session bus of our own: it listens in the private folder only and
// activates no services, so nothing starts behind the harness's back.
QByteArray configuration(const QString& folder)
{
    return QStringLiteral(
               "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
               " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
               "<busconfig>\n"
               "  <type>session</type>\n"
               "  <listen>unix:dir=%1</listen>\n"
               "  <auth>EXTERNAL</auth>\n"
               "  <policy context=\"default\">\n"
               "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
               "    <allow eavesdrop=\"true\"/>\n"
               "    <allow own=\"*\"/>\n"
               "  </policy>\n"
               "</busconfig>\n")
        .arg(folder)
        .toUtf8();
}

QString launcherPath()
{
    for (const char* path : {"/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher"}) {
        if (QFileInfo(QString::fromLatin1(path)).isExecutable())
            return QString::fromLatin1(path);
    }
    return {};
}

// Whether a process of the group still runs (one that has ended but is not
// yet reaped by its parent counts as gone).
bool groupExists(qint64 group)
{
    if (group <= 0 || ::kill(pid_t(-group), 0) != 0)
        return false;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool number = false;
        entry.toLongLong(&number);
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state parent group ...": the name may hold spaces.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 1).simplified().split(' ');
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z")
            return true;
    }
    return false;
}

} // namespace

E2ESessionBus::E2ESessionBus(const QString& folder)
    : m_folder(folder)
{
}

E2ESessionBus::~E2ESessionBus()
{
    stop();
}

bool E2ESessionBus::isRunning() const
{
    return m_daemon && m_daemon->state() == QProcess::Running && m_launcher &&
           m_launcher->state() == QProcess::Running && !m_accessibilityAddress.isEmpty();
}

bool E2ESessionBus::start(const QString& display, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    if (!startDaemon(timeoutMs)) {
        std::cerr << "The private session bus did not start (dbus-daemon)." << std::endl;
        stop();
        return false;
    }
    if (!startLauncher(display, int(std::max<qint64>(timeoutMs - timer.elapsed(), 1000)))) {
        std::cerr << "The accessibility bus did not start (at-spi-bus-launcher)." << std::endl;
        stop();
        return false;
    }
    return true;
}

bool E2ESessionBus::startDaemon(int timeoutMs)
{
    QDir().mkpath(m_folder);
    const QString configFile = m_folder + QStringLiteral("/session.conf");
    QFile file(configFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(configuration(m_folder)) < 0)
        return false;
    file.close();

    m_daemon = std::make_unique<QProcess>();
    m_daemon->setStandardErrorFile(m_folder + QStringLiteral("/dbus-daemon.log"));
    m_daemonGroup = E2EProcessGroup::start(*m_daemon, QStringLiteral("dbus-daemon"),
                                           {QStringLiteral("--nofork"), QStringLiteral("--config-file=") + configFile,
                                            QStringLiteral("--print-address=1")},
                                           timeoutMs);
    if (m_daemonGroup == 0)
        return false;
    // The daemon prints its address once it listens.
    QElapsedTimer timer;
    timer.start();
    QByteArray line;
    while (!line.contains('\n') && timer.elapsed() < timeoutMs && m_daemon->state() == QProcess::Running) {
        if (m_daemon->waitForReadyRead(int(std::max<qint64>(timeoutMs - timer.elapsed(), 1))))
            line += m_daemon->readAllStandardOutput();
    }
    m_address = QString::fromUtf8(line).trimmed();
    return line.contains('\n') && !m_address.isEmpty();
}

bool E2ESessionBus::startLauncher(const QString& display, int timeoutMs)
{
    const QString launcher = launcherPath();
    if (launcher.isEmpty())
        return false;
    m_launcher = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    env.insert(QStringLiteral("DISPLAY"), display);
    // The accessibility bus's socket goes to the private folder too.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_folder);
    env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    m_launcher->setProcessEnvironment(env);
    m_launcher->setStandardOutputFile(QProcess::nullDevice());
    m_launcher->setStandardErrorFile(m_folder + QStringLiteral("/at-spi-bus-launcher.log"));
    // Its own process group: the accessibility bus and the registry it
    // starts are stopped with it.
    m_launcherGroup = E2EProcessGroup::start(*m_launcher, launcher, {QStringLiteral("--launch-immediately")}, timeoutMs);
    if (m_launcherGroup == 0)
        return false;
    m_accessibilityAddress = askAccessibilityAddress(timeoutMs);
    return !m_accessibilityAddress.isEmpty();
}

QString E2ESessionBus::askAccessibilityAddress(int timeoutMs)
{
    m_connectionName = QStringLiteral("velumo-e2e-session-%1").arg(quintptr(this));
    QString address;
    QElapsedTimer timer;
    timer.start();
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_connectionName);
        const QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                                QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
        // The launcher takes its name on the bus a moment after it starts.
        while (bus.isConnected() && timer.elapsed() < timeoutMs && m_launcher->state() == QProcess::Running) {
            const QDBusMessage reply = bus.call(ask, QDBus::Block, int(std::max<qint64>(timeoutMs - timer.elapsed(), 1)));
            if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
                address = reply.arguments().constFirst().toString();
                break;
            }
            QThread::msleep(50);
        }
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
    return address;
}

void E2ESessionBus::stop()
{
    if (m_launcher && m_launcher->state() != QProcess::NotRunning) {
        if (m_launcherGroup > 0)
            ::kill(-m_launcherGroup, SIGTERM);
        if (!m_launcher->waitForFinished(5000))
            m_launcher->kill();
        m_launcher->waitForFinished(5000);
    }
    // The bus and the registry leave with the launcher's group; any that
    // lingers is made to.
    QElapsedTimer timer;
    timer.start();
    while (groupExists(m_launcherGroup) && timer.elapsed() < 5000)
        QThread::msleep(20);
    E2EProcessGroup::end(pid_t(m_launcherGroup));
    m_launcherGroup = 0;
    m_launcher.reset();
    if (m_daemon && m_daemon->state() != QProcess::NotRunning) {
        m_daemon->terminate();
        if (!m_daemon->waitForFinished(5000))
            m_daemon->kill();
        m_daemon->waitForFinished(5000);
    }
    E2EProcessGroup::end(m_daemonGroup);
    m_daemonGroup = 0;
    m_daemon.reset();
    m_address.clear();
    m_accessibilityAddress.clear();
}
