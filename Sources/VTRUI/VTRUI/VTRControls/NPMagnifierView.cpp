#include "NPMagnifierView.h"

#include "NPCheckerboard.h"
#include "VTRDebug.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

void verify(bool condition, const QString& message, const char* function, int line)
{
    VTRDebug::verify(condition, message, QString(), QString::fromLatin1(function), line);
}

} // namespace

NPMagnifierView::NPMagnifierView(QWidget* parent)
    : QWidget(parent)
{
    customInit();
}

void NPMagnifierView::customInit()
{
    m_borderColor = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.8f);
    setAttribute(Qt::WA_TranslucentBackground);
}

void NPMagnifierView::setBorderColor(const QColor& color)
{
    m_borderColor = color;
    update();
}

QSizeF NPMagnifierView::neededImageSize() const
{
    return QSizeF(width() * 0.0625, height() * 0.0625);
}

QRectF NPMagnifierView::centerCellRect(const QSizeF& size)
{
    return QRectF((size.width() - kCellSize) / 2.0, (size.height() - kCellSize) / 2.0, kCellSize, kCellSize);
}

QString NPMagnifierView::colorText(const QColor& color)
{
    const QColor rgb = color.toRgb();
    auto channel = [](float value) { return int(std::lround(value * 255.0f)); };
    return QString::asprintf("%d %d %d %d", channel(rgb.redF()), channel(rgb.greenF()), channel(rgb.blueF()),
                             channel(rgb.alphaF()));
}

void NPMagnifierView::updateMagnifierInfo(const NPMagnifierInfo& info)
{
    verify(!info.image().isNull() && info.color().isValid() && info.zoomFactor() > 0.0, QString(),
           "NPMagnifierView::updateMagnifierInfo", __LINE__);
    m_magnifierInfo = info;
    updateColorInfo();
    update();
}

void NPMagnifierView::updateColorInfo()
{
    const bool hasColor = m_magnifierInfo && m_magnifierInfo->color().isValid();
    verify(hasColor, QString(), "NPMagnifierView::updateColorInfo", __LINE__);
    if (!hasColor)
        return;
    m_colorString = colorText(m_magnifierInfo->color());
    m_colorStringFont = font();
    m_colorStringFont.setPixelSize(12);
    const QSizeF textSize = QFontMetricsF(m_colorStringFont).size(Qt::TextSingleLine, m_colorString);
    const double w = std::ceil(textSize.width());
    const double h = std::ceil(textSize.height());
    m_colorStringFrame = QRectF((width() - w) / 2.0, height() - 50.0, w, h);
    m_colorStringBoxPath = QPainterPath();
    m_colorStringBoxPath.addRoundedRect(m_colorStringFrame.adjusted(-5.0, -2.0, 5.0, 2.0), 3.0, 3.0);
}

double NPMagnifierView::backingScaleFactor() const
{
    return devicePixelRatioF();
}

void NPMagnifierView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF bounds(rect());
    if (m_magnifierInfo) {
        const QImage& image = m_magnifierInfo->image();
        verify(!image.isNull(), QString(), "NPMagnifierView::paintEvent", __LINE__);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath face;
        face.addEllipse(bounds);
        painter.setClipPath(face);
        painter.fillRect(bounds, m_borderColor);

        painter.save();
        QPainterPath inner;
        inner.addEllipse(bounds.adjusted(1.0, 1.0, -1.0, -1.0));
        painter.setClipPath(inner, Qt::IntersectClip);
        NPCheckerboard::drawCheckerboardWithSquareSize(QSizeF(kCellSize, kCellSize), bounds, painter);
        painter.restore();

        if (!image.isNull()) {
            painter.save();
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.drawImage(bounds, image);
            painter.restore();
        }

        drawGridsInRect(bounds, painter);

        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        double scale = backingScaleFactor();
        double w = 2.0;
        if (scale > 0.0) {
            w = 2.0 / scale;
        } else {
            VTRDebug::errorMessage(QStringLiteral("*** Error Got ***"), QString(),
                                   QStringLiteral("NPMagnifierView::paintEvent"), __LINE__);
        }
        painter.setPen(QPen(m_borderColor, w));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(bounds.adjusted(w / 2.0, w / 2.0, -w / 2.0, -w / 2.0));
        painter.restore();
        painter.restore();
    }
    if (!m_colorString.isEmpty()) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillPath(m_colorStringBoxPath, QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.5f));
        painter.setFont(m_colorStringFont);
        painter.setPen(Qt::white);
        painter.drawText(m_colorStringFrame, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_colorString);
        painter.restore();
    }
}

void NPMagnifierView::drawGridsInRect(const QRectF& rect, QPainter& context) const
{
    verify(rect.topLeft() == QPointF(0, 0), QString(), "NPMagnifierView::drawGridsInRect", __LINE__);
    const double scale = backingScaleFactor();
    verify(scale > 0.0, QString(), "NPMagnifierView::drawGridsInRect", __LINE__);
    const double pixel = scale > 0.0 ? 1.0 / scale : 1.0;
    const double w = rect.width();
    const double h = rect.height();
    const QRectF centre = centerCellRect(rect.size());

    context.save();
    context.setRenderHint(QPainter::Antialiasing, false);
    context.setPen(QPen(QColor::fromRgbF(0.8f, 0.8f, 0.8f, 0.2f), 2.0 * pixel));
    const int verticals = int(std::floor(w / kCellSize + 1.0)) + 1;
    for (int i = 0; i < verticals; ++i) {
        const double x = i * kCellSize;
        if (x >= centre.left() && x <= centre.right()) {
            context.drawLine(QPointF(x, 0.0), QPointF(x, centre.top()));
            context.drawLine(QPointF(x, centre.bottom()), QPointF(x, h));
        } else {
            context.drawLine(QPointF(x, 0.0), QPointF(x, h));
        }
    }
    const int horizontals = int(std::floor(h / kCellSize + 1.0)) + 1;
    for (int i = 0; i < horizontals; ++i) {
        const double y = i * kCellSize;
        if (y >= centre.top() && y <= centre.bottom()) {
            context.drawLine(QPointF(0.0, y), QPointF(centre.left(), y));
            context.drawLine(QPointF(centre.right(), y), QPointF(w, y));
        } else {
            context.drawLine(QPointF(0.0, y), QPointF(w, y));
        }
    }

    // One device pixel of black inside the centre cell's edge, white outside.
    const QRectF outer = centre.adjusted(-pixel, -pixel, pixel, pixel);
    context.save();
    context.setClipRect(outer, Qt::IntersectClip);
    context.setPen(QPen(Qt::white, 2.0 * pixel));
    context.setBrush(Qt::NoBrush);
    context.drawRect(outer);
    context.restore();
    context.save();
    context.setClipRect(centre, Qt::IntersectClip);
    context.setPen(QPen(Qt::black, 2.0 * pixel));
    context.setBrush(Qt::NoBrush);
    context.drawRect(centre);
    context.restore();
    context.restore();
}
