#include "KZTextEditor.h"

#include "KZGraphicElement.h"
#include "KZTextBuilder.h"

#include "platform/appkit/TextView.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/Geometry.h"

#include <QPainter>
#include <QPen>

#include <cmath>

KZTextEditor::KZTextEditor(KZGraphicsContext* context, std::shared_ptr<KZGraphicElement> element)
    : KZGraphicEditor(context, std::move(element))
{
    setShouldRotate(false);
}

platform::TextView* KZTextEditor::textView() const
{
    return m_textView;
}

void KZTextEditor::setTextView(platform::TextView* view)
{
    m_textView = view;
}

QRectF KZTextEditor::textFrameInCanvas() const
{
    if (!element())
        return {};
    const QRectF inset = element()->bounds().adjusted(10, 10, -10, -10);
    // Whole canvas pixels, so the text lands on the same pixels whatever
    // the zoom and the scrolling; a box too small for the inset gives an
    // empty frame, never a negative one.
    return QRectF(std::trunc(inset.x()), std::trunc(inset.y()), std::max(0.0, std::trunc(inset.width())),
                  std::max(0.0, std::trunc(inset.height())));
}

QPainterPath KZTextEditor::representation() const
{
    QPainterPath path;
    if (m_textView)
        path.addRect(m_textView->frame());
    return path;
}

QRectF KZTextEditor::surroundingRect() const
{
    // The handles too: zoomed out they reach further than the 20 around the
    // text view.
    return platform::unionRect(textFrameInCanvas().adjusted(-20, -20, 20, 20), KZGraphicEditor::surroundingRect());
}

void KZTextEditor::translateTextViewWithFrame(const QRectF& frame)
{
    if (!m_textView)
        return;
    const QRectF r = textFrameInCanvas().translated(frame.topLeft());
    if (m_textView->frame() != r)
        m_textView->setFrame(r);
}

void KZTextEditor::renderToContext(QPainter& painter, const QRectF& frame)
{
    platform::exceptionGuard([&] {
        translateTextViewWithFrame(frame);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPen pen(KZTextBuilder::outlineColor(), 1.0);
        pen.setCosmetic(true);
        painter.strokePath(representation(), pen);
        painter.restore();
        KZGraphicEditor::renderToContext(painter, frame);
    });
}

std::optional<QCursor> KZTextEditor::cursor()
{
    if (m_textView && textFrameInCanvas().contains(savedPoint()))
        return std::nullopt;
    return KZGraphicEditor::cursor();
}
