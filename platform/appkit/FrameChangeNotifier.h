#pragma once

#include <QObject>

class QWidget;

namespace platform {

// Makes a view post "NSViewFrameDidChangeNotification" (sender: the view)
// through the default notification centre whenever its position or size
// changes. A hidden view's changes are posted when it is shown, since Qt
// settles geometry events then.
class FrameChangeNotifier : public QObject {
    Q_OBJECT
public:
    static const QString& notificationName();

    static void setPostsFrameChangedNotifications(QWidget* view, bool posts);
    static bool postsFrameChangedNotifications(const QWidget* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit FrameChangeNotifier(QWidget* view);
};

} // namespace platform
