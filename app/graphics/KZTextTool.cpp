#include "KZTextTool.h"

#include "HiResSupport.h"
#include "KZGraphicsContext.h"
#include "KZOverlayView.h"
#include "KZTextEditor.h"
#include "KZTextElement.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"

#include "platform/appkit/FontPanel.h"
#include "platform/appkit/TextView.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
// Whether any pixel of the picture shows something.
bool hasInk(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (row[4 * x + 3] != 0)
                return true;
    }
    return false;
}
} // namespace

KZTextTool::KZTextTool(KZToolboxController* controller)
    : KZGraphicTool(controller, &KZTextElement::kind())
{
    postInit();
}

KZTextTool::~KZTextTool()
{
    // The editor points at the view: it goes first.
    KZGraphicTool::resetState();
    delete m_textView.data();
}

void KZTextTool::postInit()
{
    m_textView = new platform::TextView;
    m_textView->hide();
    QObject::connect(m_textView, &platform::TextView::textDidChange, m_textView, [this] { textDidChange(); });
}

platform::TextView* KZTextTool::textView() const
{
    return m_textView;
}

KZTextEditor* KZTextTool::textEditor() const
{
    return dynamic_cast<KZTextEditor*>(editor());
}

double KZTextTool::screenScaleFactor() const
{
    return HiResSupport::screenScaleFactor(document() ? document()->overlayView() : nullptr);
}

QPointF KZTextTool::canvasOriginInOverlay() const
{
    return document() ? document()->canvasRectInOverlay().topLeft() : QPointF();
}

QSizeF KZTextTool::defaultBoxSize(const QFont& font, double scale)
{
    const QFontMetricsF metrics(font);
    return QSizeF(metrics.horizontalAdvance(QStringLiteral("Text")), metrics.lineSpacing()) * scale;
}

QRectF KZTextTool::textFrameInCanvas() const
{
    const KZTextEditor* editor = textEditor();
    return editor ? editor->textFrameInCanvas() : QRectF();
}

bool KZTextTool::didCreatedGraphic(const std::shared_ptr<KZGraphicElement>& built)
{
    std::shared_ptr<KZGraphicElement> element = built;
    const QFont font = platform::FontPanel::shared().selectedFont().value_or(QApplication::font());
    const double scale = screenScaleFactor();
    const QSizeF size = element ? element->size() : QSizeF();
    const bool clicked = !element || size.width() == 0 || size.height() == 0;
    if (clicked) {
        // A box for the word "Text", its top-left corner at the click.
        QPainterPath box;
        box.addRect(QRectF(element ? element->position() : QPointF(), defaultBoxSize(font, scale)));
        auto text = std::make_shared<KZTextElement>(box);
        text->setHasCreated(true);
        element = text;
    }
    if (!KZGraphicTool::didCreatedGraphic(element))
        return false;
    if (!m_textView)
        postInit();
    platform::TextView* view = m_textView;
    const QPointF origin = canvasOriginInOverlay();
    // The box is not set up yet: no growing on the way.
    const QSignalBlocker settingUp(view);
    view->setString(QString());
    view->setTextFont(font);
    const QColor selected = context()->selectedColor();
    view->setTextColor(selected.isValid() ? selected : context()->frontColor());
    view->setWrapsLines(!clicked);
    view->setFrame(element->bounds().adjusted(1, 1, -1, -1).translated(origin));
    view->selectAll();
    if (SWDocument* doc = document(); doc && doc->overlayView()) {
        view->setParent(doc->overlayView());
        view->show();
        view->setFocus(Qt::OtherFocusReason);
    }
    if (KZTextEditor* editor = textEditor()) {
        editor->setTextView(view);
        editor->setTextTool(this);
    }
    view->scaleTo(scale);
    m_growsRight = clicked;
    // Room for the handles between the box and the text: from now on the
    // text view stays 10 inside the element's bounds.
    element->setSize(element->size() + QSizeF(22, 22));
    textDidChange();
    placeTextView();
    return true;
}

void KZTextTool::placeTextView()
{
    if (KZTextEditor* editor = textEditor())
        editor->translateTextViewWithFrame(QRectF(canvasOriginInOverlay(), QSizeF()));
}

void KZTextTool::textDidChange()
{
    const std::shared_ptr<KZGraphicElement> box = element();
    if (!box || !m_textView || !textEditor())
        return;
    const QSizeF used = m_textView->usedSize();
    const QRectF frame = textFrameInCanvas();
    // One pixel more across for the insertion point at the end of a line.
    const double wider = m_growsRight ? std::max(0.0, std::ceil(used.width() + 1 - frame.width())) : 0.0;
    const double taller = std::max(0.0, std::ceil(used.height() - frame.height()));
    if (wider == 0 && taller == 0)
        return;
    // The top-left corner stays where it is.
    box->setSize(box->size() + QSizeF(wider, taller));
    box->translate(QSizeF(wider / 2, taller / 2));
    addRectToRedrawRect(draw());
}

QRectF KZTextTool::draw()
{
    const QRectF drawn = KZGraphicTool::draw();
    placeTextView();
    return drawn;
}

void KZTextTool::performDrawAtPoint(const QPointF& point, SWImageDataSource* dataSource, int phase,
                                    QMouseEvent* event)
{
    KZGraphicTool::performDrawAtPoint(point, dataSource, phase, event);
    // A press on the box's handles gives the overlay the focus: typing
    // still goes to the text.
    if (isEditing() && m_textView && m_textView->isVisible())
        m_textView->setFocus(Qt::OtherFocusReason);
}

QImage KZTextTool::renderedText() const
{
    const QRect frame = textFrameInCanvas().toRect();
    if (!m_textView || frame.isEmpty())
        return {};
    QImage text(frame.size(), QImage::Format_RGBA8888_Premultiplied);
    text.fill(Qt::transparent);
    QPainter painter(&text);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.scale(m_textView->contentScale(), m_textView->contentScale());
    m_textView->drawGlyphs(painter);
    return text;
}

bool KZTextTool::commitEditing()
{
    if (!isEditing() || !m_textView || m_textView->string().isEmpty())
        return false;
    // No highlight goes into the picture.
    m_textView->setSelectedRange(0, 0);
    const QImage text = renderedText();
    // A box too small for any text, or a text of blanks: nothing to draw,
    // and no undo step that would change nothing.
    if (text.isNull() || !hasInk(text))
        return false;
    SWDocument* doc = document();
    if (doc)
        doc->handleUndoWithImageData();
    SWImageDataSource* store = imageDataSource();
    if (!store || store->mainImage().isNull())
        return true;
    // Taken afresh after the undo step: the step may replace the bitmap.
    const QPointF at = textFrameInCanvas().topLeft();
    auto write = store->writeMainImage(QRectF(at, QSizeF(text.size())).adjusted(-1, -1, 1, 1));
    QPainter painter(&write.image());
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(at, text);
    return true;
}

void KZTextTool::resetState()
{
    if (m_textView) {
        // Emptied for the next box: nothing to grow.
        const QSignalBlocker emptying(m_textView.data());
        m_textView->setString(QString());
        const bool hadKeys = m_textView->hasFocus();
        QWidget* overlay = m_textView->parentWidget();
        m_textView->hide();
        m_textView->setParent(nullptr);
        if (hadKeys && overlay)
            overlay->setFocus(Qt::OtherFocusReason);
    }
    KZGraphicTool::resetState();
}
