#include "SWCenteringClipView.h"

#include "SWScalingScrollView.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QPainter>
#include <QPaintEvent>

SWCenteringClipView::SWCenteringClipView(QWidget* parent)
    : QWidget(parent)
{
    setAcceptDrops(true);
    setAutoFillBackground(false);
}

SWCenteringClipView::~SWCenteringClipView() = default;

void SWCenteringClipView::setBgImagePattern(const QImage& pattern)
{
    m_bgImagePattern = pattern;
    update();
}

QWidget* SWCenteringClipView::documentView() const
{
    const auto* scrollView = qobject_cast<const SWScalingScrollView*>(parentWidget());
    return scrollView ? scrollView->documentView() : nullptr;
}

double SWCenteringClipView::actualMagnification() const
{
    const auto* scrollView = qobject_cast<const SWScalingScrollView*>(parentWidget());
    return scrollView ? scrollView->actualMagnification() : 1.0;
}

void SWCenteringClipView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    // The surround: a flat light grey.
    painter.fillRect(rect(), QColor::fromRgbF(0.88f, 0.88f, 0.88f));
    QWidget* sheetView = documentView();
    if (!sheetView || !sheetView->isVisible())
        return;
    const QRect sheet = sheetView->geometry();
    if (!event->region().intersects(sheet.adjusted(-16, -16, 20, 20)))
        return;
    // A soft shadow 3 pixels right and down, fading over about 15 pixels.
    constexpr int kBlur = 15;
    const QRect shadowBase = sheet.translated(3, 3);
    for (int ring = kBlur; ring > 0; ring -= 3)
        painter.fillRect(shadowBase.adjusted(-ring, -ring, ring, ring), QColor(0, 0, 0, 10));
    painter.fillRect(shadowBase, QColor(0, 0, 0, 60));
    // The sheet under the canvas, seen where the picture is transparent. The
    // tile follows the zoom like the canvas does.
    if (m_bgImagePattern.isNull()) {
        painter.fillRect(sheet, Qt::white);
    } else {
        QBrush tiles(m_bgImagePattern);
        const double scale = actualMagnification();
        tiles.setTransform(QTransform(scale, 0, 0, scale, sheet.x(), sheet.y()));
        painter.fillRect(sheet, tiles);
    }
}

namespace {
// The same drag event, addressed to the canvas in its own widget coordinates.
template <typename Event>
void forwardDrag(QWidget* from, QWidget* to, Event* event)
{
    if (!to) {
        event->ignore();
        return;
    }
    const QPointF position = to->mapFrom(from, event->position());
    Event forwarded(position.toPoint(), event->possibleActions(), event->mimeData(), event->buttons(),
                    event->modifiers());
    QCoreApplication::sendEvent(to, &forwarded);
    event->setDropAction(forwarded.dropAction());
    event->setAccepted(forwarded.isAccepted());
}
} // namespace

void SWCenteringClipView::dragEnterEvent(QDragEnterEvent* event)
{
    forwardDrag(this, documentView(), event);
}

void SWCenteringClipView::dragMoveEvent(QDragMoveEvent* event)
{
    forwardDrag(this, documentView(), event);
}

void SWCenteringClipView::dropEvent(QDropEvent* event)
{
    QWidget* target = documentView();
    if (!target) {
        event->ignore();
        return;
    }
    const QPointF position = target->mapFrom(this, event->position());
    QDropEvent forwarded(position, event->possibleActions(), event->mimeData(), event->buttons(), event->modifiers());
    QCoreApplication::sendEvent(target, &forwarded);
    event->setDropAction(forwarded.dropAction());
    event->setAccepted(forwarded.isAccepted());
}
