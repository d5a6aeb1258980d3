#include "CHPromoAppsWindowManager.h"

#include "CHPromoAppsWindowController.h"
#include "CHSingletonSlot.h"
#include "PromoAppsInfo.h"

#include "platform/foundation/ExceptionGuard.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
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

QSizeF CHPromoAppsWindowManager::boundingScreenSize(const QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QSizeF(kFallbackLimit, kFallbackLimit);
    return QSizeF(screen->availableGeometry().size().expandedTo(QSize(1, 1)));
}

void CHPromoAppsWindowManager::showWindowWithPromoAppsInfo(const PromoAppsInfo* info)
{
    platform::exceptionGuard([this, info] {
        QRectF content = info ? info->contentFrame() : QRectF();
        if (!(content.width() > 0) || !(content.height() > 0) || !m_controller)
            return;
        // The size comes from the server: one that is no number is refused,
        // and one larger than the screen shows no more, so it is cut to the
        // screen before the window (and the page behind it) takes it.
        if (!std::isfinite(content.width()) || !std::isfinite(content.height()) || !std::isfinite(content.x()) ||
            !std::isfinite(content.y()))
            return;
        QWidget* window = m_controller->window();
        QScreen* screen = window->screen();
        const QSizeF limit = boundingScreenSize(screen);
        content.setSize(content.size().boundedTo(limit));
        content.moveTo(std::clamp(content.x(), -limit.width(), limit.width()),
                       std::clamp(content.y(), -limit.height(), limit.height()));
        if (info && !info->title().isEmpty())
            window->setWindowTitle(info->title());
        // The window manager adds the frame around the content.
        const QSize size(qMax(1, qRound(content.width())), qMax(1, qRound(content.height())));
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
