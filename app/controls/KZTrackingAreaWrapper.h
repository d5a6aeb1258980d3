#pragma once

#include "platform/appkit/TrackingArea.h"
#include "platform/appkit/TrackingAreaOwner.h"

#include <QPointer>
#include <QRectF>

class QWidget;

// Keeps one mouse-tracking area on a view (entered and exited, moves,
// active always, also while a button is held) and passes its events on to
// a receiver. Every skinned control owns one to show its hover look. The
// area is installed by addTrackingArea(), which the control calls whenever
// it is shown or resized: a wrapper without a rectangle of its own then
// follows the view's bounds.
class KZTrackingAreaWrapper : public platform::TrackingAreaOwner {
public:
    static constexpr int kTrackingOptions = 0x483;

    KZTrackingAreaWrapper() = default;
    // Neither view nor receiver is owned.
    KZTrackingAreaWrapper(QWidget* ownerView, platform::TrackingAreaOwner* receiver);
    KZTrackingAreaWrapper(QWidget* ownerView, const QRectF& trackingRect, platform::TrackingAreaOwner* receiver);
    ~KZTrackingAreaWrapper() override;
    KZTrackingAreaWrapper(const KZTrackingAreaWrapper&) = delete;
    KZTrackingAreaWrapper& operator=(const KZTrackingAreaWrapper&) = delete;

    // Replaces the current area with a fresh one over the rectangle.
    void addTrackingArea();
    void removeTrackingArea();

    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;
    void mouseMoved(QMouseEvent* event) override;
    void cursorUpdate(QEvent* event) override;

    platform::TrackingArea* trackingArea() const { return m_trackingArea; }
    bool mouseEnteredTrackingArea() const { return m_mouseEnteredTrackingArea; }
    void setMouseEnteredTrackingArea(bool inside) { m_mouseEnteredTrackingArea = inside; }
    QWidget* ownerView() const { return m_ownerView; }
    void setOwnerView(QWidget* view) { m_ownerView = view; }
    platform::TrackingAreaOwner* trackingEventsReciever() const { return m_receiver; }
    void setTrackingEventsReciever(platform::TrackingAreaOwner* receiver) { m_receiver = receiver; }
    // The null rectangle stands for the owner's bounds.
    QRectF trackingRect() const { return m_trackingRect; }
    void setTrackingRect(const QRectF& rect) { m_trackingRect = rect; }

private:
    QPointer<platform::TrackingArea> m_trackingArea;
    bool m_mouseEnteredTrackingArea = false;
    QPointer<QWidget> m_ownerView;
    platform::TrackingAreaOwner* m_receiver = nullptr;
    QRectF m_trackingRect;
};
