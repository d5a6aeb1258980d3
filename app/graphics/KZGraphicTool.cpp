#include "KZGraphicTool.h"

#include "KZGraphicBuilder.h"
#include "KZGraphicCursor.h"
#include "KZGraphicEditor.h"
#include "KZGraphicElement.h"
#include "KZGraphicElementClass.h"
#include "KZGraphicsContext.h"
#include "KZToolboxController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWImageTools.h"
#include "SWPaintView.h"

#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/SystemLog.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPen>

#include <cmath>
#include <cxxabi.h>
#include <typeinfo>

namespace {

bool finiteRect(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height());
}

// The whole pixels of `within` that an area touches, grown by one pixel for
// the anti-aliased rim. Cut to `within` before any integer conversion, so
// far-off or huge areas stay well defined.
QRect pixelArea(const QRectF& area, const QRect& within)
{
    if (!finiteRect(area))
        return within;
    const QRectF grown = area.normalized().adjusted(-1, -1, 1, 1).intersected(QRectF(within));
    if (grown.isEmpty())
        return {};
    return grown.toAlignedRect() & within;
}

} // namespace

KZGraphicTool::KZGraphicTool(KZToolboxController* controller, const KZGraphicElementClass* elementClass)
    : SWTool(controller)
    , m_context(std::make_unique<KZGraphicsContext>())
    , m_elementClass(elementClass)
{
    m_context->setDefaultCursor(KZGraphicCursor::cursorNamed(QStringLiteral("crosshair")));
    m_context->setLineWidth(m_lineWidth);
    observeControllerKeyPath(KZToolboxController::kSelectedColor);
    KZGraphicTool::resetState();
}

KZGraphicTool::~KZGraphicTool()
{
    // Editors observe the context: they go before it.
    m_editor.reset();
    m_builder.reset();
    m_element.reset();
}

QString KZGraphicTool::className() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    const QString name = QString::fromLatin1(status == 0 && demangled ? demangled : mangled);
    std::free(demangled);
    return name;
}

void KZGraphicTool::observeValueForKeyPath(const QString& keyPath, const QVariant& newValue)
{
    SWTool::observeValueForKeyPath(keyPath, newValue);
    if (keyPath == KZToolboxController::kSelectedColor)
        m_context->setSelectedColor(newValue.value<QColor>());
}

void KZGraphicTool::setFlags(uint64_t flags)
{
    SWTool::setFlags(flags);
    m_context->setKeyFlags(flags);
}

void KZGraphicTool::mouseHasMoved(const QPointF& point, QMouseEvent* event)
{
    if (m_editor)
        m_editor->handleMouseMoved(point, event);
    if (m_builder)
        m_builder->handleMouseMoved(point, event);
}

void KZGraphicTool::startBuilding()
{
    if (!m_active)
        activate();
    m_element.reset();
    m_editor.reset();
    m_builder.reset();
    if (m_elementClass && m_elementClass->builderClass)
        m_builder = m_elementClass->builderClass(m_context.get());
    if (m_builder)
        m_builder->setImageDataSource(m_imageDataSource);
}

void KZGraphicTool::startEditing()
{
    m_builder.reset();
    m_editor.reset();
    if (!m_element)
        return;
    const KZGraphicElementClass& kind = m_element->elementClass();
    if (kind.editorClass)
        m_editor = kind.editorClass(m_context.get(), m_element);
    if (!m_editor)
        return;
    m_editor->setDelegate(document());
    m_editor->setDataSource(document());
    // Where the mouse is now, so the cursor is right before it moves. The
    // latest event's point will not do: Paste, Select All and Invert start
    // editing from a menu or a key, far from where the mouse last pressed.
    m_editor->setSavedPoint(mouseLocationInCanvas());
}

QPointF KZGraphicTool::mouseLocationInCanvas() const
{
    const SWDocument* doc = document();
    const SWPaintView* view = doc ? doc->paintView() : nullptr;
    if (!view || !view->window())
        return m_lastPoint;
    return view->canvasPointFromWindow(view->window()->mapFromGlobal(QCursor::pos()).toPointF());
}

void KZGraphicTool::resetState()
{
    m_editor.reset();
    m_builder.reset();
    m_element.reset();
}

void KZGraphicTool::sendMouse(int phase, const QPointF& point, QMouseEvent* event)
{
    const auto send = [&](KZMouseResponder* responder) {
        if (!responder)
            return;
        switch (phase) {
        case MouseDown:
            responder->handleMouseDown(point, event);
            break;
        case MouseDragged:
            responder->handleMouseDragged(point, event);
            break;
        case MouseUp:
            responder->handleMouseUp(point, event);
            break;
        default:
            break;
        }
    };
    send(m_editor.get());
    send(m_builder.get());
}

void KZGraphicTool::performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                                       QMouseEvent* event)
{
    setImageDataSource(dataSource);
    m_lastPoint = point;
    const bool wasReady = isReady();
    if ((phase == MouseDown || phase == MouseDragged) && wasReady) {
        startBuilding();
        sendMouse(phase, point, event);
    } else if (phase == MouseDown) {
        // A press that misses the edited element commits it and goes nowhere.
        if (m_editor && !m_editor->hitTest(point)) {
            if (isEditing())
                commitEditing();
            resetState();
        }
        sendMouse(phase, point, event);
    } else {
        sendMouse(phase, point, event);
    }
    if (m_builder) {
        const std::shared_ptr<KZGraphicElement> built = m_builder->element();
        if (built && built->hasCreated())
            didCreatedGraphic(built);
    }
    addRectToRedrawRect(draw());
}

void KZGraphicTool::handleKeyDown(QKeyEvent* event)
{
    if (m_editor)
        m_editor->handleKeyDown(event);
    if (m_builder)
        m_builder->handleKeyDown(event);
    addRectToRedrawRect(draw());
}

bool KZGraphicTool::handleKeyUp(QKeyEvent* event)
{
    if (m_editor)
        m_editor->handleKeyUp(event);
    if (m_builder)
        m_builder->handleKeyUp(event);
    addRectToRedrawRect(draw());
    return true;
}

bool KZGraphicTool::didCreatedGraphic(const std::shared_ptr<KZGraphicElement>& element)
{
    setElement(element);
    const QSizeF size = element ? element->size() : QSizeF();
    // NaN counts as not 0.
    if (element && size.width() != 0 && size.height() != 0) {
        startEditing();
        return true;
    }
    cancel();
    return false;
}

void KZGraphicTool::deleteKey()
{
    cancel();
}

void KZGraphicTool::setImageDataSource(SWImageDataSource* dataSource)
{
    m_imageDataSource = dataSource;
    if (m_builder)
        m_builder->setImageDataSource(dataSource);
}

void KZGraphicTool::tieUpLooseEnds()
{
    platform::nsLog(QStringLiteral("%1 tieUpLooseEnds ...").arg(className()));
    SWTool::tieUpLooseEnds();
    deactive();
}

QString KZGraphicTool::description() const
{
    return m_elementClass ? m_elementClass->description : QString();
}

QCursor KZGraphicTool::cursor()
{
    QCursor chosen = KZGraphicCursor::cursorNamed(QStringLiteral("crosshair"));
    if (m_editor) {
        if (const std::optional<QCursor> own = m_editor->cursor())
            chosen = *own;
    }
    if (m_builder) {
        if (const std::optional<QCursor> own = m_builder->cursor())
            chosen = *own;
    }
    return chosen;
}

void KZGraphicTool::refreshDisplay()
{
    platform::exceptionGuard([&] {
        // The overlay's own rectangle: no canvas rectangle "larger than
        // everything" goes through a conversion to whole pixels.
        if (SWDocument* doc = document())
            doc->clearOverlayView();
    });
}

QPainterPath KZGraphicTool::borderRepresentation() const
{
    return m_element ? m_element->surroundingPath() : QPainterPath();
}

QRectF KZGraphicTool::borderSurroundingRect() const
{
    if (!m_element)
        return {};
    return borderRepresentation().boundingRect().adjusted(-1, -1, 1, 1);
}

QRectF KZGraphicTool::accessoryBounds() const
{
    QRectF area = borderSurroundingRect();
    if (m_editor)
        area = platform::unionRect(area, m_editor->surroundingRect());
    if (m_builder)
        area = platform::unionRect(area, m_builder->draw(nullptr));
    return area;
}

void KZGraphicTool::renderAccessoryToContext(QPainter& painter, const QRectF& frame)
{
    platform::exceptionGuard([&] {
        renderBorderToContext(painter, frame);
        if (m_editor)
            m_editor->renderToContext(painter, frame);
        renderBuilderToContext(painter, frame);
    });
}

void KZGraphicTool::renderBorderToContext(QPainter& painter, const QRectF& frame)
{
    if (!m_element)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(QGuiApplication::palette().color(QPalette::Highlight), 1.0, Qt::SolidLine, Qt::RoundCap,
             Qt::BevelJoin);
    pen.setCosmetic(true); // one device pixel at every zoom
    painter.strokePath(borderRepresentation().translated(frame.topLeft()), pen);
    painter.restore();
}

QRectF KZGraphicTool::renderBuilderToContext(QPainter& painter, const QRectF& frame)
{
    if (!m_builder)
        return {};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(frame.topLeft());
    const QRectF area = m_builder->draw(&painter);
    painter.restore();
    return area;
}

void KZGraphicTool::clearBuffer()
{
    if (!m_imageDataSource)
        return;
    QImage& buffer = m_imageDataSource->bufferImage();
    const void* pixels = buffer.isNull() ? nullptr : buffer.constBits();
    if (m_bufferDrawnKnown && pixels == m_bufferPixels)
        SWImageTools::clearImage(buffer, QRectF(m_bufferDrawn));
    else
        SWImageTools::clearImage(buffer);
    m_bufferDrawn = QRect();
    m_bufferDrawnKnown = true;
    m_bufferPixels = buffer.isNull() ? nullptr : buffer.constBits();
}

QRectF KZGraphicTool::draw()
{
    if (!m_imageDataSource || m_imageDataSource->bufferImage().isNull())
        return {};
    std::shared_ptr<KZGraphicElement> drawn[2];
    if (m_element) {
        drawn[0] = m_element;
    } else {
        drawn[0] = m_builder ? m_builder->element() : nullptr;
        drawn[1] = m_editor ? m_editor->element() : nullptr;
    }
    QImage& buffer = m_imageDataSource->bufferImage();
    QRect area;
    for (const auto& element : drawn)
        if (element)
            area |= pixelArea(element->bounds(), buffer.rect());
    // Only what was drawn last time and what is drawn now is touched: a
    // drag on a large canvas must not wipe the whole buffer every event.
    const void* pixels = buffer.constBits();
    QRect dirty = area;
    if (m_bufferDrawnKnown && pixels == m_bufferPixels)
        dirty |= m_bufferDrawn;
    else
        dirty = buffer.rect();
    SWImageTools::clearImage(buffer, QRectF(dirty));
    QRectF result;
    if (!area.isEmpty()) {
        QPainter painter(&buffer);
        painter.setClipRect(area);
        for (const auto& element : drawn)
            if (element)
                result = platform::unionRect(result, element->draw(m_context.get(), &painter));
    }
    m_bufferDrawn = area;
    m_bufferDrawnKnown = true;
    m_bufferPixels = buffer.constBits();
    refreshAccessory();
    return result;
}

void KZGraphicTool::setFrontColor(const QColor& color)
{
    SWTool::setFrontColor(color);
    m_context->setFrontColor(color);
}

void KZGraphicTool::setBackColor(const QColor& color)
{
    SWTool::setBackColor(color);
    m_context->setBackColor(color);
}

void KZGraphicTool::setLineWidth(double width)
{
    SWTool::setLineWidth(width);
    m_context->setLineWidth(width);
}

void KZGraphicTool::setShouldFill(bool fill, bool stroke)
{
    SWTool::setShouldFill(fill, stroke);
    m_context->setShouldFill(fill);
    m_context->setShouldStroke(stroke);
}

void KZGraphicTool::refreshAccessory()
{
    platform::exceptionGuard([&] {
        if (SWDocument* doc = document()) {
            const QRectF area = accessoryBounds();
            // The old area too, so handles drawn at the old place are erased.
            doc->setNeedsDisplayForGraphicsAccessory(platform::unionRect(area, m_savedDirtyRect));
            m_savedDirtyRect = area;
        }
    });
}

bool KZGraphicTool::activate()
{
    if (m_active)
        return false;
    resetState();
    m_active = true;
    return true;
}

bool KZGraphicTool::commitEditing()
{
    if (!isEditing())
        return false;
    clearBuffer();
    if (!m_imageDataSource || m_imageDataSource->mainImage().isNull())
        return true;
    // An element draws within its bounds; two pixels more for rounding.
    auto write = m_imageDataSource->writeMainImage(m_element ? m_element->bounds().adjusted(-2, -2, 2, 2) : QRectF());
    QPainter painter(&write.image());
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (m_element)
        m_element->draw(m_context.get(), &painter);
    return true;
}

bool KZGraphicTool::deactive()
{
    if (!m_active)
        return false;
    m_active = false;
    if (isEditing())
        commitEditing();
    resetState();
    refreshDisplay();
    return true;
}

bool KZGraphicTool::cancel()
{
    if (!m_active)
        return false;
    platform::nsLog(QStringLiteral("%1 cancel ...").arg(className()));
    if (m_imageDataSource)
        clearBuffer();
    resetState();
    m_active = false;
    return true;
}
