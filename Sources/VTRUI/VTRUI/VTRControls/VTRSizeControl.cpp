#include "VTRSizeControl.h"

#include "ControlExtensions.h"
#include "SliderExtensions.h"
#include "TextFieldExtensions.h"
#include "VTRDebug.h"
#include "VTRNumericTextField.h"
#include "VTRSlider.h"

#include <QLabel>
#include <QLayout>

VTRSizeControl::VTRSizeControl(QWidget* parent)
    : QWidget(parent)
{
    customInit();
}

void VTRSizeControl::customInit()
{
    m_titleLabel = vtr::createLabel();
    m_titleLabel->setText(QString());
    m_titleLabel->adjustSize();

    m_slider = new VTRSlider;
    m_slider->setAttribute(Qt::WA_MacSmallSize);
    connect(m_slider, &VTRSlider::actionSent, this, &VTRSizeControl::sliderValueDidChangeAction);
    m_slider->adjustSize();

    m_numericTextField = new VTRNumericTextField;
    connect(m_numericTextField, &VTRNumericTextField::actionSent, this,
            &VTRSizeControl::textFieldValueDidChangeAction);
    QFont font = m_numericTextField->font();
    font.setPointSizeF(12.0);
    m_numericTextField->setFont(font);
    m_numericTextField->adjustSize();
    m_numericTextField->setAlignment(Qt::AlignRight);

    m_titleLabel->setParent(this);
    m_slider->setParent(this);
    m_numericTextField->setParent(this);

    setSliderMinValue(1.0);
    setSliderMaxValue(10.0);

    setAllowsFloats(m_numericTextField->allowsFloats());
    setMinimumValue(m_numericTextField->minimumValue());
    setMaximumValue(m_numericTextField->maximumValue());
    setCurrentValue(m_numericTextField->currentValue());

    setSliderContinuous(true);
}

void VTRSizeControl::setSliderMinValue(double value)
{
    vtr::setMinValueOnlyNeeded(m_slider, value);
}

void VTRSizeControl::setSliderMaxValue(double value)
{
    vtr::setMaxValueOnlyNeeded(m_slider, value);
}

void VTRSizeControl::setAllowsFloats(bool allows)
{
    if (m_numericTextField)
        m_numericTextField->setAllowsFloats(allows);
}

void VTRSizeControl::setMinimumValue(double value)
{
    if (m_numericTextField)
        m_numericTextField->setMinimumValue(value);
}

void VTRSizeControl::setMaximumValue(double value)
{
    if (m_numericTextField)
        m_numericTextField->setMaximumValue(value);
}

void VTRSizeControl::setSliderContinuous(bool continuous)
{
    if (m_slider)
        m_slider->setContinuous(continuous);
}

void VTRSizeControl::setCurrentValue(double value)
{
    vtr::setDoubleValueOnlyNeeded(m_slider, value);
    if (m_numericTextField)
        m_numericTextField->setCurrentValue(value);
}

void VTRSizeControl::updateCurrentValueOnlyNeeded(double value)
{
    VTRDebug::verify(!m_slider.isNull(), QStringLiteral("No slider found when you update current value"), QString(),
                     QStringLiteral("VTRSizeControl::updateCurrentValueOnlyNeeded"), __LINE__);
    VTRDebug::verify(!m_numericTextField.isNull(),
                     QStringLiteral("No numeric text field found when you update current value"), QString(),
                     QStringLiteral("VTRSizeControl::updateCurrentValueOnlyNeeded"), __LINE__);
    vtr::setDoubleValueOnlyNeeded(m_slider, value);
    if (m_numericTextField)
        m_numericTextField->updateCurrentValueOnlyNeeded(value);
}

double VTRSizeControl::fetchCurrentValue() const
{
    return m_numericTextField ? m_numericTextField->currentValue() : 0.0;
}

void VTRSizeControl::replaceNumberFormatter(std::optional<VTRNumberFormatter> formatter)
{
    if (m_numericTextField)
        m_numericTextField->replaceNumberFormatter(std::move(formatter));
}

void VTRSizeControl::applyLayoutConstraints(QLayout* newLayout)
{
    // Deleting a layout leaves its widgets in place, children of the control.
    delete layout();
    if (newLayout)
        setLayout(newLayout);
}

QLayout* VTRSizeControl::allLayoutConstraints() const
{
    return layout();
}

void VTRSizeControl::sliderValueDidChangeAction()
{
    if (m_slider && m_numericTextField)
        m_numericTextField->updateCurrentValueOnlyNeeded(m_slider->doubleValue());
    emit actionSent();
}

void VTRSizeControl::textFieldValueDidChangeAction()
{
    if (m_slider && m_numericTextField)
        vtr::setDoubleValueOnlyNeeded(m_slider, m_numericTextField->currentValue());
    emit actionSent();
}
