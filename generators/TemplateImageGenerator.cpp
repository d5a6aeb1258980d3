// Draws the user-interface framework's template images at build time: shapes
// held in the alpha channel only (black, any opacity), tinted when shown.
//   velumo-template-image-generator OUT_DIR
// writes OUT_DIR/<name>.png for every image below.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

constexpr int kSide = 24;

QImage draw(const std::function<void(QPainter&)>& shape)
{
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    shape(p);
    p.end();
    return image;
}

void circle(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(QRectF(4, 4, 16, 16));
}

void check(QPainter& p)
{
    QPainterPath path;
    path.moveTo(5, 12.5);
    path.lineTo(10, 17.5);
    path.lineTo(19, 6.5);
    p.setPen(QPen(Qt::black, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void brush(QPainter& p)
{
    // A round brush tip on a slanted handle.
    p.setPen(QPen(Qt::black, 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 4), QPointF(11, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath tip;
    tip.moveTo(10, 11);
    tip.cubicTo(14, 14, 11, 20, 4, 20);
    tip.cubicTo(6, 17, 5, 13, 10, 11);
    p.drawPath(tip);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir))
        return 1;
    const struct {
        const char* name;
        void (*shape)(QPainter&);
    } images[] = {
        {"SelectCircleTemplate", circle},
        {"SelectCheckTemplate", check},
        {"SelectBrushTemplate", brush},
    };
    for (const auto& entry : images) {
        const QString path = outDir + QLatin1Char('/') + QLatin1String(entry.name) + QStringLiteral(".png");
        if (!draw(entry.shape).save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
