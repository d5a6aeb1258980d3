// Draws the online services' images at build time.
//   velumo-service-image-generator OUT_DIR
// writes OUT_DIR/emotion_sad.png (48 x 48) and emotion_sad@2x.png: a sad
// face in light strokes, shown on the dark box of a failure message.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

QImage sadFace(int scale)
{
    const int side = 48 * scale;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink(240, 240, 240);
    p.setPen(QPen(ink, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4, 4, 40, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(15, 16, 5, 6));
    p.drawEllipse(QRectF(28, 16, 5, 6));
    // The mouth: the upper part of a circle, so it turns down at both ends.
    p.setPen(QPen(ink, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(15, 29, 18, 14), 30 * 16, 120 * 16);
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    if (!sadFace(1).save(out + QStringLiteral("/emotion_sad.png")) ||
        !sadFace(2).save(out + QStringLiteral("/emotion_sad@2x.png"))) {
        std::fprintf(stderr, "cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
