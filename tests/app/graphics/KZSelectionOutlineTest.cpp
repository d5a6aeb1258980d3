#include "KZFreeSelectionBuilder.h"
#include "KZGraphicElementClass.h"
#include "KZGraphicsContext.h"
#include "KZRectangleSelectionBuilder.h"
#include "KZSelectionElement.h"
#include "KZSelectionImageElement.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

// A 640 x 480 canvas for the builders to keep their outlines on.
struct Canvas {
    std::unique_ptr<SWImageDataSource> store = SWImageDataSource::create(QSizeF(640, 480), Qt::white);
    KZGraphicsContext context;
};

template <typename Builder>
std::unique_ptr<Builder> builder(Canvas& canvas)
{
    auto b = std::make_unique<Builder>(&canvas.context);
    b->setImageDataSource(canvas.store.get());
    return b;
}

QRectF outlineBounds(const KZSelectionBuilder& b)
{
    return b.selection() ? b.selection()->boundingRect() : QRectF();
}

} // namespace

TEST(KZSelectionOutline, KindsAndLabels)
{
    EXPECT_EQ(KZSelectionElement::kind().description, "selection");
    EXPECT_EQ(KZSelectionElement::rectangleKind().description, "rectangle selection");
    EXPECT_EQ(KZSelectionElement::freeKind().description, "free selection");
    EXPECT_EQ(KZSelectionImageElement::kind().description, "selection_image");
    KZGraphicsContext context;
    EXPECT_NE(dynamic_cast<KZRectangleSelectionBuilder*>(KZSelectionElement::rectangleKind().builderClass(&context).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<KZFreeSelectionBuilder*>(KZSelectionElement::freeKind().builderClass(&context).get()),
              nullptr);
}

TEST(KZSelectionOutline, RectangleDrags)
{
    struct Case {
        const char* name;
        std::vector<QPointF> points; // press, drags..., release
        bool outline;
        QRectF bounds;
    } const cases[] = {
        {"click", {{50, 50}, {50, 50}}, false, {}},
        {"rounded first", {{10.4, 10.6}, {20.5, 30.2}, {99, 99}}, true, {10, 11, 11, 19}},
        {"up and left", {{60, 70}, {20, 30}, {20, 30}}, true, {20, 30, 40, 40}},
        {"partly off the canvas", {{600, 450}, {700, 520}, {700, 520}}, true, {600, 450, 40, 30}},
        {"wholly off the canvas", {{700, 500}, {800, 600}, {800, 600}}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Canvas canvas;
        auto b = builder<KZRectangleSelectionBuilder>(canvas);
        b->handleMouseDown(c.points.front(), nullptr);
        for (size_t i = 1; i + 1 < c.points.size(); ++i)
            b->handleMouseDragged(c.points[i], nullptr);
        EXPECT_FALSE(b->handleMouseUp(c.points.back(), nullptr));
        EXPECT_TRUE(b->complete());
        const std::shared_ptr<KZGraphicElement> element = b->element();
        EXPECT_EQ(element != nullptr, c.outline);
        if (!c.outline)
            continue;
        EXPECT_EQ(outlineBounds(*b), c.bounds);
        EXPECT_TRUE(element->hasCreated());
        EXPECT_EQ(element->position(), c.bounds.center());
        EXPECT_EQ(element->size(), c.bounds.size());
    }
}

TEST(KZSelectionOutline, FreeHandStaysOnTheCanvas)
{
    Canvas canvas;
    auto b = builder<KZFreeSelectionBuilder>(canvas);
    b->handleMouseDown({600.4, 100}, nullptr);
    b->handleMouseDragged({700, 100}, nullptr);
    b->handleMouseDragged({700, 900}, nullptr);
    b->handleMouseUp({600, 900}, nullptr);
    // It runs along the canvas edge and may touch the far edges.
    EXPECT_EQ(outlineBounds(*b), QRectF(600, 100, 40, 380));
    ASSERT_NE(b->element(), nullptr);

    // A polygon without width still completes; its element has no size.
    auto flat = builder<KZFreeSelectionBuilder>(canvas);
    flat->handleMouseDragged({30, 10}, nullptr); // a gesture may begin with a drag
    flat->handleMouseDragged({30, 60}, nullptr);
    flat->handleMouseUp({30, 80}, nullptr);
    EXPECT_TRUE(flat->complete());
    ASSERT_NE(flat->element(), nullptr);
    EXPECT_EQ(flat->element()->size().width(), 0);
}

TEST(KZSelectionOutline, SelectAllAndDrawing)
{
    Canvas canvas;
    auto b = builder<KZRectangleSelectionBuilder>(canvas);
    b->selectAll();
    EXPECT_TRUE(b->complete());
    EXPECT_EQ(outlineBounds(*b), QRectF(0, 0, 640, 480));
    ASSERT_NE(b->element(), nullptr);
    EXPECT_EQ(b->element()->position(), QPointF(320, 240));

    QImage overlay = SWImageTools::initImageRep(QSizeF(660, 500));
    QPainter painter(&overlay);
    painter.translate(10, 10);
    EXPECT_EQ(b->draw(&painter), QRectF(-1, -1, 642, 482));
    painter.end();
    const QColor edge = overlay.pixelColor(10 + 320, 10);
    EXPECT_GT(edge.alpha(), 0);
    EXPECT_GT(edge.red(), edge.green()) << "purple";
    EXPECT_EQ(overlay.pixelColor(330, 250).alpha(), 0);

    KZGraphicsContext context;
    KZSelectionBuilder none(&context);
    EXPECT_EQ(none.draw(nullptr), QRectF());
    EXPECT_EQ(none.element(), nullptr);
}

TEST(KZSelectionOutline, TwoVersionImage)
{
    QImage white = SWImageTools::initImageRep(QSizeF(20, 10));
    white.fill(Qt::white);
    white.setPixelColor(3, 3, Qt::blue);
    // Without a path: the whole bitmap, as lifted and with the white gone.
    std::array<QImage, 2> versions = KZSelectionBuilder::selectedImageOfPath(std::nullopt, white, Qt::white);
    ASSERT_EQ(versions[0].size(), QSize(20, 10));
    ASSERT_EQ(versions[1].size(), QSize(20, 10));
    EXPECT_EQ(versions[0].pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(versions[1].pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(versions[1].pixelColor(3, 3), QColor(Qt::blue));
    // With a path: the pixels inside, in a bitmap of its bounds.
    QPainterPath path;
    path.addRect(2, 2, 5, 4);
    versions = KZSelectionBuilder::selectedImageOfPath(path, white, Qt::white);
    EXPECT_EQ(versions[0].size(), QSize(5, 4));
    EXPECT_EQ(versions[0].pixelColor(1, 1), QColor(Qt::blue));

    KZSelectionImageElement floating(versions[0], versions[1]);
    EXPECT_EQ(floating.originSize(), QSizeF(5, 4));
    floating.swapVersions();
    EXPECT_EQ(floating.image().pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(floating.otherVersion().pixelColor(0, 0), QColor(Qt::white));
}
