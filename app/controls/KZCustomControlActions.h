#pragma once

#include <QVariantMap>

class QEvent;
class QPainter;
class QRectF;
class QWidget;

// How a skinned control hands its drawing and mouse events to its cell.
// The user information says where the event happened for controls with
// parts ("kKeySegmentIndex" for a segmented control); a button passes an
// empty map. The event may be null when a call does not come from the
// event stream.
class KZCustomControlActions {
public:
    virtual ~KZCustomControlActions() = default;
    virtual void customControlDrawWithFrame(QWidget* control, QPainter& painter, const QRectF& frame,
                                            const QVariantMap& userInfo) = 0;
    virtual void customControlMouseDown(QWidget* control, QEvent* event, const QVariantMap& userInfo) = 0;
    virtual void customControlMouseUp(QWidget* control, QEvent* event, const QVariantMap& userInfo) = 0;
    virtual void customControlMouseEntered(QWidget* control, QEvent* event, const QVariantMap& userInfo) = 0;
    virtual void customControlMouseExited(QWidget* control, QEvent* event, const QVariantMap& userInfo) = 0;
    // Optional: cells that ignore moves keep this.
    virtual void customControlMouseMoved(QWidget* control, QEvent* event, const QVariantMap& userInfo)
    {
        (void)control;
        (void)event;
        (void)userInfo;
    }
};
