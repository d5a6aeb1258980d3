#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

// Where the blank canvas and the stand-in tool buttons are in a screenshot
// of a document window: the canvas (white at 100 %) is the first row with a
// long white run, the first button row's top edge the first dark line below
// the menu bar, in a column where the menus have no text.
struct StandInPanelLayout {
    QPoint canvas{-1, -1};
    int canvasWidth = 0;
    int buttonsTop = -1;
    int buttonsLeft = -1;

    bool found() const { return canvas.x() >= 0 && buttonsTop >= 0; }

    // The centre of the button of the tool at this place in the registry.
    QPoint toolButton(int index) const
    {
        return {buttonsLeft + (index % 8) * 112 + 56, buttonsTop + (index / 8) * 24 + 12};
    }

    // The centre of a tool's button, by its label. The one place that knows
    // the buttons' order: the registry's, of the tools the program has.
    QPoint toolButton(const QString& label) const
    {
        static const QStringList labels = {
            "Brushes", "Brush", "Eraser", "Rectangle Selection", "Airbrush", "Fill", "Bomb", "Ellipse", "Eyedropper",
            "Zoom", "rectangle selection", "KZText", "free selection", "Arbitrary Selection", "Line", "Curve",
            "rectangleMessage", "bubble", "cloud", "heart"};
        return toolButton(int(labels.indexOf(label)));
    }

    static StandInPanelLayout find(const QRect& frame, const QImage& shot)
    {
        StandInPanelLayout layout;
        for (int y = frame.top(); y < frame.bottom() && layout.canvas.x() < 0; ++y) {
            int run = 0;
            for (int x = frame.left(); x <= frame.right() + 1; ++x) {
                if (x <= frame.right() && shot.pixel(x, y) == qRgb(255, 255, 255)) {
                    ++run;
                    continue;
                }
                if (run >= 200) {
                    layout.canvas = QPoint(x - run, y);
                    layout.canvasWidth = run;
                    break;
                }
                run = 0;
            }
        }
        const int column = frame.left() + 4 + 4 * 112 + 8;
        for (int y = frame.top() + 2; y < frame.top() + 120; ++y) {
            if (qGray(shot.pixel(column, y)) < 200) {
                layout.buttonsTop = y;
                break;
            }
        }
        layout.buttonsLeft = frame.left() + 4;
        return layout;
    }
};
