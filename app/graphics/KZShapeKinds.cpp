#include "KZShapeKinds.h"

#include "KZGraphicElementClass.h"
#include "KZShapeBuilder.h"
#include "KZShapeEditor.h"

#include <QTransform>

#include <cmath>
#include <functional>
#include <map>
#include <vector>

namespace {

using Outline = std::function<void(QPainterPath&)>;

// Bare points: a move to the first, lines to the others, a close.
Outline polygon(std::vector<QPointF> points)
{
    return [points](QPainterPath& p) {
        p.moveTo(points.front());
        for (size_t i = 1; i < points.size(); ++i)
            p.lineTo(points[i]);
        p.closeSubpath();
    };
}

// A cubic whose end and control points are offsets from the current point.
void relativeCurve(QPainterPath& p, const QPointF& end, const QPointF& c1, const QPointF& c2)
{
    const QPointF at = p.currentPosition();
    p.cubicTo(at + c1, at + c2, at + end);
}

void rectangleMessage(QPainterPath& p)
{
    p.moveTo(0, 10);
    p.lineTo(0, 70);
    p.cubicTo(QPointF(0, 80), QPointF(10, 80), QPointF(10, 80));
    p.lineTo(20, 80);
    p.lineTo(30, 100);
    p.lineTo(40, 80);
    p.lineTo(90, 80);
    p.cubicTo(QPointF(100, 80), QPointF(100, 70), QPointF(100, 70));
    p.lineTo(100, 10);
    p.cubicTo(QPointF(100, 0), QPointF(90, 0), QPointF(90, 0));
    p.lineTo(10, 0);
    p.cubicTo(QPointF(0, 0), QPointF(0, 10), QPointF(0, 10));
    p.closeSubpath();
}

void bubble(QPainterPath& p)
{
    p.moveTo(164.20897, 715.27948);
    p.cubicTo(QPointF(-218.1611, 374.01402), QPointF(145.43437, -57.58908), QPointF(567.56848, 15.70261));
    p.cubicTo(QPointF(942.58017, 80.81282), QPointF(1107.5104, 391.96468), QPointF(905.0927, 635.41676));
    p.cubicTo(QPointF(710.79352, 869.10449), QPointF(465.67006, 836.91716), QPointF(465.67006, 836.91716));
    p.lineTo(218.19295, 987.87817);
    p.closeSubpath();
}

void cloud(QPainterPath& p)
{
    p.moveTo(112.43138, 348.51702);
    p.cubicTo(QPointF(-71.574839, 377.65777), QPointF(26.561822, 571.92944), QPointF(103.23106, 578.40516));
    p.lineTo(66.429828, 558.97802);
    relativeCurve(p, {95.069872, 200.7474}, {-79.736031, 129.51444}, {15.333847, 200.7474});
    p.lineTo(127.76523, 759.72542);
    relativeCurve(p, {254.54196, 55.04365}, {64.4022, 123.03872}, {220.80749, 116.563});
    p.lineTo(373.10689, 795.3419);
    relativeCurve(p, {309.74381, -48.56794}, {116.53727, 210.4609}, {288.27644, 80.94652});
    p.lineTo(673.65041, 775.91471);
    p.cubicTo(QPointF(912.85849, 889.23985), QPointF(900.59142, 526.59939), QPointF(872.99049, 639.92454));
    p.lineTo(872.99049, 639.92454);
    p.cubicTo(QPointF(1010.9952, 610.78379), QPointF(1017.1287, 426.2257), QPointF(968.0604, 364.70632));
    p.lineTo(928.19236, 416.51211);
    relativeCurve(p, {-33.73448, -246.07747}, {104.27014, -100.3737}, {9.2003, -239.60174});
    p.lineTo(893.20041, 171.6554);
    p.cubicTo(QPointF(838.98705, 48.021662), QPointF(776.09957, 22.837007), QPointF(691.52672, 102.96999));
    p.lineTo(693.69524, 105.25949);
    p.cubicTo(QPointF(613.45948, -4.6371558), QPointF(535.39224, 96.10145), QPointF(511.53838, 135.02317));
    p.lineTo(518.04399, 123.57561);
    p.cubicTo(QPointF(416.12287, 31.995056), QPointF(344.56124, 139.60221), QPointF(331.55004, 162.49733));
    p.lineTo(357.77302, 176.91038);
    p.cubicTo(QPointF(143.09909, 50.633786), QPointF(97.097539, 261.09476), QPointF(115.49816, 380.89563));
    p.closeSubpath();
    p.addEllipse(QRectF(179.14286, 852.85712, 96.85714, 90));
    p.addEllipse(QRectF(122.142857, 925.857147, 56.571426, 47.714286));
    p.addEllipse(QRectF(82.285712, 968.142862, 39.142856, 31.142856));
}

void heart(QPainterPath& p)
{
    p.moveTo(500, 182.85714);
    relativeCurve(p, {0, 805.71429}, {-557.14286, -565.71429}, {-760, 368.57144});
    p.lineTo(500, 988.57143);
    p.cubicTo(QPointF(1269, 551.42858), QPointF(1057.14286, -382.85715), QPointF(500, 182.85714));
    p.closeSubpath();
}

void smile(QPainterPath& p)
{
    p.addEllipse(QRectF(0, 0, 1, 1));
    p.addEllipse(QRectF(0.25, 0.35, 0.1, 0.1));
    p.addEllipse(QRectF(0.65, 0.35, 0.1, 0.1));
    p.moveTo(0.15, 0.7);
    p.cubicTo(QPointF(0.4, 0.8), QPointF(0.6, 0.8), QPointF(0.85, 0.7));
    p.closeSubpath();
}

struct Kind {
    QString label;
    Outline outline;
};

const std::vector<Kind>& kinds()
{
    const double r3 = std::sqrt(3.0);
    const double a = 0.5 - std::sqrt(2.0) / 12;
    const double b = 0.5 + std::sqrt(2.0) / 12;
    const double s = r3 / 12;
    static const std::vector<Kind> list = {
        {"rectangleMessage", rectangleMessage},
        {"bubble", bubble},
        {"cloud", cloud},
        {"heart", heart},
        {"rightTriangle", polygon({{0, 0}, {0, 1}, {1, 1}})},
        {"triangle", polygon({{0.5, 0}, {0, r3 / 2}, {1, r3 / 2}})},
        {"pentacle", polygon({{0.618034, 0.363271}, {0.5, 0}, {0.381966, 0.363271}, {0, 0.363271},
                              {0.309017, 0.587785}, {0.190983, 0.951056}, {0.5, 0.726542}, {0.809017, 0.951057},
                              {0.690983, 0.587785}, {1, 0.363271}})},
        {"prismatic", polygon({{0, 0.5}, {0.5, 1}, {1, 0.5}, {0.5, 0}})},
        {"pentagon", polygon({{0.5, 0}, {0, 0.363271}, {0.190983, 0.951056}, {0.809017, 0.951057}, {1, 0.363271}})},
        {"hexagon", polygon({{0.75, r3 / 2}, {0.25, r3 / 2}, {0, r3 / 4}, {0.25, 0}, {0.75, 0}, {1, r3 / 4}})},
        {"arrowRight", polygon({{0, 0.25}, {0, 0.75}, {0.5, 0.75}, {0.5, 1}, {1, 0.5}, {0.5, 0}, {0.5, 0.25}})},
        {"arrowLeft", polygon({{1, 0.25}, {1, 0.75}, {0.5, 0.75}, {0.5, 1}, {0, 0.5}, {0.5, 0}, {0.5, 0.25}})},
        {"arrowLeftRight", polygon({{1, 0.75}, {0.5, 0.75}, {0.5, 1}, {0, 0.5}, {0.5, 0}, {0.5, 0.25}, {1, 0.25},
                                    {1, 0}, {1.5, 0.5}, {1, 1}})},
        {"arrowUp", polygon({{0.25, 1}, {0.75, 1}, {0.75, 0.5}, {1, 0.5}, {0.5, 0}, {0, 0.5}, {0.25, 0.5}})},
        {"arrowDown", polygon({{0.25, 0}, {0.75, 0}, {0.75, 0.5}, {1, 0.5}, {0.5, 1}, {0, 0.5}, {0.25, 0.5}})},
        {"arrowUpDown", polygon({{0.75, 1}, {0.75, 0.5}, {1, 0.5}, {0.5, 0}, {0, 0.5}, {0.25, 0.5}, {0.25, 1},
                                 {0, 1}, {0.5, 1.5}, {1, 1}})},
        {"flash", polygon({{0.39, 0}, {0, 0.19}, {0.35, 0.39}, {0.24, 0.45}, {0.56, 0.64}, {0.47, 0.69}, {1, 1},
                           {0.68, 0.59}, {0.75, 0.55}, {0.52, 0.32}, {0.59, 0.28}})},
        {"smile", smile},
        {"fourPointStar", polygon({{0, 0.5}, {a, b}, {0.5, 1}, {b, b}, {1, 0.5}, {b, a}, {0.5, 0}, {a, a}})},
        {"hexagram", polygon({{0, 0.25}, {s, 0.5}, {0, 0.75}, {2 * s, 0.75}, {3 * s, 1}, {4 * s, 0.75},
                              {6 * s, 0.75}, {5 * s, 0.5}, {6 * s, 0.25}, {4 * s, 0.25}, {3 * s, 0}, {2 * s, 0.25}})},
        {"rectangle", [](QPainterPath& p) { p.addRect(QRectF(0, 0, 1, 1)); }},
        {"circle", [](QPainterPath& p) { p.addEllipse(QRectF(0, 0, 1, 1)); }},
        {"roundedRectangle", [](QPainterPath& p) { p.addRoundedRect(QRectF(0, 0, 1, 1), 0.2, 0.2); }},
    };
    return list;
}

const Kind* kindNamed(const QString& label)
{
    for (const Kind& kind : kinds())
        if (kind.label == label)
            return &kind;
    return nullptr;
}

} // namespace

const QStringList& KZShapeKinds::labels()
{
    static const QStringList list = [] {
        QStringList names;
        for (const Kind& kind : kinds())
            names << kind.label;
        return names;
    }();
    return list;
}

QPainterPath KZShapeKinds::sample(const QString& label)
{
    const Kind* kind = kindNamed(label);
    if (!kind)
        return {};
    QPainterPath outline;
    kind->outline(outline);
    // The outline's own box, curve control points not included.
    const QRectF box = outline.boundingRect();
    QPainterPath normalised =
        QTransform(1 / box.width(), 0, 0, 1 / box.height(), -box.x() / box.width(), -box.y() / box.height())
            .map(outline);
    normalised.setFillRule(Qt::WindingFill);
    return normalised;
}

const KZGraphicElementClass* KZShapeKinds::elementClass(const QString& label)
{
    static const std::map<QString, KZGraphicElementClass> classes = [] {
        std::map<QString, KZGraphicElementClass> made;
        for (const Kind& kind : kinds()) {
            const QString name = kind.label;
            made[name] = KZGraphicElementClass{
                name,
                // A fresh builder (and sample) for every shape.
                [name](KZGraphicsContext* context) {
                    return std::make_unique<KZShapeBuilder>(context, KZShapeKinds::sample(name));
                },
                [](KZGraphicsContext* context, const std::shared_ptr<KZGraphicElement>& element) {
                    return std::make_unique<KZShapeEditor>(context, element);
                }};
        }
        return made;
    }();
    const auto found = classes.find(label);
    return found == classes.end() ? nullptr : &found->second;
}
