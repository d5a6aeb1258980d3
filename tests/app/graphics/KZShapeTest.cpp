#include "KZGraphicElementClass.h"
#include "KZGraphicsContext.h"
#include "KZShapeBuilder.h"
#include "KZShapeElement.h"
#include "KZShapeKinds.h"
#include "KZShapeTool.h"
#include "KZToolboxController.h"
#include "SWImageTools.h"
#include "TestMain.h"
#include "support/DocumentWindowFixture.h"

#include "platform/appkit/UndoManager.h"
#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/UserDefaults.h"

#include <QDir>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

void expectRect(const QRectF& actual, const QRectF& expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

// The box a builder's element fills (its outline, not its stroke).
QRectF outlineBox(const KZGraphicElement& element)
{
    return element.KZGraphicElement::bounds();
}

struct Antialias {
    explicit Antialias(bool on) { platform::UserDefaults::standard().setValue(QStringLiteral("AllowAntialias"), on); }
    ~Antialias() { platform::UserDefaults::standard().removeValue(QStringLiteral("AllowAntialias")); }
};

// A document with shape tools (and a recording "Brush"), the given kind current.
struct ShapeToolFixture {
    explicit ShapeToolFixture(const QString& kind)
        : window({"Brush"})
    {
        SWDocument* d = window.document;
        std::vector<SWToolbox::ToolClass> classes = recordingToolClasses({"Brush"});
        for (const char* label : {"heart", "rectangle", "roundedRectangle"})
            classes.push_back({"KZShapeTool", [label](KZToolboxController* c) -> std::unique_ptr<SWTool> {
                                   return KZShapeTool::toolWithKind(c, QString::fromLatin1(label));
                               }});
        d->setToolbox(std::make_unique<SWToolbox>(d, d->toolboxController(), classes));
        d->toolboxController()->setLineWidth(5);
        d->toolboxController()->setCurrentTool(kind);
        tool = dynamic_cast<KZShapeTool*>(d->toolbox()->currentTool());
        QApplication::processEvents();
    }
    void press(const QPointF& p) { window.mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void drag(const QPointF& p) { window.mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void release(const QPointF& p)
    {
        window.mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        // The undo group of the event closes with the event loop's turn.
        QApplication::processEvents();
    }

    DocumentWindowFixture window;
    KZShapeTool* tool = nullptr;
};

} // namespace

TEST(KZShapeKinds, EverySampleFillsTheUnitSquare)
{
    ASSERT_EQ(KZShapeKinds::labels().size(), 23);
    for (const QString& label : KZShapeKinds::labels()) {
        SCOPED_TRACE(label.toStdString());
        const QPainterPath sample = KZShapeKinds::sample(label);
        ASSERT_FALSE(sample.isEmpty());
        expectRect(sample.boundingRect(), {0, 0, 1, 1}, 1e-9);
        EXPECT_EQ(sample.fillRule(), Qt::WindingFill);
        const KZGraphicElementClass* kind = KZShapeKinds::elementClass(label);
        ASSERT_NE(kind, nullptr);
        EXPECT_EQ(kind->description, label);
    }
    // The double arrow that reached 1.5 has its tips at 0 and 1 now.
    const QPainterPath arrows = KZShapeKinds::sample("arrowLeftRight");
    EXPECT_TRUE(arrows.contains(QPointF(0.02, 0.5)));
    EXPECT_TRUE(arrows.contains(QPointF(0.98, 0.5)));
    EXPECT_TRUE(KZShapeKinds::sample("nonsense").isEmpty());
    EXPECT_EQ(KZShapeKinds::elementClass("nonsense"), nullptr);
}

TEST(KZShapeBuilder, BoxesFromDrags)
{
    struct Case {
        const char* name;
        QPointF from, to;
        bool shift;
        QRectF box;
    } const cases[] = {
        {"down right", {10, 10}, {50, 20}, false, {10, 10, 40, 10}},
        {"up left gives the same box", {50, 20}, {10, 10}, false, {10, 10, 40, 10}},
        {"shift, x dominant", {10, 10}, {50, 20}, true, {10, 10, 40, 40}},
        {"shift keeps each axis's direction", {10, 10}, {-30, 20}, true, {-30, 10, 40, 40}},
        {"shift along an axis grows down", {10, 10}, {10, -30}, true, {10, -30, 40, 40}},
        {"release rounds", {10.4, 10.6}, {49.5, 20.2}, false, {10, 11, 40, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        KZGraphicsContext context;
        context.setKeyFlags(c.shift ? platform::ModifierFlags::Shift : 0);
        KZShapeBuilder builder(&context, KZShapeKinds::sample("rectangle"));
        EXPECT_EQ(builder.element(), nullptr);
        builder.handleMouseDown(c.from, nullptr);
        builder.handleMouseDragged((c.from + c.to) / 2, nullptr);
        ASSERT_NE(builder.element(), nullptr);
        EXPECT_FALSE(builder.element()->hasCreated());
        EXPECT_FALSE(builder.handleMouseUp(c.to, nullptr));
        ASSERT_NE(builder.element(), nullptr);
        EXPECT_TRUE(builder.element()->hasCreated());
        expectRect(outlineBox(*builder.element()), c.box);
    }
}

TEST(KZShapeBuilder, ShapesTakeTheirStyleFromTheContext)
{
    KZGraphicsContext context;
    context.setFrontColor(Qt::red);
    context.setBackColor(Qt::green);
    context.setLineWidth(7);
    context.setShouldFill(true);
    context.setKeyFlags(platform::ModifierFlags::Option);
    KZShapeBuilder builder(&context, KZShapeKinds::sample("heart"));
    const auto shape = builder.makeShapeInRect({0, 0, 30, 20});
    EXPECT_EQ(shape->fillColor(), QColor(Qt::red));
    EXPECT_EQ(shape->strokeColor(), QColor(Qt::green));
    EXPECT_EQ(shape->lineSize(), 7);
    EXPECT_TRUE(shape->shouldFill());
    EXPECT_FALSE(shape->hasCreated());
    EXPECT_EQ(shape->elementClass().description, "KZShape");
}

TEST(KZShapeBuilder, RoundedCornersScaleWithTheBox)
{
    // A 200 x 100 box has corners of 40 by 20.
    const QPainterPath path = KZShapeBuilder::pathInRect(KZShapeKinds::sample("roundedRectangle"), {0, 0, 200, 100});
    EXPECT_TRUE(path.contains(QPointF(30, 3)));
    EXPECT_FALSE(path.contains(QPointF(15, 3)));
    EXPECT_TRUE(path.contains(QPointF(3, 25)));
    EXPECT_FALSE(path.contains(QPointF(3, 5)));
}

TEST(KZShapeTool, ClicksAndFlatDragsMakeDefaultBoxes)
{
    struct Case {
        const char* name;
        QPointF from, to;
        QRectF box;
    } const cases[] = {
        {"click", {100, 100}, {100, 100}, {77, 77, 46, 46}},
        {"flat drag of 40", {100, 100}, {140, 100}, {77, 77, 86, 46}},
        {"drag", {100, 100}, {140, 130}, {100, 100, 40, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShapeToolFixture f("heart");
        ASSERT_NE(f.tool, nullptr);
        f.press(c.from);
        if (c.to != c.from)
            f.drag(c.to);
        f.release(c.to);
        ASSERT_TRUE(f.tool->isEditing());
        ASSERT_NE(f.tool->element(), nullptr);
        EXPECT_TRUE(f.tool->element()->hasCreated());
        expectRect(outlineBox(*f.tool->element()), c.box, 1e-6);
        EXPECT_TRUE(f.window.document->undoManager()->canUndo());
    }
}

TEST(KZShapeTool, OneUndoStepPerShapeWhetherCommittedOrDropped)
{
    ShapeToolFixture f("rectangle");
    SWDocument* d = f.window.document;
    const QImage before = SWImageTools::cloneImage(d->dataSource()->mainImage());
    // Dropped: the step stays and restores the same picture.
    f.press({20, 20});
    f.drag({80, 60});
    f.release({80, 60});
    f.window.key(Qt::Key_Delete);
    QApplication::processEvents();
    ASSERT_TRUE(d->undoManager()->canUndo());
    d->undoOperation();
    EXPECT_FALSE(d->undoManager()->canUndo());
    EXPECT_EQ(d->dataSource()->mainImage(), before);
    // Committed by a press outside: one undo takes it away again.
    f.press({20, 20});
    f.drag({80, 60});
    f.release({80, 60});
    f.press({300, 250});
    f.release({300, 250});
    EXPECT_NE(d->dataSource()->mainImage(), before);
    d->undoOperation();
    EXPECT_EQ(d->dataSource()->mainImage(), before);
    EXPECT_FALSE(d->undoManager()->canUndo());
}

TEST(KZShapeTool, TheShapeFollowsTheToolboxWhileEdited)
{
    ShapeToolFixture f("heart");
    f.press({20, 20});
    f.drag({80, 60});
    f.release({80, 60});
    auto shape = std::dynamic_pointer_cast<KZShapeElement>(f.tool->element());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->lineSize(), 5);
    f.window.document->toolboxController()->setLineWidth(9);
    EXPECT_EQ(shape->lineSize(), 9);
    f.window.document->toolboxController()->setForegroundColor(Qt::magenta);
    EXPECT_EQ(shape->strokeColor(), QColor(Qt::magenta));
}

TEST(KZShapeTool, TheRegistryKeysShapeToolsByKindName)
{
    const auto& classes = SWToolbox::toolClassList();
    QStringList labels;
    for (size_t i = 16; i < 39; ++i) {
        ASSERT_TRUE(bool(classes[i].make)) << classes[i].className;
        labels << classes[i].make(nullptr)->description();
    }
    EXPECT_EQ(labels, KZShapeKinds::labels());
    // The controller's shape tags reach the same positions.
    KZToolboxController controller;
    controller.changeToEggsShape(19);
    EXPECT_EQ(controller.currentTool(), "heart");
}

TEST(KZShapeKinds, EveryKindDrawsLikeItsGolden)
{
    // Each kind filled and stroked in a 64 x 48 box; VELUMO_WRITE_GOLDENS=1
    // writes the pictures anew (after a deliberate change of a drawing).
    Antialias on(true);
    const QString folder = testDataPath("shapes");
    const bool write = qEnvironmentVariableIntValue("VELUMO_WRITE_GOLDENS") == 1;
    for (const QString& label : KZShapeKinds::labels()) {
        SCOPED_TRACE(label.toStdString());
        KZGraphicsContext context;
        context.setFrontColor(QColor(20, 30, 160));
        context.setBackColor(QColor(250, 200, 40));
        context.setShouldFill(true);
        context.setLineWidth(2);
        KZShapeBuilder builder(&context, KZShapeKinds::sample(label));
        auto shape = builder.makeShapeInRect({4, 4, 64, 48});
        QImage image = SWImageTools::initImageRep(QSizeF(72, 56));
        QPainter painter(&image);
        shape->draw(&context, &painter);
        painter.end();
        const QString file = folder + "/" + label + ".png";
        if (write) {
            QDir().mkpath(folder);
            ASSERT_TRUE(image.save(file));
            continue;
        }
        QImage golden(file);
        ASSERT_FALSE(golden.isNull()) << file.toStdString();
        golden = golden.convertToFormat(image.format());
        ASSERT_EQ(golden.size(), image.size());
        int differing = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor a = image.pixelColor(x, y);
                const QColor b = golden.pixelColor(x, y);
                const int d = std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                                        std::abs(a.blue() - b.blue()), std::abs(a.alpha() - b.alpha())});
                differing += d > 24;
            }
        // Anti-aliased edges may shift a little between rasterisers.
        EXPECT_LE(differing, image.width() * image.height() / 100) << differing << " pixels differ";
    }
}

namespace {

// The 23 kinds, in the order of the tool registry.
const QStringList kKindLabels = {
    "rectangleMessage", "bubble", "cloud", "heart", "rightTriangle", "triangle", "pentacle", "prismatic",
    "pentagon", "hexagon", "arrowRight", "arrowLeft", "arrowLeftRight", "arrowUp", "arrowDown", "arrowUpDown",
    "flash", "smile", "fourPointStar", "hexagram", "rectangle", "circle", "roundedRectangle",
};

// An outline written as the kinds' table gives it: M move, L line,
// C curve (end point, first control point, second control point),
// c the same relative to the current point, O oval in {x, y, w, h},
// R rounded rectangle {x, y, w, h} with radii rx, ry, Z close.
struct Step {
    char op;
    double v[6];
};

struct KindOutline {
    const char* label;
    std::vector<Step> steps;
};

constexpr double kS = 0.14433756729740643; // sqrt(3) / 12
constexpr double kA = 0.38214886980224206; // 0.5 - sqrt(2) / 12
constexpr double kB = 0.61785113019775794; // 0.5 + sqrt(2) / 12

std::vector<Step> polygon(std::initializer_list<QPointF> points)
{
    std::vector<Step> steps;
    bool first = true;
    for (const QPointF& p : points) {
        steps.push_back({first ? 'M' : 'L', {p.x(), p.y()}});
        first = false;
    }
    steps.push_back({'Z', {}});
    return steps;
}

const std::vector<KindOutline>& kindOutlines()
{
    static const std::vector<KindOutline> outlines = {
        {"rectangleMessage",
         {{'M', {0, 10}}, {'L', {0, 70}}, {'C', {10, 80, 0, 80, 10, 80}}, {'L', {20, 80}}, {'L', {30, 100}},
          {'L', {40, 80}}, {'L', {90, 80}}, {'C', {100, 70, 100, 80, 100, 70}}, {'L', {100, 10}},
          {'C', {90, 0, 100, 0, 90, 0}}, {'L', {10, 0}}, {'C', {0, 10, 0, 0, 0, 10}}, {'Z', {}}}},
        {"bubble",
         {{'M', {164.20897, 715.27948}},
          {'C', {567.56848, 15.70261, -218.1611, 374.01402, 145.43437, -57.58908}},
          {'C', {905.0927, 635.41676, 942.58017, 80.81282, 1107.5104, 391.96468}},
          {'C', {465.67006, 836.91716, 710.79352, 869.10449, 465.67006, 836.91716}},
          {'L', {218.19295, 987.87817}},
          {'Z', {}}}},
        {"cloud",
         {{'M', {112.43138, 348.51702}},
          {'C', {103.23106, 578.40516, -71.574839, 377.65777, 26.561822, 571.92944}},
          {'L', {66.429828, 558.97802}},
          {'c', {95.069872, 200.7474, -79.736031, 129.51444, 15.333847, 200.7474}},
          {'L', {127.76523, 759.72542}},
          {'c', {254.54196, 55.04365, 64.4022, 123.03872, 220.80749, 116.563}},
          {'L', {373.10689, 795.3419}},
          {'c', {309.74381, -48.56794, 116.53727, 210.4609, 288.27644, 80.94652}},
          {'L', {673.65041, 775.91471}},
          {'C', {872.99049, 639.92454, 912.85849, 889.23985, 900.59142, 526.59939}},
          {'L', {872.99049, 639.92454}},
          {'C', {968.0604, 364.70632, 1010.9952, 610.78379, 1017.1287, 426.2257}},
          {'L', {928.19236, 416.51211}},
          {'c', {-33.73448, -246.07747, 104.27014, -100.3737, 9.2003, -239.60174}},
          {'L', {893.20041, 171.6554}},
          {'C', {691.52672, 102.96999, 838.98705, 48.021662, 776.09957, 22.837007}},
          {'L', {693.69524, 105.25949}},
          {'C', {511.53838, 135.02317, 613.45948, -4.6371558, 535.39224, 96.10145}},
          {'L', {518.04399, 123.57561}},
          {'C', {331.55004, 162.49733, 416.12287, 31.995056, 344.56124, 139.60221}},
          {'L', {357.77302, 176.91038}},
          {'C', {115.49816, 380.89563, 143.09909, 50.633786, 97.097539, 261.09476}},
          {'Z', {}},
          {'O', {179.14286, 852.85712, 96.85714, 90}},
          {'O', {122.142857, 925.857147, 56.571426, 47.714286}},
          {'O', {82.285712, 968.142862, 39.142856, 31.142856}}}},
        {"heart",
         {{'M', {500, 182.85714}},
          {'c', {0, 805.71429, -557.14286, -565.71429, -760, 368.57144}},
          {'L', {500, 988.57143}},
          {'C', {500, 182.85714, 1269, 551.42858, 1057.14286, -382.85715}},
          {'Z', {}}}},
        {"rightTriangle", polygon({{0, 0}, {0, 1}, {1, 1}})},
        {"triangle", polygon({{0.5, 0}, {0, 0.866025}, {1, 0.866025}})},
        {"pentacle",
         polygon({{0.618034, 0.363271}, {0.5, 0}, {0.381966, 0.363271}, {0, 0.363271}, {0.309017, 0.587785},
                  {0.190983, 0.951056}, {0.5, 0.726542}, {0.809017, 0.951057}, {0.690983, 0.587785},
                  {1, 0.363271}})},
        {"prismatic", polygon({{0, 0.5}, {0.5, 1}, {1, 0.5}, {0.5, 0}})},
        {"pentagon", polygon({{0.5, 0}, {0, 0.363271}, {0.190983, 0.951056}, {0.809017, 0.951057}, {1, 0.363271}})},
        {"hexagon",
         polygon({{0.75, 0.866025}, {0.25, 0.866025}, {0, 0.433013}, {0.25, 0}, {0.75, 0}, {1, 0.433013}})},
        {"arrowRight", polygon({{0, 0.25}, {0, 0.75}, {0.5, 0.75}, {0.5, 1}, {1, 0.5}, {0.5, 0}, {0.5, 0.25}})},
        {"arrowLeft", polygon({{1, 0.25}, {1, 0.75}, {0.5, 0.75}, {0.5, 1}, {0, 0.5}, {0.5, 0}, {0.5, 0.25}})},
        {"arrowLeftRight",
         polygon({{1, 0.75}, {0.5, 0.75}, {0.5, 1}, {0, 0.5}, {0.5, 0}, {0.5, 0.25}, {1, 0.25}, {1, 0}, {1.5, 0.5},
                  {1, 1}})},
        {"arrowUp", polygon({{0.25, 1}, {0.75, 1}, {0.75, 0.5}, {1, 0.5}, {0.5, 0}, {0, 0.5}, {0.25, 0.5}})},
        {"arrowDown", polygon({{0.25, 0}, {0.75, 0}, {0.75, 0.5}, {1, 0.5}, {0.5, 1}, {0, 0.5}, {0.25, 0.5}})},
        {"arrowUpDown",
         polygon({{0.75, 1}, {0.75, 0.5}, {1, 0.5}, {0.5, 0}, {0, 0.5}, {0.25, 0.5}, {0.25, 1}, {0, 1}, {0.5, 1.5},
                  {1, 1}})},
        {"flash",
         polygon({{0.39, 0}, {0, 0.19}, {0.35, 0.39}, {0.24, 0.45}, {0.56, 0.64}, {0.47, 0.69}, {1, 1}, {0.68, 0.59},
                  {0.75, 0.55}, {0.52, 0.32}, {0.59, 0.28}})},
        {"smile",
         {{'O', {0, 0, 1, 1}},
          {'O', {0.25, 0.35, 0.1, 0.1}},
          {'O', {0.65, 0.35, 0.1, 0.1}},
          {'M', {0.15, 0.7}},
          {'C', {0.85, 0.7, 0.4, 0.8, 0.6, 0.8}},
          {'Z', {}}}},
        {"fourPointStar",
         polygon({{0, 0.5}, {kA, kB}, {0.5, 1}, {kB, kB}, {1, 0.5}, {kB, kA}, {0.5, 0}, {kA, kA}})},
        {"hexagram",
         polygon({{0, 0.25}, {kS, 0.5}, {0, 0.75}, {2 * kS, 0.75}, {3 * kS, 1}, {4 * kS, 0.75}, {6 * kS, 0.75},
                  {5 * kS, 0.5}, {6 * kS, 0.25}, {4 * kS, 0.25}, {3 * kS, 0}, {2 * kS, 0.25}})},
        {"rectangle", polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}})},
        {"circle", {{'O', {0, 0, 1, 1}}}},
        {"roundedRectangle", {{'R', {0, 0, 1, 1, 0.2, 0.2}}}},
    };
    return outlines;
}

QPointF cubicAt(const QPointF& p0, const QPointF& c1, const QPointF& c2, const QPointF& p1, double t)
{
    const double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * p1;
}

// The outline's bounds without control points, found by walking every
// curve in fine steps, and the points the outline must pass through: every
// end of a line or curve, the four extreme points of each oval and the
// eight points where a rounded rectangle's sides meet its corners.
struct OutlineFacts {
    QRectF bounds;
    std::vector<QPointF> points;
};

OutlineFacts outlineFacts(const std::vector<Step>& steps)
{
    OutlineFacts facts;
    double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
    const auto take = [&](const QPointF& p) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    };
    QPointF current;
    for (const Step& s : steps) {
        switch (s.op) {
        case 'M':
        case 'L':
            current = {s.v[0], s.v[1]};
            take(current);
            facts.points.push_back(current);
            break;
        case 'C':
        case 'c': {
            const QPointF base = s.op == 'c' ? current : QPointF();
            const QPointF end = base + QPointF(s.v[0], s.v[1]);
            const QPointF c1 = base + QPointF(s.v[2], s.v[3]);
            const QPointF c2 = base + QPointF(s.v[4], s.v[5]);
            constexpr int kSteps = 20000;
            for (int i = 0; i <= kSteps; ++i)
                take(cubicAt(current, c1, c2, end, double(i) / kSteps));
            current = end;
            facts.points.push_back(end);
            break;
        }
        case 'O': {
            const QRectF r(s.v[0], s.v[1], s.v[2], s.v[3]);
            take(r.topLeft());
            take(r.bottomRight());
            for (const QPointF& p : {QPointF(r.right(), r.center().y()), QPointF(r.center().x(), r.top()),
                                     QPointF(r.left(), r.center().y()), QPointF(r.center().x(), r.bottom())})
                facts.points.push_back(p);
            break;
        }
        case 'R': {
            const QRectF r(s.v[0], s.v[1], s.v[2], s.v[3]);
            const double rx = s.v[4] * r.width(), ry = s.v[5] * r.height();
            take(r.topLeft());
            take(r.bottomRight());
            for (const QPointF& p :
                 {QPointF(r.left() + rx, r.top()), QPointF(r.right() - rx, r.top()), QPointF(r.right(), r.top() + ry),
                  QPointF(r.right(), r.bottom() - ry), QPointF(r.right() - rx, r.bottom()),
                  QPointF(r.left() + rx, r.bottom()), QPointF(r.left(), r.bottom() - ry),
                  QPointF(r.left(), r.top() + ry)})
                facts.points.push_back(p);
            break;
        }
        default:
            break;
        }
    }
    facts.bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
    return facts;
}

// The points where the path's lines and curves start and end.
std::vector<QPointF> onCurvePoints(const QPainterPath& path)
{
    std::vector<QPointF> points;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo() || e.isLineTo())
            points.emplace_back(e.x, e.y);
        else if (e.isCurveTo() && i + 2 < path.elementCount())
            points.emplace_back(path.elementAt(i + 2).x, path.elementAt(i + 2).y);
    }
    return points;
}

} // namespace

TEST(KZShapeKinds, TheKindsAreTheTwentyThreeOfTheToolList)
{
    EXPECT_EQ(KZShapeKinds::labels(), kKindLabels);
    for (const QString& label : kKindLabels) {
        const KZGraphicElementClass* kind = KZShapeKinds::elementClass(label);
        ASSERT_NE(kind, nullptr) << label.toStdString();
        EXPECT_EQ(kind->description, label);
    }
    const auto& classes = SWToolbox::toolClassList();
    ASSERT_GE(classes.size(), 39u);
    for (int i = 0; i < kKindLabels.size(); ++i)
        EXPECT_EQ(classes[size_t(16 + i)].make(nullptr)->description(), kKindLabels[i]) << "registry entry " << 17 + i;
}

TEST(KZShapeKinds, EveryOutlinePassesThroughThePointsOfItsKind)
{
    // Each kind dragged over a box: the table's points, normalised by the
    // outline's own bounds and mapped into the box, lie on the outline.
    const QRectF box(10, 20, 400, 300);
    ASSERT_EQ(kindOutlines().size(), size_t(kKindLabels.size()));
    for (const KindOutline& kind : kindOutlines()) {
        SCOPED_TRACE(kind.label);
        const OutlineFacts facts = outlineFacts(kind.steps);
        KZGraphicsContext context;
        const KZShapeBuilder builder(&context, KZShapeKinds::sample(QString::fromLatin1(kind.label)));
        const QPainterPath drawn = builder.pathFromPoint(box.bottomRight(), box.topLeft());
        expectRect(drawn.boundingRect(), box, 1e-3);
        const std::vector<QPointF> drawnPoints = onCurvePoints(drawn);
        for (const QPointF& p : facts.points) {
            const QPointF expected(box.x() + (p.x() - facts.bounds.x()) / facts.bounds.width() * box.width(),
                                   box.y() + (p.y() - facts.bounds.y()) / facts.bounds.height() * box.height());
            double nearest = 1e300;
            for (const QPointF& q : drawnPoints)
                nearest = std::min(nearest, std::hypot(q.x() - expected.x(), q.y() - expected.y()));
            EXPECT_LT(nearest, 1e-3) << "no outline point at (" << expected.x() << ", " << expected.y()
                                     << "), from (" << p.x() << ", " << p.y() << ")";
        }
    }
}
