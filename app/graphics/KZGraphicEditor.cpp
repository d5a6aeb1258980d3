#include "KZGraphicEditor.h"

#include "KZGraphicCursor.h"
#include "KZGraphicElement.h"
#include "KZGraphicsContext.h"

#include "platform/foundation/ModifierFlags.h"

#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace {
// Row h, entry k of a cursor set shows list entry (h - k) mod 8.
const char* const kRotateList[8] = {"Rotate3", "Rotate2", "Rotate1", "Rotate0",
                                    "Rotate7", "Rotate6", "Rotate5", "Rotate4"};
const char* const kSizeList[8] = {"Resize3", "Resize2", "Resize1", "Resize0",
                                  "Resize3", "Resize2", "Resize1", "Resize0"};

QPointF roundedPoint(const QPointF& p)
{
    return QPointF(std::round(float(p.x())), std::round(float(p.y())));
}
} // namespace

KZGraphicEditor::KZGraphicEditor(KZGraphicsContext* context, std::shared_ptr<KZGraphicElement> element)
    : m_element(std::move(element))
    , m_context(context)
{
}

KZGraphicEditor::~KZGraphicEditor() = default;

KZTransformEditor KZGraphicEditor::configuredTransformEditor() const
{
    KZTransformEditor editor = m_element ? KZTransformEditor::transformWithGraphic(*m_element) : KZTransformEditor();
    const double zoom = m_context && m_context->zoomFactor() > 0 ? m_context->zoomFactor() : 1.0;
    editor.setShouldRotate(m_shouldRotate);
    editor.setHandleShowSize(m_handleShowSize / zoom);
    editor.setHandleActionSize(m_handleActionSize / zoom);
    return editor;
}

bool KZGraphicEditor::handleMouseDown(const QPointF& point, QMouseEvent*)
{
    if (!m_element)
        return false;
    m_draggedHandle = configuredTransformEditor().contextAt(point);
    if (m_draggedHandle == KZTransformEditor::kNothing)
        return false;
    m_savedRect = QRectF(m_element->position(), m_element->size());
    m_dragging = true;
    m_savedPoint = point;
    return true;
}

bool KZGraphicEditor::handleMouseDragged(const QPointF& point, QMouseEvent*)
{
    if (m_draggedHandle != KZTransformEditor::kNothing && m_element) {
        KZTransformEditor editor = configuredTransformEditor();
        // Read at every step: pressing or releasing them mid-drag counts at once.
        const uint64_t flags = m_context ? m_context->keyFlags() : 0;
        editor.setKeepRatio(flags & platform::ModifierFlags::Shift);
        editor.setCenterBaseRef(flags & platform::ModifierFlags::Command);
        editor.draggedHandle(m_draggedHandle, roundedPoint(m_savedPoint), roundedPoint(point));
        m_element->setOrientation(editor.orientation());
        m_element->setSize(editor.size());
        m_element->setPosition(editor.position());
    }
    m_savedPoint = point;
    return true;
}

bool KZGraphicEditor::handleMouseUp(const QPointF&, QMouseEvent*)
{
    m_draggedHandle = KZTransformEditor::kNothing;
    m_dragging = false;
    return true;
}

bool KZGraphicEditor::handleMouseMoved(const QPointF& point, QMouseEvent*)
{
    m_savedPoint = point;
    return true;
}

bool KZGraphicEditor::hitTest(const QPointF& point) const
{
    return configuredTransformEditor().contextAt(point) != KZTransformEditor::kNothing;
}

bool KZGraphicEditor::handleKeyDown(QKeyEvent* event)
{
    if (!event || !m_element)
        return true;
    switch (event->key()) {
    case Qt::Key_Up:
        m_element->translate(QSizeF(0, -1));
        break;
    case Qt::Key_Down:
        m_element->translate(QSizeF(0, 1));
        break;
    case Qt::Key_Left:
        m_element->translate(QSizeF(-1, 0));
        break;
    case Qt::Key_Right:
        m_element->translate(QSizeF(1, 0));
        break;
    default:
        break;
    }
    return true;
}

QString KZGraphicEditor::cursorImageName(bool resize, int handle, double orientation)
{
    // The turn in whole degrees, counter-clockwise, within one turn.
    double a = std::fmod(std::trunc(-orientation), 360.0);
    if (a < 0)
        a += 360.0;
    const int k = ((int(a) + 22) % 360) * 8 / 360;
    const int entry = ((handle - k) % 8 + 8) % 8;
    return QString::fromLatin1((resize ? kSizeList : kRotateList)[entry]);
}

QString KZGraphicEditor::cursorName() const
{
    const KZTransformEditor editor = configuredTransformEditor();
    const int64_t code = m_draggedHandle != KZTransformEditor::kNothing ? m_draggedHandle
                                                                        : editor.contextAt(m_savedPoint);
    if (code == KZTransformEditor::kNothing)
        return QStringLiteral("crosshair");
    const int64_t kind = (code >> 8) & 0xff;
    if (kind == 2)
        return m_draggedHandle == KZTransformEditor::kNothing ? QStringLiteral("openhand")
                                                              : QStringLiteral("closedhand");
    return cursorImageName(kind == 3, int(code & 0xff) & 7, m_element ? m_element->orientation() : 0.0);
}

std::optional<QCursor> KZGraphicEditor::cursor()
{
    return KZGraphicCursor::cursorNamed(cursorName());
}

QRectF KZGraphicEditor::surroundingRect() const
{
    return configuredTransformEditor().surroundingRect();
}

void KZGraphicEditor::renderToContext(QPainter& painter, const QRectF& frame)
{
    configuredTransformEditor().renderToContext(painter, frame);
}
