#include "KZImage.h"

#include "SkinFixtures.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {
QSize partSize(const KZImage::Ptr& image, int part)
{
    return image->partImages()[part].size().toSize();
}
QRgb partPixel(const KZImage::Ptr& image, int part, int x = 0, int y = 0)
{
    return image->partImages()[part].representations.first().pixel(x, y);
}
} // namespace

TEST(KZImage, AutomaticCutsOfA20By30ImageAndWhereEachPartComesFrom)
{
    SkinFixtures fixtures;
    fixtures.add("fixture_cut_20x30", 20, 30, positionPixel);
    KZImage::Ptr source = KZImage::imageNamed("fixture_cut_20x30");
    ASSERT_TRUE(source);
    KZImage::Ptr cut = source->resizableImageWithCapInsets(KZEdgeInsets::automatic());
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->capInsets(), (KZEdgeInsets{15, 10, 16, 11}));

    // Columns 10, 1 and 9 wide; rows 14 (top), 1 and 15 (bottom) high: the
    // cut values count from the bottom edge.
    const struct {
        int part;
        QSize size;
        int sourceX, sourceY; // top-left pixel of the part in the source
    } table[] = {
        {KZImage::TopLeft, {10, 14}, 0, 0},     {KZImage::Top, {1, 14}, 10, 0},
        {KZImage::TopRight, {9, 14}, 11, 0},    {KZImage::Left, {10, 1}, 0, 14},
        {KZImage::Centre, {1, 1}, 10, 14},      {KZImage::Right, {9, 1}, 11, 14},
        {KZImage::BottomLeft, {10, 15}, 0, 15}, {KZImage::Bottom, {1, 15}, 10, 15},
        {KZImage::BottomRight, {9, 15}, 11, 15},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.part);
        EXPECT_EQ(partSize(cut, row.part), row.size);
        EXPECT_EQ(partPixel(cut, row.part), positionPixel(row.sourceX, row.sourceY));
    }
}

TEST(KZImage, AOnePointImageIsEveryPartWhole)
{
    SkinFixtures fixtures;
    fixtures.addFilled("fixture_cut_1x1", 1, 1, qRgba(10, 20, 30, 255));
    KZImage::Ptr cut = KZImage::imageNamed("fixture_cut_1x1")->resizableImageWithCapInsets(KZEdgeInsets::automatic());
    EXPECT_EQ(cut->capInsets(), (KZEdgeInsets{0, 0, 1, 1}));
    for (int part = 0; part < 9; ++part) {
        EXPECT_EQ(partSize(cut, part), QSize(1, 1)) << part;
        EXPECT_EQ(partPixel(cut, part), qRgba(10, 20, 30, 255)) << part;
    }
}

TEST(KZImage, TheCacheKeepsOneImagePerNameAndCutValues)
{
    SkinFixtures fixtures;
    fixtures.addFilled("fixture_cache", 8, 8, qRgba(0, 0, 255, 255));
    const KZEdgeInsets insets{4, 4, 5, 5};
    KZImage::Ptr first = KZImage::imageNamed("fixture_cache", insets);
    ASSERT_TRUE(first);
    const size_t cached = KZImage::cache().size();
    EXPECT_EQ(KZImage::imageNamed("fixture_cache", insets), first);
    EXPECT_EQ(KZImage::imageNamed("fixture_cache"), KZImage::imageNamed("fixture_cache"));
    EXPECT_EQ(KZImage::cache().size(), cached);

    // Other cut values: a new cut of the cached image, cached in turn.
    KZImage::Ptr other = KZImage::imageNamed("fixture_cache", KZEdgeInsets{2, 2, 6, 6});
    ASSERT_TRUE(other);
    EXPECT_NE(other, first);
    EXPECT_EQ(other->stockName(), "fixture_cache");
    EXPECT_EQ(KZImage::cache().size(), cached + 1);
    EXPECT_TRUE(first->isEqualTo(KZImage::imageNamed("fixture_cache", insets).get()));
    EXPECT_FALSE(first->isEqualTo(other.get()));

    // Zero insets give the receiver itself; a missing name is not cached.
    EXPECT_EQ(first->imageWithCapInsets(KZEdgeInsets()), first);
    EXPECT_FALSE(KZImage::imageNamed("fixture_no_such_image"));
    EXPECT_EQ(KZImage::cache().size(), cached + 1);
}

TEST(KZImage, NinePartDrawingKeepsCornersAndStretchesTheMiddle)
{
    SkinFixtures fixtures;
    // A 9 x 9 image: a red 4-pixel border frame and a green middle.
    fixtures.add("fixture_frame", 9, 9, [](int x, int y) {
        const bool middle = x == 4 || y == 4;
        if (x == 0 && y == 0)
            return qRgba(0, 0, 255, 255); // marks the top-left corner
        return middle ? qRgba(0, 255, 0, 255) : qRgba(255, 0, 0, 255);
    });
    KZImage::Ptr cut = KZImage::imageNamed("fixture_frame")->resizableImageWithCapInsets(KZEdgeInsets::automatic());
    QImage target(40, 30, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    cut->drawInRect(painter, QRectF(0, 0, 40, 30));
    painter.end();
    EXPECT_EQ(target.pixel(0, 0), qRgba(0, 0, 255, 255)); // upright: the marked corner stays top left
    EXPECT_EQ(target.pixel(39, 29), qRgba(255, 0, 0, 255));
    EXPECT_EQ(target.pixel(20, 15), qRgba(0, 255, 0, 255)); // the stretched middle
    EXPECT_EQ(target.pixel(20, 0), qRgba(0, 255, 0, 255));   // top edge strip
    EXPECT_EQ(target.pixel(3, 29), qRgba(255, 0, 0, 255));   // bottom-left corner at its own size
}

TEST(KZImage, AnUncutImageIsDrawnUprightInAViewWhoseYGrowsDownward)
{
    SkinFixtures fixtures;
    fixtures.add("fixture_upright", 4, 4,
                 [](int, int y) { return y < 2 ? qRgba(255, 0, 0, 255) : qRgba(0, 0, 255, 255); });
    KZImage::Ptr image = KZImage::imageNamed("fixture_upright");
    QImage target(8, 8, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    image->drawInRect(painter, QRectF(0, 0, 8, 8));
    painter.end();
    EXPECT_EQ(target.pixel(4, 0), qRgba(255, 0, 0, 255));
    EXPECT_EQ(target.pixel(4, 7), qRgba(0, 0, 255, 255));
}

TEST(KZImage, TheSecondResolutionIsCutAtTheSamePointsAndDrawnOnFineDevices)
{
    SkinFixtures fixtures;
    fixtures.addFilled("fixture_res", 6, 6, qRgba(255, 0, 0, 255));
    fixtures.addFilled("fixture_res@2x", 12, 12, qRgba(0, 255, 0, 255));
    KZImage::Ptr cut = KZImage::imageNamed("fixture_res")->resizableImageWithCapInsets(KZEdgeInsets::automatic());
    ASSERT_EQ(cut->representations().size(), 2);
    EXPECT_EQ(cut->size(), QSizeF(6, 6));
    const KZImage::Part& corner = cut->partImages()[KZImage::TopLeft];
    ASSERT_EQ(corner.representations.size(), 2);
    EXPECT_EQ(corner.representations[1].size(), corner.representations[0].size() * 2);

    for (const double ratio : {1.0, 2.0}) {
        QImage target(QSize(12, 12) * ratio, QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(ratio);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        cut->drawInRect(painter, QRectF(0, 0, 12, 12));
        painter.end();
        EXPECT_EQ(target.pixel(0, 0), ratio == 1.0 ? qRgba(255, 0, 0, 255) : qRgba(0, 255, 0, 255));
    }
}

TEST(KZImage, OnAScreenOfOneResolutionOnlyTheImageThatSuitsItIsRead)
{
    struct RatioGuard {
        ~RatioGuard() { KZImage::setScreenPixelRatio(0); }
    } restore;
    SkinFixtures fixtures;
    const QRgb single = qRgba(255, 0, 0, 255);
    const QRgb twice = qRgba(0, 255, 0, 255);
    const struct {
        const char* name;
        double screen;
        bool has1x, has2x;
        double expectedRatio;
        QRgb expectedColour;
    } cases[] = {
        {"fixture_screen_a", 1.0, true, true, 1.0, single},   {"fixture_screen_b", 2.0, true, true, 2.0, twice},
        {"fixture_screen_c", 1.5, true, true, 2.0, twice},    {"fixture_screen_d", 2.0, true, false, 1.0, single},
        {"fixture_screen_e", 1.0, false, true, 2.0, twice},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        if (c.has1x)
            fixtures.addFilled(name, 6, 6, single);
        if (c.has2x)
            fixtures.addFilled(name + "@2x", 12, 12, twice);
        KZImage::setScreenPixelRatio(c.screen);
        const KZImage::Ptr image = KZImage::imageNamed(name);
        ASSERT_TRUE(image) << c.name;
        ASSERT_EQ(image->representations().size(), 1) << c.name;
        EXPECT_EQ(image->representations().first().devicePixelRatio(), c.expectedRatio) << c.name;
        EXPECT_EQ(image->representations().first().pixel(0, 0), c.expectedColour) << c.name;
        EXPECT_EQ(image->size(), QSizeF(6, 6)) << c.name << ": the same size in points either way";

        // Cut, and drawn on a device of either ratio, from the one it has.
        const KZImage::Ptr cut = image->resizableImageWithCapInsets(KZEdgeInsets::automatic());
        for (const double ratio : {1.0, 2.0}) {
            QImage target(QSize(12, 12) * ratio, QImage::Format_ARGB32_Premultiplied);
            target.setDevicePixelRatio(ratio);
            target.fill(Qt::transparent);
            QPainter painter(&target);
            cut->drawInRect(painter, QRectF(0, 0, 12, 12));
            painter.end();
            EXPECT_EQ(target.pixel(0, 0), c.expectedColour) << c.name << " at " << ratio;
        }
    }
}
