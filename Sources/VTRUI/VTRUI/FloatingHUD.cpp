#include "FloatingHUD.h"

#include "FloatingHUDWindowController.h"

#include "platform/foundation/SystemLog.h"

#include <QLabel>
#include <QWidget>

FloatingHUD& FloatingHUD::shared()
{
    static FloatingHUD* const instance = new FloatingHUD;
    return *instance;
}

FloatingHUD::FloatingHUD()
    : m_controller(std::make_unique<FloatingHUDWindowController>())
{
}

FloatingHUD::~FloatingHUD() = default;

void FloatingHUD::show()
{
    m_controller->showWindow();
}

void FloatingHUD::hide()
{
    m_controller->close();
}

void FloatingHUD::updateText(const QString& text)
{
    if (!m_controller->isWindowLoaded()) {
        platform::nsLog(QStringLiteral("Window is not loaded when updateText()"));
        return;
    }
    if (QLabel* label = m_controller->textLabel())
        label->setText(text);
    m_controller->sizeAllToFit();
}

void FloatingHUD::updateOrigin(const QPointF& point)
{
    if (!m_controller->isWindowLoaded()) {
        platform::nsLog(QStringLiteral("Window is not loaded when updateOrigin()"));
        return;
    }
    QWidget* window = m_controller->window();
    const QPoint bottomLeft = point.toPoint();
    window->move(bottomLeft.x(), bottomLeft.y() - window->frameGeometry().height());
}

QRectF FloatingHUD::frame()
{
    QWidget* window = m_controller->window();
    return window ? QRectF(window->frameGeometry()) : QRectF();
}
