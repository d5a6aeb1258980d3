// Pictures of the skinned controls in their normal, hover and pressed looks,
// reached by real mouse events, compared with the goldens in
// tests/data/goldens/controls. VELUMO_UPDATE_GOLDENS=1 rewrites the goldens
// (after a deliberate change of the skins or the drawing).
#include "KZTexturalButton.h"
#include "KZTexturalSegmentedControl.h"

#include "ControlTestSupport.h"
#include "TestMain.h"

#include <QDir>
#include <gtest/gtest.h>

#include <functional>

namespace {
constexpr int kChannelTolerance = 32;
constexpr double kDifferingShare = 0.02;

int differingPixels(const QImage& a, const QImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) > kChannelTolerance || std::abs(p.green() - q.green()) > kChannelTolerance
                || std::abs(p.blue() - q.blue()) > kChannelTolerance
                || std::abs(p.alpha() - q.alpha()) > kChannelTolerance)
                ++differing;
        }
    }
    return differing;
}

void expectMatchesGolden(const QString& name, const QImage& picture)
{
    const QImage actual = picture.convertToFormat(QImage::Format_ARGB32);
    const QString path = testDataPath("goldens/controls/" + name + ".png");
    if (qEnvironmentVariableIntValue("VELUMO_UPDATE_GOLDENS") == 1) {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(actual.save(path)) << path.toStdString();
        return;
    }
    const QImage golden = QImage(path).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(golden.isNull()) << "no golden " << path.toStdString();
    ASSERT_EQ(golden.size(), actual.size()) << name.toStdString();
    const int differing = differingPixels(golden, actual);
    const int allowed = int(actual.width() * actual.height() * kDifferingShare);
    if (differing > allowed) {
        const QString saved = QDir::temp().filePath(name + "-actual.png");
        actual.save(saved);
        ADD_FAILURE() << name.toStdString() << ": " << differing << " pixels differ (allowed " << allowed
                      << "); this run's picture is " << saved.toStdString();
    }
}

// Takes the control's look from the window, background included.
QImage picture(const ControlHost& host, const QWidget* control)
{
    QImage image = const_cast<QWidget&>(host.window).grab(control->geometry()).toImage();
    image.setDevicePixelRatio(1.0);
    return image;
}

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
        expectMatchesGolden(QString("button_") + c.state, picture(host, button));
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
        expectMatchesGolden(QString("segmented_") + c.state, picture(host, control));
        c.after(control);
    }
}
