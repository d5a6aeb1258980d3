#include "SWPlainCanvasView.h"

#include "SWImageDataSource.h"

#include <QPaintEvent>
#include <QPainter>

SWPlainCanvasView::SWPlainCanvasView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void SWPlainCanvasView::setDataSource(SWImageDataSource* dataSource)
{
    m_dataSource = dataSource;
    updateFrame();
}

void SWPlainCanvasView::updateFrame()
{
    const QSize size = sizeHint();
    setFixedSize(size);
    update();
}

QSize SWPlainCanvasView::sizeHint() const
{
    if (!m_dataSource)
        return {0, 0};
    return m_dataSource->canvasSize().toSize();
}

void SWPlainCanvasView::paintEvent(QPaintEvent* event)
{
    if (!m_dataSource)
        return;
    QPainter painter(this);
    m_dataSource->renderToContext(painter, QRectF(event->rect()));
}
