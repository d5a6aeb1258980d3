#include "Mapping.h"

Mapping::Mapping() = default;

bool Mapping::set_point(int input, int i, float x, float y)
{
    if (input < 0 || input >= m_inputs || i < 0 || i >= CurvePoints::kMaxPoints)
        return false;
    CurvePoints& c = m_curves[size_t(input)];
    c.xvalues[i] = x;
    c.yvalues[i] = y;
    return true;
}

float Mapping::calculate(const float* inputValues) const
{
    float result = m_baseValue;
    if (m_inputsUsed == 0)
        return result;
    for (int j = 0; j < m_inputs; ++j) {
        const CurvePoints& p = m_curves[size_t(j)];
        if (p.n == 0)
            continue;
        const float v = inputValues[j];
        float x0 = p.xvalues[0], y0 = p.yvalues[0];
        float x1 = p.xvalues[1], y1 = p.yvalues[1];
        // Find the segment holding v; beyond the ends the first or last
        // segment carries on in a straight line.
        for (int i = 2; i < p.n && v > x1; ++i) {
            x0 = x1;
            y0 = y1;
            x1 = p.xvalues[i];
            y1 = p.yvalues[i];
        }
        float y;
        if (x0 == x1)
            y = y0;
        else
            y = (y0 * (x1 - v) + (v - x0) * y1) / (x1 - x0);
        result += y;
    }
    return result;
}
