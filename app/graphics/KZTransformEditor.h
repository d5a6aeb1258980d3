#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <cstdint>

class KZGraphicElement;
class QPainter;

// The geometry behind the handles of a placed element: where the eight
// resize handles and their rotate zones lie, what a point hits, how the
// handles look and how a drag changes the frame's centre, size and
// orientation. Made afresh for every question or drag step (its transform
// is fixed at construction) and never kept.
//
// Handles are numbered clockwise on the canvas from the top-left corner of
// the unturned frame: 0 top-left, 1 top middle, 2 top-right, 3 right middle,
// 4 bottom-right, 5 bottom middle, 6 bottom-left, 7 left middle.
//
// Hit codes: the high byte says what was hit, the low byte which handle.
class KZTransformEditor {
public:
    enum : int64_t {
        kNothing = -1,
        kRotate = 0x100,
        kInside = 0x200,
        kResize = 0x300,
    };

    KZTransformEditor();
    KZTransformEditor(const QPointF& position, const QSizeF& size, double orientation);
    static KZTransformEditor transformWithGraphic(const KZGraphicElement& element);

    // Translate to the point, then rotate by the degrees.
    static QTransform transformPoint(const QPointF& point, double orientation);

    QSizeF positionDeltaOfHandle(int64_t handle) const;
    QSizeF sizeDeltaOfHandle(int64_t handle) const;
    static QRectF squareAt(const QPointF& centre, double side);
    // The handle's place in the local frame.
    QPointF positionOfHandle(int64_t handle) const;
    QRectF showRectOfHandle(int64_t handle) const;
    // Twice the side for a rotate zone (high byte 1).
    QRectF actionRectOfHandle(int64_t handle) const;
    // Eight circles, in canvas coordinates; they do not turn with the frame.
    QPainterPath representation() const;
    QRectF surroundingRect() const;
    // Fills the circles in the selection colour and outlines them one device
    // pixel wide; frame's origin is the canvas origin in painter coordinates.
    void renderToContext(QPainter& painter, const QRectF& frame) const;

    // Moves, turns or resizes the frame by the drag from p0 to p1.
    void draggedHandle(int64_t handle, const QPointF& p0, const QPointF& p1);
    // Width over height; 1 for a frame without height.
    double ratio() const;
    static QSizeF forceVectorToRatio(const QSizeF& vector, double ratio);
    QSizeF adjustVector(const QSizeF& vector, int64_t handle, double ratio) const;
    QPainterPath contentPath() const;
    int64_t contextAt(const QPointF& point) const;

    bool shouldRotate() const { return m_shouldRotate; }
    void setShouldRotate(bool rotate) { m_shouldRotate = rotate; }
    double handleShowSize() const { return m_handleShowSize; }
    void setHandleShowSize(double size) { m_handleShowSize = size; }
    double handleActionSize() const { return m_handleActionSize; }
    void setHandleActionSize(double size) { m_handleActionSize = size; }
    double orientation() const { return m_orientation; }
    void setOrientation(double degrees) { m_orientation = degrees; }
    bool keepRatio() const { return m_keepRatio; }
    void setKeepRatio(bool keep) { m_keepRatio = keep; }
    const QTransform& transform() const { return m_transform; }
    void setTransform(const QTransform& transform) { m_transform = transform; }
    bool centerBaseRef() const { return m_centerBaseRef; }
    void setCenterBaseRef(bool centred) { m_centerBaseRef = centred; }
    QSizeF size() const { return m_size; }
    void setSize(const QSizeF& size) { m_size = size; }
    QPointF position() const { return m_position; }
    void setPosition(const QPointF& position) { m_position = position; }

private:
    void setDefaultProperty();
    void resize(int handle, const QSizeF& localDrag);

    bool m_shouldRotate = true;
    double m_handleShowSize = 0;
    double m_handleActionSize = 0;
    double m_orientation = 0;
    bool m_keepRatio = false;
    QTransform m_transform;
    bool m_centerBaseRef = false;
    QSizeF m_size;
    QPointF m_position;
};
