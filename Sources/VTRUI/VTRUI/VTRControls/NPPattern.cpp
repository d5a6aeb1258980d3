#include "NPPattern.h"

#include "VTRDebug.h"

#include <QBrush>
#include <QPainter>
#include <QPen>

#include <cmath>

namespace {

const QString kNoFile;

void verify(bool condition, const char* function, int line)
{
    VTRDebug::verify(condition, QString(), kNoFile, QString::fromLatin1(function), line);
}

void errorGot(const char* function, int line)
{
    VTRDebug::errorMessage(QStringLiteral("*** Error Got ***"), kNoFile, QString::fromLatin1(function), line);
}

constexpr double kSquaresTile = 16.0;
// The largest grid cell, in points: a zoom of 200, far past any view's
// magnification (its tile is then a 16 MB image).
constexpr double kMaxGridSide = 2000.0;
const QColor kSquareGrey = QColor::fromRgbF(0.82f, 0.82f, 0.82f, 1.0f);

} // namespace

NPPattern::NPPattern(std::int64_t patternType, const QTransform& patternTransform, double zoomFactor,
                     double lineWidth, const QColor& strokeColor, const QColor& fillColor)
    : m_patternType(patternType)
    , m_patternTransform(patternTransform)
    , m_zoomFactor(zoomFactor)
    , m_lineWidth(lineWidth)
    , m_strokeColor(strokeColor)
    , m_fillColor(fillColor)
{
    customInit();
}

double NPPattern::calculateGridSize(double zoomFactor)
{
    const double side = 10.0 * zoomFactor;
    if (std::isnan(side) || side < 5.0)
        return 5.0;
    return side;
}

void NPPattern::customInit()
{
    verify(m_patternType == 1 || m_patternType == 2, "NPPattern::customInit", __LINE__);
    if (m_patternType == 1) {
        m_tileSize = QSizeF(kSquaresTile, kSquaresTile);
    } else if (m_patternType == 2) {
        verify(m_strokeColor.isValid(), "NPPattern::customInit", __LINE__);
        if (m_strokeColor.isValid()) {
            m_gridColor = m_strokeColor.toRgb();
        } else {
            m_gridColor = QColor::fromRgbF(0.44f, 0.44f, 0.44f, 1.0f);
            errorGot("NPPattern::customInit", __LINE__);
        }
        const double side = calculateGridSize(m_zoomFactor);
        // A tile is an image of side x side pixels: a zoom without bound
        // (or none at all, infinity) would ask for more than any screen.
        if (!std::isfinite(side) || side > kMaxGridSide) {
            errorGot("NPPattern::customInit", __LINE__);
            return;
        }
        m_tileSize = QSizeF(side, side);
    } else {
        errorGot("NPPattern::customInit", __LINE__);
        return;
    }

    // A tile of a whole number of pixels whose size in points is exact.
    const int pixels = int(std::ceil(m_tileSize.width()));
    QImage tile(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    tile.setDevicePixelRatio(pixels / m_tileSize.width());
    QPainter painter(&tile);
    if (m_patternType == 1)
        drawSquaresTile(painter);
    else
        drawGridTile(painter);
    painter.end();
    m_tile = tile;
}

void NPPattern::drawSquaresTile(QPainter& painter) const
{
    const double hw = m_tileSize.width() / 2.0;
    const double hh = m_tileSize.height() / 2.0;
    verify(hw > 0.0 && hh > 0.0, "NPPattern::drawSquaresTile", __LINE__);
    painter.save();
    painter.fillRect(QRectF(0, 0, hw, hh), Qt::white);
    painter.fillRect(QRectF(hw, hh, hw, hh), Qt::white);
    painter.fillRect(QRectF(0, hh, hw, hh), kSquareGrey);
    painter.fillRect(QRectF(hw, 0, hw, hh), kSquareGrey);
    painter.restore();
}

void NPPattern::drawGridTile(QPainter& painter) const
{
    const double w = m_tileSize.width();
    const double h = m_tileSize.height();
    verify(m_lineWidth > 0.0, "NPPattern::drawGridTile", __LINE__);
    if (!(m_lineWidth > 0.0))
        return;
    painter.save();
    painter.setClipRect(QRectF(0, 0, w, h));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    QPen pen(m_gridColor, m_lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0, 0, w, h));

    // One point on, three off; the pen measures dashes in line widths.
    pen.setDashPattern({1.0 / m_lineWidth, 3.0 / m_lineWidth});
    pen.setDashOffset(0.0);
    painter.setPen(pen);
    if (w >= 50.0) {
        const double step = std::round(w / 10.0);
        for (int i = 1; i <= 9; ++i)
            painter.drawLine(QPointF(i * step, h), QPointF(i * step, 0.0)); // from the bottom up
    }
    if (h >= 50.0) {
        const double step = std::round(h / 10.0);
        for (int i = 1; i <= 9; ++i)
            painter.drawLine(QPointF(0.0, h - i * step), QPointF(w, h - i * step));
    }
    painter.restore();
}

void NPPattern::fillInContext(QPainter& context) const
{
    verify(hasPattern(), "NPPattern::fillInContext", __LINE__);
    if (!hasPattern())
        return;
    QBrush brush(m_tile);
    brush.setTransform(m_patternTransform);
    context.setBrush(brush);
}
