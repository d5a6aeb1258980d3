#include "SegmentedControlExtensions.h"

#include <QAbstractButton>
#include <QButtonGroup>

namespace vtr {

namespace {
QAbstractButton* segmentButton(QButtonGroup* control, int segment)
{
    if (!control)
        return nullptr;
    const QList<QAbstractButton*> buttons = control->buttons();
    return segment >= 0 && segment < buttons.size() ? buttons.at(segment) : nullptr;
}
} // namespace

void setSelectedOnlyNeeded(QButtonGroup* control, bool selected, int segment)
{
    if (QAbstractButton* button = segmentButton(control, segment); button && button->isChecked() != selected)
        button->setChecked(selected);
}

void setEnabledOnlyNeeded(QButtonGroup* control, bool enabled, int segment)
{
    if (QAbstractButton* button = segmentButton(control, segment); button && button->isEnabled() != enabled)
        button->setEnabled(enabled);
}

} // namespace vtr
