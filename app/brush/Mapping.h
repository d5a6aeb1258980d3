#pragma once

#include "CurvePoints.h"

#include <array>
#include <cstddef>

// One setting of the engine: its base value plus one curve per input. The
// setting's value is the base value plus, for every input with a curve, the
// curve's value at that input.
class Mapping
{
public:
    static constexpr int kInputs = 9;

    Mapping();

    float base_value() const { return m_baseValue; }
    void set_base_value(float value) { m_baseValue = value; }

    int inputs() const { return m_inputs; }
    int inputs_used() const { return m_inputsUsed; }
    void set_inputs_used(int used) { m_inputsUsed = used; }

    // The curve of one input; input must lie in 0..8.
    const CurvePoints& curve(int input) const { return m_curves[size_t(input)]; }
    CurvePoints& curve(int input) { return m_curves[size_t(input)]; }

    // Stores point i of an input's curve. Returns false (and stores nothing)
    // when the input or i lies outside the curve's arrays.
    bool set_point(int input, int i, float x, float y);

    // Evaluates the setting for the 9 input values.
    float calculate(const float* inputValues) const;

private:
    int m_inputs = kInputs;
    std::array<CurvePoints, kInputs> m_curves;
    int m_inputsUsed = 0;
    float m_baseValue = 0.0f;
};
