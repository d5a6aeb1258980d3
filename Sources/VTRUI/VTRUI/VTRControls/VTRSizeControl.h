#pragma once

#include "VTRNumberFormatter.h"
#include "VTRNumericTextField.h"
#include "VTRSlider.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <optional>

class QLayout;

// A size value as a title, a small slider and a numeric field kept in step:
// moving the slider writes the field, ending an edit in the field moves the
// slider, and either way the control emits actionSent(). The slider's range
// (1 to 10 at first) and the field's range (1 to 999, whole numbers) are
// independent; the owner sets both. The control has no layout of its own:
// the owner hands one in with applyLayoutConstraints().
class VTRSizeControl : public QWidget {
    Q_OBJECT
public:
    explicit VTRSizeControl(QWidget* parent = nullptr);

    // These pass the value on to the slider or the field; the control keeps
    // no copy. Read the value with fetchCurrentValue().
    void setSliderMinValue(double value);
    void setSliderMaxValue(double value);
    void setAllowsFloats(bool allows);
    void setMinimumValue(double value);
    void setMaximumValue(double value);
    void setSliderContinuous(bool continuous);
    // Slider and field, with no range check.
    void setCurrentValue(double value);
    // The slider takes any value (clamped); the field only one in its range.
    void updateCurrentValueOnlyNeeded(double value);
    double fetchCurrentValue() const;
    void replaceNumberFormatter(std::optional<VTRNumberFormatter> formatter);

    // Qt arranges widgets with layouts: the given layout (made without a
    // parent, holding the sub-controls) replaces the one applied before.
    void applyLayoutConstraints(QLayout* layout);
    QLayout* allLayoutConstraints() const;

    QLabel* titleLabel() const { return m_titleLabel; }
    VTRSlider* slider() const { return m_slider; }
    VTRNumericTextField* numericTextField() const { return m_numericTextField; }

signals:
    void actionSent();

private:
    void customInit();
    void sliderValueDidChangeAction();
    void textFieldValueDidChangeAction();

    // Children of the control; QPointer so a sub-control removed by its
    // owner reads as missing instead of dangling.
    QPointer<QLabel> m_titleLabel;
    QPointer<VTRSlider> m_slider;
    QPointer<VTRNumericTextField> m_numericTextField;
};
