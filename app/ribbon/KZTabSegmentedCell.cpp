#include "KZTabSegmentedCell.h"

#include "KZTabBarView.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

QGradientStops KZTabSegmentedCell::selectedStops()
{
    return {{0.0, QColor(195, 201, 218)},
            {0.3, QColor(201, 206, 222)},
            {0.5, QColor(206, 211, 226)},
            {0.8, QColor(212, 216, 229)},
            {1.0, QColor(215, 220, 232)}};
}

QFont KZTabSegmentedCell::labelFont(const QWidget* view)
{
    // The small size of the view's (the system's) font, in bold.
    QFont font = view ? view->font() : QApplication::font();
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(std::lround(font.pixelSize() * 11.0 / 13.0))));
    else
        font.setPointSizeF(font.pointSizeF() * 11.0 / 13.0);
    font.setBold(true);
    return font;
}

void KZTabSegmentedCell::drawSegment(QPainter& painter, int segment, const QRectF& frame, QWidget* view) const
{
    painter.save();
    // Unchosen segments melt into the bar behind them.
    QLinearGradient gradient(frame.bottomLeft(), frame.topLeft());
    gradient.setStops(isSelectedForSegment(segment) ? selectedStops() : KZTabBarView::barStops());
    painter.fillRect(frame, gradient);

    const QFont font = labelFont(view);
    const QString label = labelForSegment(segment);
    const QFontMetricsF metrics(font);
    const QSizeF text(metrics.horizontalAdvance(label), metrics.height());
    const QPointF origin(frame.x() + (frame.width() - text.width()) / 2,
                         frame.y() + (frame.height() - text.height()) / 2);
    painter.setFont(font);
    painter.setPen(view ? view->palette().color(QPalette::WindowText) : QColor(Qt::black));
    painter.drawText(QRectF(origin, text), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
    painter.restore();
}
