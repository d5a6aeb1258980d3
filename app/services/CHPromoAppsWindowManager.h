#pragma once

#include <QRectF>
#include <QSizeF>

#include <memory>

class CHPromoAppsWindowController;
class PromoAppsInfo;
class QScreen;

// Owns the one promotion window and sizes, titles, places and shows it.
// One instance per process.
class CHPromoAppsWindowManager {
public:
    static CHPromoAppsWindowManager* sharedCHPromoAppsWindowManager();
    // A second instance is refused: logs and yields null.
    static CHPromoAppsWindowManager* alloc();

    // Shows nothing for a null info or an empty content size.
    void showWindowWithPromoAppsInfo(const PromoAppsInfo* info);
    void closeWindow();

    CHPromoAppsWindowController* promoAppsWindowController() const { return m_controller.get(); }
    void setPromoAppsWindowController(std::unique_ptr<CHPromoAppsWindowController> controller);

    // A frame of the given size centred on a screen's visible frame, its
    // origin rounded to single precision.
    static QRectF centredFrame(const QSizeF& size, const QRectF& visibleFrame);
    // The largest content a window may have on the screen (the primary one
    // when none is given): its available area.
    static QSizeF boundingScreenSize(const QScreen* screen);
    // Without any screen, a window is at most this many pixels each way.
    static constexpr int kFallbackLimit = 4096;

private:
    CHPromoAppsWindowManager();
    ~CHPromoAppsWindowManager() = delete;
    std::unique_ptr<CHPromoAppsWindowController> m_controller;
};
