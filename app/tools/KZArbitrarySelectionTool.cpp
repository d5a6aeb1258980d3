#include "KZArbitrarySelectionTool.h"

#include "SWImageTools.h"

#include "platform/graphics/CanvasBitmap.h"

#include <QPainter>

#include <cmath>

using platform::CanvasBitmap;

KZArbitrarySelectionTool::KZArbitrarySelectionTool(KZToolboxController* controller)
    : SWSelectionTool(controller)
{
}

QPainterPath KZArbitrarySelectionTool::pathFromPoint(const QPointF&, const QPointF&)
{
    m_path = QPainterPath();
    m_path.setFillRule(Qt::WindingFill);
    if (m_isSelected) {
        m_path.addRect(m_clippingRect);
        return m_path;
    }
    m_path.moveTo(m_savedPoint);
    for (const QPointF& node : m_nodes)
        m_path.lineTo(node);
    return m_path;
}

QPainterPath KZArbitrarySelectionTool::borderPath()
{
    return pathFromPoint(m_savedPoint, QPointF());
}

void KZArbitrarySelectionTool::performDrawAtPoint(const QPointF& p, SWImageDataSource* dataSource, int phase,
                                                  QMouseEvent*)
{
    keepImages(dataSource);
    updateAnimation(p, phase);
    pathFromPoint(m_savedPoint, QPointF());

    if (m_isSelected) {
        if ((phase == MouseDown || phase == MouseUp) && !m_path.contains(p)) {
            tieUpLooseEnds();
        } else {
            followMotion(p, phase);
            m_clippingRect.moveTopLeft(m_oldOrigin + QPointF(double(m_deltax), double(m_deltay)));
        }
    } else {
        m_deltax = m_deltay = 0;
        if (phase == MouseDown)
            m_nodes.clear(); // an outline that lifted nothing does not carry over
        clearBuffer();
        const QPointF q = clampedToCanvas(p);
        if (phase == MouseDragged)
            m_nodes.push_back(q);
        m_clippingRect = pathFromPoint(m_savedPoint, QPointF()).boundingRect();
        if (phase == MouseUp)
            lift();
    }

    pathFromPoint(m_savedPoint, QPointF());
    addRectToRedrawRect(m_path.boundingRect().adjusted(-0.5, -0.5, 0.5, 0.5));
    drawNewBorder();
}

void KZArbitrarySelectionTool::lift()
{
    QPainterPath shape = pathFromPoint(m_savedPoint, QPointF());
    const QRectF bounds = shape.boundingRect();
    if (!(bounds.width() > 0) || !(bounds.height() > 0) || !m_mainImage || m_mainImage->isNull() ||
        !CanvasBitmap::convert(*m_mainImage)) {
        // An outline without area lifts nothing.
        stopAnimation();
        return;
    }
    auto write = writeKeptMainImage(bounds);
    QImage& main = write.image();
    // The pixels the outline takes, worked out once, so that the lifted
    // image and the hole it leaves match pixel for pixel.
    const QRect box = bounds.toAlignedRect();
    QImage mask(box.size(), QImage::Format_ARGB32_Premultiplied);
    if (mask.isNull())
        return;
    mask.fill(0u);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.translate(-box.topLeft());
        painter.fillPath(shape, QColor(0, 0, 0, 255));
    }
    QImage lifted = SWImageTools::initImageRep(QSizeF(box.size()));
    if (lifted.isNull())
        return;
    m_originalImageCopy = SWImageTools::cloneImage(main);
    const uint32_t hole = CanvasBitmap::premultipliedPixel(m_backColor.isValid() ? m_backColor : QColor(Qt::transparent));
    for (int y = 0; y < box.height(); ++y) {
        const int row = box.y() + y;
        if (row < 0 || row >= main.height())
            continue;
        const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        auto* out = reinterpret_cast<uint32_t*>(lifted.scanLine(y));
        auto* picture = reinterpret_cast<uint32_t*>(main.scanLine(row));
        for (int x = 0; x < box.width(); ++x) {
            const int column = box.x() + x;
            if (qAlpha(m[x]) == 0 || column < 0 || column >= main.width())
                continue;
            out[x] = picture[column];
            picture[column] = hole;
        }
    }
    clearBuffer();
    takeLiftedImage(lifted);
    m_clippingRect = bounds;
    m_oldOrigin = bounds.topLeft();
    m_imageOrigin = box.topLeft();
    m_isSelected = true;
}

void KZArbitrarySelectionTool::tieUpLooseEnds()
{
    m_nodes.clear();
    SWSelectionTool::tieUpLooseEnds();
}
