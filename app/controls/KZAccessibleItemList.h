#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVector>

// A control that draws several items (segments, cells) in the accessibility
// tree: its children are the items, made by the subclass and kept until the
// number of items changes, so that a test or a screen reader finds each item
// and its extents by its name.
class KZAccessibleItemList : public QAccessibleWidget {
public:
    KZAccessibleItemList(QWidget* control, QAccessible::Role role);
    ~KZAccessibleItemList() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

protected:
    virtual int itemCount() const = 0;
    virtual QAccessibleInterface* makeItem(int index) const = 0;

private:
    void syncChildren() const;
    mutable QVector<QAccessible::Id> m_children;
};
