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

#include <cstdlib>

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
