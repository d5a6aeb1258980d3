#include "KZDabBrushListButton.h"

#include "KZDabBrushListButtonDelegate.h"

#include <QPainter>
#include <QPalette>

KZDabBrushListButton::KZDabBrushListButton(const QString& identifier, int customControlType, QWidget* parent)
    : QToolButton(parent)
    , m_identifier(identifier)
    , m_customControlType(customControlType)
{
    setObjectName(identifier);
    setCheckable(true);
    setAutoRaise(false);
    setFocusPolicy(Qt::NoFocus);
}

KZDabBrushListButton::~KZDabBrushListButton()
{
    m_delegate = nullptr;
}

void KZDabBrushListButton::setSelected(bool selected)
{
    setChecked(selected);
    update();
}

void KZDabBrushListButton::setActive(bool active)
{
    m_active = active;
    update();
}

void KZDabBrushListButton::setOriginalImage(const QImage& image)
{
    m_originalImage = image;
    // The icon is the preview's own copy in the canvas pixel layout, so a
    // preview of any format draws the same way.
    m_iconImage = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    update();
}

void KZDabBrushListButton::setIconImage(const QImage& image)
{
    m_iconImage = image;
    update();
}

void KZDabBrushListButton::notifyContainerSelectStateChanged()
{
    if (!m_delegate)
        return;
    if (isSelected())
        m_delegate->dabBrushListButtonDidSelected(this);
    else
        m_delegate->dabBrushListButtonDidUnSelected(this);
}

void KZDabBrushListButton::paintEvent(QPaintEvent* event)
{
    QToolButton::paintEvent(event);
    QPainter painter(this);
    if (isSelected() && m_active) {
        // The selected state's face: a frame in the highlight colour.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    if (!m_iconImage.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRectF(rect().adjusted(kIconInset, kIconInset, -kIconInset, -kIconInset)), m_iconImage);
    }
}
