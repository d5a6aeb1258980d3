#include "SWStepper.h"

#include <QVBoxLayout>

#include <algorithm>

SWStepper::SWStepper(QWidget* parent)
    : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setObjectName(QStringLiteral("upButton"));
    m_up->setArrowType(Qt::UpArrow);
    // Arrows without text: named for accessibility clients.
    m_up->setAccessibleName(tr("Increment"));
    m_up->setAccessibleDescription(tr("Raises the value by one"));
    m_down = new QToolButton(this);
    m_down->setObjectName(QStringLiteral("downButton"));
    m_down->setArrowType(Qt::DownArrow);
    m_down->setAccessibleName(tr("Decrement"));
    m_down->setAccessibleDescription(tr("Lowers the value by one"));
    for (QToolButton* button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFixedSize(18, 11);
        button->setFocusPolicy(Qt::NoFocus);
        column->addWidget(button);
    }
    connect(m_up, &QToolButton::clicked, this, &SWStepper::stepUp);
    connect(m_down, &QToolButton::clicked, this, &SWStepper::stepDown);
}

void SWStepper::setValue(int value)
{
    m_value = std::clamp(value, m_minimum, m_maximum);
}

void SWStepper::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setValue(m_value);
}

void SWStepper::stepUp()
{
    stepBy(1);
}

void SWStepper::stepDown()
{
    stepBy(-1);
}

void SWStepper::stepBy(int steps)
{
    const int old = m_value;
    setValue(int(std::clamp<long long>(static_cast<long long>(m_value) + static_cast<long long>(steps) * m_increment,
                                       m_minimum, m_maximum)));
    if (m_value != old)
        emit actionSent();
}
