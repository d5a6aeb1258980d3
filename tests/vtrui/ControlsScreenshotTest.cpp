// Every control of the framework drawn in the light and the dark palette and
// compared with the pictures in tests/data/vtrui. Set VELUMO_UPDATE_GOLDENS=1
// to write new pictures after a deliberate change of looks.
#include "BoxView.h"
#include "FBFlatButton.h"
#include "NPAdWindowController.h"
#include "NPCheckerboard.h"
#include "NPMagnifierView.h"
#include "NPPattern.h"
#include "PressableSelectButton.h"
#include "RoundView.h"
#include "SelectButton.h"
#include "StretchableSelectButton.h"
#include "TGSwitch.h"
#include "TestMain.h"
#include "VTRUITestSupport.h"
#include "ZIDTransparentScrollView.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>

#include <gtest/gtest.h>

namespace {

// A swatch of the two pattern fills: the checkerboard with a grid over it.
class PatternSwatch : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        NPCheckerboard board{QTransform()};
        board.drawRect(QRectF(rect()), painter);
        NPPattern grid(2, QTransform(), 5.0, 1.0, QColor(0, 120, 255), QColor());
        grid.fillInContext(painter);
        painter.setPen(Qt::NoPen);
        painter.drawRect(QRectF(rect()));
    }
};

class StyledSelectButton : public StretchableSelectButton {
public:
    std::optional<UniformImageMark> selectedBackgroundMark() const override
    {
        UniformImageMark mark;
        mark.isFilled = true;
        mark.isStroked = true;
        mark.borderLineWidth = 2.0;
        mark.cornerRadius = 6.0;
        mark.color = UniformColor(QColor(40, 90, 200), QColor(90, 140, 255));
        return mark;
    }
    UniformGrayScale normalImageGrayScale() const override { return UniformGrayScale(40, 220); }
    UniformGrayScale selectedImageGrayScale() const override { return UniformGrayScale(255); }
};

// A gradient larger than its scroll view, so both bars show their knobs.
class Gradient : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QLinearGradient fill(0, 0, width(), height());
        fill.setColorAt(0, QColor(250, 200, 80));
        fill.setColorAt(1, QColor(60, 160, 120));
        painter.fillRect(rect(), fill);
    }
};

void useStyle(QWidget* widget, QStyle* style)
{
    widget->setStyle(style);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->setStyle(style);
}

QFont pinnedFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

FBFlatButton* flatButton(QWidget* parent, const QString& title, Qt::CheckState state, bool enabled)
{
    auto* button = new FBFlatButton(parent);
    button->resize(90, 28);
    button->setCornerRadius(6);
    button->setBorderWidth(1);
    button->setSpacing(8);
    button->setBorderNormalColor(QColor(120, 120, 120));
    button->setBorderHighlightColor(QColor(30, 90, 200));
    button->setBackgroundNormalColor(QColor(235, 235, 235));
    button->setBackgroundHighlightColor(QColor(60, 120, 230));
    button->setBackgroundDisabledColor(QColor(200, 200, 200));
    button->setTitleNormalColor(QColor(30, 30, 30));
    button->setTitleHighlightColor(Qt::white);
    button->setTitleDisabledColor(QColor(150, 150, 150));
    button->setImageNormalColor(QColor(30, 30, 30));
    button->setImageHighlightColor(Qt::white);
    button->setImage(VTRImage::named(QStringLiteral("SelectCheckTemplate")));
    button->setImagePosition(VTRImagePosition::ImageLeft);
    button->setTitle(title);
    button->setState(state);
    button->setEnabled(enabled);
    button->removeAllAnimations();
    return button;
}

TGSwitch* switchControl(QWidget* parent, bool checked, bool enabled)
{
    auto* control = new TGSwitch(parent);
    control->resize(44, 24);
    control->setChecked(checked);
    control->setEnabled(enabled);
    control->setFocusPolicy(Qt::NoFocus);
    control->removeAllAnimations();
    return control;
}

QImage drawEveryControl()
{
    QWidget panel;
    panel.setFont(pinnedFont());
    panel.resize(460, 245);
    panel.setAutoFillBackground(true);

    flatButton(&panel, QStringLiteral("Off"), Qt::Unchecked, true)->move(10, 10);
    flatButton(&panel, QStringLiteral("On"), Qt::Checked, true)->move(110, 10);
    flatButton(&panel, QStringLiteral("Dim"), Qt::Unchecked, false)->move(210, 10);

    switchControl(&panel, false, true)->move(10, 50);
    switchControl(&panel, true, true)->move(64, 50);
    switchControl(&panel, true, false)->move(118, 50);

    auto* plain = new SelectButton(&panel);
    plain->setGeometry(180, 50, 24, 24);
    plain->setIconTemplateImageName(QStringLiteral("SelectBrushTemplate"));
    auto* pressable = new PressableSelectButton(&panel);
    pressable->setGeometry(210, 50, 24, 24);
    pressable->setIconTemplateImageName(QStringLiteral("SelectCircleTemplate"));
    auto* normal = new StyledSelectButton;
    normal->setParent(&panel);
    normal->setGeometry(240, 46, 32, 32);
    normal->setIconTemplateImageName(QStringLiteral("SelectBrushTemplate"));
    auto* selected = new StyledSelectButton;
    selected->setParent(&panel);
    selected->setGeometry(280, 46, 32, 32);
    selected->setIconTemplateImageName(QStringLiteral("SelectBrushTemplate"));
    selected->setSelectedOnlyNeeded(true);

    auto* swatch = new PatternSwatch(&panel);
    swatch->setGeometry(10, 90, 100, 100);

    auto* magnifier = new NPMagnifierView(&panel);
    magnifier->setGeometry(120, 90, 144, 144);
    QImage pixels(9, 9, QImage::Format_ARGB32);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x)
            pixels.setPixelColor(x, y, QColor::fromHsv((x * 40 + y * 15) % 360, 200, 230, x == 0 ? 120 : 255));
    }
    magnifier->updateMagnifierInfo(NPMagnifierInfo(pixels, pixels.pixelColor(4, 4), 1.0));

    auto* box = new BoxView(&panel);
    box->setGeometry(274, 90, 84, 40);
    auto* backdrop = new RoundView;
    box->addFullCoveredView(backdrop);
    auto* hud = new QLabel(QStringLiteral("HUD"), backdrop);
    hud->setStyleSheet(QStringLiteral("color: white"));
    hud->move(30, 12);

    auto* scroller = new ZIDTransparentScrollView(&panel);
    scroller->setGeometry(368, 90, 84, 100);
    scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* gradient = new Gradient;
    gradient->resize(200, 240);
    scroller->setWidget(gradient);

    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    useStyle(&panel, fusion.get());
    panel.ensurePolished();
    box->layout()->activate();
    scroller->tile();

    // The ad window as it opens, beside the controls.
    auto ad = NPAdWindowController::loadFromStoryboard();
    QDialog* window = ad->window();
    window->setFont(pinnedFont());
    useStyle(window, fusion.get());
    window->findChildren<QLabel*>().at(1)->setText(QStringLiteral("Paint without limits."));
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(230, 90, 60));
    window->findChildren<QLabel*>().at(0)->setPixmap(QPixmap::fromImage(icon));
    window->findChildren<QLabel*>().at(2)->setText(QStringLiteral("10"));
    window->setFixedSize(300, 110);

    QImage image(QSize(460, 245 + 110), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    panel.render(&image, QPoint(0, 0));
    window->render(&image, QPoint(0, 245));
    window->setStyle(nullptr);
    useStyle(&panel, nullptr);
    for (QWidget* child : window->findChildren<QWidget*>())
        child->setStyle(nullptr);
    return image;
}

// Pixels whose channels differ by more than the tolerance.
int differingPixels(const QImage& a, const QImage& b, int tolerance)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const bool same = std::abs(qRed(pa[x]) - qRed(pb[x])) <= tolerance
                              && std::abs(qGreen(pa[x]) - qGreen(pb[x])) <= tolerance
                              && std::abs(qBlue(pa[x]) - qBlue(pb[x])) <= tolerance
                              && std::abs(qAlpha(pa[x]) - qAlpha(pb[x])) <= tolerance;
            count += same ? 0 : 1;
        }
    }
    return count;
}

void compareWithGolden(const QImage& actual, const QString& name)
{
    const QString golden = testDataPath(QStringLiteral("vtrui/%1.png").arg(name));
    if (qEnvironmentVariableIntValue("VELUMO_UPDATE_GOLDENS") == 1) {
        QDir().mkpath(QFileInfo(golden).path());
        ASSERT_TRUE(actual.save(golden));
        return;
    }
    const QImage expected = QImage(golden).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(expected.isNull()) << "no golden picture " << golden.toStdString();
    ASSERT_EQ(expected.size(), actual.size());
    // Room for small differences of text rasterising between machines.
    const int differing = differingPixels(actual, expected, 16);
    const int allowed = actual.width() * actual.height() / 200;
    if (differing > allowed) {
        const QString saved = QDir::temp().filePath(name + QStringLiteral("-actual.png"));
        actual.save(saved);
        FAIL() << differing << " pixels differ from " << golden.toStdString() << " (allowed " << allowed
               << "); this run's picture: " << saved.toStdString();
    }
}

QPalette darkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 32));
    dark.setColor(QPalette::AlternateBase, QColor(55, 55, 58));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(60, 60, 64));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(60, 120, 230));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Light, QColor(80, 80, 84));
    dark.setColor(QPalette::Midlight, QColor(70, 70, 74));
    dark.setColor(QPalette::Mid, QColor(50, 50, 54));
    dark.setColor(QPalette::Dark, QColor(25, 25, 27));
    dark.setColor(QPalette::Shadow, Qt::black);
    return dark;
}

class ControlsScreenshotTest : public ::testing::Test {
protected:
    ControlsScreenshotTest() : m_saved(QApplication::palette()) {}
    ~ControlsScreenshotTest() override { QApplication::setPalette(m_saved); }

private:
    QPalette m_saved;
};

TEST_F(ControlsScreenshotTest, LightPalette)
{
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(fusion->standardPalette());
    compareWithGolden(drawEveryControl(), QStringLiteral("controls-light"));
}

TEST_F(ControlsScreenshotTest, DarkPalette)
{
    QApplication::setPalette(darkPalette());
    compareWithGolden(drawEveryControl(), QStringLiteral("controls-dark"));
}

} // namespace
