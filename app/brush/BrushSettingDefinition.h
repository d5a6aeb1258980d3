#pragma once

#include <QString>

// One of the 39 brush settings: its name in brush files, a short display
// name, its value range and default, and its position in the settings table.
class BrushSettingDefinition
{
public:
    BrushSettingDefinition(const QString& cname, const QString& displayedName, bool constant,
                           float minimum, float defaultValue, float maximum, const QString& tooltip);

    const QString& cname() const { return m_cname; }
    void setCname(const QString& cname) { m_cname = cname; }
    const QString& displayed_name() const { return m_displayedName; }
    void setDisplayed_name(const QString& name) { m_displayedName = name; }
    const QString& tooltip() const { return m_tooltip; }
    void setTooltip(const QString& tooltip) { m_tooltip = tooltip; }
    float default_value() const { return m_defaultValue; }
    void setDefault_value(float value) { m_defaultValue = value; }
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

    // Reference values only: nothing clamps a setting to its range.
    bool constant() const { return m_constant; }
    float minimum() const { return m_minimum; }
    float maximum() const { return m_maximum; }

private:
    QString m_cname;
    QString m_displayedName;
    bool m_constant;
    float m_minimum;
    float m_defaultValue;
    float m_maximum;
    QString m_tooltip;
    int m_index = -1;
};
