#pragma once

#include <QWidget>

// The floating HUD's window: frameless, translucent, always above the
// program's windows, never focused, and transparent to the mouse, so clicks
// reach the window below. It paints a rounded dark backdrop behind its label.
class FloatingHUDWindow : public QWidget {
    Q_OBJECT
public:
    explicit FloatingHUDWindow(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
