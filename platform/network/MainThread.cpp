#include "MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <exception>

namespace platform {

bool MainThread::isCurrent()
{
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void MainThread::perform(std::function<void()> work, bool wait)
{
    // A callback's exception ends with the callback: on the main thread it
    // would otherwise leave through the event loop and end the process.
    work = [inner = std::move(work)] {
        try {
            inner();
        } catch (const std::exception& e) {
            qWarning("An exception left a main-thread callback: %s", e.what());
        } catch (...) {
            qWarning("An exception left a main-thread callback");
        }
    };
    auto* app = QCoreApplication::instance();
    if (!app || (wait && isCurrent())) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, std::move(work), wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

} // namespace platform
