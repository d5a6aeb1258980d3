#include "MyPushAdPopupWindow.h"

#include "MyPushAdBoxView.h"
#include "MyPushAdViewController.h"

#include "platform/foundation/NotificationCenter.h"

#include <QCloseEvent>
#include <QGridLayout>

QString MyPushAdPopupWindow::willCloseNotificationName()
{
    return QStringLiteral("NSWindowWillCloseNotification");
}

MyPushAdPopupWindow::MyPushAdPopupWindow()
    : QWidget(nullptr, Qt::Window)
{
    setAccessibleName(QStringLiteral("Ad window"));
}

MyPushAdPopupWindow* MyPushAdPopupWindow::windowWithContentViewController(MyPushAdViewController* controller)
{
    auto* window = new MyPushAdPopupWindow;
    auto* layout = new QGridLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    if (controller) {
        if (MyPushAdBoxView* box = controller->view()) {
            window->resize(box->size());
            layout->addWidget(box, 0, 0);
        }
        window->setWindowTitle(controller->title());
        connect(controller, &MyPushAdViewController::titleChanged, window, &QWidget::setWindowTitle);
    }
    return window;
}

void MyPushAdPopupWindow::setLevel(int level)
{
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, level >= kFloatingWindowLevel);
    if (wasVisible)
        show(); // changing the flags hid it
}

void MyPushAdPopupWindow::closeEvent(QCloseEvent* event)
{
    platform::NotificationCenter::defaultCenter().post(willCloseNotificationName(), this);
    QWidget::closeEvent(event);
}
