#include "KZOrbStyleToolPanel.h"

#include "KZOrbStyleToolPanelDelegate.h"
#include "KZOrbStyleToolPanelItem.h"
#include "KZTexturalView.h"

#include <QWidget>

namespace {
const char* const kSeparatorProperty = "velumoRibbonSeparator";
}

qint32 KZOrbStyleToolPanel::size() const
{
    QWidget* host = m_delegate ? m_delegate->controlView() : nullptr;
    return host ? qint32(host->width()) : 0;
}

qint32 KZOrbStyleToolPanel::needSize() const
{
    qint32 sum = 0;
    if (!m_delegate)
        return 0;
    for (KZOrbStyleToolPanelItem* item : m_delegate->allItems())
        sum += item ? item->size() : 0;
    return sum;
}

KZOrbStyleToolPanelItem* KZOrbStyleToolPanel::itemByPriority(qint32 priority) const
{
    if (!m_delegate)
        return nullptr;
    for (KZOrbStyleToolPanelItem* item : m_delegate->allItems()) {
        if (item && m_delegate->itemPriority(item) == priority)
            return item;
    }
    return nullptr;
}

void KZOrbStyleToolPanel::sizeToFit()
{
    // A group's priority follows its mode, which only shrinking or
    // enlarging it changes: the priorities are read again after each step,
    // not for every priority tried (the walks try a hundred).
    const QList<KZOrbStyleToolPanelItem*> items =
        m_delegate ? m_delegate->allItems() : QList<KZOrbStyleToolPanelItem*>();
    QList<qint32> priorities;
    const auto readPriorities = [&] {
        priorities.clear();
        for (KZOrbStyleToolPanelItem* item : items)
            priorities << (item ? m_delegate->itemPriority(item) : kLowestPriority - 1);
    };
    const auto itemWithPriority = [&](qint32 priority) -> KZOrbStyleToolPanelItem* {
        const qsizetype i = priorities.indexOf(priority);
        return i < 0 ? nullptr : items.at(i);
    };
    readPriorities();
    if (size() < needSize()) {
        for (qint32 p = kLowestPriority; p <= kHighestPriority; ++p) {
            if (KZOrbStyleToolPanelItem* item = itemWithPriority(p)) {
                item->shrink();
                readPriorities();
            }
            if (size() >= needSize())
                break;
        }
    }
    if (size() > needSize()) {
        for (qint32 p = kHighestPriority; p >= kLowestPriority; --p) {
            KZOrbStyleToolPanelItem* item = itemWithPriority(p);
            const bool enlarged = item && item->enlarge();
            if (item)
                readPriorities();
            if (enlarged && size() < needSize()) {
                // One step too far: that group goes back and the rest stay.
                item->shrink();
                break;
            }
            if (size() <= needSize())
                break;
        }
    }
    m_lastSize = size();
    rerangeItems();
}

void KZOrbStyleToolPanel::rerangeItems()
{
    QWidget* host = m_delegate ? m_delegate->controlView() : nullptr;
    if (!host)
        return;
    const QList<KZOrbStyleToolPanelItem*> items = m_delegate->allItems();
    for (QObject* child : host->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget)
            continue;
        if (widget->property(kSeparatorProperty).toBool()) {
            delete widget;
            continue;
        }
        // The groups' views go back to their groups until placed again.
        widget->hide();
        widget->setParent(nullptr);
    }
    const int height = host->height();
    qint32 x = 0;
    for (KZOrbStyleToolPanelItem* item : items) {
        if (!item || !item->view())
            continue;
        QWidget* view = item->view();
        const qint32 width = item->size();
        view->setGeometry(x, 0, width, height);
        item->orderInView(nullptr);
        view->setParent(host);
        view->move(x, 0);
        view->show();
        x += width;
        if (item->mode() == KZOrbStyleToolPanelItem::kSmall)
            continue;
        auto* separator = new KZTexturalView(
            QStringLiteral("%1_tab_vseperator_line").arg(quint64(quintptr(this))), host);
        separator->setProperty(kSeparatorProperty, true);
        separator->setBackgroundColor(QColor::fromRgbF(0.2235294133424759f, 0.2235294133424759f,
                                                       0.2235294133424759f, 1.0f));
        separator->setGeometry(x, 0, kSeparatorWidth, height);
        separator->show();
        x += separator->width();
    }
}

void KZOrbStyleToolPanel::dismissesPopUp()
{
    if (!m_delegate)
        return;
    for (KZOrbStyleToolPanelItem* item : m_delegate->allItems()) {
        if (item)
            item->dismissesPopUp();
    }
}

void KZOrbStyleToolPanel::update()
{
    if (!m_delegate)
        return;
    for (KZOrbStyleToolPanelItem* item : m_delegate->allItems()) {
        if (item)
            item->update();
    }
}
