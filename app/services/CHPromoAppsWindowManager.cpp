#include "CHPromoAppsWindowManager.h"

#include "CHPromoAppsWindowController.h"
#include "CHSingletonSlot.h"
#include "PromoAppsInfo.h"

#include "platform/foundation/ExceptionGuard.h"

#include <QScreen>
#include <QWidget>

CHPromoAppsWindowManager* CHPromoAppsWindowManager::sharedCHPromoAppsWindowManager()
{
    return CHSingletonSlot<CHPromoAppsWindowManager>::shared([] { return new CHPromoAppsWindowManager; });
}

CHPromoAppsWindowManager* CHPromoAppsWindowManager::alloc()
{
    return CHSingletonSlot<CHPromoAppsWindowManager>::allocate([] { return new CHPromoAppsWindowManager; });
}

CHPromoAppsWindowManager::CHPromoAppsWindowManager()
    : m_controller(std::make_unique<CHPromoAppsWindowController>())
{
}

void CHPromoAppsWindowManager::setPromoAppsWindowController(std::unique_ptr<CHPromoAppsWindowController> controller)
{
    m_controller = std::move(controller);
}

QRectF CHPromoAppsWindowManager::centredFrame(const QSizeF& size, const QRectF& visibleFrame)
{
    const float x = float(visibleFrame.x() + (visibleFrame.width() - size.width()) / 2);
    const float y = float(visibleFrame.y() + (visibleFrame.height() - size.height()) / 2);
    return QRectF(x, y, size.width(), size.height());
}

void CHPromoAppsWindowManager::showWindowWithPromoAppsInfo(const PromoAppsInfo* info)
{
    platform::exceptionGuard([this, info] {
        const QRectF content = info ? info->contentFrame() : QRectF();
        if (!(content.width() > 0) || !(content.height() > 0) || !m_controller)
            return;
        QWidget* window = m_controller->window();
        if (info && !info->title().isEmpty())
            window->setWindowTitle(info->title());
        // The window manager adds the frame around the content.
        const QSize size(qRound(content.width()), qRound(content.height()));
        QScreen* screen = window->screen();
        if (info && info->centered() && screen) {
            const QRectF frame = centredFrame(content.size(), screen->availableGeometry());
            window->setGeometry(QRect(QPoint(qRound(frame.x()), qRound(frame.y())), size));
        } else if (info && info->centered()) {
            window->resize(size);
        } else {
            window->setGeometry(QRect(QPoint(qRound(content.x()), qRound(content.y())), size));
        }
        m_controller->setUrl(info ? info->url() : QUrl());
        m_controller->loadUrl();
        m_controller->showWindow();
    });
}

void CHPromoAppsWindowManager::closeWindow()
{
    platform::exceptionGuard([this] {
        if (m_controller)
            m_controller->close();
    });
}
