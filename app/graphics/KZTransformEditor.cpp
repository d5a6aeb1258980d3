#include "KZTransformEditor.h"

#include "KZGraphicElement.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct Pair {
    double x;
    double y;
};

// Per handle: how much width and height grow per pixel of local drag, and
// how much of that growth moves the centre (half, so the opposite handle
// stays put; nothing when the resize is centred).
constexpr Pair kSizeDelta[8] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};
constexpr Pair kPositionDelta[8] = {{0.5, 0.5}, {0, 0.5}, {0.5, 0.5}, {0.5, 0},
                                    {0.5, 0.5}, {0, 0.5}, {0.5, 0.5}, {0.5, 0}};
constexpr Pair kCentredSizeDelta[8] = {{-2, -2}, {0, -2}, {2, -2}, {2, 0}, {2, 2}, {0, 2}, {-2, 2}, {-2, 0}};
constexpr Pair kUnitOffset[8] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}};

int handleIndex(int64_t handle)
{
    return int(handle & 0xff) & 7;
}

// The linear part only: how a drag or a move turns between the frames.
QSizeF mapSize(const QTransform& t, const QSizeF& s)
{
    return QSizeF(t.m11() * s.width() + t.m21() * s.height(), t.m12() * s.width() + t.m22() * s.height());
}

bool finite(const QSizeF& s)
{
    return std::isfinite(s.width()) && std::isfinite(s.height());
}

} // namespace

KZTransformEditor::KZTransformEditor()
{
    setDefaultProperty();
}

KZTransformEditor::KZTransformEditor(const QPointF& position, const QSizeF& size, double orientation)
{
    setDefaultProperty();
    m_transform = transformPoint(position, orientation);
    m_position = position;
    m_size = size;
    m_orientation = orientation;
}

KZTransformEditor KZTransformEditor::transformWithGraphic(const KZGraphicElement& element)
{
    return KZTransformEditor(element.position(), element.size(), element.orientation());
}

void KZTransformEditor::setDefaultProperty()
{
    m_shouldRotate = true;
    m_handleShowSize = 0;
    m_handleActionSize = 0;
    m_position = QPointF(0, 0);
    m_size = QSizeF(0, 0);
    m_transform = QTransform();
    m_centerBaseRef = false;
    m_keepRatio = false;
}

QTransform KZTransformEditor::transformPoint(const QPointF& point, double orientation)
{
    QTransform t;
    t.translate(point.x(), point.y());
    t.rotate(orientation);
    return t;
}

QSizeF KZTransformEditor::positionDeltaOfHandle(int64_t handle) const
{
    if (m_centerBaseRef)
        return {0, 0};
    const Pair p = kPositionDelta[handleIndex(handle)];
    return {p.x, p.y};
}

QSizeF KZTransformEditor::sizeDeltaOfHandle(int64_t handle) const
{
    const Pair p = (m_centerBaseRef ? kCentredSizeDelta : kSizeDelta)[handleIndex(handle)];
    return {p.x, p.y};
}

QRectF KZTransformEditor::squareAt(const QPointF& centre, double side)
{
    return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side);
}

QPointF KZTransformEditor::positionOfHandle(int64_t handle) const
{
    const Pair unit = kUnitOffset[handleIndex(handle)];
    return QPointF(unit.x * m_size.width() / 2, unit.y * m_size.height() / 2);
}

QRectF KZTransformEditor::showRectOfHandle(int64_t handle) const
{
    return squareAt(m_transform.map(positionOfHandle(handle)), m_handleShowSize);
}

QRectF KZTransformEditor::actionRectOfHandle(int64_t handle) const
{
    const double side = ((handle >> 8) & 0xff) == 1 ? m_handleActionSize * 2 : m_handleActionSize;
    return squareAt(m_transform.map(positionOfHandle(handle)), side);
}

QPainterPath KZTransformEditor::representation() const
{
    QPainterPath path;
    for (int h = 0; h < 8; ++h)
        path.addEllipse(showRectOfHandle(kResize + h));
    return path;
}

QRectF KZTransformEditor::surroundingRect() const
{
    return representation().boundingRect().adjusted(-1, -1, 1, 1);
}

void KZTransformEditor::renderToContext(QPainter& painter, const QRectF& frame) const
{
    painter.save();
    const QPainterPath handles = representation().translated(frame.topLeft());
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPalette palette = QGuiApplication::palette();
    QPen pen(palette.color(QPalette::Light));
    pen.setCosmetic(true);
    pen.setWidthF(1.0);
    painter.fillPath(handles, palette.color(QPalette::Highlight));
    painter.strokePath(handles, pen);
    painter.restore();
}

void KZTransformEditor::draggedHandle(int64_t handle, const QPointF& p0, const QPointF& p1)
{
    const QPointF d = p1 - p0;
    const QSizeF localDrag = mapSize(m_transform.inverted(), QSizeF(d.x(), d.y()));
    switch ((handle >> 8) & 0xff) {
    case 2:
        m_position += d;
        break;
    case 1: {
        const QPointF c0 = m_transform.map(QPointF(0, 0));
        const float a0 = std::atan2(float(p0.y() - c0.y()), float(p0.x() - c0.x()));
        const float a1 = std::atan2(float(p1.y() - c0.y()), float(p1.x() - c0.x()));
        // Not brought into a range: crossing the wrap adds or removes a turn.
        m_orientation += double(a1 - a0) * 180.0 / std::numbers::pi;
        break;
    }
    case 3:
        resize(handleIndex(handle), localDrag);
        break;
    default:
        break;
    }
}

void KZTransformEditor::resize(int h, const QSizeF& ld)
{
    const QSizeF sd = sizeDeltaOfHandle(h);
    const QSizeF pd = positionDeltaOfHandle(h);
    const QSizeF v(ld.width() * sd.width(), ld.height() * sd.height());
    // No side may become negative.
    const QSizeF m(std::max(v.width(), -m_size.width()), std::max(v.height(), -m_size.height()));
    const QSizeF q(sd.width() != 0 ? m.width() / sd.width() : ld.width(),
                   sd.height() != 0 ? m.height() / sd.height() : ld.height());
    QSizeF posd(pd.width() * q.width(), pd.height() * q.height());
    QSizeF g = m;
    // A frame without width has ratio 0, through which the other side would
    // be divided: such a drag goes on without the ratio.
    const double r = ratio();
    if (m_keepRatio && r > 0 && std::isfinite(r)) {
        QSizeF kept;
        QSizeF keptPosd = posd;
        if (sd.width() == 0 || sd.height() == 0) {
            const double gx = sd.width() == 0 ? m.height() * r : m.width();
            kept = QSizeF(gx, sd.height() == 0 ? gx / r : m.height());
        } else {
            const QSizeF a = adjustVector(q, h, r);
            kept = QSizeF(sd.width() * a.width(), sd.height() * a.height());
            keptPosd = QSizeF(pd.width() * a.width(), pd.height() * a.height());
        }
        if (finite(kept) && finite(keptPosd)) {
            g = kept;
            posd = keptPosd;
        }
    }
    m_size = QSizeF(std::max(0.0, m_size.width() + g.width()), std::max(0.0, m_size.height() + g.height()));
    const QSizeF move = mapSize(m_transform, posd);
    m_position += QPointF(move.width(), move.height());
}

double KZTransformEditor::ratio() const
{
    if (m_size.height() == 0)
        return 1.0;
    return m_size.width() / m_size.height();
}

QSizeF KZTransformEditor::forceVectorToRatio(const QSizeF& v, double r)
{
    const double x = v.width();
    const double y = v.height();
    if (float(std::fabs(x)) > float(std::fabs(y))) {
        const double s = x < 0 ? -1.0 : 1.0;
        return QSizeF(x, std::fabs(x) / r * s);
    }
    const double s = y < 0 ? -1.0 : 1.0;
    return QSizeF(r * std::fabs(y) * s, y);
}

QSizeF KZTransformEditor::adjustVector(const QSizeF& vector, int64_t handle, double r) const
{
    const QSizeF sd = sizeDeltaOfHandle(handle);
    const QSizeF forced =
        forceVectorToRatio(QSizeF(vector.width() * sd.width(), vector.height() * sd.height()), r);
    const double dx = sd.width() != 0 ? sd.width() : 1.0;
    const double dy = sd.height() != 0 ? sd.height() : 1.0;
    return QSizeF(forced.width() / dx, forced.height() / dy);
}

QPainterPath KZTransformEditor::contentPath() const
{
    QPainterPath local;
    local.addRect(QRectF(-m_size.width() / 2, -m_size.height() / 2, m_size.width(), m_size.height()));
    return m_transform.map(local);
}

int64_t KZTransformEditor::contextAt(const QPointF& point) const
{
    for (int h = 0; h < 8; ++h)
        if (actionRectOfHandle(kResize + h).contains(point))
            return kResize + h;
    if (contentPath().contains(point))
        return kInside;
    if (m_shouldRotate) {
        for (int h = 0; h < 8; ++h)
            if (actionRectOfHandle(kRotate + h).contains(point))
                return kRotate + h;
    }
    return kNothing;
}
