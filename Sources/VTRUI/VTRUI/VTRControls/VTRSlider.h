#pragma once

#include <QSlider>

// A horizontal slider over a range of doubles. The value is kept exactly as
// set (clamped into the range); the handle shows it at a fine fixed step.
// actionSent() is emitted for the user's changes only: on every step of a drag
// when the slider is continuous, once at the release otherwise. Programmatic
// changes never emit it.
class VTRSlider : public QSlider {
    Q_OBJECT
public:
    explicit VTRSlider(QWidget* parent = nullptr);

    double doubleValue() const { return m_value; }
    void setDoubleValue(double value);
    double minValue() const { return m_minValue; }
    void setMinValue(double value);
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double value);
    bool isContinuous() const { return hasTracking(); }
    void setContinuous(bool continuous) { setTracking(continuous); }

    // Handle steps across the whole range.
    static constexpr int kResolution = 10000;

signals:
    void actionSent();

private:
    void takeUserPosition(int position);
    void showValue();

    double m_minValue = 0.0;
    double m_maxValue = 1.0;
    double m_value = 0.0;
    bool m_showingValue = false;
};
