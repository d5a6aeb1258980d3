// Pictures of the skinned controls in their normal, hover and pressed looks,
// reached by real mouse events (see GoldenImage.h).
#include "KZPopupPanel.h"
#include "KZTexturalButton.h"
#include "KZTexturalMenu.h"
#include "KZTexturalMenuItem2.h"
#include "KZTexturalSegmentedControl.h"
#include "KZWhiteLabel.h"
#include "SWMatrix.h"

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

TEST(ControlGoldens, MatrixWithItsMiddleCellHoveredAndTheLastChosen)
{
    auto* matrix = new SWMatrix(
        platform::Matrix::RadioMode,
        [] {
            auto cell = std::make_unique<KZTexturalButtonCell>();
            cell->setIdentifier("btn_color");
            cell->constructWithCustomControlType(KZTexturalButtonCell::OnOff);
            cell->createTexturalSkin();
            return cell;
        },
        1, 3);
    matrix->setCellSize(QSizeF(24, 24));
    matrix->setIntercellSpacing(QSizeF(6, 6));
    ControlHost host(matrix, QRect(10, 10, 84, 24), QSize(104, 44));
    QTest::mouseClick(matrix, Qt::LeftButton, {}, QPoint(72, 12));
    QTest::mouseMove(matrix, QPoint(42, 12));
    ASSERT_EQ(matrix->hoveredPoint(), QPoint(0, 1));
    expectMatchesGolden("matrix_hover_and_chosen", controlPicture(host, matrix));
}

TEST(ControlGoldens, WhiteLabelAndAButtonRowInItsPanel)
{
    auto* label = new KZWhiteLabel("Brushes");
    ControlHost labelHost(label, QRect(5, 5, 80, 20), QSize(90, 30));
    expectMatchesGolden("whitelabel", controlPicture(labelHost, label));

    auto* control = new KZTexturalButton("btn_color_adv", KZTexturalButtonCell::Momentary);
    ControlHost host(control, QRect(10, 10, 60, 24), QSize(200, 120));
    auto* row = new KZTexturalMenu("popup_tab_tabview");
    row->resize(92, 36);
    const QRgb colours[] = {qRgb(220, 70, 60), qRgb(70, 180, 90), qRgb(60, 110, 220)};
    for (int i = 0; i < 3; ++i) {
        auto* item = new KZTexturalMenuItem2("btn_color", KZTexturalButtonCell::Momentary, row);
        item->setGeometry(4 + 28 * i, 4, 28, 28);
        QImage swatch(14, 14, QImage::Format_ARGB32);
        swatch.fill(colours[i]);
        item->setImage(swatch);
        item->postInit();
    }
    KZPopupPanel panel;
    panel.raise(row, control);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    // The panel is a window of its own: the move goes through its window, as
    // the pointer's would, so the item hears it enter.
    QWidget* second = row->childAt(QPoint(40, 18));
    ASSERT_NE(second, nullptr);
    QTest::mouseMove(panel.windowHandle(), second->mapTo(&panel, QPoint(10, 10)));
    QApplication::processEvents();
    QImage picture = panel.grab().toImage();
    picture.setDevicePixelRatio(1.0);
    expectMatchesGolden("buttonrow_in_panel_second_hovered", picture);
}
