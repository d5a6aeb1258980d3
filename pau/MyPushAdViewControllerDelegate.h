#pragma once

class MyPushAdViewController;

// Told when the user clicks the page's close element.
class MyPushAdViewControllerDelegate {
public:
    virtual ~MyPushAdViewControllerDelegate() = default;
    virtual void pushAdViewControllerCloseButtonDidClick(MyPushAdViewController* controller) = 0;
};
