#include "ZIDTransparentScrollView.h"

#include "ZIDTransparentScroller.h"

#include <QEvent>
#include <QScrollBar>

ZIDTransparentScrollView::ZIDTransparentScrollView(QWidget* parent)
    : QScrollArea(parent)
{
    setVerticalScrollBar(new ZIDTransparentScroller(Qt::Vertical));
    setHorizontalScrollBar(new ZIDTransparentScroller(Qt::Horizontal));
    setFrameShape(QFrame::NoFrame);
    // The area lays its view port out again on many occasions (a bar shown
    // or hidden, a range change): each time, spread it over everything.
    viewport()->installEventFilter(this);
}

void ZIDTransparentScrollView::tile()
{
    const QRect whole = contentsRect();
    if (viewport()->geometry() != whole)
        viewport()->setGeometry(whole);
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
        if (bar && bar->parentWidget())
            bar->parentWidget()->raise();
    }
}

bool ZIDTransparentScrollView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == viewport() && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        if (viewport()->geometry() != contentsRect())
            tile();
    }
    return QScrollArea::eventFilter(watched, event);
}

void ZIDTransparentScrollView::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    tile();
}
