#include "NPCheckerboard.h"

#include "VTRDebug.h"

#include <QPainter>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace {
const QColor kSquareGrey = QColor::fromRgbF(0.82f, 0.82f, 0.82f, 1.0f);
}

NPCheckerboard::NPCheckerboard(const QTransform& patternTransform)
    : m_pattern(std::make_unique<NPPattern>(1, patternTransform, 1.0, 1.0, QColor(), QColor()))
{
}

QTransform NPCheckerboard::currentPatternTransform() const
{
    VTRDebug::verify(bool(m_pattern), QString(), QString(), QStringLiteral("NPCheckerboard::currentPatternTransform"),
                     __LINE__);
    if (!m_pattern)
        return QTransform(0, 0, 0, 0, 0, 0);
    return m_pattern->currentPatternTransform();
}

void NPCheckerboard::drawRect(const QRectF& rect, QPainter& context) const
{
    VTRDebug::verify(bool(m_pattern), QString(), QString(), QStringLiteral("NPCheckerboard::drawRect"), __LINE__);
    if (!m_pattern)
        return;
    context.save();
    m_pattern->fillInContext(context);
    context.setPen(Qt::NoPen);
    context.drawRect(rect);
    context.restore();
}

void NPCheckerboard::drawCheckerboardWithSquareSize(const QSizeF& squareSize, const QRectF& rect, QPainter& context)
{
    const double sw = squareSize.width();
    const double sh = squareSize.height();
    if (!(sw > 0.0) || !(sh > 0.0) || !std::isfinite(sw) || !std::isfinite(sh) || !rect.isValid())
        return;
    const double rows = std::ceil(rect.height() / sh);
    const double columns = std::ceil(rect.width() / sw);
    if (!(rows > 0.0) || !(columns > 0.0))
        return;
    // Only the squares that can reach the device are drawn: the rectangle
    // cut to the clip and to the device, in the rectangle's coordinates.
    QRectF area = rect;
    if (context.hasClipping())
        area &= context.clipBoundingRect();
    if (const QPaintDevice* device = context.device()) {
        bool invertible = false;
        const QTransform toLogical = context.deviceTransform().inverted(&invertible);
        if (invertible)
            area &= toLogical.mapRect(QRectF(0, 0, device->width(), device->height()));
    }
    if (area.isEmpty())
        return;
    const auto firstIndex = [](double offset, double step, double count) {
        return std::clamp(std::floor(offset / step), 0.0, count);
    };
    const auto endIndex = [](double offset, double step, double count) {
        return std::clamp(std::ceil(offset / step), 0.0, count);
    };
    const qint64 j0 = qint64(firstIndex(area.top() - rect.top(), sh, rows));
    const qint64 j1 = qint64(endIndex(area.bottom() - rect.top(), sh, rows));
    const qint64 i0 = qint64(firstIndex(area.left() - rect.left(), sw, columns));
    const qint64 i1 = qint64(endIndex(area.right() - rect.left(), sw, columns));

    context.save();
    context.setClipRect(rect, Qt::IntersectClip);
    context.setPen(Qt::NoPen);
    // One row at a time: what is held is a row's squares, whatever the
    // size of the board.
    QVector<QRectF> white;
    QVector<QRectF> grey;
    white.reserve(qsizetype(2 * (i1 - i0)));
    grey.reserve(qsizetype(2 * (i1 - i0)));
    const QSizeF quarter(sw / 2.0, sh / 2.0);
    for (qint64 j = j0; j < j1; ++j) {
        white.clear();
        grey.clear();
        for (qint64 i = i0; i < i1; ++i) {
            const QPointF origin = rect.topLeft() + QPointF(double(i) * sw, double(j) * sh);
            white << QRectF(origin, quarter) << QRectF(origin + QPointF(sw / 2.0, sh / 2.0), quarter);
            grey << QRectF(origin + QPointF(0.0, sh / 2.0), quarter) << QRectF(origin + QPointF(sw / 2.0, 0.0), quarter);
        }
        context.setBrush(Qt::white);
        context.drawRects(white);
        context.setBrush(kSquareGrey);
        context.drawRects(grey);
    }
    context.restore();
}
