#include "StretchableSelectButton.h"

#include "Debug.h"
#include "ImageExtensions.h"

#include <QPainter>

namespace {
const QString kRecompose = QStringLiteral("recomposeButtonImages()");
}

StretchableSelectButton::StretchableSelectButton(QWidget* parent)
    : PressableSelectButton(parent)
{
    customInit();
}

StretchableSelectButton::~StretchableSelectButton() = default;

void StretchableSelectButton::customInit()
{
    setImageScaling(ScaleAxesIndependently);
}

void StretchableSelectButton::recomposeButtonImages()
{
    const std::optional<QString> name = iconTemplateImageName();
    const VTRImage named = name ? VTRImage::named(*name) : VTRImage();
    if (named.isNull()) {
        setImage({});
        setAlternateImage({});
        return;
    }
    const QSizeF frame = QSizeF(size());
    if (!(frame.width() > 0.0 && frame.height() > 0.0)) {
        setImage(named);
        setAlternateImage({});
        return;
    }

    QImage stretchedPixels(frame.toSize(), QImage::Format_RGBA8888_Premultiplied);
    stretchedPixels.fill(Qt::transparent);
    {
        QPainter painter(&stretchedPixels);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        named.draw(painter, QRectF(QPointF(0, 0), frame));
    }
    VTRImage stretched(stretchedPixels);
    stretched.setTemplate(true);

    countComposition();
    const VTRImage composed =
        vtr::createUniformImage(stretched, currentImageGrayScale(), currentBackgroundMark(), std::nullopt);
    Debug::verify(!composed.isNull(), QStringLiteral("Failed to compose image for name:") + *name, __FILE__,
                  kRecompose, __LINE__);

    VTRImage pressed;
    if (const std::optional<UniformGrayScale> pressedScale = pressedImageGrayScale()) {
        pressed = vtr::createUniformImage(stretched, *pressedScale, pressedBackgroundMark(), std::nullopt);
        Debug::verify(!pressed.isNull(), QStringLiteral("Failed to compose pressed image for name:") + *name,
                      __FILE__, kRecompose, __LINE__);
    }
    setImage(composed.isNull() ? named : composed);
    setAlternateImage(pressed);
}

void StretchableSelectButton::handleViewFrameDidChangeNotification(QObject* object)
{
    if (object == this)
        recomposeButtonImages();
}

void StretchableSelectButton::handleViewBoundsDidChangeNotification(QObject* object)
{
    if (object == this)
        recomposeButtonImages();
}

void StretchableSelectButton::resizeEvent(QResizeEvent* event)
{
    PressableSelectButton::resizeEvent(event);
    handleViewFrameDidChangeNotification(this);
}

void StretchableSelectButton::moveEvent(QMoveEvent* event)
{
    PressableSelectButton::moveEvent(event);
    handleViewFrameDidChangeNotification(this);
}
