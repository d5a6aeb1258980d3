#pragma once

class QWidget;

// Focus helper for windows.
class VTRCommonUtil {
public:
    // Gives the focus to the window's initial focus widget: the first widget of
    // its tab chain that takes focus by tab. A window without one takes the
    // focus itself. No window gives false.
    static bool makeFirstResponderToDefaultForWindow(QWidget* window);
};
