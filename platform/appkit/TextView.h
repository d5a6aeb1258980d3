#pragma once

#include "BoundsView.h"
#include "Responder.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QWidget>

class QPainter;
class QTextDocument;

namespace platform {

// An editable rich-text view that lives in its superview's coordinates. Its
// frame is given in the superview's bounds units when the superview is a
// BoundsView (a zoomed canvas), so it shows at the superview's zoom, placed
// to the device pixel even where that is not a whole widget pixel; and its
// own content may be scaled once more (scaleTo: one text unit covers that
// many frame units), the way text keeps its size on a screen with more
// device pixels per point.
//
// Rich text: a font or colour change applies to the selection and to what
// is typed next. It keeps no undo of its own and draws no background.
// Lines wrap at the frame's width unless wrapping is off. The laid-out text
// is drawn with two points of padding left and right.
//
// It answers "changeFont:" (from the font panel), "changeColor:" (from the
// colour panel), "selectAll:", "copy:", "cut:", "paste:" and "delete:".
class TextView : public QWidget, public Responder, public BoundsSubview {
    Q_OBJECT
public:
    static constexpr double kLineFragmentPadding = 2.0;

    explicit TextView(QWidget* parent = nullptr);
    ~TextView() override;

    QTextDocument* textDocument() const { return m_document; }
    QString string() const;
    // Replaces the whole text (typed afresh in the typing attributes).
    void setString(const QString& text);

    // The font and colour of what is typed next (and of the selection when
    // set).
    QFont textFont() const { return m_typingFormat.font(); }
    void setTextFont(const QFont& font);
    QColor textColor() const;
    void setTextColor(const QColor& color);

    // The frame, in the superview's bounds units.
    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF& frame);
    // Frame units per text unit.
    double contentScale() const { return m_contentScale; }
    void scaleTo(double scale);
    bool wrapsLines() const { return m_wrapsLines; }
    void setWrapsLines(bool wraps);

    // The selection: where it starts and how long it is (0: the insertion
    // point only).
    int selectionStart() const;
    int selectionLength() const;
    void setSelectedRange(int location, int length);
    void selectAll();
    void insertText(const QString& text);

    // The size the laid-out text covers, in frame units.
    QSizeF usedSize() const;
    // Draws the laid-out text (its background, none, and the glyphs) at
    // (0, 0) in text units: never the insertion point nor the selection.
    void drawGlyphs(QPainter& painter) const;
    // Text units from a point of this widget, and back.
    QPointF textPointFromWidget(const QPointF& widgetPoint) const;

    void superviewBoundsDidChange() override;

signals:
    void textDidChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void placeInSuperview();
    void applyTextWidth();
    // Widget pixels per text unit.
    double pixelsPerTextUnit() const;
    int positionAt(const QPointF& widgetPoint) const;
    void cursorDidMove();
    void changeFont(QObject* sender);
    void changeColor(QObject* sender);
    void copySelection();
    void deleteSelection();
    void mergeFormat(const QTextCharFormat& format);

    QTextDocument* m_document;
    QTextCursor m_cursor;
    QTextCharFormat m_typingFormat;
    QRectF m_frame;
    QPointF m_paintOffset; // where the frame starts inside the widget
    double m_contentScale = 1.0;
    bool m_wrapsLines = true;
    bool m_dragging = false;
};

} // namespace platform
