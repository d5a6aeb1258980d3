// Pictures of the skinned controls in their normal, hover and pressed looks,
// reached by real mouse events (see GoldenImage.h).
#include "KZTexturalButton.h"
#include "KZTexturalSegmentedControl.h"

#include "ControlTestSupport.h"
#include "GoldenImage.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
void moveInto(QWidget* control)
{
    QTest::mouseMove(control, QPoint(20, 12));
}

struct Case {
    const char* state;
    std::function<void(QWidget* control)> before; // mouse events into the look
    std::function<void(QWidget* control)> after;  // and out of it again
};

const Case kCases[] = {
    {"normal", [](QWidget*) {}, [](QWidget*) {}},
    {"hover", [](QWidget* c) { moveInto(c); }, [](QWidget*) {}},
    {"pressed",
     [](QWidget* c) {
         moveInto(c);
         QTest::mousePress(c, Qt::LeftButton, {}, QPoint(20, 12));
     },
     [](QWidget* c) { QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(20, 12)); }},
};
} // namespace

TEST(ControlGoldens, ButtonInItsLooks)
{
    for (const Case& c : kCases) {
        auto* button = new KZTexturalButton("1_btn_color_adv", KZTexturalButtonCell::Momentary);
        button->setTitle("Zoom In");
        ControlHost host(button, QRect(10, 10, 80, 28), QSize(100, 48));
        c.before(button);
        expectMatchesGolden(QString("button_") + c.state, controlPicture(host, button));
        c.after(button);
    }
}

TEST(ControlGoldens, SegmentedControlInItsLooks)
{
    for (const Case& c : kCases) {
        auto* control = new KZTexturalSegmentedControl("1_tab_seg");
        control->setSegmentCount(3);
        const char* labels[] = {"One", "Two", "Three"};
        for (int i = 0; i < 3; ++i)
            control->setLabel(labels[i], i);
        ControlHost host(control, QRect(10, 10, 150, 24), QSize(170, 44));
        control->setEqualWidthForEachSegment();
        control->setSelectedSegment(2);
        c.before(control);
        expectMatchesGolden(QString("segmented_") + c.state, controlPicture(host, control));
        c.after(control);
    }
}
