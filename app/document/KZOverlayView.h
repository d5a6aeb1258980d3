#pragma once

#include "platform/appkit/BoundsView.h"
#include "platform/foundation/ObservableProperty.h"

#include <QPointF>
#include <QRectF>
#include <QWidget>

class KZOverlayViewDelegate;

// The transparent view in front of the canvas. It is what the window hits:
// it takes the focus and receives every mouse, key and magnify event over the
// canvas and hands each to its delegate (the document), which routes it to the
// canvas resizer or the canvas. It draws whatever the delegate draws over the
// picture. Its coordinates follow the zoom: one overlay unit is one canvas
// pixel, so what the delegate draws scales with the canvas.
class KZOverlayView : public QWidget, public platform::BoundsView {
    Q_OBJECT
public:
    explicit KZOverlayView(QWidget* parent = nullptr);
    ~KZOverlayView() override;

    KZOverlayViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(KZOverlayViewDelegate* delegate) { m_delegate = delegate; }

    // Observed by the document to update the cursor.
    platform::ObservableProperty<bool>& mouseEnteredTrackingAreaProperty() { return m_mouseEnteredTrackingArea; }
    bool mouseEnteredTrackingArea() const { return m_mouseEnteredTrackingArea.get(); }

    // Marks the whole view for redrawing, so that the delegate draws anew.
    void clear();

    // Shows the content at a scale, centred (origin on a whole screen pixel
    // when zoomed in).
    void scaleTo(double scale);
    double boundsScale() const override { return m_scale; }
    QRectF bounds() const;

    // Overlay coordinates from widget coordinates and back.
    QPointF pointFromWidget(const QPointF& widgetPoint) const;
    QPointF widgetPointFromPoint(const QPointF& overlayPoint) const;
    QRectF widgetRectFromRect(const QRectF& overlayRect) const;
    QRectF widgetRectFromBoundsRect(const QRectF& overlayRect) const override { return widgetRectFromRect(overlayRect); }
    QRectF rectFromWidgetRect(const QRectF& widgetRect) const;

    void setOverlayNeedsDisplayInRect(const QRectF& overlayRect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;

private:
    void postInit();
    void handleScaleFactorDidChanged(const void* sender, const QVariantMap& userInfo);
    void myAddTrackingArea();

    KZOverlayViewDelegate* m_delegate = nullptr; // not owned: the document
    platform::ObservableProperty<bool> m_mouseEnteredTrackingArea{false};
    QPointF m_boundsOrigin;
    double m_scale = 1.0;
    double m_gestureMagnification = 0.0;
};
