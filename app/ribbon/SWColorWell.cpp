#include "SWColorWell.h"

#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/ImageResource.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

const QString SWColorWell::kColorSetNotification = QStringLiteral("SWColorSet");

namespace {
// The best representation for the screen (the last one loaded is the
// sharpest).
QImage bundleImage(const QString& name)
{
    const QList<QImage> images = platform::ImageResource::load(name);
    return images.isEmpty() ? QImage() : images.last();
}
} // namespace

SWColorWell::SWColorWell(QWidget* parent)
    : platform::ColorWell(parent)
    , m_hovImage(bundleImage(QStringLiteral("hoveredwell")))
    , m_pressedImage(bundleImage(QStringLiteral("pressedwell")))
{
    // Moves over the well pass on to the selector that tracks the hover.
    setMouseTracking(true);
    setAccessibleDescription(QString::asprintf("%d %d %d", color().red(), color().green(), color().blue()));
}

void SWColorWell::postColorSet()
{
    platform::NotificationCenter::defaultCenter().post(kColorSetNotification, nullptr);
}

void SWColorWell::setColor(const QColor& color)
{
    platform::ColorWell::setColor(color);
    const QColor rgb = color.toRgb();
    setAccessibleDescription(QString::asprintf("%d %d %d", rgb.red(), rgb.green(), rgb.blue()));
    postColorSet();
}

void SWColorWell::deactivate()
{
    postColorSet();
    platform::ColorWell::deactivate();
    platform::ColorPanel::shared().close();
}

void SWColorWell::passToSuperview(QMouseEvent* event)
{
    QWidget* superview = parentWidget();
    if (!superview)
        return;
    QMouseEvent passed(event->type(), mapToParent(event->position()), event->scenePosition(),
                       event->globalPosition(), event->button(), event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(superview, &passed);
}

void SWColorWell::mousePressEvent(QMouseEvent* event)
{
    postColorSet();
    platform::ColorWell::mousePressEvent(event);
    passToSuperview(event);
}

void SWColorWell::mouseReleaseEvent(QMouseEvent* event)
{
    platform::ColorWell::mouseReleaseEvent(event);
    passToSuperview(event);
    postColorSet();
}

void SWColorWell::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal inset = m_isHovered ? 3 : 4;
    QRectF r = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    const QImage& look = isActive() ? m_pressedImage : m_isHovered ? m_hovImage : QImage();
    if (!look.isNull())
        p.drawImage(QPointF(0, 0), look);
    r.translate(0.5, 0.5);
    QPainterPath path;
    path.addRoundedRect(r, 4, 4);
    p.fillPath(path, color());
    p.strokePath(path, QPen(Qt::gray, 1.0));
}
