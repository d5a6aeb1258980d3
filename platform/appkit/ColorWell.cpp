#include "ColorWell.h"

#include "ColorPanel.h"

#include <QList>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace platform {

namespace {
QList<QPointer<ColorWell>>& activeWells()
{
    static QList<QPointer<ColorWell>> wells;
    return wells;
}
} // namespace

ColorWell::ColorWell(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

ColorWell::~ColorWell()
{
    QObject::disconnect(m_panelConnection);
    activeWells().removeAll(QPointer<ColorWell>(this));
}

void ColorWell::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void ColorWell::activate(bool exclusive)
{
    if (exclusive) {
        // Copied: a deactivation may change the list.
        const QList<QPointer<ColorWell>> others = activeWells();
        for (const QPointer<ColorWell>& other : others) {
            if (other && other != this)
                other->deactivate();
        }
    }
    if (m_active)
        return;
    m_active = true;
    activeWells().append(this);
    ColorPanel& panel = ColorPanel::shared();
    panel.setColor(m_color);
    m_panelConnection = connect(&panel, &ColorPanel::colorChanged, this, [this](const QColor& picked) {
        if (m_active)
            setColor(picked);
    });
    panel.orderFront();
    update();
}

void ColorWell::deactivate()
{
    if (!m_active)
        return;
    m_active = false;
    QObject::disconnect(m_panelConnection);
    activeWells().removeAll(QPointer<ColorWell>(this));
    update();
}

void ColorWell::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(m_active ? QColor(0x3b, 0x99, 0xfc) : QColor(Qt::gray));
    p.setBrush(m_color);
    p.drawRect(r.adjusted(3, 3, -3, -3));
}

void ColorWell::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton && isEnabled();
    event->accept();
}

void ColorWell::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    if (!rect().contains(event->position().toPoint()))
        return;
    if (m_active)
        deactivate();
    else
        activate(true);
}

} // namespace platform
