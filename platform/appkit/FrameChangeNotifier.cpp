#include "FrameChangeNotifier.h"

#include "platform/foundation/NotificationCenter.h"

#include <QEvent>
#include <QWidget>

namespace platform {

const QString& FrameChangeNotifier::notificationName()
{
    static const QString name = QStringLiteral("NSViewFrameDidChangeNotification");
    return name;
}

FrameChangeNotifier::FrameChangeNotifier(QWidget* view)
    : QObject(view)
{
    view->installEventFilter(this);
}

void FrameChangeNotifier::setPostsFrameChangedNotifications(QWidget* view, bool posts)
{
    if (!view)
        return;
    auto* notifier = view->findChild<FrameChangeNotifier*>(QString(), Qt::FindDirectChildrenOnly);
    if (posts && !notifier)
        new FrameChangeNotifier(view);
    else if (!posts && notifier)
        delete notifier;
}

bool FrameChangeNotifier::postsFrameChangedNotifications(const QWidget* view)
{
    return view && view->findChild<FrameChangeNotifier*>(QString(), Qt::FindDirectChildrenOnly);
}

bool FrameChangeNotifier::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        NotificationCenter::defaultCenter().post(notificationName(), watched);
    return QObject::eventFilter(watched, event);
}

} // namespace platform
