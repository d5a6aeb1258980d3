#include "SelectButton.h"

#include "Debug.h"
#include "ImageExtensions.h"

#include <QPainter>

namespace {
const QString kCompose = QStringLiteral("composeUniformImage(iconImageName:iconBaseImage:imageGrayScale:backgroundMark:)");
}

SelectButton::SelectButton(QWidget* parent)
    : QAbstractButton(parent)
{
    customInit();
}

void SelectButton::customInit()
{
    m_bezelStyle = ShadowlessSquare;
    m_buttonType = MomentaryPushIn;
    m_bordered = false;
    m_imagePosition = VTRImagePosition::ImageOnly;
    m_imageScaling = ScaleNone;
}

void SelectButton::setIconTemplateImageName(const std::optional<QString>& name)
{
    m_iconTemplateImageName = name;
    recomposeButtonImages();
}

void SelectButton::setIconTemplateImageNameText(const QString& name)
{
    setIconTemplateImageName(name.isEmpty() ? std::nullopt : std::optional<QString>(name));
}

void SelectButton::setIconBaseImage(const VTRImage& image)
{
    m_iconBaseImage = image;
    recomposeButtonImages();
}

void SelectButton::setSelectedOnlyNeeded(bool selected)
{
    if (selected == m_isSelected)
        return;
    m_isSelected = selected;
    recomposeButtonImages();
}

UniformGrayScale SelectButton::currentImageGrayScale() const
{
    return isSelected() ? selectedImageGrayScale() : normalImageGrayScale();
}

std::optional<UniformImageMark> SelectButton::currentBackgroundMark() const
{
    return isSelected() ? selectedBackgroundMark() : normalBackgroundMark();
}

VTRImage SelectButton::composeUniformImage(const std::optional<QString>& iconImageName, const VTRImage& iconBaseImage,
                                           const UniformGrayScale& imageGrayScale,
                                           const std::optional<UniformImageMark>& backgroundMark)
{
    ++m_compositionCount;
    if (iconImageName) {
        VTRImage result = vtr::createUniformImage(*iconImageName, imageGrayScale, backgroundMark, std::nullopt);
        Debug::verify(!result.isNull(), QStringLiteral("Failed to compose image for name:") + *iconImageName,
                      __FILE__, kCompose, __LINE__);
        return result;
    }
    if (!iconBaseImage.isNull()) {
        VTRImage result = vtr::createUniformImage(iconBaseImage, imageGrayScale, backgroundMark, std::nullopt);
        if (result.isNull()) {
            Debug::output(Debug::Level::ERR,
                          QStringLiteral("Failed to compose image from base image, just use the base image: ")
                              + iconBaseImage.description(),
                          __FILE__, kCompose, __LINE__);
            result = iconBaseImage;
        }
        return result;
    }
    return {};
}

void SelectButton::recomposeButtonImages()
{
    setImage(composeUniformImage(iconTemplateImageName(), iconBaseImage(), currentImageGrayScale(),
                                 currentBackgroundMark()));
}

void SelectButton::setImage(const VTRImage& image)
{
    m_image = image;
    updateGeometry();
    update();
}

void SelectButton::setAlternateImage(const VTRImage& image)
{
    m_alternateImage = image;
    update();
}

QSize SelectButton::sizeHint() const
{
    if (m_image.isNull())
        return QSize(16, 16);
    return m_image.size().toSize();
}

void SelectButton::paintEvent(QPaintEvent*)
{
    const bool pressedLook = isDown() && m_buttonType == MomentaryChange;
    const VTRImage& shown = pressedLook ? m_alternateImage : m_image;
    if (shown.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QRectF bounds(rect());
    if (m_imageScaling == ScaleAxesIndependently) {
        shown.draw(painter, bounds);
        return;
    }
    QRectF target(QPointF(0, 0), shown.size());
    target.moveCenter(bounds.center());
    shown.draw(painter, target);
}
