#include "KZTexturalSegmentedControlAccessible.h"

#include "KZSegmentAccessible.h"
#include "KZTexturalSegmentedControl.h"

namespace {
QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (auto* control = qobject_cast<KZTexturalSegmentedControl*>(object))
        return new KZTexturalSegmentedControlAccessible(control);
    return nullptr;
}
} // namespace

KZTexturalSegmentedControlAccessible::KZTexturalSegmentedControlAccessible(KZTexturalSegmentedControl* control)
    : KZAccessibleItemList(control, QAccessible::PageTabList)
{
}

void KZTexturalSegmentedControlAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

KZTexturalSegmentedControl* KZTexturalSegmentedControlAccessible::control() const
{
    return static_cast<KZTexturalSegmentedControl*>(widget());
}

int KZTexturalSegmentedControlAccessible::itemCount() const
{
    return control()->segmentCount();
}

QAccessibleInterface* KZTexturalSegmentedControlAccessible::makeItem(int index) const
{
    return new KZSegmentAccessible(control(), index);
}
