#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

struct KZGraphicElementClass;
class KZGraphicsContext;
class QPainter;

// A picture object floating over the canvas while it is made and edited. It
// keeps its content in a local frame centred on (0, 0) and its placement as a
// few numbers (centre, scale per axis, orientation, mirroring), so moving,
// resizing, turning and mirroring lose nothing until the tool commits it.
//
// Canvas coordinates: pixels, y down; a positive orientation turns the
// element clockwise on screen. Orientation is never brought into a range.
// Setters keep only finite values: a non-finite component leaves the old one.
class KZGraphicElement {
public:
    KZGraphicElement();
    virtual ~KZGraphicElement();
    KZGraphicElement(const KZGraphicElement&) = delete;
    KZGraphicElement& operator=(const KZGraphicElement&) = delete;

    // Scale (1, 1), position (0, 0), orientation 0, not flipped, not created.
    virtual void resetState();

    // The size of the content before scaling; zero in the base.
    virtual QSizeF originSize() const { return {0, 0}; }

    // Draws the element at its own place through the context; the area
    // drawn. A null context or painter draws nothing and answers the zero
    // rectangle.
    QRectF draw(KZGraphicsContext* context, QPainter* painter);
    // Draws it with the origin of its bounds on the point.
    QRectF drawAtPoint(const QPointF& point, KZGraphicsContext* context, QPainter* painter);

    void rotate(double degrees) { setOrientation(m_orientation + degrees); }
    void translate(const QSizeF& delta) { setPosition(m_position + QPointF(delta.width(), delta.height())); }
    void scaleBy(const QSizeF& factors);
    // vertical: mirror top to bottom about the centre as seen on the canvas;
    // otherwise left to right. Twice with the same flag restores the element.
    void flip(bool vertical);

    // The element rendered into a new canvas bitmap of its bounds' size.
    // Null when the bounds have a side under one pixel, or are larger than
    // a canvas may be (non-finite bounds included).
    QImage bitmapRepresentation();

    // Local frame to canvas: translate to the position, rotate, mirror the
    // local y axis when flipped, scale.
    QTransform transform() const;

    QSizeF size() const;
    // Sets the scale that gives this size. Nothing happens for a zero
    // origin size; an axis whose origin side is 0 keeps its scale.
    void setSize(const QSizeF& size);
    // The outline of the content on the canvas (a turned rectangle).
    QPainterPath surroundingPath() const;
    virtual QRectF bounds() const;

    // The kind: label, builder and editor.
    virtual const KZGraphicElementClass& elementClass() const;

    QPointF position() const { return m_position; }
    void setPosition(const QPointF& position);
    bool shouldFlip() const { return m_shouldFlip; }
    void setShouldFlip(bool flip);
    bool hasCreated() const { return m_hasCreated; }
    void setHasCreated(bool created) { m_hasCreated = created; }
    QSizeF scale() const { return m_scale; }
    void setScale(const QSizeF& scale);
    double orientation() const { return m_orientation; }
    void setOrientation(double degrees);

    // Counts the changes of the placement (position, scale, orientation,
    // mirroring): whoever remembers an element as it lay can tell whether
    // it has moved since. Setting an equal value is no change.
    quint64 placementRevision() const { return m_placementRevision; }

private:
    QPointF m_position;
    bool m_shouldFlip = false;
    bool m_hasCreated = false;
    QSizeF m_scale{1, 1};
    double m_orientation = 0;
    quint64 m_placementRevision = 0;
};
