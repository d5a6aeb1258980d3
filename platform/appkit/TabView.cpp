#include "TabView.h"

namespace platform {

TabView::TabView(QWidget* parent)
    : QWidget(parent)
{
}

TabView::Item TabView::tabViewItem(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index] : Item();
}

void TabView::addTabViewItem(const QString& label, QWidget* view)
{
    insertTabViewItem(numberOfTabViewItems(), label, view);
}

void TabView::insertTabViewItem(int index, const QString& label, QWidget* view)
{
    index = qBound(0, index, numberOfTabViewItems());
    if (view)
        view->setParent(this);
    m_items.insert(index, Item{label, view});
    if (m_selected < 0)
        m_selected = 0;
    else if (index <= m_selected)
        ++m_selected;
    layoutPages();
    tabViewDidChangeNumberOfTabViewItems();
}

void TabView::removeTabViewItem(int index)
{
    if (index < 0 || index >= numberOfTabViewItems())
        return;
    Item item = m_items.takeAt(index);
    delete item.view.data();
    if (m_selected >= numberOfTabViewItems())
        m_selected = numberOfTabViewItems() - 1;
    else if (index < m_selected)
        --m_selected;
    layoutPages();
    tabViewDidChangeNumberOfTabViewItems();
}

void TabView::setViewForItem(int index, QWidget* view)
{
    if (index < 0 || index >= numberOfTabViewItems())
        return;
    QWidget* old = m_items[index].view;
    if (view)
        view->setParent(this);
    m_items[index].view = view;
    if (old && old != view)
        delete old;
    layoutPages();
}

void TabView::selectTabViewItemAtIndex(int index)
{
    if (index < 0 || index >= numberOfTabViewItems())
        return;
    m_selected = index;
    layoutPages();
}

QRect TabView::contentRect() const
{
    return rect();
}

void TabView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPages();
}

void TabView::layoutPages()
{
    const QRect content = contentRect();
    for (int i = 0; i < m_items.size(); ++i) {
        QWidget* view = m_items[i].view;
        if (!view)
            continue;
        if (i == m_selected) {
            view->setGeometry(content);
            view->show();
        } else {
            view->hide();
        }
    }
}

} // namespace platform
