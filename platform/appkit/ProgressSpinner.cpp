#include "ProgressSpinner.h"

#include <QPainter>
#include <QTimer>

#include <cmath>

namespace platform {

namespace {
constexpr int kSpokes = 12;
constexpr int kTickMs = 1000 / kSpokes; // one turn a second
} // namespace

ProgressSpinner::ProgressSpinner(QWidget* parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
    , m_color(palette().color(QPalette::WindowText))
{
    setAttribute(Qt::WA_TranslucentBackground);
    resize(sizeHint());
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_phase = (m_phase + 1) % kSpokes;
        update();
    });
    setAccessibleName(QStringLiteral("Progress"));
}

void ProgressSpinner::startAnimation()
{
    if (m_animating)
        return;
    m_animating = true;
    m_timer->start();
    update();
}

void ProgressSpinner::stopAnimation()
{
    if (!m_animating)
        return;
    m_animating = false;
    m_timer->stop();
    update();
}

void ProgressSpinner::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void ProgressSpinner::paintEvent(QPaintEvent*)
{
    if (!m_animating)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    const double outer = side / 2.0;
    const double inner = outer * 0.45;
    QPen pen(m_color);
    pen.setWidthF(std::max(1.5, side / 10.0));
    pen.setCapStyle(Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        // The brightest spoke is the current phase; the others fade behind it.
        const int behind = (m_phase - i + kSpokes) % kSpokes;
        QColor c = m_color;
        c.setAlphaF(float(1.0 - 0.75 * behind / double(kSpokes - 1)));
        pen.setColor(c);
        painter.setPen(pen);
        const double angle = 2.0 * M_PI * i / kSpokes - M_PI / 2.0;
        const double margin = pen.widthF() / 2.0;
        painter.drawLine(QPointF(std::cos(angle) * inner, std::sin(angle) * inner),
                         QPointF(std::cos(angle) * (outer - margin), std::sin(angle) * (outer - margin)));
    }
}

} // namespace platform
