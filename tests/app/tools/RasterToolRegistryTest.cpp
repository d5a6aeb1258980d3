#include "KZShapeKinds.h"
#include "RasterToolFixture.h"
#include "SWToolCursor.h"

#include <gtest/gtest.h>

// The raster tools take their places in the fixed class list (after the dab
// brush, which comes first), each under its label, with its cursor's hot spot
// where the tool acts.
TEST(RasterToolRegistry, LabelsInClassOrderAndCursorHotSpots)
{
    KZToolboxController controller;
    SWToolbox toolbox(nullptr, &controller);
    // The shape tools follow, in their own order.
    EXPECT_EQ(toolbox.labels(), QStringList({"Brushes", "Brush", "Eraser", "Rectangle Selection", "Airbrush", "Fill", "Bomb",
                                             "Ellipse", "Eyedropper", "Zoom", "rectangle selection", "KZText",
                                             "free selection", "Arbitrary Selection", "Line", "Curve"}) +
                                 KZShapeKinds::labels());
    ASSERT_NE(toolbox.currentTool(), nullptr);
    EXPECT_EQ(toolbox.currentTool()->description(), "Brush");

    const struct {
        const char* label;
        const char* image;
        QPoint hotSpot;
    } cursors[] = {{"Brush", "pencil-cursor", {1, 14}},      {"Eraser", "eraser-cursor", {2, 13}},
                   {"Fill", "bucket-cursor", {14, 13}},      {"Eyedropper", "eyedrop-cursor", {1, 15}},
                   {"Zoom", "zoom-cursor-2", {1, 15}},       {"Airbrush", "airbrush-cursor-2", {6, 3}},
                   {"Bomb", "bomb-cursor", {8, 8}}};
    for (const auto& c : cursors) {
        SCOPED_TRACE(c.label);
        const QCursor cursor = toolbox.toolForLabel(c.label)->cursor();
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
        EXPECT_EQ(cursor.hotSpot(), c.hotSpot);
        // Something is drawn under the hot spot's neighbourhood.
        const QImage image = SWToolCursor::imageNamed(c.image);
        ASSERT_EQ(image.size(), QSize(16, 16));
        int opaque = 0;
        for (int y = std::max(0, c.hotSpot.y() - 1); y <= std::min(15, c.hotSpot.y() + 1); ++y)
            for (int x = std::max(0, c.hotSpot.x() - 1); x <= std::min(15, c.hotSpot.x() + 1); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(opaque, 0);
    }
    for (const char* label : {"Line", "Ellipse", "Curve", "Rectangle Selection", "Arbitrary Selection"})
        EXPECT_EQ(toolbox.toolForLabel(label)->cursor().shape(), Qt::CrossCursor) << label;
    EXPECT_TRUE(toolbox.toolForLabel("Ellipse")->shouldShowFillOptions());
    EXPECT_TRUE(toolbox.toolForLabel("Rectangle Selection")->shouldShowTransparencyOptions());
    EXPECT_TRUE(toolbox.toolForLabel("Arbitrary Selection")->shouldShowContextualMenu());
    EXPECT_FALSE(toolbox.toolForLabel("Brush")->shouldShowContextualMenu());
}
