#include "KZTexturalButton.h"

#include "ControlTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {
std::uint64_t skinBits(const KZTexturalButton& button)
{
    return button.cell()->texturalSkin()->state();
}

class CountingSkin : public KZTexturalSkin {
public:
    CountingSkin()
        : KZTexturalSkin("btn_color", KZEdgeInsets::automatic())
    {
    }
    void drawWithFrame(QPainter& painter, const QRectF& frame, QWidget* view) override
    {
        ++draws;
        KZTexturalSkin::drawWithFrame(painter, frame, view);
    }
    int draws = 0;
};
} // namespace

TEST(KZTexturalButton, RealMouseEventsDriveTheStateBits)
{
    auto* button = new KZTexturalButton("1_btn_color", KZTexturalButtonCell::Momentary);
    button->setTitle("Zoom");
    ActionCounter counter("zoomIn:");
    button->setTarget(&counter);
    button->setAction("zoomIn:");
    ControlHost host(button, QRect(20, 10, 80, 30));
    ASSERT_TRUE(button->cell()->texturalSkin());
    EXPECT_EQ(skinBits(*button), 1u);

    QTest::mouseMove(button, QPoint(40, 15));
    EXPECT_EQ(skinBits(*button), 1u | 4u) << "enter";
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(skinBits(*button), 1u | 4u | 8u) << "press";
    // Released outside: no action, and neither the pressed nor the hover look
    // stays.
    QTest::mouseMove(button, QPoint(120, 15));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(120, 15));
    EXPECT_EQ(counter.count, 0);
    EXPECT_EQ(skinBits(*button), 1u) << "release outside";

    QTest::mouseMove(button, QPoint(40, 15));
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_EQ(counter.count, 1);
    EXPECT_EQ(counter.lastSender, button);
    EXPECT_EQ(skinBits(*button), 1u | 4u) << "click inside";

    // Disabled under the mouse: no hover look, but the cell remembers it.
    button->setEnabled(false);
    EXPECT_EQ(skinBits(*button), 1u) << "disable";
    EXPECT_EQ(button->cell()->texturalState(), 1u | 4u);
    button->setEnabled(true);
    EXPECT_EQ(skinBits(*button), 1u | 4u) << "enable";

    QTest::mouseMove(&host.window, QPoint(150, 55));
    EXPECT_EQ(skinBits(*button), 1u) << "exit";
}

TEST(KZTexturalButton, TheTypeComesFromTheCallerOrTheBezelAndOnOffShowsSelected)
{
    KZTexturalButton unspecified("btn_color", KZTexturalButtonCell::TypeNotGiven);
    EXPECT_EQ(unspecified.cell()->customControlType(), 1u); // the bezel is set only afterwards
    EXPECT_EQ(unspecified.customControlType(), 0u);
    EXPECT_EQ(unspecified.bezelStyle(), platform::ButtonCell::BezelShadowlessSquare);

    KZTexturalButtonCell cell;
    cell.setBezelStyle(platform::ButtonCell::BezelTexturedRounded);
    cell.setIdentifier("btn_color");
    cell.constructWithCustomControlType(std::nullopt);
    EXPECT_EQ(cell.customControlType(), 2u);

    KZTexturalButton onOff("btn_brush", KZTexturalButtonCell::OnOff);
    onOff.setState(1);
    EXPECT_EQ(skinBits(onOff), 2u);
    onOff.setState(0);
    EXPECT_EQ(skinBits(onOff), 1u);
    // A click never toggles the state: the owner sets it.
    ControlHost host(&onOff, QRect(0, 0, 40, 40));
    QTest::mouseClick(&onOff, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(onOff.state(), 0);
    onOff.setParent(nullptr);
}

TEST(KZTexturalButton, ThePaintDrawsTheSkinOnceBorderedOrNot)
{
    for (const bool bordered : {true, false}) {
        KZTexturalButton button("btn_color", KZTexturalButtonCell::Momentary);
        button.setBordered(bordered);
        auto skin = std::make_unique<CountingSkin>();
        CountingSkin* counting = skin.get();
        button.cell()->setTexturalSkin(std::move(skin));
        button.resize(40, 20);
        (void)button.grab();
        EXPECT_EQ(counting->draws, 1) << "bordered " << bordered;
    }
}

TEST(KZTexturalButton, TheTitleTakesTheTextColourOverItsOwnAndIsTheAccessibleName)
{
    KZTexturalButton button("nothing_by_this_name", KZTexturalButtonCell::Momentary);
    button.setTitle("MMMM");
    EXPECT_EQ(button.accessibleName(), "MMMM");
    button.cell()->setAttributedTitle({"MMMM", QColor(Qt::red), std::nullopt});
    QFont font("DejaVu Sans");
    font.setPixelSize(14);
    button.setFont(font);
    button.resize(80, 30);
    const QImage picture = button.grab().toImage();
    int white = 0;
    int red = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            white += c.red() > 200 && c.green() > 200 && c.blue() > 200;
            red += c.red() > 200 && c.green() < 80;
        }
    }
    EXPECT_GT(white, 10);
    EXPECT_EQ(red, 0);
}
