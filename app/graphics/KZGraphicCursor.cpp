#include "KZGraphicCursor.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>

#include <cmath>
#include <numbers>

namespace {

constexpr double C = KZGraphicCursor::kSide / 2.0;

// Dark shape inside a light rim, so the cursor shows on every picture.
void outlined(QPainter& p, const QPainterPath& path, double width)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, width + 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

// An arrow head at the tip, pointing along the direction (radians, y down).
void addHead(QPainterPath& path, const QPointF& tip, double direction)
{
    const double length = 4.5;
    const double spread = 0.6;
    path.moveTo(tip + QPointF(-std::cos(direction - spread), -std::sin(direction - spread)) * length);
    path.lineTo(tip);
    path.lineTo(tip + QPointF(-std::cos(direction + spread), -std::sin(direction + spread)) * length);
}

// A straight double arrow, horizontal, through the centre.
QPainterPath resizeArrow()
{
    QPainterPath path;
    path.moveTo(C - 8, C);
    path.lineTo(C + 8, C);
    addHead(path, QPointF(C + 8, C), 0);
    addHead(path, QPointF(C - 8, C), std::numbers::pi);
    return path;
}

// A curved double arrow bowing to the right, as beside the right middle
// handle of an unturned element: an arc around a centre to the left.
QPainterPath rotateArrow()
{
    const QPointF centre(C - 7, C);
    const double radius = 11;
    const double span = 50.0;
    QPainterPath path;
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    // Qt measures arc angles counter-clockwise on screen.
    path.arcMoveTo(circle, span);
    path.arcTo(circle, span, -2 * span);
    const double a = span * std::numbers::pi / 180;
    const QPointF top = centre + QPointF(std::cos(a), -std::sin(a)) * radius;
    const QPointF bottom = centre + QPointF(std::cos(a), std::sin(a)) * radius;
    // The heads follow the arc's tangent at each end.
    addHead(path, top, -(std::numbers::pi / 2 + a));
    addHead(path, bottom, std::numbers::pi / 2 + a);
    return path;
}

QPainterPath crosshair()
{
    QPainterPath path;
    path.moveTo(C, C - 9);
    path.lineTo(C, C - 2);
    path.moveTo(C, C + 2);
    path.lineTo(C, C + 9);
    path.moveTo(C - 9, C);
    path.lineTo(C - 2, C);
    path.moveTo(C + 2, C);
    path.lineTo(C + 9, C);
    return path;
}

void drawHand(QPainter& p, bool closed)
{
    QPainterPath palm;
    palm.addRoundedRect(QRectF(C - 6, C - 1, 12, 9), 3, 3);
    const double fingerLength = closed ? 3.5 : 8.0;
    for (int i = 0; i < 4; ++i)
        palm.addRoundedRect(QRectF(C - 6 + i * 3, C - 1 - fingerLength, 3, fingerLength + 2), 1.5, 1.5);
    // The thumb, out to the side when open, folded in when closed.
    if (closed)
        palm.addRoundedRect(QRectF(C - 8, C + 1, 4, 3), 1.5, 1.5);
    else
        palm.addRoundedRect(QRectF(C - 10, C - 2, 5, 3), 1.5, 1.5);
    palm = palm.simplified();
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(palm);
}

bool parseIndexed(const QString& name, const QString& prefix, int count, int* index)
{
    if (!name.startsWith(prefix) || name.size() != prefix.size() + 1)
        return false;
    const int k = name.back().digitValue();
    if (k < 0 || k >= count)
        return false;
    *index = k;
    return true;
}

QImage drawCursor(const QString& name)
{
    int k = 0;
    const bool resize = parseIndexed(name, QStringLiteral("Resize"), 4, &k);
    const bool rotate = !resize && parseIndexed(name, QStringLiteral("Rotate"), 8, &k);
    const bool cross = name == QLatin1String("crosshair");
    const bool open = name == QLatin1String("openhand");
    const bool closed = name == QLatin1String("closedhand");
    if (!resize && !rotate && !cross && !open && !closed)
        return {};
    QImage image(KZGraphicCursor::kSide, KZGraphicCursor::kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    if (resize || rotate) {
        // Counter-clockwise on screen, whose y axis points down.
        p.translate(C, C);
        p.rotate(-45.0 * k);
        p.translate(-C, -C);
        outlined(p, resize ? resizeArrow() : rotateArrow(), 1.5);
    } else if (cross) {
        outlined(p, crosshair(), 1.0);
    } else {
        drawHand(p, closed);
    }
    p.end();
    return image;
}

// The cursors made so far, held by the application object.
class CursorKeeper : public QObject {
public:
    using QObject::QObject;
    QHash<QString, QCursor> cursors;
};

QHash<QString, QCursor>* keptCursors()
{
    static QPointer<CursorKeeper> keeper;
    if (!keeper) {
        if (!QCoreApplication::instance())
            return nullptr;
        keeper = new CursorKeeper(QCoreApplication::instance());
    }
    return &keeper->cursors;
}

} // namespace

QImage KZGraphicCursor::imageNamed(const QString& name)
{
    // Each drawing is made once: every graphic tool asks for its cursor
    // when it is made, and a window makes dozens of them at start-up.
    static QMutex lock;
    static QHash<QString, QImage> drawn;
    QMutexLocker locked(&lock);
    const auto known = drawn.constFind(name);
    if (known != drawn.constEnd())
        return *known;
    const QImage image = drawCursor(name);
    drawn.insert(name, image);
    return image;
}

QCursor KZGraphicCursor::cursorNamed(const QString& name)
{
    const QImage image = imageNamed(name);
    if (image.isNull())
        return QCursor(Qt::ArrowCursor);
    // Making a cursor of a pixmap costs far more than drawing it: each is
    // made once, and kept by the application object, since a pixmap must
    // not outlive it.
    QHash<QString, QCursor>* kept = keptCursors();
    if (kept) {
        if (const auto known = kept->constFind(name); known != kept->constEnd())
            return *known;
    }
    const QCursor cursor(QPixmap::fromImage(image), image.width() / 2, image.height() / 2);
    if (kept)
        kept->insert(name, cursor);
    return cursor;
}
