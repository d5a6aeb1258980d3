// Draws the program's icon at build time: a rounded tile with three dabs of
// paint and a brush stroke across them. Writes one PNG per size given.
//   velumo-icon-generator OUT_DIR SIZE...
// writes OUT_DIR/<size>/velumo.png for every size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {
QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(size / 256.0, size / 256.0);

    // The tile.
    const QRectF tile(12, 12, 232, 232);
    QLinearGradient background(tile.topLeft(), tile.bottomRight());
    background.setColorAt(0, QColor(58, 92, 200));
    background.setColorAt(1, QColor(110, 56, 170));
    p.setPen(Qt::NoPen);
    p.setBrush(background);
    p.drawRoundedRect(tile, 48, 48);

    // The sheet of paper.
    p.setBrush(QColor(250, 247, 240));
    p.drawRoundedRect(QRectF(44, 52, 168, 152), 14, 14);

    // Three dabs of paint.
    const struct { QPointF centre; QColor colour; } dabs[] = {
        {{92, 104}, QColor(230, 70, 60)},
        {{146, 96}, QColor(245, 195, 55)},
        {{118, 146}, QColor(40, 150, 210)},
    };
    for (const auto& dab : dabs) {
        QRadialGradient shade(dab.centre - QPointF(8, 8), 40);
        shade.setColorAt(0, dab.colour.lighter(125));
        shade.setColorAt(1, dab.colour);
        p.setBrush(shade);
        p.drawEllipse(dab.centre, 30, 30);
    }

    // A brush stroke sweeping across.
    QPainterPath stroke;
    stroke.moveTo(60, 186);
    stroke.cubicTo(100, 150, 150, 205, 198, 160);
    QPen pen(QColor(45, 45, 60), 14, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(stroke);
    p.end();
    return image;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT_DIR SIZE...\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size <= 0)
            return 2;
        const QString dir = QStringLiteral("%1/%2").arg(outDir).arg(size);
        if (!QDir().mkpath(dir) || !drawIcon(size).save(dir + QStringLiteral("/velumo.png"), "PNG")) {
            std::fprintf(stderr, "cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
