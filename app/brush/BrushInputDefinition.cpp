#include "BrushInputDefinition.h"

BrushInputDefinition::BrushInputDefinition(const QString& name, float hardMinimum, float softMinimum,
                                           float normal, float softMaximum, float hardMaximum,
                                           const QString& tooltip)
    : m_name(name)
    , m_hardMinimum(hardMinimum)
    , m_softMinimum(softMinimum)
    , m_normal(normal)
    , m_softMaximum(softMaximum)
    , m_hardMaximum(hardMaximum)
    , m_tooltip(tooltip)
{
}
