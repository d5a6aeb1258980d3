#include "VTRSizeControl.h"
#include "VTRUITestSupport.h"

#include <QHBoxLayout>
#include <QPointer>

#include <gtest/gtest.h>

namespace {

class SizeControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&control, &VTRSizeControl::actionSent, [this] { ++actions; });
    }

    // Moves the handle as a drag would: the slider reports a user change.
    void dragSliderTo(double value)
    {
        VTRSlider* slider = control.slider();
        const double fraction = (value - slider->minValue()) / (slider->maxValue() - slider->minValue());
        slider->setSliderPosition(int(fraction * VTRSlider::kResolution + 0.5));
    }

    VTRSizeControl control;
    AlertRecorder alerts;
    DebugLogCapture log;
    int actions = 0;
};

TEST_F(SizeControlTest, FreshControlHasSliderOneToTenAndFieldOne)
{
    EXPECT_EQ(control.slider()->minValue(), 1.0);
    EXPECT_EQ(control.slider()->maxValue(), 10.0);
    EXPECT_EQ(control.slider()->doubleValue(), 1.0);
    EXPECT_TRUE(control.slider()->isContinuous());
    EXPECT_EQ(control.numericTextField()->text(), "1");
    EXPECT_EQ(control.fetchCurrentValue(), 1.0);
    EXPECT_EQ(control.numericTextField()->maximumValue(), 999.0);
    EXPECT_EQ(control.titleLabel()->text(), "");
    EXPECT_EQ(control.numericTextField()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(control.layout(), nullptr);
}

TEST_F(SizeControlTest, DraggingTheSliderWritesTheFieldAndSendsOnEveryStep)
{
    dragSliderTo(7.3);
    EXPECT_NEAR(control.slider()->doubleValue(), 7.3, 1e-9);
    EXPECT_EQ(control.numericTextField()->text(), "7");
    EXPECT_EQ(actions, 1);
    dragSliderTo(8.2);
    EXPECT_EQ(control.numericTextField()->text(), "8");
    EXPECT_EQ(actions, 2);

    control.setAllowsFloats(true);
    dragSliderTo(7.35);
    EXPECT_EQ(control.numericTextField()->text(), "7.35");
    EXPECT_EQ(control.fetchCurrentValue(), 7.35);
}

TEST_F(SizeControlTest, NonContinuousSliderSendsAtTheEndOnly)
{
    control.setSliderContinuous(false);
    VTRSlider* slider = control.slider();
    slider->setSliderDown(true);
    slider->setSliderPosition(5000);
    slider->setSliderPosition(6000);
    EXPECT_EQ(actions, 0);
    slider->setSliderDown(false);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(control.numericTextField()->text(), "6"); // 1 + 0.6 * 9 = 6.4
}

TEST_F(SizeControlTest, EditingTheFieldMovesTheSliderAndSendsOnce)
{
    control.numericTextField()->setText(QStringLiteral("500"));
    control.numericTextField()->textDidEndEditing();
    EXPECT_EQ(control.slider()->doubleValue(), 10.0); // clamped to what the slider can show
    EXPECT_EQ(control.fetchCurrentValue(), 500.0);
    EXPECT_EQ(actions, 1);

    // A correction made by the field is what the control reads afterwards.
    control.numericTextField()->setText(QStringLiteral("lots"));
    control.numericTextField()->textDidEndEditing();
    EXPECT_EQ(control.fetchCurrentValue(), 500.0);
    EXPECT_EQ(alerts.count(), 1);
    EXPECT_EQ(actions, 2);
}

TEST_F(SizeControlTest, UpdateOnlyNeededRespectsEachPartsRange)
{
    control.updateCurrentValueOnlyNeeded(5);
    EXPECT_EQ(control.slider()->doubleValue(), 5.0);
    EXPECT_EQ(control.numericTextField()->text(), "5");

    control.updateCurrentValueOnlyNeeded(2000); // outside the field's range
    EXPECT_EQ(control.slider()->doubleValue(), 10.0);
    EXPECT_EQ(control.numericTextField()->text(), "5");
    EXPECT_EQ(control.numericTextField()->lastValidValue(), 5.0);
    EXPECT_TRUE(log.contains(QStringLiteral(":ERR *** Error Got ***")));
    EXPECT_EQ(actions, 0); // programmatic changes send nothing
}

TEST_F(SizeControlTest, MissingFieldIsReportedNotFollowed)
{
    delete control.numericTextField();
    control.updateCurrentValueOnlyNeeded(3);
    EXPECT_TRUE(log.contains(QStringLiteral(":ERR No numeric text field found when you update current value")));
    EXPECT_FALSE(log.contains(QStringLiteral("No slider found")));
    EXPECT_EQ(control.slider()->doubleValue(), 3.0);
    EXPECT_EQ(control.fetchCurrentValue(), 0.0);
    dragSliderTo(4); // the action still goes out
    EXPECT_EQ(actions, 1);
}

TEST_F(SizeControlTest, ApplyingALayoutReplacesThePreviousOne)
{
    QPointer<QHBoxLayout> first = new QHBoxLayout;
    first->addWidget(control.titleLabel());
    first->addWidget(control.slider());
    first->addWidget(control.numericTextField());
    control.applyLayoutConstraints(first);
    EXPECT_EQ(control.allLayoutConstraints(), first.data());

    auto* second = new QHBoxLayout;
    second->addWidget(control.numericTextField());
    second->addWidget(control.slider());
    control.applyLayoutConstraints(second);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(control.allLayoutConstraints(), second);
    EXPECT_EQ(control.titleLabel()->parentWidget(), &control);
    EXPECT_EQ(second->indexOf(control.numericTextField()), 0);
}

TEST_F(SizeControlTest, SettersPassValuesToTheParts)
{
    control.setSliderMinValue(2);
    control.setSliderMaxValue(50);
    control.setMinimumValue(2);
    control.setMaximumValue(50);
    control.setCurrentValue(60); // no range check: the slider clamps, the field shows it
    EXPECT_EQ(control.slider()->minValue(), 2.0);
    EXPECT_EQ(control.slider()->maxValue(), 50.0);
    EXPECT_EQ(control.slider()->doubleValue(), 50.0);
    EXPECT_EQ(control.numericTextField()->text(), "60");
    EXPECT_EQ(control.numericTextField()->minimumValue(), 2.0);
    EXPECT_EQ(control.numericTextField()->maximumValue(), 50.0);
}

} // namespace
