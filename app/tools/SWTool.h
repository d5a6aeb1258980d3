#pragma once

#include "platform/graphics/CanvasWrite.h"

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariant>

#include <cstdint>

class KZToolboxController;
class QKeyEvent;
class QMouseEvent;
class SWDocument;
class SWImageDataSource;

// Base of every tool of a document. It mirrors four settings of the toolbox
// controller (line width, front and back colour, fill/stroke), keeps the state
// of the gesture in progress (saved point, modifier flags, redraw rectangle)
// and gives every operation the canvas, the document and the registry call a
// harmless default, so a tool overrides only what it needs.
//
// Gesture contract with the paint view, for each mouse event:
//   down:    setSavedPoint(p), setFlags(f), performDrawAtPoint(p, store, 0, e), invalidRect()
//   dragged: setFlags(f), performDrawAtPoint(p, store, 1, e), invalidRect()
//   up:      setFlags(f), performDrawAtPoint(p, store, 2, e), invalidRect(),
//            then the document clears the overlay.
// Escape in mid-drag ends the gesture without phase 2 and calls tieUpLooseEnds().
class SWTool {
public:
    // Mouse phases passed to performDrawAtPoint().
    enum MousePhase { MouseDown = 0, MouseDragged = 1, MouseUp = 2 };

    explicit SWTool(KZToolboxController* controller);
    virtual ~SWTool();
    SWTool(const SWTool&) = delete;
    SWTool& operator=(const SWTool&) = delete;

    virtual bool activate() { return true; }
    virtual bool deactive() { return true; }
    virtual bool cancel() { return true; }

    // Called for every change of an observed controller property.
    virtual void observeValueForKeyPath(const QString& keyPath, const QVariant& newValue);

    // Redraws the tool's preview into the buffer image; the area it drew.
    virtual QRectF draw() { return QRectF(); }
    void resetRedrawRect();
    virtual QColor drawingColor() const { return m_frontColor; }

    virtual double lineWidth() const { return m_lineWidth; }
    virtual void setFrontColor(const QColor& color) { m_frontColor = color; }
    virtual void setBackColor(const QColor& color) { m_backColor = color; }
    virtual void setLineWidth(double width) { m_lineWidth = width; }
    virtual void setShouldFill(bool fill, bool stroke);

    QColor frontColor() const { return m_frontColor; }
    QColor backColor() const { return m_backColor; }
    bool shouldFill() const { return m_shouldFill; }
    bool shouldStroke() const { return m_shouldStroke; }

    QPointF savedPoint() const { return m_savedPoint; }
    void setSavedPoint(const QPointF& point) { m_savedPoint = point; }

    virtual void deleteKey() {}
    // Finish or commit the work in progress (called before a switch of tool
    // and before document commands that read or change the whole picture).
    virtual void tieUpLooseEnds() {}
    bool isEqualToTool(const SWTool* other) const;
    virtual void mouseHasMoved(const QPointF& point, QMouseEvent* event);
    const QPainterPath& path() const { return m_path; }
    virtual bool shouldShowContextualMenu() const { return false; }

    // Redraw rectangle bookkeeping: the area of the previous preview is
    // redrawn together with the new one, so stale pixels are cleared.
    QRectF addRedrawRectFromPoint(const QPointF& from, const QPointF& to);
    QRectF addRectToRedrawRect(const QRectF& rect);
    QRectF invalidRect() const { return m_redrawRect; }

    virtual bool shouldShowFillOptions() const { return false; }
    virtual bool shouldShowTransparencyOptions() const { return false; }

    uint64_t flags() const { return m_flags; }
    virtual void setFlags(uint64_t flags) { m_flags = flags; }

    SWDocument* document() const { return m_document; }
    void setDocument(SWDocument* document) { m_document = document; }
    KZToolboxController* toolboxController() const { return m_toolboxController; }

    // Each tool provides these.
    // point: canvas pixels (origin top-left, y down); phase: MousePhase;
    // event: the mouse event (may be null when a tool is driven directly).
    virtual void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                                    QMouseEvent* event) = 0;
    virtual QCursor cursor() = 0;
    // The label the registry keys the tool by.
    virtual QString description() const = 0;

    // Tools that stroke or outline a path build it here and keep it in path().
    virtual QPainterPath pathFromPoint(const QPointF& from, const QPointF& to);

    // Whether a canvas point lies on a pixel of the canvas. Presses outside
    // the canvas reach the tools too: a tool that reads or fills the pixel
    // under the press asks this first and otherwise does nothing.
    static bool pointLiesOnCanvas(const QPointF& point, const SWImageDataSource* dataSource);
    // The top-left corner of the pixel a canvas point lies in. Zoomed in, a
    // point anywhere in a pixel's screen square is that pixel: tools that
    // draw on whole pixels take this, never the nearest corner.
    static QPointF pixelUnder(const QPointF& point);

    // Keys other than Escape and Delete reach a tool that answers YES here.
    virtual bool respondsToHandleKeyDown() const { return false; }
    virtual void handleKeyDown(QKeyEvent* event);

protected:
    // Starts observing another controller key path (the base observes
    // "lineWidth", "foregroundColor", "backgroundColor" and "fillStyle").
    void observeControllerKeyPath(const QString& keyPath);

    double m_lineWidth = 0.0;
    KZToolboxController* m_toolboxController; // not owned: the document outlives its tools
    SWDocument* m_document = nullptr;          // not owned: the document owns the registry
    QRectF m_redrawRect;
    QRectF m_savedRect;
    QColor m_frontColor;
    QColor m_backColor;
    bool m_shouldFill = false;
    bool m_shouldStroke = false;
    QPointF m_savedPoint;
    QPainterPath m_path;
    uint64_t m_flags = 0;
    // Slots tools use during a gesture.
    QImage* m_drawToMe = nullptr;
    QImage* m_mainImage = nullptr;
    QImage* m_bufferImage = nullptr;
    // The write marks of m_mainImage (null when it has none): keep both
    // with keepMainImage(), and draw into the picture through
    // writeKeptMainImage() so the undo history learns where it changed.
    platform::CanvasWriteMarks* m_mainMarks = nullptr;
    void keepMainImage(SWImageDataSource* dataSource);
    // A write to *m_mainImage (not null) within area; hold it for the
    // length of the write.
    platform::CanvasWrite writeKeptMainImage(const QRectF& area = QRectF())
    {
        return platform::CanvasWrite(m_mainMarks, *m_mainImage, area.toAlignedRect());
    }

private:
    void scheduleDocumentRefresh();
};
