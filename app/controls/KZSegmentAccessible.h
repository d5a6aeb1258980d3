#pragma once

#include "KZAccessibleItem.h"

class KZTexturalSegmentedControl;

// One segment of a skinned segmented control in the accessibility tree,
// named by the segment's label.
class KZSegmentAccessible : public KZAccessibleItem {
public:
    KZSegmentAccessible(KZTexturalSegmentedControl* control, int segment);

    int segment() const { return m_segment; }

protected:
    bool itemExists() const override;
    QString name() const override;
    QString description() const override;
    QRect localRect() const override;
    bool isChecked() const override;
    void press() override;

private:
    KZTexturalSegmentedControl* segmentedControl() const;
    int m_segment;
};
