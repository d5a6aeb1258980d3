#include "WindowUpdater.h"

#include "Updatable.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace platform {

WindowUpdater& WindowUpdater::shared()
{
    static WindowUpdater* updater = new WindowUpdater;
    return *updater;
}

void WindowUpdater::start()
{
    if (m_started || !qApp)
        return;
    qApp->installEventFilter(this);
    m_started = true;
}

QWidget* WindowUpdater::mainWindow()
{
    QWidget* window = QApplication::activeWindow();
    // A panel or dialog does not take the main role from the window it
    // belongs to.
    while (window && !dynamic_cast<Updatable*>(window) && window->parentWidget())
        window = window->parentWidget()->window();
    return window;
}

void WindowUpdater::updateMainWindow()
{
    m_scheduled = false;
    if (auto* updatable = dynamic_cast<Updatable*>(mainWindow()))
        updatable->performUpdate();
}

bool WindowUpdater::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::WindowActivate:
        if (!m_scheduled && watched->isWidgetType()) {
            m_scheduled = true;
            QTimer::singleShot(0, this, [this] { updateMainWindow(); });
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
