#include "KZShapePanelItem.h"

#include <QScrollArea>
#include <QScrollBar>

KZShapePanelItem::KZShapePanelItem(QObject* parent)
    : KZOrbStyleToolPanelItem(parent)
{
}

void KZShapePanelItem::awakeFromNib(QWidget* loadedView)
{
    if (loadedView) {
        m_normalSize = loadedView->size();
        m_medianSize = QSize(loadedView->width() / 2, loadedView->height());
    }
    KZOrbStyleToolPanelItem::awakeFromNib(loadedView);
    // Always-visible scroll bars: a shrunken matrix must show it scrolls.
    if (m_scrollView)
        m_scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

bool KZShapePanelItem::switchToMode(const QString& mode)
{
    QWidget* controls = normalView();
    if (mode == kMedian) {
        if (controls)
            controls->resize(m_medianSize);
        orderInView(controls);
        setMode(kMedian);
        return true;
    }
    if ((mode == kNormal || mode == kSmall) && controls)
        controls->resize(m_normalSize);
    return switchToModeAsBase(mode);
}
