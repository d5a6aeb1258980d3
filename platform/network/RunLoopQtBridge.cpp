#include "RunLoopQtBridge.h"

#include "RunLoop.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>

namespace platform {

void RunLoopQtBridge::install()
{
    auto* app = QCoreApplication::instance();
    if (!app || app->findChild<RunLoopQtBridge*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new RunLoopQtBridge(RunLoop::main(), RunLoop::defaultMode, app);
}

RunLoopQtBridge::RunLoopQtBridge(RunLoop& loop, const QString& mode, QObject* parent)
    : QObject(parent)
    , m_loop(loop)
    , m_mode(mode)
    , m_notifier(new QSocketNotifier(loop.modeDescriptor(mode), QSocketNotifier::Read, this))
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_notifier, &QSocketNotifier::activated, this, &RunLoopQtBridge::serve);
    connect(m_timer, &QTimer::timeout, this, &RunLoopQtBridge::serve);
    armTimer();
}

void RunLoopQtBridge::serve()
{
    // One pass over what is ready now; Qt calls again when more is.
    m_loop.runMode(m_mode, std::chrono::milliseconds(0), false);
    armTimer();
}

void RunLoopQtBridge::armTimer()
{
    if (auto next = m_loop.timeToNextTimer(m_mode))
        m_timer->start(int(std::chrono::ceil<std::chrono::milliseconds>(*next).count()));
    else
        m_timer->stop();
}

} // namespace platform
