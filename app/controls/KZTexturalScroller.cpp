#include "KZTexturalScroller.h"

#include "KZTexturalButton.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionSlider>

#include <utility>

namespace {
const QString kArrowButtonClicked = QStringLiteral("arrowButtonClicked:");

// The size in points of the normal image that a skin of that name finds.
QSizeF normalImageSize(const QString& name)
{
    KZTexturalSkin measure(name);
    const KZImage::Ptr image = measure.currentImage();
    return image ? image->size() : QSizeF(0, 0);
}
} // namespace

const QColor& KZTexturalScroller::slotGroundColor()
{
    static const QColor grey(40, 40, 40);
    return grey;
}

KZTexturalScroller::KZTexturalScroller(Qt::Orientation orientation, const QString& identifier, QWidget* parent)
    : QScrollBar(orientation, parent)
    , m_identifier(identifier)
    , m_horizontal(orientation == Qt::Horizontal)
{
    const QString base = identifier.isEmpty() ? QStringLiteral("kz_scroller") : identifier;
    m_hasArrowButtons = identifier.startsWith(QLatin1String("arrow"));
    const quint64 hash = quint64(quintptr(this));
    if (m_hasArrowButtons)
        makeArrowButtons(base, hash);
    const QString slotWord = m_horizontal ? QStringLiteral("hslot") : QStringLiteral("vslot");
    const QString knobWord = m_horizontal ? QStringLiteral("hknob") : QStringLiteral("vknob");
    m_slotSkin = std::make_unique<KZTexturalSkin>(QStringLiteral("slot_%1_%2_%3").arg(hash).arg(base, slotWord),
                                                  KZEdgeInsets::automatic());
    m_knobSkin = std::make_unique<KZTexturalSkin>(QStringLiteral("knob_%1_%2_%3").arg(hash).arg(base, knobWord),
                                                  KZEdgeInsets::automatic());
    m_trackingAreaWrapper = std::make_unique<KZTrackingAreaWrapper>(this, this);
    // The legacy look: no arrows of the style's own, the knob runs the whole
    // length. The style sheet only shapes the parts the style reports; the
    // drawing is ours.
    setStyleSheet(QStringLiteral(
        "QScrollBar { border: none; background: transparent; }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; background: none; }"
        "QScrollBar::handle { min-width: 20px; min-height: 20px; }"));
    if (m_horizontal)
        setFixedHeight(kScrollerWidth);
    else
        setFixedWidth(kScrollerWidth);
}

KZTexturalScroller::~KZTexturalScroller()
{
    if (m_watchedScrollView)
        m_watchedScrollView->removeEventFilter(this);
    m_trackingAreaWrapper.reset();
    // The buttons may live in the scroll view by now.
    delete m_upArrowButton.data();
    delete m_downArrowButton.data();
}

void KZTexturalScroller::makeArrowButtons(const QString& base, quint64 hash)
{
    const QString upWord = m_horizontal ? QStringLiteral("hbutton1") : QStringLiteral("vbutton1");
    const QString downWord = m_horizontal ? QStringLiteral("hbutton2") : QStringLiteral("vbutton2");
    const QString upIdentifier = QStringLiteral("%1_%2_%3").arg(hash).arg(base, upWord);
    const QString downIdentifier = QStringLiteral("%1_%2_%3").arg(hash).arg(base, downWord);
    // Uncut skins under a name of their own find the buttons' images
    // through the fallback of skin names.
    m_upSize = normalImageSize(QStringLiteral("temp_up_") + upIdentifier);
    m_downSize = normalImageSize(QStringLiteral("temp_down_") + downIdentifier);
    platform::Responder::addAction(kArrowButtonClicked, [this](QObject* sender) { arrowButtonClicked(sender); });
    m_upArrowButton = new KZTexturalButton(upIdentifier, KZTexturalButtonCell::Momentary, this);
    m_downArrowButton = new KZTexturalButton(downIdentifier, KZTexturalButtonCell::Momentary, this);
    for (KZTexturalButton* button : {m_upArrowButton.data(), m_downArrowButton.data()}) {
        button->setTarget(this);
        button->setAction(kArrowButtonClicked);
    }
    m_upArrowButton->setAccessibleName(m_horizontal ? tr("Scroll left") : tr("Scroll up"));
    m_downArrowButton->setAccessibleName(m_horizontal ? tr("Scroll right") : tr("Scroll down"));
}

QSize KZTexturalScroller::sizeHint() const
{
    return m_horizontal ? QSize(100, kScrollerWidth) : QSize(kScrollerWidth, 100);
}

QAbstractScrollArea* KZTexturalScroller::scrollView() const
{
    // A scroll view keeps its scrollers in containers of its own.
    for (QWidget* up = parentWidget(); up; up = up->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(up))
            return area;
        if (up->isWindow())
            break;
    }
    return nullptr;
}

void KZTexturalScroller::setBottomRightGapView(QWidget* view)
{
    m_gapView = view;
    if (isVisible())
        moveAuxiliaryViewsIntoScrollView();
    updateFrames();
}

void KZTexturalScroller::moveAuxiliaryViewsIntoScrollView()
{
    QAbstractScrollArea* area = scrollView();
    if (!area)
        return;
    if (m_hasArrowButtons) {
        for (KZTexturalButton* button : {m_upArrowButton.data(), m_downArrowButton.data()}) {
            if (button && button->parentWidget() != area) {
                button->setParent(area);
                button->show();
            }
        }
    }
    if (m_gapView && m_gapView->parentWidget() != area) {
        m_gapView->setParent(area);
        m_gapView->show();
    }
    if (m_watchedScrollView != area) {
        if (m_watchedScrollView)
            m_watchedScrollView->removeEventFilter(this);
        // The buttons and the gap view follow the scroll view's size.
        area->installEventFilter(this);
        m_watchedScrollView = area;
    }
}

bool KZTexturalScroller::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watchedScrollView && event->type() == QEvent::Resize) {
        keepFrameBetweenArrows();
        updateFrames();
    }
    return QScrollBar::eventFilter(watched, event);
}

void KZTexturalScroller::setPatchBottomShrink(bool shrink)
{
    m_patchBottomShrink = shrink;
    update();
}

QRect KZTexturalScroller::knobRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    QRect knob = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    if (enabledPatch())
        knob.setHeight(std::max(0, knob.height() - fetchScrollerWidth()));
    return knob;
}

QRectF KZTexturalScroller::slotRect() const
{
    QRectF slot(rect());
    if (m_hasArrowButtons && scrollView()) {
        if (m_horizontal)
            slot.adjust(kArrowOverlap, 0, -kArrowOverlap, 0);
        else
            slot.adjust(0, kArrowOverlap, 0, -kArrowOverlap);
    }
    return slot;
}

QRect KZTexturalScroller::frameBetweenArrows(const QRect& proposed, const QSize& scrollViewSize) const
{
    QRect frame = proposed;
    if (m_horizontal) {
        const int x = int(m_upSize.width()) - kArrowOverlap;
        frame.setX(x);
        frame.setWidth(scrollViewSize.width() - x - (int(m_downSize.width()) - kArrowOverlap));
    } else {
        const int y = int(m_upSize.height()) - kArrowOverlap;
        frame.setY(y);
        frame.setHeight(scrollViewSize.height() - y - (int(m_downSize.height()) - kArrowOverlap));
    }
    return frame;
}

void KZTexturalScroller::setFrame(const QRect& frame)
{
    QAbstractScrollArea* area = scrollView();
    const bool between = m_hasArrowButtons && area;
    QRect target = between ? frameBetweenArrows(frame, area->size()) : frame;
    if (area && parentWidget() != area)
        target.moveTopLeft(parentWidget()->mapFrom(area, target.topLeft()));
    const bool wasPlacing = std::exchange(m_placing, true);
    setGeometry(target);
    m_placing = wasPlacing;
    updateFrames();
}

void KZTexturalScroller::keepFrameBetweenArrows()
{
    QAbstractScrollArea* area = scrollView();
    if (m_placing || !m_hasArrowButtons || !area || !parentWidget())
        return;
    const QRect inArea(parentWidget()->mapTo(area, geometry().topLeft()), size());
    if (frameBetweenArrows(inArea, area->size()) != inArea)
        setFrame(inArea);
    else
        updateFrames();
}

void KZTexturalScroller::updateFrames()
{
    QAbstractScrollArea* area = scrollView();
    if (!area)
        return;
    const int sw = area->width();
    const int sh = area->height();
    if (m_upArrowButton && m_upArrowButton->parentWidget() == area) {
        const QSize up = m_upSize.toSize();
        m_upArrowButton->setGeometry(m_horizontal ? QRect(QPoint(0, sh - up.height()), up)
                                                  : QRect(QPoint(sw - up.width(), 0), up));
        m_upArrowButton->raise();
    }
    if (m_downArrowButton && m_downArrowButton->parentWidget() == area) {
        const QSize down = m_downSize.toSize();
        m_downArrowButton->setGeometry(QRect(QPoint(sw - down.width(), sh - down.height()), down));
        m_downArrowButton->raise();
    }
    if (m_gapView && m_gapView->parentWidget() == area && parentWidget()) {
        const QRect frame(parentWidget()->mapTo(area, geometry().topLeft()), size());
        const int x = frame.x() + frame.width();
        m_gapView->setGeometry(x, frame.y(), area->width() - x, frame.height());
        m_gapView->raise();
    }
}

void KZTexturalScroller::arrowButtonClicked(QObject* sender)
{
    QAbstractScrollArea* area = scrollView();
    if (!m_hasArrowButtons || !area || !sender)
        return;
    const int h = area->horizontalScrollBar()->singleStep();
    const int v = area->verticalScrollBar()->singleStep();
    int sign = 0;
    if (sender == m_upArrowButton)
        sign = -1;
    else if (sender == m_downArrowButton)
        sign = 1;
    const int dx = m_horizontal ? sign * h : 0;
    const int dy = m_horizontal ? 0 : sign * v;
    if (dx == 0 && dy == 0)
        return;
    scroll(area, dx, dy);
}

void KZTexturalScroller::scroll(QAbstractScrollArea* scrollView, int dx, int dy)
{
    if (!scrollView)
        return;
    // The scroll bars keep the visible rectangle inside the document.
    QScrollBar* horizontal = scrollView->horizontalScrollBar();
    QScrollBar* vertical = scrollView->verticalScrollBar();
    horizontal->setValue(horizontal->value() + dx);
    vertical->setValue(vertical->value() + dy);
}

void KZTexturalScroller::mouseEntered(QEvent*)
{
    m_knobSkin->changeState(KZMultiStateTexture::Hover);
    update();
}

void KZTexturalScroller::mouseExited(QEvent*)
{
    m_knobSkin->changeState(KZMultiStateTexture::Normal);
    update();
}

void KZTexturalScroller::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_hasArrowButtons) {
        if (QAbstractScrollArea* area = scrollView(); area && area->autoFillBackground())
            painter.fillRect(rect(), area->palette().color(area->backgroundRole()));
    }
    const QRectF slot = slotRect();
    painter.fillRect(slot, slotGroundColor());
    m_slotSkin->drawWithFrame(painter, slot, this);
    if (maximum() > minimum())
        m_knobSkin->drawWithFrame(painter, QRectF(knobRect()), this);
}

void KZTexturalScroller::showEvent(QShowEvent* event)
{
    QScrollBar::showEvent(event);
    moveAuxiliaryViewsIntoScrollView();
    keepFrameBetweenArrows();
    updateFrames();
    m_trackingAreaWrapper->addTrackingArea();
}

void KZTexturalScroller::resizeEvent(QResizeEvent* event)
{
    QScrollBar::resizeEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
    keepFrameBetweenArrows();
}

void KZTexturalScroller::moveEvent(QMoveEvent* event)
{
    QScrollBar::moveEvent(event);
    keepFrameBetweenArrows();
}
