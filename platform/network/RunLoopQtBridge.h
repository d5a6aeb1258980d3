#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;
class QTimer;

namespace platform {

class RunLoop;

// Serves one mode of the main thread's run loop from Qt's event loop, so
// that sources and timers scheduled there fire while the program sits in
// its ordinary Qt loop. A private-mode run on the main thread still serves
// only its own mode.
class RunLoopQtBridge : public QObject {
    Q_OBJECT
public:
    // Installs the bridge for the main loop's default mode, once.
    static void install();

    RunLoopQtBridge(RunLoop& loop, const QString& mode, QObject* parent = nullptr);

private:
    void serve();
    void armTimer();

    RunLoop& m_loop;
    QString m_mode;
    QSocketNotifier* m_notifier;
    QTimer* m_timer;
};

} // namespace platform
