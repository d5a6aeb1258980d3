#pragma once

#include "KZGraphicBuilder.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>

#include <array>
#include <optional>

class KZSelectionElement;

// Turns a drag into a selection outline bounded by the canvas (the store's
// drawable rectangle). The base only knows the gesture's phases and Select
// All; the rectangle and free-hand builders shape the outline.
class KZSelectionBuilder : public KZGraphicBuilder {
public:
    explicit KZSelectionBuilder(KZGraphicsContext* context);

    bool handleMouseDown(const QPointF& point, QMouseEvent* event) override;
    bool handleMouseDragged(const QPointF& point, QMouseEvent* event) override;
    bool handleMouseUp(const QPointF& point, QMouseEvent* event) override;
    // A new created outline element once the outline is complete and not
    // empty; none before.
    std::shared_ptr<KZGraphicElement> element() const override;
    // Strokes the outline in purple, one device pixel wide; its bounds
    // grown by 1.
    QRectF draw(QPainter* painter) override;
    // The whole canvas, complete at once.
    void selectAll();

    // The pixels inside a path (the whole bitmap without a path, or for a
    // path without bounds) twice: as lifted, then with every pixel of the
    // background colour made transparent.
    static std::array<QImage, 2> selectedImageOfPath(const std::optional<QPainterPath>& path, const QImage& bitmap,
                                                     const QColor& backgroundColor);

    bool complete() const { return m_complete; }
    void setComplete(bool complete) { m_complete = complete; }
    bool isStarted() const { return m_isStarted; }
    const std::optional<QPainterPath>& selection() const { return m_selection; }
    void setSelection(const std::optional<QPainterPath>& selection) { m_selection = selection; }

protected:
    virtual void didBuildStarted(const QPointF& point);
    virtual void didBuildFinished(const QPointF& point);
    // The canvas rectangle; the zero rectangle without a store.
    QRectF drawableRect() const;
    // Rounded to whole pixels in single precision, halves away from zero.
    static QPointF roundedPoint(const QPointF& point);

private:
    bool m_complete = false;
    bool m_isStarted = false;
    std::optional<QPainterPath> m_selection;
    mutable std::shared_ptr<KZSelectionElement> m_element;
};
