#include "MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace platform {

bool MainThread::isCurrent()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void MainThread::perform(std::function<void()> work, bool wait)
{
    auto* app = QCoreApplication::instance();
    if (!app || (wait && isCurrent())) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(work), wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

} // namespace platform
