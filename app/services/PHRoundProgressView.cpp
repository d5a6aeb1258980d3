#include "PHRoundProgressView.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <cmath>

PHRoundProgressView::PHRoundProgressView(QWidget* parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setGeometry(0, 0, 37, 37);
    setAttribute(Qt::WA_TranslucentBackground);
    m_timer->setInterval(150);
    connect(m_timer, &QTimer::timeout, this, &PHRoundProgressView::timerFired);
    m_timer->start();
}

void PHRoundProgressView::setProgress(float progress)
{
    m_progress = progress;
    update();
}

void PHRoundProgressView::setAnnular(bool annular)
{
    m_annular = annular;
    update();
}

void PHRoundProgressView::setProgressTintColor(const QColor& color)
{
    m_progressTint = color;
    update();
}

void PHRoundProgressView::setBackgroundTintColor(const QColor& color)
{
    m_backgroundTint = color;
    update();
}

void PHRoundProgressView::timerFired()
{
    if (m_annular)
        return;
    float next = m_progress + 0.1f;
    if (next > 1.0f)
        next = 0.0f;
    setProgress(next);
}

void PHRoundProgressView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = width();
    const double h = height();
    const QPointF centre(w / 2.0, h / 2.0);
    // Qt's angles are degrees counter-clockwise from three o'clock; the
    // view's are radians clockwise from there (y points down).
    const auto degrees = [](double radians) { return -radians * 180.0 / M_PI; };
    if (m_annular) {
        const double lineWidth = 5.0;
        const double radius = (w - lineWidth) / 2.0;
        const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        QPen pen(m_backgroundTint, lineWidth, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        painter.drawEllipse(circle);
        const double start = -M_PI / 2.0;
        const double end = 2.0 * M_PI * m_progress - M_PI / 2.0;
        QPainterPath arc;
        arc.arcMoveTo(circle, degrees(start));
        arc.arcTo(circle, degrees(start), degrees(end) - degrees(start));
        pen.setColor(m_progressTint);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(arc);
        return;
    }
    const QRectF inset = QRectF(0, 0, w, h).adjusted(2, 2, -2, -2);
    painter.setPen(QPen(m_progressTint, 2.0));
    painter.setBrush(m_backgroundTint);
    painter.drawEllipse(inset);
    const double radius = (w - 4.0) / 2.0;
    const double startAngle = m_progress * 2.0 * M_PI - M_PI / 2.0;
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath wedge(centre);
    wedge.arcTo(circle, degrees(startAngle), degrees(startAngle + 0.8) - degrees(startAngle));
    wedge.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(wedge);
}
