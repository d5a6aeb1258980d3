#include "KZTexturalView.h"

#include "KZTexturalSkin.h"

#include "platform/appkit/ViewIdentifier.h"

#include <QPainter>

KZTexturalView::KZTexturalView(QWidget* parent)
    : QWidget(parent)
{
}

KZTexturalView::KZTexturalView(const QString& identifier, QWidget* parent)
    : QWidget(parent)
{
    setIdentifier(identifier);
}

KZTexturalView::~KZTexturalView() = default;

QString KZTexturalView::identifier() const
{
    return platform::ViewIdentifier::identifier(this);
}

void KZTexturalView::setIdentifier(const QString& identifier)
{
    platform::ViewIdentifier::setIdentifier(this, identifier);
}

KZMultiStateTexture* KZTexturalView::texturalSkin()
{
    if (!m_texture && !identifier().isEmpty())
        m_texture = std::make_unique<KZTexturalSkin>(identifier(), KZEdgeInsets::automatic());
    return m_texture.get();
}

void KZTexturalView::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    update();
}

void KZTexturalView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_backgroundColor.isValid())
        painter.fillRect(rect(), m_backgroundColor);
    if (KZMultiStateTexture* skin = texturalSkin())
        skin->drawWithFrame(painter, QRectF(rect()), this);
}
