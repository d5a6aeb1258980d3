#include "KZFreeSelectionTool.h"
#include "KZGraphicEditor.h"
#include "KZRectangleSelectionTool.h"
#include "KZSelectionImageElement.h"
#include "KZToolboxController.h"
#include "SWImageTools.h"
#include "support/DocumentWindowFixture.h"

#include "platform/appkit/MenuItem.h"
#include "platform/appkit/UndoManager.h"

#include <QCursor>
#include <QPainter>
#include <QPolygonF>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

constexpr QRgb kWhite = 0xffffffffu;

// A document whose picture has no white pixel except one white block, with
// the two vector selection tools (and a recording "Brush") in its registry,
// white as back colour and the rectangle selection current.
struct SelectionFixture {
    static constexpr QRect kWhiteBlock{100, 100, 40, 30};

    SelectionFixture()
        : window({"Brush"})
    {
        d = window.document;
        std::vector<SWToolbox::ToolClass> classes = recordingToolClasses({"Brush"});
        classes.push_back({"KZRectangleSelectionTool", [](KZToolboxController* c) -> std::unique_ptr<SWTool> {
                               return std::make_unique<KZRectangleSelectionTool>(c);
                           }});
        classes.push_back({"KZFreeSelectionTool", [](KZToolboxController* c) -> std::unique_ptr<SWTool> {
                               return std::make_unique<KZFreeSelectionTool>(c);
                           }});
        d->setToolbox(std::make_unique<SWToolbox>(d, d->toolboxController(), classes));
        controller()->setBackgroundColor(Qt::white);
        controller()->setCurrentTool(QStringLiteral("rectangle selection"));
        QImage& main = d->dataSource()->mainImage();
        QImage pattern(main.size(), QImage::Format_RGB32);
        for (int y = 0; y < pattern.height(); ++y)
            for (int x = 0; x < pattern.width(); ++x)
                pattern.setPixel(x, y, qRgb((x * 3) & 255, (y * 5) & 255, (x + y) & 127));
        QPainter(&pattern).fillRect(kWhiteBlock, Qt::white);
        SWImageTools::drawToImage(main, pattern, false);
        original = SWImageTools::cloneImage(main);
        QApplication::processEvents();
    }

    KZToolboxController* controller() const { return d->toolboxController(); }
    KZSelectionTool* tool() const { return dynamic_cast<KZSelectionTool*>(d->toolbox()->currentTool()); }
    QImage& picture() const { return d->dataSource()->mainImage(); }
    int undoCount() const { return d->undoManager()->undoCount(); }

    void press(const QPointF& p) { window.mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton); }
    void dragTo(const QPointF& p) { window.mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void release(const QPointF& p)
    {
        window.mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        // The undo group of the event closes with the event loop's turn.
        QApplication::processEvents();
    }
    // A press, a drag through every further point, a release at the last.
    void drag(const std::vector<QPointF>& points)
    {
        press(points.front());
        for (size_t i = 1; i < points.size(); ++i)
            dragTo(points[i]);
        release(points.back());
    }
    void commit()
    {
        d->toolbox()->tieUpLooseEndsForCurrentTool();
        QApplication::processEvents();
    }
    void undo()
    {
        d->undoOperation();
        QApplication::processEvents();
    }

    // The original picture with a rectangle erased to white and its pixels
    // drawn again at another place (over the picture, or only where they
    // are not white).
    QImage moved(const QRect& from, const QPoint& to, bool omitWhite = false) const
    {
        QImage expected = SWImageTools::cloneImage(original);
        QImage lifted = SWImageTools::cropImage(original, QRectF(from));
        if (omitWhite)
            SWImageTools::stripImage(lifted, Qt::white);
        QPainter painter(&expected);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(from, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(to, lifted);
        return expected;
    }
    // White all over but for one area of the original.
    QImage keptOnly(const QRect& area) const
    {
        QImage expected = withWhite(original.rect());
        QPainter(&expected).drawImage(area.topLeft(), original.copy(area));
        return expected;
    }
    QImage withWhite(const QRect& area) const
    {
        QImage expected = SWImageTools::cloneImage(original);
        QPainter(&expected).fillRect(area, Qt::white);
        return expected;
    }

    DocumentWindowFixture window;
    SWDocument* d = nullptr;
    QImage original;
};

// Pixels that differ (0 for equal pictures), so a failure shows how many.
int differing(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col)
            n += x.pixel(col, row) != y.pixel(col, row);
    return n;
}

bool menuEnabled(SWDocument* document, const char* action)
{
    platform::MenuItem item(QStringLiteral("x"), QString::fromLatin1(action));
    return document->validateMenuItem(&item);
}

double distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t = length2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0) : 0.0;
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

double distanceToOutline(const QPointF& p, const QPolygonF& polygon)
{
    double best = INFINITY;
    for (int i = 0; i < polygon.size(); ++i)
        best = std::min(best, distanceToSegment(p, polygon[i], polygon[(i + 1) % polygon.size()]));
    return best;
}

} // namespace

// Every scenario starts from the pattern, ends with the selection committed
// (or dropped), and leaves a picture and a number of undo steps; one undo
// more gives back the pattern.
TEST(KZSelectionTool, Scenarios)
{
    using Steps = std::function<void(SelectionFixture&)>;
    struct Case {
        const char* name;
        Steps steps;
        std::function<QImage(const SelectionFixture&)> expected;
        int undoSteps;
    } const cases[] = {
        {"lift, move and commit by a press outside",
         [](SelectionFixture& f) {
             f.drag({{20, 20}, {40, 30}, {60, 50}});
             f.drag({{40, 35}, {70, 60}, {90, 85}}); // from the middle: a move
             f.drag({{380, 280}, {380, 280}});
         },
         [](const SelectionFixture& f) { return f.moved({20, 20, 40, 30}, {70, 70}); }, 1},
        {"a click lifts nothing",
         [](SelectionFixture& f) {
             f.drag({{50, 50}, {50, 50}});
             EXPECT_FALSE(f.tool()->hasSelectedImage());
         },
         [](const SelectionFixture& f) { return f.original; }, 0},
        {"a rectangle partly off the canvas lifts the part on it",
         [](SelectionFixture& f) {
             const QSize size = f.picture().size();
             f.tool()->performDrawAtPoint(QPointF(size.width() - 20, size.height() - 10), f.d->dataSource(), 0, nullptr);
             f.tool()->performDrawAtPoint(QPointF(size.width() + 30, size.height() + 30), f.d->dataSource(), 1, nullptr);
             f.tool()->performDrawAtPoint(QPointF(size.width() + 30, size.height() + 30), f.d->dataSource(), 2, nullptr);
             QApplication::processEvents();
             ASSERT_TRUE(f.tool()->hasSelectedImage());
             EXPECT_EQ(f.tool()->element()->size(), QSizeF(20, 10));
             f.tool()->element()->translate(QSizeF(-100, -100));
         },
         [](const SelectionFixture& f) {
             const QSize size = f.original.size();
             return f.moved({size.width() - 20, size.height() - 10, 20, 10},
                            {size.width() - 120, size.height() - 110});
         },
         1},
        {"select all, then a move",
         [](SelectionFixture& f) {
             f.d->selectAll();
             QApplication::processEvents();
             EXPECT_EQ(differing(f.picture(), f.withWhite(f.original.rect())), 0) << "the canvas under it";
             f.drag({{200, 150}, {205, 152}, {210, 155}});
         },
         [](const SelectionFixture& f) { return f.moved(f.original.rect(), {10, 5}); }, 1},
        {"transparency on: the white pixels stay behind",
         [](SelectionFixture& f) {
             f.controller()->setSelectionTransparency(true);
             f.drag({{90, 90}, {150, 140}});
             f.drag({{120, 115}, {160, 135}});
         },
         [](const SelectionFixture& f) { return f.moved({90, 90, 60, 50}, {130, 110}, true); }, 1},
        {"transparency switched twice while floating",
         [](SelectionFixture& f) {
             f.drag({{90, 90}, {150, 140}});
             auto* floating = dynamic_cast<KZSelectionImageElement*>(f.tool()->element().get());
             ASSERT_NE(floating, nullptr);
             const QImage asLifted = floating->image();
             f.controller()->changeSelectionTransparency();
             EXPECT_TRUE(floating->showsTransparentVersion());
             EXPECT_EQ(floating->image().pixel(20, 20), 0u) << "a white pixel of the block";
             f.controller()->changeSelectionTransparency();
             EXPECT_EQ(floating->image(), asLifted);
             f.drag({{120, 115}, {160, 135}});
         },
         [](const SelectionFixture& f) { return f.moved({90, 90, 60, 50}, {130, 110}); }, 1},
        {"transparency switched on while floating",
         [](SelectionFixture& f) {
             f.drag({{90, 90}, {150, 140}});
             f.controller()->changeSelectionTransparency();
             f.drag({{120, 115}, {160, 135}});
         },
         [](const SelectionFixture& f) { return f.moved({90, 90, 60, 50}, {130, 110}, true); }, 1},
        {"invert twice floats the first selection again",
         [](SelectionFixture& f) {
             f.drag({{20, 20}, {60, 50}});
             const auto first = f.tool()->element();
             f.d->selectInvert();
             QApplication::processEvents();
             ASSERT_TRUE(f.tool()->hasSelectedImage());
             EXPECT_EQ(f.tool()->element()->size(), QSizeF(f.original.size()));
             // Everything but the selection floats; only the selection stays.
             EXPECT_EQ(differing(f.picture(), f.keptOnly({20, 20, 40, 30})), 0);
             f.d->selectInvert();
             QApplication::processEvents();
             EXPECT_EQ(f.tool()->element(), first);
             EXPECT_EQ(differing(f.picture(), f.withWhite({20, 20, 40, 30})), 0);
             f.drag({{40, 35}, {90, 85}});
         },
         [](const SelectionFixture& f) { return f.moved({20, 20, 40, 30}, {70, 70}); }, 3},
        {"invert, a one-pixel move, invert: a new inverse",
         [](SelectionFixture& f) {
             f.drag({{20, 20}, {60, 50}});
             const auto first = f.tool()->element();
             f.d->selectInvert();
             QApplication::processEvents();
             f.window.key(Qt::Key_Right);
             f.d->selectInvert();
             QApplication::processEvents();
             EXPECT_NE(f.tool()->element(), first);
             EXPECT_EQ(f.tool()->element()->size(), QSizeF(f.original.size()));
         },
         [](const SelectionFixture& f) {
             // The rest of the picture, one to the right, over what the
             // first invert left: the selection and white around it.
             QImage expected = f.moved(f.original.rect(), {1, 0});
             QPainter painter(&expected);
             painter.setCompositionMode(QPainter::CompositionMode_Source);
             painter.drawImage(QPoint(21, 20), f.original.copy(21, 20, 39, 30));
             painter.fillRect(QRect(60, 20, 1, 30), Qt::white);
             return expected;
         },
         3},
        {"delete leaves a hole in the back colour",
         [](SelectionFixture& f) {
             f.drag({{20, 20}, {60, 50}});
             f.window.key(Qt::Key_Delete);
             QApplication::processEvents();
             EXPECT_FALSE(f.tool()->hasSelectedImage());
         },
         [](const SelectionFixture& f) { return f.withWhite({20, 20, 40, 30}); }, 1},
        {"paste floats the picture, one step, and delete drops it",
         [](SelectionFixture& f) {
             f.controller()->setCurrentTool(QStringLiteral("Brush"));
             QImage red(30, 20, QImage::Format_RGBA8888_Premultiplied);
             red.fill(Qt::red);
             ASSERT_TRUE(f.d->pasteImage(red, QPointF(10, 10)));
             QApplication::processEvents();
             EXPECT_EQ(f.tool()->description(), "rectangle selection");
             EXPECT_EQ(f.tool()->element()->position(), QPointF(25, 20));
             EXPECT_EQ(differing(f.picture(), f.original), 0) << "it floats";
             f.window.key(Qt::Key_Delete);
         },
         [](const SelectionFixture& f) { return f.original; }, 1},
        {"paste committed",
         [](SelectionFixture& f) {
             QImage red(30, 20, QImage::Format_RGBA8888_Premultiplied);
             red.fill(Qt::red);
             ASSERT_TRUE(f.d->pasteImage(red, QPointF(10, 10)));
             QApplication::processEvents();
         },
         [](const SelectionFixture& f) {
             QImage expected = SWImageTools::cloneImage(f.original);
             QPainter(&expected).fillRect(QRect(10, 10, 30, 20), Qt::red);
             return expected;
         },
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionFixture f;
        c.steps(f);
        f.commit();
        EXPECT_EQ(differing(f.picture(), c.expected(f)), 0);
        EXPECT_EQ(f.undoCount(), c.undoSteps);
        if (c.undoSteps == 0)
            continue;
        for (int i = 0; i < c.undoSteps; ++i)
            f.undo();
        EXPECT_EQ(differing(f.picture(), f.original), 0) << "after undoing everything";
        EXPECT_FALSE(f.d->undoManager()->canUndo());
    }
}

// The lasso lifts the pixels inside its outline: none farther than a pixel
// from the outline is on the wrong side, and exactly the lifted pixels take
// the back colour (a pixel erased but not lifted would be lost).
TEST(KZSelectionTool, LassoLiftsTheInsideOfItsOutline)
{
    SelectionFixture f;
    f.controller()->setCurrentTool(QStringLiteral("free selection"));
    // Clear of the white block, with a notch.
    const QPolygonF outline({{20, 20}, {90, 25}, {95, 90}, {50, 60}, {15, 95}});
    f.drag(std::vector<QPointF>(outline.begin(), outline.end()));
    auto* floating = dynamic_cast<KZSelectionImageElement*>(f.tool()->element().get());
    ASSERT_NE(floating, nullptr);
    EXPECT_EQ(floating->bounds(), outline.boundingRect());
    EXPECT_EQ(f.undoCount(), 1);

    const QImage& lifted = floating->image();
    const QPoint corner = outline.boundingRect().topLeft().toPoint();
    int erasedNotLifted = 0, liftedWrong = 0, wrongSide = 0, inside = 0;
    for (int y = 0; y < f.picture().height(); ++y)
        for (int x = 0; x < f.picture().width(); ++x) {
            const bool erased = f.picture().pixel(x, y) == kWhite && !SelectionFixture::kWhiteBlock.contains(x, y);
            const QPoint local = QPoint(x, y) - corner;
            const bool isLifted = lifted.rect().contains(local) && qAlpha(lifted.pixel(local)) != 0;
            erasedNotLifted += erased != isLifted;
            liftedWrong += isLifted && lifted.pixel(local) != f.original.pixel(x, y);
            const QPointF centre(x + 0.5, y + 0.5);
            const bool in = outline.containsPoint(centre, Qt::WindingFill);
            inside += in;
            wrongSide += in != erased && distanceToOutline(centre, outline) > 1.0;
        }
    EXPECT_GT(inside, 2000);
    EXPECT_EQ(erasedNotLifted, 0);
    EXPECT_EQ(liftedWrong, 0);
    EXPECT_EQ(wrongSide, 0);
    f.commit();
    EXPECT_EQ(differing(f.picture(), f.original), 0) << "put back where it was";
}

TEST(KZSelectionTool, FreeOutlinesAtTheEdgeOrWithoutArea)
{
    struct Case {
        const char* name;
        std::vector<QPointF> offCanvas; // from the right edge: x is added to the width
        bool lifts;
    } const cases[] = {
        {"leaving the canvas runs along its edge", {{-40, 20}, {50, 20}, {50, 80}, {-40, 80}}, true},
        {"flat", {{-80, 40}, {-60, 40}, {-20, 40}}, false},
        {"a click", {{-50, 50}, {-50, 50}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SelectionFixture f;
        f.controller()->setCurrentTool(QStringLiteral("free selection"));
        const double width = f.picture().width();
        for (size_t i = 0; i < c.offCanvas.size(); ++i) {
            const int phase = i == 0 ? 0 : (i + 1 == c.offCanvas.size() ? 2 : 1);
            f.tool()->performDrawAtPoint(c.offCanvas[i] + QPointF(width, 0), f.d->dataSource(), phase, nullptr);
        }
        QApplication::processEvents();
        EXPECT_EQ(f.tool()->hasSelectedImage(), c.lifts);
        EXPECT_EQ(f.undoCount(), c.lifts ? 1 : 0);
        if (c.lifts) {
            EXPECT_EQ(f.tool()->element()->bounds(), QRectF(width - 40, 20, 40, 60));
            EXPECT_EQ(differing(f.picture(), f.withWhite(QRect(int(width) - 40, 20, 40, 60))), 0);
        } else {
            EXPECT_EQ(differing(f.picture(), f.original), 0);
        }
    }
}

TEST(KZSelectionTool, TheRegistryAndTheMenuKnowTheVectorSelections)
{
    KZToolboxController controller;
    SWToolbox toolbox(nullptr, &controller);
    EXPECT_NE(dynamic_cast<KZRectangleSelectionTool*>(toolbox.toolForLabel("rectangle selection")), nullptr);
    EXPECT_NE(dynamic_cast<KZFreeSelectionTool*>(toolbox.toolForLabel("free selection")), nullptr);
    EXPECT_EQ(dynamic_cast<KZSelectionTool*>(toolbox.toolForLabel("Rectangle Selection")), nullptr);

    // Invert Selection is offered while a picture floats, and only then.
    SelectionFixture f;
    EXPECT_FALSE(menuEnabled(f.d, "selectInvert:"));
    f.drag({{20, 20}, {60, 50}});
    EXPECT_TRUE(menuEnabled(f.d, "selectInvert:"));
    EXPECT_FALSE(f.tool()->selectedImage().isNull());
    f.commit();
    EXPECT_FALSE(menuEnabled(f.d, "selectInvert:"));
    EXPECT_TRUE(f.tool()->selectedImage().isNull());
}

// A mirrored or turned selection is punched out where its pixels are, not
// where its unturned corner would map.
TEST(KZSelectionTool, InvertingAMirroredSelectionKeepsItsPixelsOutOfTheInverse)
{
    SelectionFixture f;
    f.drag({{20, 20}, {60, 50}});
    f.d->flipVertical();
    f.d->selectInvert();
    QApplication::processEvents();
    QImage expected = f.withWhite(f.original.rect());
    QPainter(&expected).drawImage(QPoint(20, 20), f.original.copy(20, 20, 40, 30).mirrored(false, true));
    EXPECT_EQ(differing(f.picture(), expected), 0);
    // The inverse is transparent exactly where the mirrored selection lies.
    const QImage inverse = f.tool()->element()->bitmapRepresentation();
    int opaqueInSelection = 0;
    for (int y = 20; y < 50; ++y)
        for (int x = 20; x < 60; ++x)
            opaqueInSelection += qAlpha(inverse.pixel(x, y)) != 0;
    EXPECT_EQ(opaqueInSelection, 0);
}

// The selection that a second invert floats again shows the version the
// switch asks for, whatever order it had when it was set aside.
TEST(KZSelectionTool, ASelectionFloatingAgainFollowsTheTransparencySwitch)
{
    SelectionFixture f;
    f.controller()->setSelectionTransparency(true);
    f.drag({{90, 90}, {150, 140}});
    f.d->selectInvert();
    f.d->selectInvert();
    QApplication::processEvents();
    auto* floating = dynamic_cast<KZSelectionImageElement*>(f.tool()->element().get());
    ASSERT_NE(floating, nullptr);
    EXPECT_TRUE(floating->showsTransparentVersion());
    f.drag({{120, 115}, {160, 135}});
    f.commit();
    EXPECT_EQ(differing(f.picture(), f.moved({90, 90, 60, 50}, {130, 110}, true)), 0);
}

// Turning the floating inverse between two inverts makes the second one
// compute a new inverse: floating the old selection again would erase the
// turned pixels that now lie over its place.
TEST(KZSelectionTool, ATurnBetweenInvertsForgetsTheOldSelection)
{
    SelectionFixture f;
    f.drag({{20, 20}, {60, 50}});
    const auto first = f.tool()->element();
    f.d->selectInvert();
    EXPECT_EQ(f.tool()->oldSelectedElement(), first);
    f.d->rotateGraphic(180);
    EXPECT_EQ(f.tool()->oldSelectedElement(), nullptr);
    f.d->selectInvert();
    EXPECT_NE(f.tool()->element(), first);
}

// A paste that grows the canvas floats on the grown canvas, and the growth
// and the floating picture are one undo step.
TEST(KZSelectionTool, APasteThatGrowsTheCanvasIsOneUndoStep)
{
    SelectionFixture f;
    const QSize size = f.original.size();
    QImage red(size.width(), 20, QImage::Format_RGBA8888_Premultiplied);
    red.fill(Qt::red);
    ASSERT_TRUE(f.d->pasteImage(red, QPointF(10, 10)));
    QApplication::processEvents();
    EXPECT_EQ(f.picture().size(), QSize(size.width() + 10, size.height()));
    ASSERT_TRUE(f.tool()->hasSelectedImage());
    EXPECT_EQ(f.undoCount(), 1);
    f.commit();
    EXPECT_EQ(f.picture().pixel(size.width() + 5, 15), qRgb(255, 0, 0));
    f.undo();
    EXPECT_EQ(differing(f.picture(), f.original), 0);
    EXPECT_FALSE(f.d->undoManager()->canUndo());
}

TEST(KZSelectionTool, EditingFromACommandStartsWhereThePointerIsNow)
{
    const struct {
        const char* name;
        std::function<void(SelectionFixture&)> command;
    } commands[] = {
        {"paste",
         [](SelectionFixture& f) {
             QImage red(30, 20, QImage::Format_RGBA8888_Premultiplied);
             red.fill(Qt::red);
             ASSERT_TRUE(f.d->pasteImage(red, QPointF(100, 90)));
         }},
        {"select all", [](SelectionFixture& f) { f.d->selectAll(); }},
        {"invert selection", [](SelectionFixture& f) { f.d->selectInvert(); }},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.name);
        SelectionFixture f;
        // The latest mouse events end at (60, 50); the pointer has moved
        // since, without any event reaching the canvas.
        f.drag({{20, 20}, {40, 30}, {60, 50}});
        const QPointF pointer(150, 120);
        SWPaintView* view = f.window.paintView();
        QCursor::setPos(view->mapToGlobal((pointer * view->viewScale()).toPoint()));
        ASSERT_EQ(QCursor::pos(), view->mapToGlobal((pointer * view->viewScale()).toPoint()));
        c.command(f);
        KZGraphicEditor* editor = f.tool()->editor();
        ASSERT_NE(editor, nullptr);
        EXPECT_NEAR(editor->savedPoint().x(), pointer.x(), 1.0);
        EXPECT_NEAR(editor->savedPoint().y(), pointer.y(), 1.0);
    }
}
