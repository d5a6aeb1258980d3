#pragma once

#include "KZGraphicEditor.h"

#include <QPointer>

class KZTextTool;

namespace platform {
class TextView;
}

// The editor of a text box: resize handles and a move area, but no rotate
// zones. It keeps the tool's text view on the box, 10 pixels inside the
// element's bounds on whole canvas pixels, and outlines the text view in
// purple. Presses inside the text view never reach it: the view takes them.
class KZTextEditor : public KZGraphicEditor {
public:
    KZTextEditor(KZGraphicsContext* context, std::shared_ptr<KZGraphicElement> element);

    // Where the text view goes on the canvas: the element's bounds shrunk
    // by 10 on every side, each of x, y, width and height cut to a whole
    // number toward zero; never a negative size.
    QRectF textFrameInCanvas() const;
    // The outline of the text view's frame (overlay coordinates).
    QPainterPath representation() const;
    // The area around the box that the outline and the handles cover.
    QRectF surroundingRect() const override;
    // Places the text view, outlines it, then draws the handles.
    void renderToContext(QPainter& painter, const QRectF& frame) override;
    // Keeps the text view on the box; frame's origin is the canvas origin in
    // the overlay's coordinates. The view is redrawn only when it moved.
    void translateTextViewWithFrame(const QRectF& frame);
    // None over the text view, which shows its own.
    std::optional<QCursor> cursor() override;

    platform::TextView* textView() const;
    void setTextView(platform::TextView* view);
    KZTextTool* textTool() const { return m_textTool; }
    void setTextTool(KZTextTool* tool) { m_textTool = tool; }

private:
    QPointer<platform::TextView> m_textView; // the tool's
    KZTextTool* m_textTool = nullptr;        // not owned: the tool owns this editor
};
