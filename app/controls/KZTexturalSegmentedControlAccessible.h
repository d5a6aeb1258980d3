#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVector>

class KZTexturalSegmentedControl;

// The segmented control in the accessibility tree: a tab list whose
// children are its segments (KZSegmentAccessible), so that a test or a
// screen reader finds each segment and its extents by its label.
class KZTexturalSegmentedControlAccessible : public QAccessibleWidget {
public:
    explicit KZTexturalSegmentedControlAccessible(KZTexturalSegmentedControl* control);
    ~KZTexturalSegmentedControlAccessible() override;

    // Registers the factory once.
    static void install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    KZTexturalSegmentedControl* control() const;
    void syncChildren() const;
    mutable QVector<QAccessible::Id> m_children;
};
