// Draws the ribbon's icons at build time: the group icons shown on shrunk
// groups' drop-down buttons, and one icon for every tool and shape the
// ribbon offers. Light strokes, for the dark ribbon.
//   velumo-ribbon-icon-generator OUT_DIR
// writes OUT_DIR/<name>.png and OUT_DIR/<name>@2x.png, and OUT_DIR/ribbon-icons.list.
#include "KZShapeKinds.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor kInk(235, 235, 235);
const QColor kAccent(90, 170, 250);
const QColor kWarm(240, 150, 60);

using Drawing = std::function<void(QPainter&)>; // in a 20 x 20 (or 32 x 32) square

QImage render(int side, int scale, const Drawing& drawing)
{
    QImage image(side * scale, side * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
    drawing(p);
    p.end();
    return image;
}

QPen pen(const QColor& color = kInk, double width = 1.5)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A shape's outline fitted into a square with a margin.
Drawing outline(const QPainterPath& unit, int side)
{
    return [unit, side](QPainter& p) {
        const double m = side * 0.15;
        QTransform t;
        t.translate(m, m);
        t.scale(side - 2 * m, side - 2 * m);
        p.setPen(pen(kInk, side / 14.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(t.map(unit));
    };
}

QPainterPath unitPath(const std::function<void(QPainterPath&)>& make)
{
    QPainterPath path;
    make(path);
    return path;
}

void brush(QPainter& p, double s)
{
    p.setPen(pen(kInk, s / 12));
    p.drawLine(QPointF(s * 0.75, s * 0.15), QPointF(s * 0.4, s * 0.55));
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QRectF(s * 0.18, s * 0.5, s * 0.3, s * 0.3));
}

struct Icon {
    QString name;
    int side;
    Drawing drawing;
};

QList<Icon> icons()
{
    QList<Icon> list;
    const auto big = [&](const QString& name, Drawing d) { list.append({name, 32, std::move(d)}); };
    const auto small = [&](const QString& name, Drawing d) { list.append({name, 20, std::move(d)}); };

    const Drawing clipboard = [](QPainter& p) {
        p.setPen(pen(kInk, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(7, 6, 18, 22), 2, 2);
        p.setBrush(kWarm);
        p.drawRect(QRectF(12, 3, 8, 5));
        p.setPen(pen(kInk, 1.5));
        for (int y : {14, 18, 22})
            p.drawLine(QPointF(11, y), QPointF(21, y));
    };
    big(QStringLiteral("big_paste"), clipboard);
    big(QStringLiteral("big_image"), [](QPainter& p) {
        p.setPen(pen(kInk, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(4, 7, 24, 18));
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        QPainterPath hills;
        hills.moveTo(6, 23);
        hills.lineTo(13, 14);
        hills.lineTo(18, 20);
        hills.lineTo(21, 17);
        hills.lineTo(26, 23);
        hills.closeSubpath();
        p.drawPath(hills);
        p.setBrush(kWarm);
        p.drawEllipse(QRectF(20, 10, 4, 4));
    });
    big(QStringLiteral("big_tools"), [](QPainter& p) {
        p.setPen(pen(kInk, 2.5));
        p.drawLine(QPointF(8, 24), QPointF(22, 10));
        p.setPen(Qt::NoPen);
        p.setBrush(kWarm);
        p.drawEllipse(QRectF(19, 5, 8, 8));
        p.setBrush(kAccent);
        p.drawRect(QRectF(5, 22, 6, 6));
    });
    big(QStringLiteral("big_brushes"), [](QPainter& p) { brush(p, 32); });
    big(QStringLiteral("big_shapes"), [](QPainter& p) {
        p.setPen(pen(kInk, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4, 4, 14, 14));
        p.setBrush(kAccent);
        p.drawRect(QRectF(14, 14, 14, 14));
    });
    big(QStringLiteral("big_size"), [](QPainter& p) {
        double y = 7;
        for (double w : {1.0, 2.5, 4.0, 6.0}) {
            p.setPen(pen(kInk, w));
            p.drawLine(QPointF(6, y), QPointF(26, y));
            y += w + 4;
        }
    });
    big(QStringLiteral("big_colors"), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        const QColor wheel[] = {QColor(230, 60, 60), QColor(240, 200, 40), QColor(60, 190, 90), QColor(60, 120, 230)};
        for (int i = 0; i < 4; ++i) {
            p.setBrush(wheel[i]);
            p.drawPie(QRectF(4, 4, 24, 24), i * 90 * 16, 90 * 16);
        }
    });
    big(QStringLiteral("big_advanced"), [](QPainter& p) {
        p.setPen(pen(kInk, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(9, 9, 14, 14));
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(QPointF(16 + 8 * std::cos(a), 16 + 8 * std::sin(a)),
                       QPointF(16 + 12 * std::cos(a), 16 + 12 * std::sin(a)));
        }
    });
    const auto magnifier = [](int sign) {
        return [sign](QPainter& p) {
            p.setPen(pen(kInk, 2.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(5, 5, 16, 16));
            p.drawLine(QPointF(19, 19), QPointF(27, 27));
            p.drawLine(QPointF(9, 13), QPointF(17, 13));
            if (sign > 0)
                p.drawLine(QPointF(13, 9), QPointF(13, 17));
            if (sign == 0) {
                p.setPen(pen(kAccent, 2));
                p.drawLine(QPointF(9, 13), QPointF(17, 13));
            }
        };
    };
    big(QStringLiteral("zoom_in"), magnifier(1));
    big(QStringLiteral("zoom_out"), magnifier(-1));
    big(QStringLiteral("actual_size"), [](QPainter& p) {
        p.setPen(pen(kInk, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(6, 6, 20, 20));
        QFont font;
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(6, 6, 20, 20), Qt::AlignCenter, QStringLiteral("1:1"));
    });
    big(QStringLiteral("paste"), clipboard);

    // The window toolbar's fonts and print items.
    small(QStringLiteral("toolbar_fonts"), [](QPainter& p) {
        QFont font;
        font.setPixelSize(13);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("Aa"));
    });
    small(QStringLiteral("toolbar_print"), [](QPainter& p) {
        p.setPen(pen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(6, 2.5, 8, 5));         // the paper going in
        p.drawRoundedRect(QRectF(2.5, 7.5, 15, 7), 1.5, 1.5);
        p.setBrush(kInk);
        p.drawRect(QRectF(6, 12.5, 8, 5));        // the sheet coming out
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(14, 9, 2, 2));
    });

    small(QStringLiteral("cut"), [](QPainter& p) {
        p.setPen(pen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(3, 12, 5, 5));
        p.drawEllipse(QRectF(12, 12, 5, 5));
        p.drawLine(QPointF(7, 12), QPointF(14, 3));
        p.drawLine(QPointF(13, 12), QPointF(6, 3));
    });
    small(QStringLiteral("copy"), [](QPainter& p) {
        p.setPen(pen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 3, 10, 11));
        p.drawRect(QRectF(7, 6, 10, 11));
    });
    small(QStringLiteral("tool_Brush"), [](QPainter& p) {
        p.setPen(pen(kInk, 2));
        p.drawLine(QPointF(4, 16), QPointF(15, 5));
        p.setPen(pen(kWarm, 2));
        p.drawLine(QPointF(13, 7), QPointF(16, 4));
    });
    small(QStringLiteral("tool_Eraser"), [](QPainter& p) {
        p.setPen(pen(kInk, 1.5));
        p.setBrush(QColor(230, 120, 140));
        QPainterPath block;
        block.moveTo(3, 13);
        block.lineTo(10, 5);
        block.lineTo(17, 11);
        block.lineTo(11, 17);
        block.lineTo(6, 17);
        block.closeSubpath();
        p.drawPath(block);
    });
    small(QStringLiteral("tool_Airbrush"), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        const QPointF dots[] = {{5, 5}, {9, 4}, {13, 6}, {6, 9}, {11, 10}, {15, 11}, {8, 14}, {13, 15}, {4, 13}};
        for (const QPointF& d : dots)
            p.drawEllipse(d, 1.2, 1.2);
    });
    small(QStringLiteral("tool_Fill"), [](QPainter& p) {
        p.setPen(pen(kInk, 1.5));
        p.setBrush(Qt::NoBrush);
        QPainterPath bucket;
        bucket.moveTo(4, 8);
        bucket.lineTo(10, 3);
        bucket.lineTo(16, 9);
        bucket.lineTo(10, 15);
        bucket.closeSubpath();
        p.drawPath(bucket);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(14, 12, 4, 5));
    });
    small(QStringLiteral("tool_KZText"), [](QPainter& p) {
        QFont font;
        font.setPixelSize(15);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kInk);
        p.drawText(QRectF(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("A"));
    });
    small(QStringLiteral("tool_Eyedropper"), [](QPainter& p) {
        p.setPen(pen(kInk, 2));
        p.drawLine(QPointF(4, 16), QPointF(13, 7));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QRectF(12, 3, 5, 5));
    });
    small(QStringLiteral("tool_Bomb"), [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QRectF(3, 6, 11, 11));
        p.setPen(pen(kWarm, 1.5));
        p.drawLine(QPointF(12, 7), QPointF(16, 3));
    });
    small(QStringLiteral("tool_Zoom"), [](QPainter& p) {
        p.setPen(pen(kInk, 1.8));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(3, 3, 10, 10));
        p.drawLine(QPointF(12, 12), QPointF(17, 17));
    });
    const Drawing dashedRect = [](QPainter& p) {
        QPen dashes = pen(kInk, 1.3);
        dashes.setDashPattern({2, 2});
        p.setPen(dashes);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3, 4, 14, 12));
    };
    const Drawing dashedLoop = [](QPainter& p) {
        QPen dashes = pen(kInk, 1.3);
        dashes.setDashPattern({2, 2});
        p.setPen(dashes);
        p.setBrush(Qt::NoBrush);
        QPainterPath loop;
        loop.moveTo(4, 10);
        loop.cubicTo(4, 2, 16, 2, 16, 9);
        loop.cubicTo(16, 16, 8, 13, 6, 17);
        p.drawPath(loop);
    };
    small(QStringLiteral("sel_rectangle"), dashedRect);
    small(QStringLiteral("sel_free"), dashedLoop);
    small(QStringLiteral("tool_Line"), [](QPainter& p) {
        p.setPen(pen(kInk, 1.8));
        p.drawLine(QPointF(3, 17), QPointF(17, 3));
    });
    small(QStringLiteral("tool_Curve"), [](QPainter& p) {
        p.setPen(pen(kInk, 1.8));
        p.setBrush(Qt::NoBrush);
        QPainterPath curve;
        curve.moveTo(3, 15);
        curve.cubicTo(6, 0, 12, 22, 17, 5);
        p.drawPath(curve);
    });
    small(QStringLiteral("tool_Ellipse"), outline(unitPath([](QPainterPath& e) { e.addEllipse(0, 0.15, 1, 0.7); }), 20));
    for (const QString& label : KZShapeKinds::labels())
        small(QStringLiteral("shape_") + label, outline(KZShapeKinds::sample(label), 20));
    return list;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()))
        return 1;
    QStringList written;
    for (const Icon& icon : icons()) {
        for (int scale : {1, 2}) {
            const QString file = icon.name + (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
            if (!render(icon.side, scale, icon.drawing).save(out.filePath(file))) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(out.filePath(file)));
                return 1;
            }
            written << file;
        }
    }
    QFile list(out.filePath(QStringLiteral("ribbon-icons.list")));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    QTextStream(&list) << written.join(QLatin1Char('\n')) << '\n';
    return 0;
}
