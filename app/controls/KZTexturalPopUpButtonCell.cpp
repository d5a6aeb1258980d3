#include "KZTexturalPopUpButtonCell.h"

#include "KZTexturalSkin.h"

#include <QPainter>
#include <QWidget>

KZTexturalPopUpButtonCell::KZTexturalPopUpButtonCell()
{
    m_textColor = QColor(Qt::white);
    construct();
}

KZTexturalPopUpButtonCell::~KZTexturalPopUpButtonCell() = default;

void KZTexturalPopUpButtonCell::construct()
{
    if (!m_identifier.isEmpty())
        m_skin = std::make_unique<KZTexturalSkin>(m_identifier, KZEdgeInsets::automatic());
}

std::uint64_t KZTexturalPopUpButtonCell::stateBits() const
{
    std::uint64_t bits = KZMultiStateTexture::Normal;
    if (m_hovered)
        bits |= KZMultiStateTexture::Hover;
    if (m_highlighted)
        bits |= KZMultiStateTexture::Pressed;
    if (m_state == 1)
        bits |= KZMultiStateTexture::Selected;
    return bits;
}

void KZTexturalPopUpButtonCell::drawWithFrame(QPainter& painter, const QRectF& frame, const QString& title,
                                              QWidget* view)
{
    drawBezelWithFrame(painter, frame, view);
    drawTitle(painter, title, frame, view);
}

void KZTexturalPopUpButtonCell::drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget* view)
{
    if (!m_skin)
        return;
    m_skin->changeState(stateBits());
    m_skin->drawWithFrame(painter, frame, view);
}

void KZTexturalPopUpButtonCell::drawTitle(QPainter& painter, const QString& title, const QRectF& frame, QWidget* view)
{
    if (title.isEmpty())
        return;
    painter.save();
    painter.setPen(m_textColor.value_or(view ? view->palette().color(QPalette::ButtonText) : QColor(Qt::black)));
    painter.drawText(frame, Qt::AlignCenter | Qt::TextSingleLine, title);
    painter.restore();
}
