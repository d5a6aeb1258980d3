#pragma once

#include <QWidget>

class MyPushAdViewController;

// The floating window an ad shows in when it is not a banner: its content
// is one controller's box, its title follows that controller's title.
// Closing it hides it (it is shown again later) and is announced first by
// "NSWindowWillCloseNotification" with the window as sender.
class MyPushAdPopupWindow : public QWidget {
    Q_OBJECT
public:
    static QString willCloseNotificationName(); // "NSWindowWillCloseNotification"

    static MyPushAdPopupWindow* windowWithContentViewController(MyPushAdViewController* controller);
    // Floating windows stay above the program's other windows.
    static constexpr int kFloatingWindowLevel = 3;
    void setLevel(int level);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MyPushAdPopupWindow();
};
