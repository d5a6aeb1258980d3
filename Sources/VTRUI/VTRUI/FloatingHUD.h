#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <memory>

class FloatingHUDWindowController;

// One small line of text in a frameless, translucent, click-through window
// that floats near the mouse; one per process. Text and origin updates before
// the first show() are dropped with a log line.
class FloatingHUD {
public:
    // Made on first use, never released.
    static FloatingHUD& shared();

    void show();
    void hide();
    void updateText(const QString& text);
    // Puts the window's bottom-left corner at the point, in screen
    // coordinates (y grows downwards): the window sits just above it.
    void updateOrigin(const QPointF& point);
    // The window's frame in screen coordinates (the window is made if needed).
    QRectF frame();

    FloatingHUDWindowController& controller() { return *m_controller; }

    FloatingHUD();
    ~FloatingHUD();
    FloatingHUD(const FloatingHUD&) = delete;
    FloatingHUD& operator=(const FloatingHUD&) = delete;

private:
    const std::unique_ptr<FloatingHUDWindowController> m_controller;
};
