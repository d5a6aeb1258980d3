#include "VTRSlider.h"

#include <algorithm>
#include <cmath>

VTRSlider::VTRSlider(QWidget* parent)
    : QSlider(Qt::Horizontal, parent)
{
    QSlider::setRange(0, kResolution);
    connect(this, &QAbstractSlider::valueChanged, this, [this](int position) {
        if (!m_showingValue)
            takeUserPosition(position);
    });
}

void VTRSlider::setDoubleValue(double value)
{
    if (std::isnan(value))
        value = m_minValue;
    // A reversed range pins everything to the minimum rather than asserting.
    m_value = std::max(m_minValue, std::min(value, m_maxValue));
    showValue();
}

void VTRSlider::setMinValue(double value)
{
    m_minValue = value;
    setDoubleValue(m_value);
}

void VTRSlider::setMaxValue(double value)
{
    m_maxValue = value;
    setDoubleValue(m_value);
}

void VTRSlider::takeUserPosition(int position)
{
    const double span = m_maxValue - m_minValue;
    m_value = span > 0 ? m_minValue + span * double(position) / kResolution : m_minValue;
    emit actionSent();
}

void VTRSlider::showValue()
{
    const double span = m_maxValue - m_minValue;
    const int position = span > 0 ? int(std::lround((m_value - m_minValue) / span * kResolution)) : 0;
    m_showingValue = true;
    setValue(position);
    m_showingValue = false;
}
