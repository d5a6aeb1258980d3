// Draws the skinned controls' images at build time, in the ribbon's dark
// look (window #454545, separators #393939). Each image is written at one
// and at two pixels per point (name.png, name@2x.png); most are meant for
// the automatic nine-part cut, so their middle row and column are plain and
// can be stretched. The output is the same, byte for byte, on every run.
//   velumo-skin-generator OUT_DIR
// writes OUT_DIR/<name>.png, OUT_DIR/<name>@2x.png and OUT_DIR/skins.list
// (the file names written, one a line).
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QConicalGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QPolygonF>

#include <cstdio>
#include <functional>
#include <vector>

namespace {
const QColor kWindow(0x45, 0x45, 0x45);
const QColor kSeparator(0x39, 0x39, 0x39);
const QColor kSeparatorLight(0x52, 0x52, 0x52);
const QColor kFace(0x50, 0x50, 0x50);
const QColor kFaceBorder(0x38, 0x38, 0x38);
const QColor kHover(255, 255, 255, 36);
const QColor kHoverBorder(0x6e, 0x6e, 0x6e);
const QColor kPressed(0x2e, 0x2e, 0x2e);
const QColor kPressedBorder(0x26, 0x26, 0x26);
const QColor kSelected(0x2d, 0x5f, 0x9a);
const QColor kSelectedBorder(0x4a, 0x86, 0xc8);
const QColor kTrack(0x28, 0x28, 0x28);

using Draw = std::function<void(QPainter&, const QRectF&)>;

struct Skin {
    QString name;
    QSize points;
    Draw draw;
};

// A rounded face with a one-point border, inset by half a point so the
// border lands on whole pixels.
Draw face(const QColor& fill, const QColor& border, qreal radius = 3)
{
    return [=](QPainter& p, const QRectF& r) {
        p.setPen(QPen(border, 1));
        p.setBrush(fill);
        p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    };
}

Draw fill(const QColor& colour)
{
    return [=](QPainter& p, const QRectF& r) { p.fillRect(r, colour); };
}

// One segment of a segmented control: rounded on the outer side(s), with a
// separator on the right unless it is the last.
Draw segment(const QString& word, const QColor& fillColour, const QColor& border)
{
    return [=](QPainter& p, const QRectF& r) {
        const bool roundLeft = word == QLatin1String("left");
        const bool roundRight = word == QLatin1String("right");
        const QRectF body = r.adjusted(0.5, 0.5, -0.5, -0.5);
        const qreal radius = 3;
        QPainterPath path;
        // Square corners are made by widening the rounded shape past the
        // side that joins the next segment, then clipping it back.
        QRectF shape = body;
        if (!roundLeft)
            shape.setLeft(shape.left() - 2 * radius);
        if (!roundRight)
            shape.setRight(shape.right() + 2 * radius);
        path.addRoundedRect(shape, radius, radius);
        p.save();
        p.setClipRect(r);
        p.setPen(QPen(border, 1));
        p.setBrush(fillColour);
        p.drawPath(path);
        p.restore();
        if (!roundRight) {
            p.setPen(QPen(kSeparator, 1));
            p.drawLine(QPointF(r.right() - 0.5, r.top() + 2), QPointF(r.right() - 0.5, r.bottom() - 2));
        }
    };
}

Draw arrowButton(int direction, const QColor& ground, const QColor& mark)
{
    return [=](QPainter& p, const QRectF& r) {
        p.fillRect(r, ground);
        const QPointF c = r.center();
        const qreal a = 3.5;
        QPolygonF triangle;
        switch (direction) {
        case 0:
            triangle << QPointF(c.x() - a, c.y() + a / 2) << QPointF(c.x() + a, c.y() + a / 2)
                     << QPointF(c.x(), c.y() - a / 2 - 1);
            break;
        case 1:
            triangle << QPointF(c.x() - a, c.y() - a / 2) << QPointF(c.x() + a, c.y() - a / 2)
                     << QPointF(c.x(), c.y() + a / 2 + 1);
            break;
        case 2:
            triangle << QPointF(c.x() + a / 2, c.y() - a) << QPointF(c.x() + a / 2, c.y() + a)
                     << QPointF(c.x() - a / 2 - 1, c.y());
            break;
        default:
            triangle << QPointF(c.x() - a / 2, c.y() - a) << QPointF(c.x() - a / 2, c.y() + a)
                     << QPointF(c.x() + a / 2 + 1, c.y());
            break;
        }
        p.setPen(Qt::NoPen);
        p.setBrush(mark);
        p.drawPolygon(triangle);
    };
}

// The tool widgets' looks: the colour wells' hovered and pressed grounds,
// the tool buttons' pressed and hovered grounds in their three sizes, the
// colour selector's swap arrows and the colour group's link to the colour
// panel.
void toolWidgetImages(std::vector<Skin>& list)
{
    list.push_back({"hoveredwell", QSize(24, 24), face(kHover, kHoverBorder, 4)});
    list.push_back({"pressedwell", QSize(24, 24), face(kSelected, kSelectedBorder, 4)});
    const struct {
        const char* suffix;
        QSize size;
    } tools[] = {{"small", {32, 32}}, {"wide", {64, 32}}, {"widetall", {64, 48}}};
    for (const auto& tool : tools) {
        const QString suffix = QLatin1String(tool.suffix);
        list.push_back({"pressed" + suffix, tool.size, face(kPressed, kSelectedBorder)});
        list.push_back({"hovered" + suffix, tool.size, face(kHover, kHoverBorder)});
    }
    list.push_back({"switchcolors", QSize(12, 12), [](QPainter& p, const QRectF& r) {
                        // A bent arrow with a head at each end.
                        p.setPen(QPen(QColor(0xdd, 0xdd, 0xdd), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                        p.setBrush(Qt::NoBrush);
                        QPainterPath bend;
                        bend.moveTo(r.left() + 3, r.top() + 2.5);
                        bend.quadTo(r.right() - 2.5, r.top() + 2.5, r.right() - 2.5, r.bottom() - 3);
                        p.drawPath(bend);
                        p.drawPolyline(QPolygonF({QPointF(r.left() + 5, r.top() + 0.5), QPointF(r.left() + 2.5, r.top() + 2.5),
                                                  QPointF(r.left() + 5, r.top() + 4.5)}));
                        p.drawPolyline(QPolygonF({QPointF(r.right() - 4.5, r.bottom() - 5),
                                                  QPointF(r.right() - 2.5, r.bottom() - 2.5),
                                                  QPointF(r.right() - 0.5, r.bottom() - 5)}));
                    }});
    list.push_back({"colorpanel_link", QSize(28, 28), [](QPainter& p, const QRectF& r) {
                        // A colour wheel.
                        QConicalGradient wheel(r.center(), 90);
                        for (int i = 0; i <= 6; ++i)
                            wheel.setColorAt(i / 6.0, QColor::fromHsvF(float(i % 6) / 6.0f, 0.85f, 1.0f));
                        p.setPen(QPen(QColor(0x2e, 0x2e, 0x2e), 1));
                        p.setBrush(wheel);
                        p.drawEllipse(r.adjusted(2.5, 2.5, -2.5, -2.5));
                        QRadialGradient white(r.center(), r.width() / 2 - 2.5);
                        white.setColorAt(0, QColor(255, 255, 255, 230));
                        white.setColorAt(1, QColor(255, 255, 255, 0));
                        p.setPen(Qt::NoPen);
                        p.setBrush(white);
                        p.drawEllipse(r.adjusted(2.5, 2.5, -2.5, -2.5));
                    }});
}

std::vector<Skin> skins()
{
    std::vector<Skin> list;
    const QSize button(12, 12);
    // Push buttons: the ribbon's drop-down group buttons, the colour
    // buttons, the brush chooser's preview buttons, the zoom pop-up.
    for (const char* base : {"btn_color_adv", "btn_color", "btn_brush", "scalebutton_btn_popup"}) {
        const QString b = QLatin1String(base);
        list.push_back({b + "_n", button, face(kFace, kFaceBorder)});
        list.push_back({b + "_h", button, face(kHover, kHoverBorder)});
        list.push_back({b + "_p", button, face(kPressed, kPressedBorder)});
    }
    list.push_back({"btn_brush_s", button, face(QColor(0, 0, 0, 0), kSelectedBorder)});
    // The active colour button and the chosen swatch.
    list.push_back({"btn_color_s", button, face(kSelected, kSelectedBorder)});
    toolWidgetImages(list);
    // Segments, shared by every segmented control whose identifier ends in
    // "seg" (tab selectors, the brush chooser's groups, tool rows).
    for (const char* word : {"left", "middle", "right"}) {
        const QString w = QLatin1String(word);
        const QString b = QStringLiteral("seg_") + w;
        list.push_back({b + "_n", button, segment(w, kFace, kFaceBorder)});
        list.push_back({b + "_s", button, segment(w, kSelected, kSelectedBorder)});
        list.push_back({b + "_h", button, segment(w, kHover, kHoverBorder)});
        list.push_back({b + "_p", button, segment(w, kPressed, kPressedBorder)});
    }
    // Backgrounds: the tab bar, tab pages, pop-up panels, and the ribbon's
    // group separators.
    list.push_back({"tab_label_view_n", QSize(8, 27), [](QPainter& p, const QRectF& r) {
                        p.fillRect(r, QColor(0x3d, 0x3d, 0x3d));
                        p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), kSeparator);
                    }});
    list.push_back({"tab_tabview_n", QSize(8, 8), [](QPainter& p, const QRectF& r) {
                        p.fillRect(r, kWindow);
                        p.setPen(QPen(kSeparator, 1));
                        p.setBrush(Qt::NoBrush);
                        p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
                    }});
    list.push_back({"popup_tab_tabview_n", QSize(12, 12), face(QColor(0x4a, 0x4a, 0x4a), QColor(0x2e, 0x2e, 0x2e), 4)});
    list.push_back({"tab_vseperator_line_n", QSize(2, 4), [](QPainter& p, const QRectF& r) {
                        p.fillRect(QRectF(r.left(), r.top(), 1, r.height()), kSeparator);
                        p.fillRect(QRectF(r.left() + 1, r.top(), 1, r.height()), kSeparatorLight);
                    }});
    // Scroll bars: the track and the knob, which shows its hover image
    // alone while the mouse is over the bar; the corner between two bars.
    list.push_back({"vslot_n", QSize(9, 12), fill(kTrack)});
    list.push_back({"hslot_n", QSize(12, 9), fill(kTrack)});
    list.push_back({"vknob_n", QSize(9, 12), face(QColor(0x66, 0x66, 0x66), kTrack, 3.5)});
    list.push_back({"vknob_h", QSize(9, 12), face(QColor(0x8a, 0x8a, 0x8a), kTrack, 3.5)});
    list.push_back({"hknob_n", QSize(12, 9), face(QColor(0x66, 0x66, 0x66), kTrack, 3.5)});
    list.push_back({"hknob_h", QSize(12, 9), face(QColor(0x8a, 0x8a, 0x8a), kTrack, 3.5)});
    list.push_back({"kz_scroller_paint_view_brgap_n", QSize(8, 8), fill(kTrack)});
    // Arrow buttons of scrollers whose identifier begins with "arrow": a
    // triangle pointing away from the bar's middle.
    const struct {
        const char* name;
        int direction; // 0 up, 1 down, 2 left, 3 right
    } arrows[] = {{"vbutton1", 0}, {"vbutton2", 1}, {"hbutton1", 2}, {"hbutton2", 3}};
    for (const auto& arrow : arrows) {
        const QString b = QLatin1String(arrow.name);
        list.push_back({b + "_n", QSize(15, 15), arrowButton(arrow.direction, kTrack, QColor(0x8a, 0x8a, 0x8a))});
        list.push_back({b + "_h", QSize(15, 15), arrowButton(arrow.direction, kTrack, QColor(0xc8, 0xc8, 0xc8))});
        list.push_back({b + "_p", QSize(15, 15), arrowButton(arrow.direction, kPressed, QColor(0xff, 0xff, 0xff))});
    }
    // The ribbon's split buttons: their background shows hover and, while
    // the chosen item's tool is current, the selected look.
    list.push_back({"popupbutton_adv_n", button, face(QColor(0, 0, 0, 0), QColor(0, 0, 0, 0))});
    list.push_back({"popupbutton_adv_s", button, face(kSelected, kSelectedBorder)});
    list.push_back({"popupbutton_adv_h", button, face(kHover, kHoverBorder)});
    return list;
}

QImage render(const Skin& skin, int scale)
{
    QImage image(skin.points * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
    skin.draw(p, QRectF(QPointF(0, 0), QSizeF(skin.points)));
    p.end();
    return image;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    QByteArray listing;
    for (const Skin& skin : skins()) {
        for (int scale : {1, 2}) {
            const QString file = skin.name + (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png"));
            if (!render(skin, scale).save(outDir + QLatin1Char('/') + file, "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
                return 1;
            }
            listing += file.toUtf8() + '\n';
        }
    }
    QFile list(outDir + QStringLiteral("/skins.list"));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Truncate) || list.write(listing) != listing.size()) {
        std::fprintf(stderr, "cannot write skins.list\n");
        return 1;
    }
    return 0;
}
