#include "TextView.h"

#include "ColorPanel.h"
#include "FontPanel.h"
#include "Pasteboard.h"

#include <QAbstractTextDocumentLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
// Key sequences that move the insertion point, and how.
struct Move {
    QKeySequence::StandardKey key;
    QTextCursor::MoveOperation operation;
    QTextCursor::MoveMode mode;
};
const Move kMoves[] = {
    {QKeySequence::MoveToNextChar, QTextCursor::Right, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToPreviousChar, QTextCursor::Left, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToNextWord, QTextCursor::NextWord, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToPreviousWord, QTextCursor::PreviousWord, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToNextLine, QTextCursor::Down, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToPreviousLine, QTextCursor::Up, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToStartOfLine, QTextCursor::StartOfLine, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToEndOfLine, QTextCursor::EndOfLine, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToStartOfDocument, QTextCursor::Start, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToEndOfDocument, QTextCursor::End, QTextCursor::MoveAnchor},
    {QKeySequence::SelectNextChar, QTextCursor::Right, QTextCursor::KeepAnchor},
    {QKeySequence::SelectPreviousChar, QTextCursor::Left, QTextCursor::KeepAnchor},
    {QKeySequence::SelectNextWord, QTextCursor::NextWord, QTextCursor::KeepAnchor},
    {QKeySequence::SelectPreviousWord, QTextCursor::PreviousWord, QTextCursor::KeepAnchor},
    {QKeySequence::SelectNextLine, QTextCursor::Down, QTextCursor::KeepAnchor},
    {QKeySequence::SelectPreviousLine, QTextCursor::Up, QTextCursor::KeepAnchor},
    {QKeySequence::SelectStartOfLine, QTextCursor::StartOfLine, QTextCursor::KeepAnchor},
    {QKeySequence::SelectEndOfLine, QTextCursor::EndOfLine, QTextCursor::KeepAnchor},
    {QKeySequence::SelectStartOfDocument, QTextCursor::Start, QTextCursor::KeepAnchor},
    {QKeySequence::SelectEndOfDocument, QTextCursor::End, QTextCursor::KeepAnchor},
};
} // namespace

TextView::TextView(QWidget* parent)
    : QWidget(parent)
    , m_document(new QTextDocument(this))
{
    m_document->setUndoRedoEnabled(false);
    m_document->setDocumentMargin(0);
    QTextFrameFormat root = m_document->rootFrame()->frameFormat();
    root.setLeftMargin(kLineFragmentPadding);
    root.setRightMargin(kLineFragmentPadding);
    m_document->rootFrame()->setFrameFormat(root);
    m_cursor = QTextCursor(m_document);
    m_typingFormat.setFont(font());
    m_typingFormat.setForeground(QColor(Qt::black));

    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);

    connect(m_document, &QTextDocument::contentsChanged, this, [this] {
        update();
        emit textDidChange();
    });

    Responder::addAction(QStringLiteral("changeFont:"), [this](QObject* sender) { changeFont(sender); });
    Responder::addAction(QStringLiteral("changeColor:"), [this](QObject* sender) { changeColor(sender); });
    Responder::addAction(QStringLiteral("selectAll:"), [this](QObject*) { selectAll(); });
    Responder::addAction(QStringLiteral("copy:"), [this](QObject*) { copySelection(); });
    Responder::addAction(QStringLiteral("cut:"), [this](QObject*) {
        copySelection();
        deleteSelection();
    });
    Responder::addAction(QStringLiteral("paste:"), [this](QObject*) {
        const QByteArray text = Pasteboard::general().dataForType(Pasteboard::textType());
        if (!text.isEmpty())
            insertText(QString::fromUtf8(text));
    });
    Responder::addAction(QStringLiteral("delete:"), [this](QObject*) { deleteSelection(); });
    applyTextWidth();
}

TextView::~TextView() = default;

QString TextView::string() const
{
    return m_document->toPlainText();
}

void TextView::setString(const QString& text)
{
    QTextCursor all(m_document);
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    all.setBlockCharFormat(m_typingFormat);
    m_cursor = all;
    if (!text.isEmpty())
        m_cursor.insertText(text, m_typingFormat);
    update();
}

void TextView::mergeFormat(const QTextCharFormat& format)
{
    if (m_cursor.hasSelection())
        m_cursor.mergeCharFormat(format);
    m_typingFormat.merge(format);
    // An empty line takes its height from here.
    m_document->setDefaultFont(m_typingFormat.font());
    if (m_document->isEmpty())
        m_cursor.mergeBlockCharFormat(format);
    if (hasFocus())
        FontPanel::shared().setSelectedFont(textFont());
    update();
}

void TextView::setTextFont(const QFont& font)
{
    QTextCharFormat format;
    format.setFont(font);
    QTextCursor all(m_document);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(format);
    mergeFormat(format);
}

QColor TextView::textColor() const
{
    return m_typingFormat.foreground().color();
}

void TextView::setTextColor(const QColor& color)
{
    QTextCharFormat format;
    format.setForeground(color);
    QTextCursor all(m_document);
    all.select(QTextCursor::Document);
    all.mergeCharFormat(format);
    mergeFormat(format);
}

void TextView::setFrame(const QRectF& frame)
{
    const bool resized = frame.size() != m_frame.size();
    m_frame = frame;
    if (resized)
        applyTextWidth();
    placeInSuperview();
}

void TextView::scaleTo(double scale)
{
    if (!(scale > 0.0) || !std::isfinite(scale))
        return;
    m_contentScale = scale;
    applyTextWidth();
    placeInSuperview();
}

void TextView::setWrapsLines(bool wraps)
{
    m_wrapsLines = wraps;
    applyTextWidth();
}

void TextView::applyTextWidth()
{
    m_document->setTextWidth(m_wrapsLines ? std::max(0.0, m_frame.width() / m_contentScale) : -1.0);
}

void TextView::superviewBoundsDidChange()
{
    placeInSuperview();
}

void TextView::placeInSuperview()
{
    const auto* bounds = dynamic_cast<const BoundsView*>(parentWidget());
    const QRectF exact = bounds ? bounds->widgetRectFromBoundsRect(m_frame) : m_frame;
    // Widgets sit on whole pixels; the content is drawn from where the
    // frame really starts, which may lie between them.
    const QRect aligned = exact.isValid() ? exact.toAlignedRect() : QRect(exact.topLeft().toPoint(), QSize(0, 0));
    m_paintOffset = exact.topLeft() - QPointF(aligned.topLeft());
    if (geometry() != aligned)
        setGeometry(aligned);
    update();
}

double TextView::pixelsPerTextUnit() const
{
    const auto* bounds = dynamic_cast<const BoundsView*>(parentWidget());
    return (bounds ? bounds->boundsScale() : 1.0) * m_contentScale;
}

QPointF TextView::textPointFromWidget(const QPointF& widgetPoint) const
{
    return (widgetPoint - m_paintOffset) / pixelsPerTextUnit();
}

int TextView::selectionStart() const
{
    return m_cursor.selectionStart();
}

int TextView::selectionLength() const
{
    return m_cursor.selectionEnd() - m_cursor.selectionStart();
}

void TextView::setSelectedRange(int location, int length)
{
    const int end = m_document->characterCount() - 1;
    const int from = std::clamp(location, 0, end);
    m_cursor.setPosition(from);
    m_cursor.setPosition(std::clamp(from + std::max(length, 0), 0, end), QTextCursor::KeepAnchor);
    cursorDidMove();
}

void TextView::selectAll()
{
    m_cursor.select(QTextCursor::Document);
    cursorDidMove();
}

void TextView::insertText(const QString& text)
{
    m_cursor.insertText(text, m_typingFormat);
    update();
}

QSizeF TextView::usedSize() const
{
    return m_document->size() * m_contentScale;
}

void TextView::drawGlyphs(QPainter& painter) const
{
    QAbstractTextDocumentLayout::PaintContext context;
    context.cursorPosition = -1;
    context.palette.setColor(QPalette::Text, textColor());
    m_document->documentLayout()->draw(&painter, context);
}

void TextView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.translate(m_paintOffset);
    const double k = pixelsPerTextUnit();
    painter.scale(k, k);
    painter.setClipRect(QRectF(QPointF(0, 0), m_frame.size() / m_contentScale));
    QAbstractTextDocumentLayout::PaintContext context;
    context.cursorPosition = -1;
    context.palette.setColor(QPalette::Text, textColor());
    if (m_cursor.hasSelection()) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = m_cursor;
        selection.format.setBackground(palette().color(QPalette::Highlight));
        selection.format.setForeground(palette().color(QPalette::HighlightedText));
        context.selections << selection;
    }
    m_document->documentLayout()->draw(&painter, context);
    // The insertion point, one text unit wide, while the view has the keys.
    if (hasFocus() && !m_cursor.hasSelection()) {
        if (QTextLayout* layout = m_cursor.block().layout()) {
            painter.setPen(textColor());
            layout->drawCursor(&painter, QPointF(0, 0), m_cursor.positionInBlock(), 1);
        }
    }
}

void TextView::keyPressEvent(QKeyEvent* event)
{
    for (const Move& move : kMoves) {
        if (event->matches(move.key)) {
            m_cursor.movePosition(move.operation, move.mode);
            cursorDidMove();
            return;
        }
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::Cut)) {
        copySelection();
        deleteSelection();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        tryToPerform(QStringLiteral("paste:"), this);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (!m_cursor.hasSelection())
            m_cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
        m_cursor.removeSelectedText();
        cursorDidMove();
        return;
    case Qt::Key_Delete:
        if (!m_cursor.hasSelection())
            m_cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        m_cursor.removeSelectedText();
        cursorDidMove();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_cursor.insertBlock(m_cursor.blockFormat(), m_typingFormat);
        update();
        return;
    default:
        break;
    }
    const QString text = event->text();
    if (!text.isEmpty() && (text.at(0).isPrint() || text.at(0) == QLatin1Char('\t'))) {
        insertText(text);
        return;
    }
    // Not a key of the text (Escape, for one): it goes on to the views below.
    event->ignore();
}

void TextView::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        insertText(event->commitString());
    event->accept();
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle: {
        const QTextLayout* layout = m_cursor.block().layout();
        const QTextLine line = layout ? layout->lineForTextPosition(m_cursor.positionInBlock()) : QTextLine();
        if (!line.isValid())
            return QRectF(m_paintOffset, QSizeF(1, 1));
        const double k = pixelsPerTextUnit();
        const QPointF at = layout->position() + QPointF(line.cursorToX(m_cursor.positionInBlock()), line.y());
        return QRectF(m_paintOffset + at * k, QSizeF(1, line.height() * k));
    }
    default:
        return QWidget::inputMethodQuery(query);
    }
}

int TextView::positionAt(const QPointF& widgetPoint) const
{
    const int position = m_document->documentLayout()->hitTest(textPointFromWidget(widgetPoint), Qt::FuzzyHit);
    return position >= 0 ? position : m_document->characterCount() - 1;
}

void TextView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    m_cursor.setPosition(positionAt(event->position()), extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    m_dragging = true;
    cursorDidMove();
}

void TextView::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!m_dragging)
        return;
    m_cursor.setPosition(positionAt(event->position()), QTextCursor::KeepAnchor);
    cursorDidMove();
}

void TextView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    m_dragging = false;
}

void TextView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    FontPanel::shared().setSelectedFont(textFont());
    update();
}

void TextView::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    m_dragging = false;
    update();
}

bool TextView::focusNextPrevChild(bool)
{
    // Tab is typed like any other character.
    return false;
}

void TextView::cursorDidMove()
{
    // What is typed next looks like the character before the insertion point.
    if (!m_cursor.hasSelection() && m_cursor.position() > 0)
        m_typingFormat = m_cursor.charFormat();
    if (hasFocus())
        FontPanel::shared().setSelectedFont(textFont());
    update();
}

void TextView::changeFont(QObject* sender)
{
    auto* panel = qobject_cast<FontPanel*>(sender);
    QTextCharFormat format;
    format.setFont((panel ? panel : &FontPanel::shared())->convertFont(textFont()));
    mergeFormat(format);
}

void TextView::changeColor(QObject* sender)
{
    auto* panel = qobject_cast<ColorPanel*>(sender);
    const QColor color = (panel ? panel : &ColorPanel::shared())->color();
    if (!color.isValid())
        return;
    QTextCharFormat format;
    format.setForeground(color);
    mergeFormat(format);
}

void TextView::copySelection()
{
    if (!m_cursor.hasSelection())
        return;
    QString text = m_cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    Pasteboard::general().writeText(text);
}

void TextView::deleteSelection()
{
    m_cursor.removeSelectedText();
    cursorDidMove();
}

} // namespace platform
