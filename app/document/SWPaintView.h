#pragma once

#include <QColor>
#include <QEvent>
#include <QPainterPath>
#include <QPointer>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QWidget>

class KZToolboxController;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class SWDocument;
class SWImageDataSource;
class SWScalingScrollView;
class SWTool;
class SWToolbox;

// The canvas of one document. Its own coordinates are canvas pixels (origin
// top-left, y down); the zooming scroll view shows it at the zoom level. It
// draws the image store (main image, then the preview buffer) and the grid,
// and turns the mouse and key events the document hands it into calls on the
// current tool, redisplaying the area each tool reports. It never takes
// events from the window itself: the overlay view in front of it does, and
// the document passes them on.
class SWPaintView : public QWidget {
    Q_OBJECT
public:
    explicit SWPaintView(QWidget* parent = nullptr);
    ~SWPaintView() override;

    SWDocument* document() const { return m_document; }
    void setDocument(SWDocument* document) { m_document = document; }
    // Keeps the store and the registry (not owned: the document owns both),
    // takes the canvas size as the frame and resets the grid.
    void preparePaintViewWithDataSource(SWImageDataSource* dataSource, SWToolbox* toolbox);
    SWImageDataSource* dataSource() const { return m_dataSource; }
    SWToolbox* toolbox() const { return m_toolbox; }

    // The frame in canvas pixels ({0, 0, canvas size}).
    void setFrame(const QRectF& frame);
    QRectF frame() const { return m_frame; }
    // Logical pixels per canvas pixel: the enclosing scroll view's actual
    // magnification, 1 outside one.
    double viewScale() const;
    // The canvas point of a mouse event (from its window position).
    QPointF canvasPointFromEvent(const QMouseEvent* event) const;
    QPointF canvasPointFromWindow(const QPointF& windowPoint) const;
    // A canvas rectangle in this widget's logical pixels, and back.
    QRectF widgetRectFromCanvasRect(const QRectF& canvasRect) const;
    QRectF canvasRectFromWidgetRect(const QRectF& widgetRect) const;
    SWScalingScrollView* enclosingScrollView() const;

    // Events the document hands on.
    void mouseDown(QMouseEvent* event);
    void mouseDragged(QMouseEvent* event);
    void mouseUp(QMouseEvent* event);
    void rightMouseDown(QMouseEvent* event);
    void rightMouseDragged(QMouseEvent* event);
    void rightMouseUp(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void keyDown(QKeyEvent* event);
    void cursorUpdate(QMouseEvent* event);

    // A tool asks for its invalid rectangle (or, with no tool, everything)
    // to be redrawn.
    void refreshImage(SWTool* sender);
    // Marks the canvas rectangle, grown by 2 on every side, for redrawing.
    void setInvalidRect(const QRectF& rect);
    void clearOverlay();
    void clearOverlayOnly();

    bool isPayingAttention() const { return m_isPayingAttention; }
    QPointF currentPoint() const { return m_currentPoint; }

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color) { m_backgroundColor = color; }

    bool showsGrid() const { return m_showsGrid; }
    void setShowsGrid(bool shows);
    double gridSpacing() const { return m_gridSpacing; }
    void setGridSpacing(double spacing);
    QColor gridColor() const { return m_gridColor; }
    void setGridColor(const QColor& color);
    void toggleGrid() { setShowsGrid(!m_showsGrid); }
    QPainterPath gridInRect(const QRectF& rect) const;

    // The window content size that shows a canvas of the rectangle's size
    // (in window pixels), within the screen and the window's limits.
    QSize calculateWindowContentSize(const QRectF& rect) const;

    // The canvas's contextual menu: Cut, Copy, Paste, Zoom In, Zoom Out,
    // Actual Size; the actions go up the responder chain.
    static QMenu* defaultMenu(QWidget* parent = nullptr);

    // Takes an image dropped at a canvas point. False (after a beep) when
    // the data holds no readable image.
    bool performDragOperation(const class QMimeData* data, const QPointF& canvasPoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    SWTool* currentTool() const;
    void sendToTool(QMouseEvent* event, int phase);
    void repostAsLeftButton(QMouseEvent* event, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons);
    void showContextualMenu(const QPointF& globalPosition);
    void applyFrame();

    SWDocument* m_document = nullptr;          // not owned
    SWImageDataSource* m_dataSource = nullptr; // not owned: the document's store
    QPointF m_currentPoint;
    SWToolbox* m_toolbox = nullptr;            // not owned: the document's registry
    bool m_isPayingAttention = true;
    QColor m_backgroundColor;
    bool m_showsGrid = false;
    double m_gridSpacing = 10.0;
    QColor m_gridColor;
    QRectF m_frame;
    QPointF m_rightPressPosition;
    bool m_rightClickMoved = false;
};
