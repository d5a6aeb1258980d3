#pragma once

#include <QString>

// One of the 9 inputs that can drive a brush setting through a curve.
class BrushInputDefinition
{
public:
    BrushInputDefinition(const QString& name, float hardMinimum, float softMinimum, float normal,
                         float softMaximum, float hardMaximum, const QString& tooltip);

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    const QString& tooltip() const { return m_tooltip; }
    void setTooltip(const QString& tooltip) { m_tooltip = tooltip; }
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

    // Reference values only; the engine reads none of them.
    float hard_minimum() const { return m_hardMinimum; }
    float soft_minimum() const { return m_softMinimum; }
    float normal() const { return m_normal; }
    float soft_maximum() const { return m_softMaximum; }
    float hard_maximum() const { return m_hardMaximum; }

private:
    QString m_name;
    float m_hardMinimum;
    float m_softMinimum;
    float m_normal;
    float m_softMaximum;
    float m_hardMaximum;
    QString m_tooltip;
    int m_index = -1;
};
