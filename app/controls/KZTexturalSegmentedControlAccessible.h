#pragma once

#include "KZAccessibleItemList.h"

class KZTexturalSegmentedControl;

// The segmented control in the accessibility tree: a tab list whose
// children are its segments (KZSegmentAccessible).
class KZTexturalSegmentedControlAccessible : public KZAccessibleItemList {
public:
    explicit KZTexturalSegmentedControlAccessible(KZTexturalSegmentedControl* control);

    // Registers the factory once.
    static void install();

protected:
    int itemCount() const override;
    QAccessibleInterface* makeItem(int index) const override;

private:
    KZTexturalSegmentedControl* control() const;
};
