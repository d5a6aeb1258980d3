#include "NPCheckerboard.h"

#include "VTRDebug.h"

#include <QPainter>
#include <QVector>

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
    if (!(sw > 0.0) || !(sh > 0.0))
        return;
    const int rows = int(std::ceil(rect.height() / sh));
    const int columns = int(std::ceil(rect.width() / sw));
    if (rows <= 0 || columns <= 0)
        return;
    context.save();
    context.setClipRect(rect, Qt::IntersectClip);
    // Gathered per colour, so a large board is two fills.
    QVector<QRectF> white;
    QVector<QRectF> grey;
    const QSizeF quarter(sw / 2.0, sh / 2.0);
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            const QPointF origin = rect.topLeft() + QPointF(i * sw, j * sh);
            white << QRectF(origin, quarter) << QRectF(origin + QPointF(sw / 2.0, sh / 2.0), quarter);
            grey << QRectF(origin + QPointF(0.0, sh / 2.0), quarter) << QRectF(origin + QPointF(sw / 2.0, 0.0), quarter);
        }
    }
    context.setPen(Qt::NoPen);
    context.setBrush(Qt::white);
    context.drawRects(white);
    context.setBrush(kSquareGrey);
    context.drawRects(grey);
    context.restore();
}
