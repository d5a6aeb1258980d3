#pragma once

class QPalette;

// Light or dark appearance, read from the application's palette: the
// appearance is dark when the window colour is dark. It is read afresh at
// every call, so colours chosen while drawing follow a palette change at the
// next repaint (Qt repaints widgets on a palette change).
class Appearance {
public:
    Appearance() = delete;

    // False when there is no GUI application (no appearance at all).
    static bool isCurrentDarkMode();
    // A palette is dark when its window colour's lightness is below the middle.
    static bool isDarkPalette(const QPalette& palette);
};
