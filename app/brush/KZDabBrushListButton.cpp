#include "KZDabBrushListButton.h"

#include "KZDabBrushListButtonDelegate.h"
#include "KZTexturalSkin.h"

#include "platform/appkit/ImageResource.h"

#include <QPainter>

KZDabBrushListButton::KZDabBrushListButton(const QString& identifier, unsigned customControlType, QWidget* parent)
    : KZTexturalButton(identifier, customControlType, parent)
    , m_selectedStateSkin(std::make_unique<KZTexturalSkin>(identifier))
{
    setObjectName(identifier);
    setFocusPolicy(Qt::NoFocus);
    m_selectedStateSkin->changeState(KZMultiStateTexture::Selected);
}

KZDabBrushListButton::~KZDabBrushListButton()
{
    m_delegate = nullptr;
}

void KZDabBrushListButton::setSelected(bool selected)
{
    setState(selected ? 1 : 0);
    update();
}

void KZDabBrushListButton::setActive(bool active)
{
    m_active = active;
    update();
}

QImage KZDabBrushListButton::originalImage() const
{
    readOriginalImageIfNeeded();
    return m_originalImage;
}

QImage KZDabBrushListButton::iconImage() const
{
    readOriginalImageIfNeeded();
    return m_iconImage;
}

void KZDabBrushListButton::keepOriginalImage(const QImage& image) const
{
    m_pendingImageFile.clear();
    m_originalImage = image;
    // The icon is the preview's own copy in one pixel layout, so a preview
    // of any format draws the same way.
    m_iconImage = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void KZDabBrushListButton::setOriginalImage(const QImage& image)
{
    keepOriginalImage(image);
    update();
}

void KZDabBrushListButton::setOriginalImageFile(const QString& path)
{
    keepOriginalImage(QImage());
    m_pendingImageFile = path;
    update();
}

void KZDabBrushListButton::readOriginalImageIfNeeded() const
{
    if (!m_pendingImageFile.isEmpty())
        keepOriginalImage(platform::ImageResource::readFile(m_pendingImageFile));
}

void KZDabBrushListButton::setIconImage(const QImage& image)
{
    readOriginalImageIfNeeded(); // a later read must not replace it
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
    KZTexturalButton::paintEvent(event);
    QPainter painter(this);
    if (isSelected() && m_active && m_selectedStateSkin)
        m_selectedStateSkin->drawWithFrame(painter, QRectF(rect()), this);
    readOriginalImageIfNeeded();
    if (!m_iconImage.isNull()) {
        // Over the face, not in place of it: the previews are strokes on a
        // transparent ground, which a plain copy would turn into a hole.
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRectF(rect().adjusted(kIconInset, kIconInset, -kIconInset, -kIconInset)), m_iconImage);
    }
}
