#pragma once

#include "KZGraphicTool.h"

#include <QFont>
#include <QPointer>
#include <QSizeF>

class KZTextEditor;

namespace platform {
class TextView;
}

// Places a text box on the picture. A drag makes the box, a click a box
// sized to the word "Text" growing right and down from the click; a text
// view then sits in the box on the overlay, in front of the canvas, and
// takes the keys, with the font panel's font and the toolbox's selected
// colour. The box grows as the text needs more room: a clicked box to the
// right and down, a dragged one (whose lines wrap) downward. When editing
// ends the laid-out glyphs go into the picture at the text view's place as
// one undo step; an empty text commits nothing and takes no step.
//
// The text view is made once and reused for every box. While it is edited
// it shows at the canvas zoom; its text is scaled by the screen's device
// pixels per point, in the picture as on the screen.
class KZTextTool : public KZGraphicTool {
public:
    explicit KZTextTool(KZToolboxController* controller);
    ~KZTextTool() override;

    bool didCreatedGraphic(const std::shared_ptr<KZGraphicElement>& element) override;
    bool commitEditing() override;
    // Empties the text view and takes it off the overlay, then the base's.
    void resetState() override;
    // After every event the text view keeps the keys.
    void performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                            QMouseEvent* event) override;
    // The base's drawing; the text view follows the box at once.
    QRectF draw() override;

    platform::TextView* textView() const;
    // Where the text view is on the canvas (whole pixels); empty while no
    // box is edited.
    QRectF textFrameInCanvas() const;
    // The box a click opens before it grows: the word "Text" in the font,
    // times the scale.
    static QSizeF defaultBoxSize(const QFont& font, double scale);
    // The laid-out text rendered as it goes into the picture: glyphs only,
    // the size of the text view's frame on the canvas.
    QImage renderedText() const;

private:
    void postInit();
    KZTextEditor* textEditor() const;
    double screenScaleFactor() const;
    QPointF canvasOriginInOverlay() const;
    void placeTextView();
    // Grows the box to the room the text needs.
    void textDidChange();

    QPointer<platform::TextView> m_textView; // owned (a child of the overlay while shown)
    bool m_growsRight = false;
};
