#pragma once

#include <QToolButton>
#include <QWidget>

// A pair of small arrow buttons that step a whole number up or down within
// a range, for use beside a text field that shows the number. Each click
// that changes the value sends actionSent().
class SWStepper : public QWidget {
    Q_OBJECT
public:
    explicit SWStepper(QWidget* parent = nullptr);

    int value() const { return m_value; }
    // Clamped to the range; sends nothing.
    void setValue(int value);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setRange(int minimum, int maximum);
    int increment() const { return m_increment; }
    void setIncrement(int increment) { m_increment = increment; }

    // What the arrows do: one increment up or down.
    void stepUp();
    void stepDown();

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void actionSent();

private:
    void stepBy(int steps);

    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    int m_value = 0;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_increment = 1;
};
