#pragma once

#include "KZKeyboardResponder.h"
#include "KZMouseResponder.h"
#include "KZTransformEditor.h"

#include <QCursor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class KZGraphicElement;
class KZGraphicsContext;
class QPainter;
class SWDocument;

// Lets the user change a placed element: drag inside to move it, drag a
// handle to resize it, drag just outside a handle to turn it, nudge it with
// the arrow keys. It draws the handles and chooses the cursor. The geometry
// is the transform editor's, made afresh from the element for every event
// and question; the results go back into the element.
//
// Handle sizes are screen points: divided by the context's zoom factor they
// keep their size on screen at every zoom.
class KZGraphicEditor : public KZMouseResponder, public KZKeyboardResponder {
public:
    KZGraphicEditor(KZGraphicsContext* context, std::shared_ptr<KZGraphicElement> element);
    ~KZGraphicEditor() override;
    KZGraphicEditor(const KZGraphicEditor&) = delete;
    KZGraphicEditor& operator=(const KZGraphicEditor&) = delete;

    bool handleMouseDown(const QPointF& point, QMouseEvent* event) override;
    bool handleMouseDragged(const QPointF& point, QMouseEvent* event) override;
    bool handleMouseUp(const QPointF& point, QMouseEvent* event) override;
    bool handleMouseMoved(const QPointF& point, QMouseEvent* event) override;
    // Whether the point hits a handle, a rotate zone or the inside.
    virtual bool hitTest(const QPointF& point) const;
    // The arrow keys move the element by one canvas pixel.
    bool handleKeyDown(QKeyEvent* event) override;

    // The name of the cursor image for the latest mouse position or the drag
    // in progress (see KZGraphicCursor), and the cursor itself. An editor
    // that wants no cursor answers none.
    QString cursorName() const;
    virtual std::optional<QCursor> cursor();
    // The image a handle's cursor shows: resize or rotate set, handle 0..7,
    // chosen by the element's orientation in 45-degree steps.
    static QString cursorImageName(bool resize, int handle, double orientation);

    // The area the handles cover, grown by 1.
    virtual QRectF surroundingRect() const;
    // Draws the handles; frame's origin is the canvas origin in painter
    // coordinates.
    virtual void renderToContext(QPainter& painter, const QRectF& frame);

    // A transform editor of the element with this editor's handle sizes
    // (divided by the zoom factor) and rotate zones.
    KZTransformEditor configuredTransformEditor() const;

    std::shared_ptr<KZGraphicElement> element() const { return m_element; }
    KZGraphicsContext* context() const { return m_context; }
    bool dragging() const { return m_dragging; }
    QPointF savedPoint() const { return m_savedPoint; }
    void setSavedPoint(const QPointF& point) { m_savedPoint = point; }
    QRectF savedRect() const { return m_savedRect; }
    int64_t draggedHandle() const { return m_draggedHandle; }
    bool shouldRotate() const { return m_shouldRotate; }
    void setShouldRotate(bool rotate) { m_shouldRotate = rotate; }
    double handleShowSize() const { return m_handleShowSize; }
    void setHandleShowSize(double size) { m_handleShowSize = size; }
    double handleActionSize() const { return m_handleActionSize; }
    void setHandleActionSize(double size) { m_handleActionSize = size; }
    // The document the element belongs to (not owned); nothing is sent to it.
    SWDocument* dataSource() const { return m_dataSource; }
    void setDataSource(SWDocument* document) { m_dataSource = document; }
    SWDocument* delegate() const { return m_delegate; }
    void setDelegate(SWDocument* document) { m_delegate = document; }

private:
    std::shared_ptr<KZGraphicElement> m_element;
    bool m_dragging = false;
    QPointF m_savedPoint;
    QRectF m_savedRect;
    KZGraphicsContext* m_context; // not owned: the tool's, which outlives its editors
    int64_t m_draggedHandle = KZTransformEditor::kNothing;
    bool m_shouldRotate = true;
    double m_handleShowSize = 8.0;
    double m_handleActionSize = 16.0;
    SWDocument* m_dataSource = nullptr;
    SWDocument* m_delegate = nullptr;
};
