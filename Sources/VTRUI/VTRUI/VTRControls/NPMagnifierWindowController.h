#pragma once

#include "NPMagnifierInfo.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>

#include <memory>

class NPMagnifierWindow;

// Shows, hides and places the loupe window; the owner asks it how many
// pixels to capture and hands them in. Frames are in screen coordinates,
// origin top-left.
class NPMagnifierWindowController : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultSide = 144;

    // Takes the window over; a null window makes a controller that logs.
    explicit NPMagnifierWindowController(NPMagnifierWindow* window);
    ~NPMagnifierWindowController() override;

    // A controller with the standard window: 144 x 144 points, a magnifier
    // view filling it.
    static std::unique_ptr<NPMagnifierWindowController> createInstance();

    NPMagnifierWindow* window() const { return m_window; }
    void showWindowIfNeeded(QObject* sender);
    void hideWindow();
    QRectF windowFrame() const;
    QRectF windowFrameInPixels() const;
    void setWindowFrameOrigin(const QPointF& origin);

    // The window, or null (logged).
    NPMagnifierWindow* fetchWindow() const;
    QSizeF neededImageSize() const;
    void updateMagnifierInfo(const NPMagnifierInfo& info);

private:
    bool verifyWindow(const char* function, int line) const;

    QPointer<NPMagnifierWindow> m_window; // owned; deleted with the controller
};
