#include "ImageExtensions.h"

#include "ColoringUtil.h"
#include "Debug.h"

#include <QPainter>

namespace {

const QString kComposeBased = QStringLiteral("createUniformImage(based:imageGrayScale:backgroundMark:foregroundMark:)");
const QString kComposeNamed = QStringLiteral("createUniformImage(named:imageGrayScale:backgroundMark:foregroundMark:)");
const QString kInset = QStringLiteral("insetBy(dx:dy:)");

void drawMarks(QPainter& painter, const QRectF& rect, const std::optional<UniformImageMark>& background,
               const UniformGrayScale& grayScale, const VTRImage& base,
               const std::optional<UniformImageMark>& foreground)
{
    if (background)
        background->drawBackground(painter, rect);

    const QImage coloring = ColoringUtil::generateColoringImage(base, &painter, int(grayScale.grayScale()));
    painter.save();
    if (!coloring.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(rect, coloring);
    } else {
        base.draw(painter, rect);
    }
    painter.restore();

    if (foreground) {
        painter.save();
        if (foreground->customMarkDrawingHandler)
            foreground->customMarkDrawingHandler(painter, rect);
        painter.restore();
    }
}

} // namespace

namespace vtr {

QString optionalNameText(const VTRImage& image)
{
    const QString name = image.name();
    return name.isEmpty() ? QStringLiteral("nil") : QStringLiteral("Optional(\"%1\")").arg(name);
}

VTRImage createUniformImage(const VTRImage& based, const UniformGrayScale& imageGrayScale,
                            const std::optional<UniformImageMark>& backgroundMark,
                            const std::optional<UniformImageMark>& foregroundMark)
{
    const QSizeF size = based.size();
    const QString what = based.description() + QStringLiteral(" - ") + optionalNameText(based);
    if (!(size.width() > 0.0 && size.height() > 0.0)) {
        Debug::output(Debug::Level::ERR, QStringLiteral("Failed to fetch the size for base image:") + what, __FILE__,
                      kComposeBased, __LINE__);
        return based;
    }
    Debug::verify(based.isTemplate(), QStringLiteral("Your image is not a template for base image:") + what, __FILE__,
                  kComposeBased, __LINE__);
    return VTRImage(size, [backgroundMark, imageGrayScale, based, foregroundMark](QPainter& painter, const QRectF& rect) {
        drawMarks(painter, rect, backgroundMark, imageGrayScale, based, foregroundMark);
        return true;
    });
}

VTRImage createUniformImage(const QString& named, const UniformGrayScale& imageGrayScale,
                            const std::optional<UniformImageMark>& backgroundMark,
                            const std::optional<UniformImageMark>& foregroundMark)
{
    const VTRImage image = VTRImage::named(named);
    if (image.isNull()) {
        Debug::output(Debug::Level::ERR, QStringLiteral("Faield to create image with name:") + named, __FILE__,
                      kComposeNamed, __LINE__);
        return {};
    }
    return createUniformImage(image, imageGrayScale, backgroundMark, foregroundMark);
}

VTRImage insetBy(const VTRImage& image, double dx, double dy)
{
    const QSizeF size = image.size();
    if (!(size.width() > 0.0 && size.height() > 0.0)) {
        Debug::output(Debug::Level::ERR, QStringLiteral("Your source image size is invalid."), __FILE__, kInset,
                      __LINE__);
        return image;
    }
    const QSizeF inset(size.width() - 2.0 * dx, size.height() - 2.0 * dy);
    if (!(inset.width() > 0.0 && inset.height() > 0.0)) {
        Debug::output(Debug::Level::ERR, QStringLiteral("Your destination image size is invalid"), __FILE__, kInset,
                      __LINE__);
        return image;
    }
    const QImage source = image.cgImage();
    const qreal ratio = source.isNull() ? 1.0 : source.width() / size.width();
    QImage target(QSize(qRound(inset.width() * ratio), qRound(inset.height() * ratio)),
                  QImage::Format_RGBA8888_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(-dx * ratio, -dy * ratio), source);
    painter.end();
    target.setDevicePixelRatio(ratio);
    VTRImage result(target);
    result.setTemplate(image.isTemplate());
    return result;
}

} // namespace vtr
