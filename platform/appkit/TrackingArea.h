#pragma once

#include <QObject>
#include <QPointer>
#include <QRectF>

class QWidget;

namespace platform {

class TrackingAreaOwner;

// A rectangle of a view in which the mouse is watched: its owner hears when
// the mouse enters or leaves the rectangle and, on request, every move over
// it, whether or not a button is held on the view. Installed on a view, it
// is the view's child and goes with it.
class TrackingArea : public QObject {
    Q_OBJECT
public:
    enum Option {
        MouseEnteredAndExited = 0x01,
        MouseMoved = 0x02,
        CursorUpdate = 0x04,
        ActiveInActiveApp = 0x40,
        ActiveAlways = 0x80,
        InVisibleRect = 0x200,
        EnabledDuringMouseDrag = 0x400,
    };

    // The owner is not owned.
    TrackingArea(const QRectF& rect, int options, TrackingAreaOwner* owner);

    QRectF rect() const { return m_rect; }
    int options() const { return m_options; }
    TrackingAreaOwner* owner() const { return m_owner; }
    QWidget* view() const;
    bool mouseInside() const { return m_inside; }
    // For an area that replaces another while the mouse is inside: the
    // next move over it is then no entry, and leaving is an exit.
    void assumeMouseInside(bool inside) { m_inside = inside; }

    // Adds the area to the view (the view takes it over) / takes it off
    // again and deletes it.
    static void addToView(QWidget* view, TrackingArea* area);
    static void removeFromView(QWidget* view, TrackingArea* area);
    static QList<TrackingArea*> areasOf(const QWidget* view);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRectF activeRect() const;
    void moveTo(const QPointF& position, QEvent* event, bool moved);
    QRectF m_rect;
    int m_options;
    TrackingAreaOwner* m_owner;
    bool m_inside = false;
};

} // namespace platform
