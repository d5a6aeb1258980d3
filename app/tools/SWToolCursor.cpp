#include "SWToolCursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace {
constexpr int Side = 16;

struct Entry {
    const char* name;
    QPoint hotSpot;
};

const Entry kEntries[] = {
    {"pencil-cursor", {1, 14}},   {"eraser-cursor", {2, 13}}, {"bucket-cursor", {14, 13}},
    {"eyedrop-cursor", {1, 15}},  {"zoom-cursor-2", {1, 15}}, {"airbrush-cursor-2", {6, 3}},
    {"bomb-cursor", {8, 8}},
};

const Entry* entryNamed(const QString& name)
{
    for (const Entry& entry : kEntries)
        if (name == QLatin1String(entry.name))
            return &entry;
    return nullptr;
}

// Dark outlines over light fills, so the cursor shows on every picture.
void outlined(QPainter& p, const QPainterPath& path, const QColor& fill = Qt::white)
{
    p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

void drawPencil(QPainter& p)
{
    // Tip at the bottom-left (1, 14), body up to the top-right.
    QPainterPath body;
    body.addPolygon(QPolygonF({{4.5, 10.5}, {12.5, 2.5}, {14.5, 4.5}, {6.5, 12.5}, {4.5, 10.5}}));
    outlined(p, body, QColor(250, 210, 90));
    QPainterPath tip;
    tip.addPolygon(QPolygonF({{4.5, 10.5}, {6.5, 12.5}, {1.5, 14.5}, {4.5, 10.5}}));
    outlined(p, tip, QColor(240, 220, 180));
    p.fillRect(QRect(1, 14, 1, 1), Qt::black);
}

void drawEraser(QPainter& p)
{
    // The block's lower-left corner rubs at (2, 13).
    QPainterPath block;
    block.addPolygon(QPolygonF({{2.5, 13.5}, {9.5, 6.5}, {14.5, 6.5}, {7.5, 13.5}, {2.5, 13.5}}));
    outlined(p, block, QColor(240, 150, 170));
    QPainterPath top;
    top.addPolygon(QPolygonF({{9.5, 6.5}, {12.5, 3.5}, {14.5, 6.5}}));
    outlined(p, top);
}

void drawBucket(QPainter& p)
{
    // A tipped bucket pouring at (14, 13).
    QPainterPath bucket;
    bucket.addPolygon(QPolygonF({{2.5, 6.5}, {7.5, 1.5}, {13.5, 7.5}, {8.5, 12.5}, {2.5, 6.5}}));
    outlined(p, bucket);
    QPainterPath paint;
    paint.moveTo(13.5, 7.5);
    paint.cubicTo(15.5, 9.5, 14.5, 11.5, 14.5, 13.5);
    p.setPen(QPen(QColor(30, 90, 200), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(paint);
    p.fillRect(QRect(14, 13, 1, 1), QColor(30, 90, 200));
}

void drawEyedrop(QPainter& p)
{
    // The pipette's tip at (1, 15).
    QPainterPath tube;
    tube.addPolygon(QPolygonF({{2.5, 12.5}, {9.5, 5.5}, {11.5, 7.5}, {4.5, 14.5}, {2.5, 12.5}}));
    outlined(p, tube);
    QPainterPath bulb;
    bulb.addEllipse(QPointF(12.0, 4.0), 3.0, 3.0);
    outlined(p, bulb, QColor(60, 60, 60));
    p.setPen(QPen(Qt::black, 1.0));
    p.drawLine(QPointF(1.5, 15.5), QPointF(3.0, 14.0));
    p.fillRect(QRect(1, 15, 1, 1), Qt::black);
}

void drawZoom(QPainter& p)
{
    // The handle's end at (1, 15), the lens above and to the right.
    p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2.0, 14.0), QPointF(6.5, 9.5));
    QPainterPath lens;
    lens.addEllipse(QPointF(10.0, 6.0), 4.5, 4.5);
    outlined(p, lens, QColor(220, 235, 255));
    p.setPen(QPen(Qt::black, 1.0));
    p.drawLine(QPointF(8.0, 6.0), QPointF(12.0, 6.0));
    p.drawLine(QPointF(10.0, 4.0), QPointF(10.0, 8.0));
    p.fillRect(QRect(1, 15, 1, 1), Qt::black);
}

void drawAirbrush(QPainter& p)
{
    // A spray can whose nozzle sprays at (6, 3).
    QPainterPath can;
    can.addRoundedRect(QRectF(7.5, 6.5, 6.0, 9.0), 1.5, 1.5);
    outlined(p, can, QColor(200, 200, 210));
    QPainterPath cap;
    cap.addRect(QRectF(8.5, 3.5, 4.0, 3.0));
    outlined(p, cap);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (const QPointF& dot : {QPointF(3, 1), QPointF(2, 4), QPointF(4, 5), QPointF(1, 2)})
        p.drawRect(QRectF(dot, QSizeF(1, 1)));
    p.fillRect(QRect(6, 3, 2, 1), Qt::black);
}

void drawBomb(QPainter& p)
{
    // A round bomb centred on (8, 8) with its fuse to the top-right.
    QPainterPath ball;
    ball.addEllipse(QPointF(8.0, 8.5), 5.5, 5.5);
    outlined(p, ball, QColor(40, 40, 40));
    p.setPen(QPen(QColor(150, 100, 40), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.0, 4.5), QPointF(14.5, 1.5));
    p.fillRect(QRect(8, 8, 1, 1), Qt::white);
}
} // namespace

QImage SWToolCursor::imageNamed(const QString& name)
{
    const Entry* entry = entryNamed(name);
    if (!entry)
        return {};
    QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QString key = QLatin1String(entry->name);
    if (key == QLatin1String("pencil-cursor"))
        drawPencil(p);
    else if (key == QLatin1String("eraser-cursor"))
        drawEraser(p);
    else if (key == QLatin1String("bucket-cursor"))
        drawBucket(p);
    else if (key == QLatin1String("eyedrop-cursor"))
        drawEyedrop(p);
    else if (key == QLatin1String("zoom-cursor-2"))
        drawZoom(p);
    else if (key == QLatin1String("airbrush-cursor-2"))
        drawAirbrush(p);
    else if (key == QLatin1String("bomb-cursor"))
        drawBomb(p);
    p.end();
    return image;
}

QPoint SWToolCursor::hotSpotOf(const QString& name)
{
    const Entry* entry = entryNamed(name);
    return entry ? entry->hotSpot : QPoint();
}

QCursor SWToolCursor::cursorNamed(const QString& name)
{
    const QImage image = imageNamed(name);
    if (image.isNull())
        return QCursor(Qt::ArrowCursor);
    const QPoint hot = hotSpotOf(name);
    return QCursor(QPixmap::fromImage(image), hot.x(), hot.y());
}
