#include "BrushSettingDefinition.h"

BrushSettingDefinition::BrushSettingDefinition(const QString& cname, const QString& displayedName,
                                               bool constant, float minimum, float defaultValue,
                                               float maximum, const QString& tooltip)
    : m_cname(cname)
    , m_displayedName(displayedName)
    , m_constant(constant)
    , m_minimum(minimum)
    , m_defaultValue(defaultValue)
    , m_maximum(maximum)
    , m_tooltip(tooltip)
{
}
