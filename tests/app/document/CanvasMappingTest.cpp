#include "HiResSupport.h"
#include "support/DocumentWindowFixture.h"

#include "ScaledChildRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>

namespace {
// A colour that tells canvas pixels apart locally.
QColor colourOf(int x, int y)
{
    return QColor((x * 37) % 256, (y * 53) % 256, ((x + 2 * y) * 29) % 256);
}

void paintPattern(QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, colourOf(x, y));
}
} // namespace

// At every level the tool receives the canvas pixel that is drawn under the
// mouse: the press lands in the middle of a device pixel, the tool's point is
// floored to a canvas pixel, and (where a device pixel shows one canvas pixel
// or part of it) the window's pixel there has that canvas pixel's colour.
TEST(CanvasMapping, ToolReceivesThePixelUnderTheMouseAtEveryLevel)
{
    DocumentWindowFixture f;
    QImage& main = f.document->dataSource()->mainImage();
    paintPattern(main);
    const double ratio = HiResSupport::screenScaleFactor(f.paintView());
    std::cout << "device pixel ratio " << ratio << std::endl;
    RecordingTool* brush = f.current();

    for (double level : SWScalingScrollView::scaleLevels()) {
        SCOPED_TRACE(level);
        f.scrollView()->setScaleFactor(level, true);
        QApplication::processEvents();
        const QImage shown = f.document->window()->grab().toImage();
        ASSERT_NEAR(shown.devicePixelRatio(), ratio, 1e-9);
        const QRectF visible = f.scrollView()->documentVisibleRect();
        ASSERT_FALSE(visible.isEmpty());
        // Device pixels of the overlay, a few of them along the visible canvas.
        for (int step = 0; step < 6; ++step) {
            const QPointF canvasTarget(visible.left() + (visible.width() - 1) * step / 6.0 + 0.3,
                                       visible.top() + (visible.height() - 1) * (5 - step) / 6.0 + 0.6);
            // The device pixel that shows that canvas point, and its centre.
            const QPointF windowLogical = f.paintView()->mapTo(f.document->window(), canvasTarget * f.paintView()->viewScale());
            const QPoint device(int(std::floor(windowLogical.x() * ratio)), int(std::floor(windowLogical.y() * ratio)));
            const QPointF centreWindow((device.x() + 0.5) / ratio, (device.y() + 0.5) / ratio);
            const QPointF local = f.overlay()->mapFrom(f.document->window(), centreWindow);
            brush->calls.clear();
            f.mouseAtOverlay(QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
            f.mouseAtOverlay(QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
            ASSERT_EQ(brush->calls.size(), 2u);
            const QPointF received = brush->calls[0].point;
            // The device pixel covers canvas [d / level, (d + 1) / level): the
            // tool gets the point of its centre.
            const double canvasPerDevice = 1.0 / level;
            const QPointF canvasOrigin = f.paintView()->mapTo(f.document->window(), QPointF(0, 0));
            const double deviceX = (device.x() + 0.5) - canvasOrigin.x() * ratio;
            const double deviceY = (device.y() + 0.5) - canvasOrigin.y() * ratio;
            EXPECT_NEAR(received.x(), deviceX * canvasPerDevice, 1e-6);
            EXPECT_NEAR(received.y(), deviceY * canvasPerDevice, 1e-6);
            const int px = int(std::floor(received.x()));
            const int py = int(std::floor(received.y()));
            EXPECT_NEAR(px, int(std::floor(canvasTarget.x())), level < 1 ? int(canvasPerDevice) : 0);
            if (level >= 1) {
                EXPECT_EQ(shown.pixelColor(device), colourOf(px, py))
                    << "device " << device.x() << "," << device.y() << " canvas " << px << "," << py;
            }
        }
    }
}

// The same test on a screen with two device pixels per logical pixel: the
// scale is fixed when the application starts, so it runs in a child process.
TEST(CanvasMapping, AtTwoDevicePixelsPerLogicalPixel)
{
    if (isScaledChild())
        GTEST_SKIP() << "already the child";
    runAtTwoDevicePixelsPerPoint(QStringLiteral("CanvasMapping.ToolReceivesThePixelUnderTheMouseAtEveryLevel"), 120000);
}
