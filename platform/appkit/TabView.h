#pragma once

#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

namespace platform {

// A stack of pages, each with a label, of which one is shown in the
// content rectangle. The plain tab view draws no tabs of its own (its type
// is always "no tabs, no border"): subclasses or owners give it a selector.
class TabView : public QWidget {
    Q_OBJECT
public:
    struct Item {
        QString label;
        QPointer<QWidget> view;
    };

    explicit TabView(QWidget* parent = nullptr);

    int numberOfTabViewItems() const { return int(m_items.size()); }
    Item tabViewItem(int index) const;
    // The page's view becomes the tab view's child.
    void addTabViewItem(const QString& label, QWidget* view);
    void insertTabViewItem(int index, const QString& label, QWidget* view);
    void removeTabViewItem(int index);
    // Replaces a page's view; the old one is deleted unless it is the new.
    void setViewForItem(int index, QWidget* view);

    int indexOfSelectedTabViewItem() const { return m_selected; }
    void selectTabViewItemAtIndex(int index);

    // Where the selected page is shown, in the tab view's coordinates.
    virtual QRect contentRect() const;

protected:
    // After every change of the number of pages.
    virtual void tabViewDidChangeNumberOfTabViewItems() {}
    void resizeEvent(QResizeEvent* event) override;
    void layoutPages();

private:
    QList<Item> m_items;
    int m_selected = -1;
};

} // namespace platform
