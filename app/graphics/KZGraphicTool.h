#pragma once

#include "SWTool.h"

#include <QPainterPath>
#include <QRect>
#include <QRectF>

#include <memory>

class KZGraphicBuilder;
class KZGraphicEditor;
class KZGraphicElement;
class KZGraphicsContext;
class QPainter;
struct KZGraphicElementClass;

// The base of every vector tool. Such a tool does not paint while the mouse
// moves: it places one element that stays editable until the tool commits it
// into the main image. It is always in one of three phases:
// - ready: neither builder nor editor;
// - building: a builder made from the element class turns the drag into a
//   new element;
// - editing: an editor lets the user move, resize and turn the element.
// While an element exists it is drawn into the store's buffer image and its
// border and handles on the overlay. The main image changes only on commit:
// a press that misses the element, a change of tool, or a document command
// that ends the tool's work. Deleting drops the element without a trace.
// Undo steps belong to the subclasses; the base's commit takes none.
class KZGraphicTool : public SWTool {
public:
    ~KZGraphicTool() override;

    void observeValueForKeyPath(const QString& keyPath, const QVariant& newValue) override;
    void setFlags(uint64_t flags) override;
    void mouseHasMoved(const QPointF& point, QMouseEvent* event) override;

    bool isBuilding() const { return m_builder != nullptr; }
    bool isEditing() const { return m_editor != nullptr; }
    bool isReady() const { return !m_builder && !m_editor; }
    virtual void startBuilding();
    virtual void startEditing();
    // Back to ready: builder, editor and element go.
    virtual void resetState();

    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    bool respondsToHandleKeyDown() const override { return true; }
    void handleKeyDown(QKeyEvent* event) override;
    bool handleKeyUp(QKeyEvent* event);
    // Keeps the built element and starts editing it; a zero side (a click
    // without a drag) cancels instead and answers false.
    virtual bool didCreatedGraphic(const std::shared_ptr<KZGraphicElement>& element);
    void deleteKey() override;

    SWImageDataSource* imageDataSource() const { return m_imageDataSource; }
    virtual void setImageDataSource(SWImageDataSource* dataSource);

    void tieUpLooseEnds() override;
    // The element class's label.
    QString description() const override;
    // The crosshair, or the editor's cursor, or the builder's.
    QCursor cursor() override;
    // Marks the whole overlay for redrawing.
    void refreshDisplay();

    // The element's outline on the canvas.
    QPainterPath borderRepresentation() const;
    QRectF borderSurroundingRect() const;
    // Where the border, the handles and the builder's drawing lie.
    QRectF accessoryBounds() const;
    // The overlay drawing: border, handles, builder. frame's origin is the
    // canvas origin in painter coordinates.
    void renderAccessoryToContext(QPainter& painter, const QRectF& frame);
    void renderBorderToContext(QPainter& painter, const QRectF& frame);
    QRectF renderBuilderToContext(QPainter& painter, const QRectF& frame);

    // Redraws the element into the buffer image: only the union of the
    // area drawn last time and the area drawn now is cleared and drawn.
    QRectF draw() override;

    void setFrontColor(const QColor& color) override;
    void setBackColor(const QColor& color) override;
    void setLineWidth(double width) override;
    void setShouldFill(bool fill, bool stroke) override;

    // Marks the overlay over the old and new accessory areas.
    void refreshAccessory();
    bool activate() override;
    // Draws the element into the main image (without resetting the tool).
    virtual bool commitEditing();
    bool deactive() override;
    bool cancel() override;

    std::shared_ptr<KZGraphicElement> element() const { return m_element; }
    virtual void setElement(const std::shared_ptr<KZGraphicElement>& element) { m_element = element; }
    KZGraphicBuilder* builder() const { return m_builder.get(); }
    KZGraphicEditor* editor() const { return m_editor.get(); }
    KZGraphicsContext* context() const { return m_context.get(); }
    bool active() const { return m_active; }
    const KZGraphicElementClass* elementClass() const { return m_elementClass; }

protected:
    // elementClass: not owned, lives as long as the program (may be null:
    // such a tool has no label and builds nothing).
    KZGraphicTool(KZToolboxController* controller, const KZGraphicElementClass* elementClass);

    // The class name for log lines.
    QString className() const;

private:
    // Clears what the tool drew into the buffer (all of it when unknown).
    void clearBuffer();
    void sendMouse(int phase, const QPointF& point, QMouseEvent* event);
    // The mouse pointer in canvas coordinates as it is now, read outside the
    // event stream; the latest event's point without a canvas view.
    QPointF mouseLocationInCanvas() const;

    std::shared_ptr<KZGraphicElement> m_element;
    std::unique_ptr<KZGraphicBuilder> m_builder;
    std::unique_ptr<KZGraphicEditor> m_editor;
    std::unique_ptr<KZGraphicsContext> m_context;
    SWImageDataSource* m_imageDataSource = nullptr; // not owned: the document's store
    const KZGraphicElementClass* m_elementClass;
    bool m_active = false;
    QRectF m_savedDirtyRect;
    QPointF m_lastPoint;
    // The buffer pixels the tool may have drawn on since they were last
    // cleared, on the buffer whose pixels start at m_bufferPixels; unknown
    // for another buffer.
    QRect m_bufferDrawn;
    bool m_bufferDrawnKnown = false;
    const void* m_bufferPixels = nullptr;
};
