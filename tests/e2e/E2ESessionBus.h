#pragma once

#include <QProcess>
#include <QString>

#include <memory>

#include <sys/types.h>

// A private desktop session bus for the program under test, with the
// accessibility bus beside it: the program publishes its controls there,
// and the end-to-end tests look them up by name. Nothing is shared with the
// machine's own session: the bus activates no services, and everything it
// started is stopped with it.
class E2ESessionBus {
public:
    // folder: a private folder for the bus's configuration and sockets.
    explicit E2ESessionBus(const QString& folder);
    ~E2ESessionBus();
    E2ESessionBus(const E2ESessionBus&) = delete;
    E2ESessionBus& operator=(const E2ESessionBus&) = delete;

    // Starts the session bus and the accessibility bus launcher for the X
    // display, and waits until the launcher answers on the session bus.
    bool start(const QString& display, int timeoutMs);
    void stop();
    bool isRunning() const;

    // Addresses to give a client: DBUS_SESSION_BUS_ADDRESS and the
    // accessibility bus (empty before start succeeded).
    QString address() const { return m_address; }
    QString accessibilityAddress() const { return m_accessibilityAddress; }

private:
    bool startDaemon(int timeoutMs);
    bool startLauncher(const QString& display, int timeoutMs);
    QString askAccessibilityAddress(int timeoutMs);

    QString m_folder;
    QString m_address;
    QString m_accessibilityAddress;
    QString m_connectionName;
    std::unique_ptr<QProcess> m_daemon;
    std::unique_ptr<QProcess> m_launcher;
    // Each leads a process group of its own (see E2EProcessGroup).
    pid_t m_daemonGroup = 0;
    pid_t m_launcherGroup = 0;
};
