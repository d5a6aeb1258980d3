#pragma once

#include "CHMyAppsViewController.h"

#include "platform/appkit/Popover.h"
#include "platform/appkit/PopoverDelegate.h"

#include <QPointer>
#include <QRectF>

class QWidget;

// Shows the my-apps list in a transient popover. Every showing builds a new
// popover and controller, which download the list anew; both go when the
// popover has closed. One instance per process.
class CHMyAppsViewManager : public platform::PopoverDelegate {
public:
    static CHMyAppsViewManager* sharedCHMyAppsViewManager();
    // A second instance is refused: logs and yields null.
    static CHMyAppsViewManager* alloc();

    void createPopover();
    void showPopoverRelativeToRect(const QRectF& rect, QWidget* view, platform::Popover::Edge preferredEdge);

    void popoverWillShow(platform::Popover& popover) override;
    void popoverDidShow(platform::Popover& popover) override;
    void popoverWillClose(platform::Popover& popover) override;
    void popoverDidClose(platform::Popover& popover) override;

    platform::Popover* myAppsPopover() const { return m_myAppsPopover; }
    CHMyAppsViewController* myAppsViewController() const { return m_myAppsViewController; }

private:
    CHMyAppsViewManager() = default;
    // Never freed.
    ~CHMyAppsViewManager() override = default;
    // The popover owns the controller (its content); both are dropped
    // together once it has closed.
    QPointer<platform::Popover> m_myAppsPopover;
    QPointer<CHMyAppsViewController> m_myAppsViewController;
};
