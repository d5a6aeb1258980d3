#include "KZTexturalButtonCell.h"

#include <QPainter>

KZTexturalButtonCell::KZTexturalButtonCell()
{
    constructWithCustomControlType(std::nullopt);
    m_textColor = QColor(Qt::white);
}

KZTexturalButtonCell::~KZTexturalButtonCell() = default;

void KZTexturalButtonCell::constructWithCustomControlType(std::optional<unsigned> type)
{
    unsigned effective = Momentary;
    if (type && (*type == Momentary || *type == OnOff))
        effective = *type;
    else if (bezelStyle() == BezelTexturedSquare || bezelStyle() == BezelTexturedRounded)
        effective = OnOff;
    setCustomControlType(effective);
    createTexturalSkin();
    refreshTexturalState();
}

void KZTexturalButtonCell::createTexturalSkin()
{
    if (m_texturalSkin || identifier().isEmpty())
        return;
    m_texturalSkin = std::make_unique<KZTexturalSkin>(identifier(), KZEdgeInsets::automatic());
    m_texturalState = KZMultiStateTexture::Normal;
}

void KZTexturalButtonCell::setTexturalSkin(std::unique_ptr<KZTexturalSkin> skin)
{
    m_texturalSkin = std::move(skin);
    changeTexturalSkinState();
}

void KZTexturalButtonCell::setCustomControlType(unsigned type)
{
    m_customControlType = type;
    refreshTexturalState();
}

void KZTexturalButtonCell::refreshTexturalState()
{
    if (m_customControlType == OnOff) {
        const std::uint64_t look = state() == On ? KZMultiStateTexture::Selected : KZMultiStateTexture::Normal;
        m_texturalState = (m_texturalState & ~std::uint64_t(KZMultiStateTexture::Normal | KZMultiStateTexture::Selected))
            | look;
    }
    changeTexturalSkinState();
}

void KZTexturalButtonCell::changeTexturalSkinState()
{
    if (!m_texturalSkin)
        return;
    const std::uint64_t withheld = KZMultiStateTexture::Hover | KZMultiStateTexture::Pressed;
    m_texturalSkin->changeState(isEnabled() ? m_texturalState : m_texturalState & ~withheld);
}

void KZTexturalButtonCell::resetHighlightedState()
{
    m_texturalState &= ~std::uint64_t(KZMultiStateTexture::Hover);
    refreshTexturalState();
}

void KZTexturalButtonCell::setState(int state)
{
    ButtonCell::setState(state);
    refreshTexturalState();
}

void KZTexturalButtonCell::setEnabled(bool enabled)
{
    ButtonCell::setEnabled(enabled);
    // The skin follows at once, so a button disabled under the mouse drops
    // its hover look without waiting for the mouse to move.
    changeTexturalSkinState();
}

void KZTexturalButtonCell::setBit(std::uint64_t bit, bool on)
{
    if (on)
        m_texturalState |= bit;
    else
        m_texturalState &= ~bit;
    changeTexturalSkinState();
}

void KZTexturalButtonCell::customControlDrawWithFrame(QWidget* control, QPainter& painter, const QRectF& frame,
                                                      const QVariantMap&)
{
    drawBezelWithFrame(painter, frame, control);
}

void KZTexturalButtonCell::customControlMouseDown(QWidget*, QEvent*, const QVariantMap&)
{
    setBit(KZMultiStateTexture::Pressed, true);
}

void KZTexturalButtonCell::customControlMouseUp(QWidget*, QEvent*, const QVariantMap&)
{
    setBit(KZMultiStateTexture::Pressed, false);
}

void KZTexturalButtonCell::customControlMouseEntered(QWidget*, QEvent*, const QVariantMap&)
{
    setBit(KZMultiStateTexture::Hover, true);
}

void KZTexturalButtonCell::customControlMouseExited(QWidget*, QEvent*, const QVariantMap&)
{
    setBit(KZMultiStateTexture::Hover, false);
}

void KZTexturalButtonCell::drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view)
{
    drawBezelWithFrame(painter, frame, view);
    drawInteriorWithFrame(painter, frame, view);
}

void KZTexturalButtonCell::drawBezelWithFrame(QPainter& painter, const QRectF& frame, QWidget* view)
{
    if (m_texturalSkin)
        m_texturalSkin->drawWithFrame(painter, frame, view);
}

void KZTexturalButtonCell::drawImage(QPainter& painter, const QImage& image, const QRectF& frame, QWidget* view)
{
    QImage drawn = image;
    if (m_customControlType == OnOff)
        drawn = state() == On && !alternateImage().isNull() ? alternateImage() : this->image();
    ButtonCell::drawImage(painter, drawn, frame, view);
}

QRectF KZTexturalButtonCell::drawTitle(QPainter& painter, const AttributedTitle& title, const QRectF& frame,
                                       QWidget* view)
{
    if (title.text.isEmpty())
        return ButtonCell::drawTitle(painter, title, frame, view);
    AttributedTitle coloured = title;
    if (m_textColor)
        coloured.color = m_textColor;
    if (font())
        coloured.font = font();
    return ButtonCell::drawTitle(painter, coloured, frame, view);
}
