#pragma once

#include "E2EHarness.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <gtest/gtest.h>

// How many pixels of the picture are not of the colour.
inline int pixelsOtherThan(const QImage& picture, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += picture.pixel(x, y) != colour;
    return count;
}

// The real program with one document window, its canvas found through the
// accessibility tree; input given in canvas points.
struct CanvasProgram {
    struct Deferred {};

    // The program with a new blank document.
    CanvasProgram() { open(); }
    // Nothing started yet: open() starts it (when the arguments need the
    // harness's work folder).
    explicit CanvasProgram(Deferred) {}

    // Starts the program with the arguments and waits for a window whose
    // name matches the pattern. `window` stays empty when none came.
    void open(const QStringList& arguments = {}, const QString& windowPattern = QStringLiteral("Untitled"))
    {
        if (!h.launch(arguments))
            return;
        window = h.waitForWindow(windowPattern);
        if (window.isEmpty())
            return;
        h.focus(window);
        canvas = h.canvasExtents(window);
    }

    void chooseTool(const QString& label) { EXPECT_TRUE(h.chooseControl(label, window)) << label.toStdString(); }

    QPoint onScreen(QPoint canvasPoint) const { return canvas.topLeft() + canvasPoint; }

    void click(QPoint canvasPoint)
    {
        h.mouseMove(onScreen(canvasPoint).x(), onScreen(canvasPoint).y());
        h.click(1);
    }

    void drag(QPoint from, QPoint to)
    {
        h.mouseMove(onScreen(from).x(), onScreen(from).y());
        h.mouseDown(1);
        for (int s = 1; s <= 10; ++s) {
            const QPoint p = from + (to - from) * s / 10;
            h.mouseMove(onScreen(p).x(), onScreen(p).y());
        }
        h.mouseUp(1);
    }

    // Save As a PNG in the work folder, read back by an independent decoder;
    // null when nothing was written.
    QImage save(const QString& name)
    {
        const QString written = h.saveAs(window, h.workDir() + QLatin1Char('/') + name);
        return written.isEmpty() ? QImage() : h.decodeIndependently(written);
    }

    E2EHarness h;
    QString window;
    QRect canvas;
};
