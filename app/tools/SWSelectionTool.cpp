#include "SWSelectionTool.h"

#include "KZToolboxController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"

#include "platform/graphics/CanvasBitmap.h"
#include "platform/graphics/ImageEncoder.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
const QColor kBorderColor(85, 85, 85); // dark grey

// Whole pixels of a motion step, cut toward zero.
int64_t whole(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int64_t(std::trunc(std::clamp(v, -1e15, 1e15)));
}
} // namespace

SWSelectionTool::SWSelectionTool(KZToolboxController* controller)
    : SWTool(controller)
{
    observeControllerKeyPath(KZToolboxController::kSelectionTransparency);
    m_animationTimer.setInterval(kBorderIntervalMs);
    m_animationTimer.setCallback([this] { drawNewBorder(); });
}

SWSelectionTool::~SWSelectionTool()
{
    m_animationTimer.stop();
}

void SWSelectionTool::observeValueForKeyPath(const QString& keyPath, const QVariant& newValue)
{
    SWTool::observeValueForKeyPath(keyPath, newValue);
    if (keyPath != KZToolboxController::kSelectionTransparency)
        return;
    m_shouldOmitBackground = newValue.toBool();
    updateBackgroundOmission();
}

void SWSelectionTool::updateBackgroundOmission()
{
    m_selectedImage = m_shouldOmitBackground ? m_selImageWithTransparency : m_selImageSansTransparency;
    drawNewBorder();
}

QPainterPath SWSelectionTool::pathFromPoint(const QPointF&, const QPointF&)
{
    // Dashes on the pixel centres just inside the box.
    m_path = QPainterPath();
    m_path.addRect(QRectF(m_clippingRect.x() + 0.5, m_clippingRect.y() + 0.5, m_clippingRect.width() - 1,
                          m_clippingRect.height() - 1));
    return m_path;
}

QPainterPath SWSelectionTool::borderPath()
{
    return pathFromPoint(m_clippingRect.topLeft(), m_clippingRect.bottomRight());
}

void SWSelectionTool::keepImages(SWImageDataSource* dataSource)
{
    keepMainImage(dataSource);
    m_bufferImage = dataSource ? &dataSource->bufferImage() : nullptr;
}

void SWSelectionTool::startAnimation()
{
    m_animationTimer.start();
}

void SWSelectionTool::stopAnimation()
{
    m_animationTimer.stop();
}

void SWSelectionTool::updateAnimation(const QPointF& p, int phase)
{
    if (phase == MouseDown)
        stopAnimation();
    else if (phase == MouseUp && p != m_savedPoint)
        startAnimation();
}

void SWSelectionTool::clearBuffer()
{
    if (m_bufferImage)
        m_bufferRecord.clear(*m_bufferImage);
}

QPointF SWSelectionTool::clampedToCanvas(const QPointF& p) const
{
    const double w = m_mainImage ? m_mainImage->width() : 0;
    const double h = m_mainImage ? m_mainImage->height() : 0;
    const double x = std::isnan(p.x()) ? 0.0 : std::clamp(p.x(), 0.0, w);
    const double y = std::isnan(p.y()) ? 0.0 : std::clamp(p.y(), 0.0, h);
    return {x, y};
}

void SWSelectionTool::followMotion(const QPointF& p, int phase)
{
    if (phase == MouseDown)
        m_previousPoint = p;
    m_deltax = whole(double(m_deltax) + p.x() - m_previousPoint.x());
    m_deltay = whole(double(m_deltay) + p.y() - m_previousPoint.y());
    m_previousPoint = p;
}

QPointF SWSelectionTool::imagePosition() const
{
    return m_imageOrigin + QPointF(double(m_deltax), double(m_deltay));
}

void SWSelectionTool::takeLiftedImage(const QImage& lifted)
{
    m_selImageSansTransparency = lifted;
    m_selImageWithTransparency = SWImageTools::cloneImage(lifted);
    if (m_backColor.isValid())
        SWImageTools::stripImage(m_selImageWithTransparency, m_backColor);
    m_selectedImage = m_shouldOmitBackground ? m_selImageWithTransparency : m_selImageSansTransparency;
}

void SWSelectionTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase, QMouseEvent*)
{
    keepImages(dataSource);
    updateAnimation(p, phase);

    if (m_isSelected) {
        if ((phase == MouseDown || phase == MouseUp) && !m_clippingRect.contains(p)) {
            // A press outside pastes; dragged on, it marks a new rectangle.
            tieUpLooseEnds();
            return;
        }
        followMotion(p, phase);
        clearBuffer();
        m_clippingRect.moveTopLeft(m_oldOrigin + QPointF(double(m_deltax), double(m_deltay)));
        addRectToRedrawRect(m_clippingRect);
        drawNewBorder();
        return;
    }

    m_deltax = m_deltay = 0;
    clearBuffer();
    const QPointF q = clampedToCanvas(p);
    if (q == m_savedPoint) {
        // A click without movement selects nothing.
        if (phase == MouseUp)
            stopAnimation();
        return;
    }
    addRedrawRectFromPoint(m_savedPoint, q);
    // Whole pixels, so that the lift, its hole and the paste agree whatever
    // the zoom made of the press point.
    m_clippingRect = QRectF(std::floor(std::min(q.x(), m_savedPoint.x())), std::floor(std::min(q.y(), m_savedPoint.y())),
                            double(std::abs(whole(q.x() - m_savedPoint.x()))),
                            double(std::abs(whole(q.y() - m_savedPoint.y()))));
    // A drag that began beside the canvas selects the part on it.
    if (m_mainImage)
        m_clippingRect = m_clippingRect.intersected(QRectF(QPointF(0, 0), QSizeF(m_mainImage->size())));
    if (phase == MouseUp) {
        if (m_clippingRect.width() >= 1 && m_clippingRect.height() >= 1 && m_mainImage && !m_mainImage->isNull()) {
            m_originalImageCopy = SWImageTools::cloneImage(*m_mainImage);
            clearBuffer();
            takeLiftedImage(SWImageTools::cropImage(*m_mainImage, m_clippingRect));
            {
                auto write = writeKeptMainImage(m_clippingRect);
                QPainter painter(&write.image());
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                painter.fillRect(m_clippingRect, m_backColor.isValid() ? m_backColor : QColor(Qt::transparent));
            }
            m_isSelected = true;
        } else {
            // Nothing to lift: no floating selection, no border.
            stopAnimation();
            m_oldOrigin = m_imageOrigin = m_clippingRect.topLeft();
            return;
        }
    }
    m_oldOrigin = m_imageOrigin = m_clippingRect.topLeft();
    drawNewBorder();
}

void SWSelectionTool::strokeBorder(QPainter& painter, const QPainterPath& outline) const
{
    painter.setRenderHint(QPainter::Antialiasing, borderIsAntialiased());
    QPen pen(kBorderColor, 1.0, Qt::CustomDashLine, Qt::SquareCap, Qt::MiterJoin);
    pen.setDashPattern({m_dottedLineArray[0], m_dottedLineArray[1]});
    pen.setDashOffset(double(m_dottedLineOffset));
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

bool SWSelectionTool::redrawBorderStrip(QImage& buffer, const QPainterPath& outline)
{
    const QRectF bounds = outline.boundingRect();
    if (!m_lastBorder.valid || !borderIsRectangle() || buffer.cacheKey() != m_lastBorder.bufferKey ||
        m_selectedImage.cacheKey() != m_lastBorder.imageKey || imagePosition() != m_lastBorder.imageAt ||
        bounds != m_lastBorder.outline || !m_bufferRecord.holds(buffer))
        return false;
    // The dashes stay within two pixels of the outline.
    const QRect outer = bounds.adjusted(-2, -2, 2, 2).toAlignedRect().intersected(buffer.rect());
    QRegion strip(outer);
    const QRectF innerF = bounds.adjusted(2, 2, -2, -2);
    if (innerF.width() > 0 && innerF.height() > 0) {
        const QRect inner(int(std::ceil(innerF.left())), int(std::ceil(innerF.top())),
                          int(std::floor(innerF.right()) - std::ceil(innerF.left())),
                          int(std::floor(innerF.bottom()) - std::ceil(innerF.top())));
        if (inner.isValid())
            strip -= QRegion(inner);
    }
    const QPointF at = imagePosition();
    for (const QRect& r : strip) {
        SWImageTools::clearImage(buffer, QRectF(r));
        if (m_selectedImage.isNull())
            continue;
        // The floating image's pixels under this part of the strip.
        const QRect source = r.translated(-at.toPoint()).intersected(m_selectedImage.rect());
        if (!source.isEmpty())
            SWImageTools::drawToImage(buffer, m_selectedImage.copy(source), QPointF(source.topLeft()) + at, false);
    }
    {
        QPainter painter(&buffer);
        painter.setClipRegion(strip);
        strokeBorder(painter, outline);
    }
    m_bufferRecord.add(buffer, QRectF(outer));
    return true;
}

void SWSelectionTool::drawNewBorder()
{
    m_dottedLineOffset = (m_dottedLineOffset + 1) % 8;
    if (m_bufferImage && !m_bufferImage->isNull()) {
        QImage& buffer = *m_bufferImage;
        const QPainterPath outline = borderPath();
        if (!redrawBorderStrip(buffer, outline)) {
            m_bufferRecord.clear(buffer);
            const QPointF at = imagePosition();
            QRectF drawn = outline.boundingRect().adjusted(-2, -2, 2, 2);
            if (!m_selectedImage.isNull()) {
                SWImageTools::drawToImage(buffer, m_selectedImage, at, false);
                drawn = drawn.united(QRectF(at, QSizeF(m_selectedImage.size())));
            }
            {
                QPainter painter(&buffer);
                strokeBorder(painter, outline);
            }
            m_bufferRecord.add(buffer, drawn);
        }
        m_lastBorder = {buffer.cacheKey(), m_selectedImage.cacheKey(), imagePosition(), outline.boundingRect(), true};
    }
    if (document())
        document()->refreshImage(this);
}

QRectF SWSelectionTool::draw()
{
    if (!m_isSelected)
        return {};
    drawNewBorder();
    return m_clippingRect;
}

void SWSelectionTool::deleteKey()
{
    m_selectedImage = QImage();
    m_selImageWithTransparency = QImage();
    m_selImageSansTransparency = QImage();
}

void SWSelectionTool::tieUpLooseEnds()
{
    SWTool::tieUpLooseEnds();
    stopAnimation();
    if (m_isSelected) {
        m_isSelected = false;
        if (!m_originalImageCopy.isNull() && m_mainImage && m_originalImageCopy.size() == m_mainImage->size()) {
            // The undo step records the picture from before the lift; the
            // picture with the hole comes back for the paste.
            QImage hole;
            {
                auto write = writeKeptMainImage();
                write.addAll();
                hole = std::exchange(write.image(), std::move(m_originalImageCopy));
            }
            if (document())
                document()->handleUndoWithImageData();
            auto write = writeKeptMainImage();
            write.addAll();
            write.image() = std::move(hole);
        } else if (!m_originalImageCopy.isNull() && document()) {
            document()->handleUndoWithImageData();
        }
        m_originalImageCopy = QImage();
    }
    if (m_mainImage) {
        if (!m_selectedImage.isNull()) {
            auto write = writeKeptMainImage(QRectF(imagePosition(), QSizeF(m_selectedImage.size())));
            SWImageTools::drawToImage(write.image(), m_selectedImage, imagePosition(), true);
        }
        addRectToRedrawRect(QRectF(QPointF(0, 0), QSizeF(m_mainImage->size())));
    } else {
        resetRedrawRect();
    }
    if (m_bufferImage) {
        m_bufferRecord.clear(*m_bufferImage);
        m_bufferImage = nullptr;
    }
    m_lastBorder.valid = false;
    deleteKey();
    m_mainImage = nullptr;
    m_mainMarks = nullptr;
}

void SWSelectionTool::setClippingRect(const QRectF& r, QImage* image, QImage* mainImage)
{
    // Marks of some other picture must not hear of writes to this one.
    if (mainImage != m_mainImage)
        m_mainMarks = nullptr;
    m_mainImage = mainImage;
    m_bufferImage = image;
    m_deltax = m_deltay = 0;
    m_clippingRect = r;
    m_oldOrigin = m_imageOrigin = r.topLeft();
    m_isSelected = true;
    m_originalImageCopy = QImage();
    takeLiftedImage(image ? SWImageTools::cropImage(*image, QRectF(QPointF(0, 0), r.size())) : QImage());
    updateBackgroundOmission();
    addRectToRedrawRect(r);
    startAnimation();
}

QByteArray SWSelectionTool::imageData() const
{
    if (m_originalImageCopy.isNull())
        return {};
    return platform::ImageEncoder::encode(m_originalImageCopy, QStringLiteral("tif"),
                                          platform::ImageEncoder::DefaultJpegQuality, 0);
}
