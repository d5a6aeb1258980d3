#include "CHMyAppsViewManager.h"

#include "CHMyAppsViewController.h"
#include "CHSingletonSlot.h"

#include "platform/foundation/ExceptionGuard.h"

CHMyAppsViewManager* CHMyAppsViewManager::sharedCHMyAppsViewManager()
{
    return CHSingletonSlot<CHMyAppsViewManager>::shared([] { return new CHMyAppsViewManager; });
}

CHMyAppsViewManager* CHMyAppsViewManager::alloc()
{
    return CHSingletonSlot<CHMyAppsViewManager>::allocate([] { return new CHMyAppsViewManager; });
}

void CHMyAppsViewManager::createPopover()
{
    if (m_myAppsPopover)
        return;
    auto* popover = new platform::Popover;
    if (!m_myAppsViewController)
        m_myAppsViewController = new CHMyAppsViewController;
    popover->setContentViewController(m_myAppsViewController);
    popover->setAnimates(true);
    popover->setBehavior(platform::Popover::Transient);
    popover->setDelegate(this);
    m_myAppsPopover = popover;
}

void CHMyAppsViewManager::showPopoverRelativeToRect(const QRectF& rect, QWidget* view,
                                                    platform::Popover::Edge preferredEdge)
{
    createPopover();
    m_myAppsPopover->showRelativeToRect(rect, view, preferredEdge);
}

void CHMyAppsViewManager::popoverWillShow(platform::Popover&)
{
    if (m_myAppsViewController)
        m_myAppsViewController->viewWillAppear();
}

void CHMyAppsViewManager::popoverDidShow(platform::Popover&)
{
    if (m_myAppsViewController)
        m_myAppsViewController->viewDidAppear();
}

void CHMyAppsViewManager::popoverWillClose(platform::Popover&)
{
    if (m_myAppsViewController)
        m_myAppsViewController->viewWillDisappear();
}

void CHMyAppsViewManager::popoverDidClose(platform::Popover& popover)
{
    if (m_myAppsViewController)
        m_myAppsViewController->viewDidDisappear();
    popover.setDelegate(nullptr);
    popover.deleteLater();
    m_myAppsPopover = nullptr;
    m_myAppsViewController = nullptr;
}
