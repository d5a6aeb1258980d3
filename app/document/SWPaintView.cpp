#include "SWPaintView.h"

#include "KZOverlayView.h"
#include "KZRibbonWindow.h"
#include "KZToolboxController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWScalingScrollView.h"
#include "SWTool.h"
#include "SWToolbox.h"

#include "platform/appkit/ActionRouter.h"
#include "platform/appkit/Beep.h"
#include "platform/appkit/MenuItem.h"
#include "platform/foundation/ModifierFlags.h"

#include <QApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

SWPaintView::SWPaintView(QWidget* parent)
    : QWidget(parent)
{
    // The overlay in front takes the window's events; drops reach the
    // canvas through the clip view behind it.
    setFocusPolicy(Qt::NoFocus);
    // Its extents tell where the picture shows, at the current zoom.
    setAccessibleName(tr("Canvas"));
    setAccessibleDescription(tr("The picture"));
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setAcceptDrops(true);
}

SWPaintView::~SWPaintView()
{
    m_dataSource = nullptr;
    m_toolbox = nullptr;
    m_document = nullptr;
}

void SWPaintView::preparePaintViewWithDataSource(SWImageDataSource* dataSource, SWToolbox* toolbox)
{
    m_dataSource = dataSource;
    m_toolbox = toolbox;
    setFrame(dataSource ? QRectF(QPointF(0, 0), dataSource->canvasSize()) : QRectF());
    m_isPayingAttention = true;
    m_showsGrid = false;
    m_gridSpacing = 10.0;
    QColor grid = palette().color(QPalette::Mid);
    grid.setAlphaF(0.24f);
    m_gridColor = grid;
    update();
}

void SWPaintView::setFrame(const QRectF& frame)
{
    m_frame = QRectF(QPointF(0, 0), frame.size());
    applyFrame();
}

void SWPaintView::applyFrame()
{
    if (SWScalingScrollView* scrollView = enclosingScrollView()) {
        scrollView->setDocumentFrameSize(m_frame.size());
        update();
        return;
    }
    resize(int(std::ceil(m_frame.width() - 1e-6)), int(std::ceil(m_frame.height() - 1e-6)));
    update();
}

SWScalingScrollView* SWPaintView::enclosingScrollView() const
{
    QWidget* clip = parentWidget();
    auto* scrollView = clip ? qobject_cast<SWScalingScrollView*>(clip->parentWidget()) : nullptr;
    return scrollView && scrollView->documentView() == this ? scrollView : nullptr;
}

double SWPaintView::viewScale() const
{
    const SWScalingScrollView* scrollView = enclosingScrollView();
    return scrollView ? scrollView->actualMagnification() : 1.0;
}

QPointF SWPaintView::canvasPointFromWindow(const QPointF& windowPoint) const
{
    return mapFrom(window(), windowPoint) / viewScale();
}

QPointF SWPaintView::canvasPointFromEvent(const QMouseEvent* event) const
{
    return event ? canvasPointFromWindow(event->scenePosition()) : QPointF();
}

QRectF SWPaintView::widgetRectFromCanvasRect(const QRectF& canvasRect) const
{
    const double s = viewScale();
    return QRectF(canvasRect.topLeft() * s, canvasRect.size() * s);
}

QRectF SWPaintView::canvasRectFromWidgetRect(const QRectF& widgetRect) const
{
    const double s = viewScale();
    return QRectF(widgetRect.topLeft() / s, widgetRect.size() / s);
}

SWTool* SWPaintView::currentTool() const
{
    return m_toolbox ? m_toolbox->currentTool() : nullptr;
}

// ---- mouse ----

void SWPaintView::sendToTool(QMouseEvent* event, int phase)
{
    const QPointF p = canvasPointFromEvent(event);
    m_currentPoint = p;
    SWTool* tool = currentTool();
    if (tool) {
        if (phase == SWTool::MouseDown)
            tool->setSavedPoint(p);
        tool->setFlags(platform::ModifierFlags::fromQt(event->modifiers()));
        tool->performDrawAtPoint(p, m_dataSource, phase, event);
    }
    // The tool may have been switched by what it did; ask the registry again.
    tool = currentTool();
    setInvalidRect(tool ? tool->invalidRect() : QRectF());
}

void SWPaintView::mouseDown(QMouseEvent* event)
{
    if (!event)
        return;
    m_isPayingAttention = true;
    sendToTool(event, SWTool::MouseDown);
}

void SWPaintView::mouseDragged(QMouseEvent* event)
{
    if (!event || !m_isPayingAttention)
        return;
    sendToTool(event, SWTool::MouseDragged);
}

void SWPaintView::mouseUp(QMouseEvent* event)
{
    if (!event || !m_isPayingAttention)
        return;
    sendToTool(event, SWTool::MouseUp);
    if (m_document)
        m_document->clearOverlayView();
}

void SWPaintView::repostAsLeftButton(QMouseEvent* event, QEvent::Type type, Qt::MouseButton button,
                                     Qt::MouseButtons buttons)
{
    SWTool* tool = currentTool();
    // Option paints with the back colour; Control asks for the context menu.
    const Qt::KeyboardModifier added =
        tool && tool->shouldShowContextualMenu() ? Qt::MetaModifier : Qt::AltModifier;
    // The event travels the normal road again: to the view the window hits.
    QWidget* target = m_document && m_document->overlayView() ? static_cast<QWidget*>(m_document->overlayView())
                                                              : static_cast<QWidget*>(this);
    const QPointF windowPoint = event->scenePosition();
    auto* posted = new QMouseEvent(type, target->mapFrom(target->window(), windowPoint), windowPoint,
                                   event->globalPosition(), button, buttons, event->modifiers() | added,
                                   event->pointingDevice());
    posted->setTimestamp(event->timestamp());
    QCoreApplication::postEvent(target, posted, Qt::HighEventPriority);
}

void SWPaintView::rightMouseDown(QMouseEvent* event)
{
    if (!event)
        return;
    m_rightPressPosition = event->globalPosition();
    m_rightClickMoved = false;
    repostAsLeftButton(event, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
}

void SWPaintView::rightMouseDragged(QMouseEvent* event)
{
    if (!event)
        return;
    if ((event->globalPosition() - m_rightPressPosition).manhattanLength() > 3)
        m_rightClickMoved = true;
    repostAsLeftButton(event, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
}

void SWPaintView::rightMouseUp(QMouseEvent* event)
{
    if (!event)
        return;
    repostAsLeftButton(event, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    SWTool* tool = currentTool();
    if (tool && tool->shouldShowContextualMenu() && !m_rightClickMoved) {
        // After the re-posted click has reached the tool.
        const QPointF where = event->globalPosition();
        QTimer::singleShot(0, this, [this, where] { showContextualMenu(where); });
    }
}

void SWPaintView::showContextualMenu(const QPointF& globalPosition)
{
    QMenu* menu = defaultMenu(this);
    for (QAction* action : menu->actions()) {
        if (auto* item = qobject_cast<platform::MenuItem*>(action)) {
            item->setWindow(window());
            platform::ActionRouter::shared().validate(item);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition.toPoint());
}

QMenu* SWPaintView::defaultMenu(QWidget* parent)
{
    auto* menu = new QMenu(QString(), parent);
    const struct {
        const char* title;
        const char* action;
    } items[] = {{"Cut", "cut:"}, {"Copy", "copy:"}, {"Paste", "paste:"}, {nullptr, nullptr},
                 {"Zoom In", "zoomIn:"}, {"Zoom Out", "zoomOut:"}, {"Actual Size", "actualSize:"}};
    for (const auto& item : items) {
        if (!item.title) {
            menu->addSeparator();
            continue;
        }
        menu->addAction(new platform::MenuItem(QCoreApplication::translate("SWPaintView", item.title),
                                               QString::fromLatin1(item.action), QKeySequence(), menu));
    }
    return menu;
}

void SWPaintView::mouseMoved(QMouseEvent* event)
{
    if (!event)
        return;
    if (SWTool* tool = currentTool())
        tool->mouseHasMoved(canvasPointFromEvent(event), event);
}

// ---- keys ----

void SWPaintView::keyDown(QKeyEvent* event)
{
    if (!event)
        return;
    switch (event->key()) {
    case Qt::Key_Escape:
        // The rest of the gesture is ignored; the tool commits what it has.
        m_isPayingAttention = false;
        if (m_toolbox)
            m_toolbox->tieUpLooseEndsForCurrentTool();
        if (m_dataSource)
            SWImageTools::clearImage(m_dataSource->bufferImage());
        if (m_document)
            m_document->handleCursorUpdate(nullptr);
        update();
        return;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        clearOverlay();
        if (m_document)
            m_document->handleCursorUpdate(nullptr);
        return;
    default:
        break;
    }
    SWTool* tool = currentTool();
    if (tool && tool->respondsToHandleKeyDown()) {
        tool->handleKeyDown(event);
        tool = currentTool();
        setInvalidRect(tool ? tool->invalidRect() : QRectF());
        return;
    }
    KZToolboxController* controller = m_document ? m_document->toolboxController() : nullptr;
    if (controller && controller->view()) {
        QKeyEvent forwarded(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                            ushort(event->count()));
        QCoreApplication::sendEvent(controller->view(), &forwarded);
    }
}

// ---- cursor ----

void SWPaintView::cursorUpdate(QMouseEvent* event)
{
    SWScalingScrollView* scrollView = enclosingScrollView();
    if (!scrollView)
        return;
    const QPointF global = event ? event->globalPosition() : QPointF(QCursor::pos());
    const QPointF inScrollView = scrollView->mapFromGlobal(global);
    const QRectF visible(QPointF(0, 0), scrollView->availableRect().size());
    if (!visible.contains(inScrollView))
        return; // outside the visible canvas area the cursor stays as it is
    SWTool* tool = currentTool();
    if (!tool)
        return;
    const QCursor cursor = tool->cursor();
    QWidget* target = m_document && m_document->overlayView() ? static_cast<QWidget*>(m_document->overlayView())
                                                              : static_cast<QWidget*>(this);
    target->setCursor(cursor);
}

// ---- redisplay ----

void SWPaintView::refreshImage(SWTool* sender)
{
    if (!sender) {
        update();
        return;
    }
    setInvalidRect(sender->invalidRect());
}

void SWPaintView::setInvalidRect(const QRectF& rect)
{
    QRectF grown = rect.adjusted(-2, -2, 2, 2);
    // A rectangle far outside (or the reset state of a tool) redraws nothing
    // beyond the canvas.
    grown = grown.intersected(QRectF(QPointF(-2, -2), m_frame.size() + QSizeF(4, 4)));
    if (grown.isEmpty())
        return;
    update(widgetRectFromCanvasRect(grown).toAlignedRect());
}

void SWPaintView::clearOverlay()
{
    if (m_dataSource)
        SWImageTools::clearImage(m_dataSource->bufferImage());
    if (SWTool* tool = currentTool())
        tool->deleteKey();
    if (m_toolbox)
        m_toolbox->tieUpLooseEndsForCurrentTool();
    update();
    if (m_document)
        m_document->clearOverlayView();
}

void SWPaintView::clearOverlayOnly()
{
    if (m_dataSource)
        SWImageTools::clearImage(m_dataSource->bufferImage());
    update();
}

// ---- grid ----

void SWPaintView::setShowsGrid(bool shows)
{
    if (shows == m_showsGrid)
        return;
    m_showsGrid = shows;
    update();
}

void SWPaintView::setGridSpacing(double spacing)
{
    if (spacing == m_gridSpacing)
        return;
    m_gridSpacing = spacing;
    update();
}

void SWPaintView::setGridColor(const QColor& color)
{
    m_gridColor = color;
    update();
}

QPainterPath SWPaintView::gridInRect(const QRectF& r) const
{
    QPainterPath path;
    const double s = m_gridSpacing;
    if (!(s > 0.0))
        return path;
    // The spacing is stretched so that whole cells fill the rectangle and
    // lines lie on both edges.
    const auto lines = [&](double origin, double length, const auto& addLine) {
        const double cells = std::ceil(length / s);
        if (!(cells >= 1.0) || !std::isfinite(cells))
            return;
        const float step = float(length / cells);
        float position = float(origin);
        while (origin + length >= double(position)) {
            addLine(double(position));
            position += step;
        }
    };
    lines(r.x(), r.width(), [&](double x) {
        path.moveTo(x, r.y());
        path.lineTo(x, r.y() + r.height());
    });
    lines(r.y(), r.height(), [&](double y) {
        path.moveTo(r.x(), y);
        path.lineTo(r.x() + r.width(), y);
    });
    return path;
}

// ---- drawing ----

void SWPaintView::paintEvent(QPaintEvent* event)
{
    const QRect dirty = event->rect();
    if (dirty.width() == 0 || dirty.height() == 0 || !m_dataSource)
        return;
    const double scale = viewScale();
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.scale(scale, scale);
    const SWScalingScrollView* scrollView = enclosingScrollView();
    // Zoomed out: smooth; at 100% and zoomed in, pixels stay sharp squares.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scrollView && scrollView->magnification() < 1.0);
    const QRectF frame = canvasRectFromWidgetRect(QRectF(dirty));
    m_dataSource->renderToContext(painter, frame);
    if (m_showsGrid) {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        const double level = scrollView ? scrollView->scaleFactor() : 1.0;
        QPen pen(m_gridColor);
        pen.setWidthF(1.0 / level);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(gridInRect(m_dataSource->drawableRect()));
        painter.restore();
    }
}

// ---- window size ----

QSize SWPaintView::calculateWindowContentSize(const QRectF& rect) const
{
    const QWidget* top = window();
    const QScreen* screen = top ? top->screen() : nullptr;
    const QSize visible = screen ? screen->availableGeometry().size() : QSize(0, 0);
    QSize needed(0, 0);
    int margin = 0;
    const SWScalingScrollView* scrollView = enclosingScrollView();
    const auto* ribbonWindow = qobject_cast<const KZRibbonWindow*>(top);
    if (ribbonWindow && scrollView && ribbonWindow->centralWidget()) {
        needed = rect.size().toSize();
        needed += QSize(scrollView->verticalScrollBar()->sizeHint().width(),
                        scrollView->horizontalScrollBar()->sizeHint().height());
        needed += QSize(2 * SWScalingScrollView::kContentInset, 2 * SWScalingScrollView::kContentInset);
        needed += QSize(20, 20);
        // The room the window's design gives around the scroll view (the
        // title bar and the ribbon above it), whatever size the window has
        // now and whether or not it was laid out yet.
        const QSize around = (ribbonWindow->designTimeContentViewFrame().size() -
                              QSizeF(scrollView->designTimeViewFrame().size()))
                                 .toSize();
        needed += around;
        margin = around.height();
    }
    int width = std::min({visible.width(), top ? top->maximumWidth() : INT_MAX, needed.width()});
    if (top && needed.width() < top->minimumWidth())
        width = top->minimumWidth();
    int height = std::min({visible.height(), top ? top->maximumHeight() : INT_MAX, needed.height()});
    if (top && needed.height() < top->minimumHeight() + margin)
        height = top->minimumHeight() + margin;
    return QSize(width, height);
}

// ---- drops ----

void SWPaintView::dragEnterEvent(QDragEnterEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void SWPaintView::dragMoveEvent(QDragMoveEvent* event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void SWPaintView::dropEvent(QDropEvent* event)
{
    const bool taken = performDragOperation(event->mimeData(), canvasRectFromWidgetRect(QRectF(event->position(), QSizeF())).topLeft());
    event->setDropAction(Qt::CopyAction);
    event->setAccepted(taken);
}

bool SWPaintView::performDragOperation(const QMimeData* data, const QPointF& canvasPoint)
{
    const QImage image = SWImageTools::bitmapImageWithPasteboard(data);
    if (image.isNull()) {
        platform::Beep::play();
        return false;
    }
    return m_document && m_document->pasteImage(image, canvasPoint);
}
