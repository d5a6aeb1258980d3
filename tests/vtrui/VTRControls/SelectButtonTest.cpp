#include "PressableSelectButton.h"
#include "SelectButton.h"
#include "StretchableSelectButton.h"
#include "VTRUITestSupport.h"

#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const QString kCircle = QStringLiteral("SelectCircleTemplate");

QImage render(const VTRImage& image)
{
    QImage out(image.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    image.draw(painter, QRectF(QPointF(0, 0), image.size()));
    painter.end();
    return out;
}

VTRImage blackSquare(int side)
{
    QImage pixels(side, side, QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::black);
    VTRImage image(pixels);
    image.setTemplate(true);
    return image;
}

// Selected: white on a filled rounded square; pressed: mid grey.
class StyledButton : public StretchableSelectButton {
public:
    std::optional<UniformImageMark> selectedBackgroundMark() const override
    {
        UniformImageMark mark;
        mark.isFilled = true;
        mark.cornerRadius = 4.0;
        mark.color = UniformColor(QColor(40, 90, 200));
        return mark;
    }
    UniformGrayScale selectedImageGrayScale() const override { return UniformGrayScale(255); }
    std::optional<UniformGrayScale> pressedImageGrayScale() const override { return UniformGrayScale(128); }
};

TEST(SelectButtonTest, SelectionRecomposesOnlyOnChange)
{
    SelectButton button;
    EXPECT_TRUE(button.image().isNull()); // nothing composed at creation
    EXPECT_EQ(button.compositionCount(), 0);
    button.setIconTemplateImageName(kCircle);
    EXPECT_EQ(button.compositionCount(), 1);
    button.setIconTemplateImageName(kCircle); // the same name recomposes all the same
    EXPECT_EQ(button.compositionCount(), 2);
    button.setSelectedOnlyNeeded(false);
    EXPECT_EQ(button.compositionCount(), 2);
    const QImage normal = render(button.image());
    button.setSelectedOnlyNeeded(true);
    EXPECT_EQ(button.compositionCount(), 3);
    EXPECT_TRUE(button.isSelected());
    // The default looks: the same black shape in both states.
    EXPECT_EQ(render(button.image()), normal);
    EXPECT_EQ(normal.pixel(12, 12), qRgb(0, 0, 0));
    EXPECT_EQ(button.imagePosition(), VTRImagePosition::ImageOnly);
    EXPECT_FALSE(button.isBordered());
}

TEST(SelectButtonTest, NameWinsOverTheBaseImage)
{
    SelectButton button;
    button.setIconBaseImage(blackSquare(10));
    EXPECT_EQ(button.image().size(), QSizeF(10, 10));
    button.setIconTemplateImageName(kCircle);
    EXPECT_EQ(button.image().size(), QSizeF(24, 24));

    // An unknown name does not fall back to the base image.
    DebugLogCapture log;
    button.setIconTemplateImageName(QStringLiteral("NoSuchImage"));
    EXPECT_TRUE(button.image().isNull());
    ASSERT_EQ(log.lines().size(), 2);
    const QRegularExpression first(QStringLiteral(
        R"(^\{ImageExtensions\.cpp createUniformImage\(named:imageGrayScale:backgroundMark:foregroundMark:\) \d+\}:ERR Faield to create image with name:NoSuchImage$)"));
    const QRegularExpression second(QStringLiteral(
        R"(^\{SelectButton\.cpp composeUniformImage\(iconImageName:iconBaseImage:imageGrayScale:backgroundMark:\) \d+\}:ERR Failed to compose image for name:NoSuchImage$)"));
    EXPECT_TRUE(first.match(log.lines()[0]).hasMatch()) << log.lines()[0].toStdString();
    EXPECT_TRUE(second.match(log.lines()[1]).hasMatch()) << log.lines()[1].toStdString();
}

TEST(SelectButtonTest, PressedImageOnlyWithAPressedGreyScale)
{
    PressableSelectButton plain;
    plain.setIconTemplateImageName(kCircle);
    EXPECT_TRUE(plain.alternateImage().isNull());
    EXPECT_EQ(plain.buttonType(), SelectButton::MomentaryChange);

    StyledButton styled;
    styled.resize(24, 24);
    styled.setIconTemplateImageName(kCircle);
    ASSERT_FALSE(styled.alternateImage().isNull());
    EXPECT_EQ(render(styled.alternateImage()).pixel(12, 12), qRgb(128, 128, 128));
}

TEST(SelectButtonTest, StretchableComposesAtItsFrameSize)
{
    DebugLogCapture log;
    StyledButton button; // a StretchableSelectButton
    button.resize(0, 0);
    button.setIconTemplateImageName(kCircle);
    EXPECT_EQ(button.image().size(), QSizeF(24, 24)); // the named image as it is
    EXPECT_TRUE(button.alternateImage().isNull());

    button.show(); // a hidden widget hears of its new size only when shown
    button.resize(40, 20); // a new frame recomposes
    EXPECT_EQ(button.image().size(), QSizeF(40, 20));
    EXPECT_EQ(button.alternateImage().size(), QSizeF(40, 20));
    EXPECT_EQ(render(button.image()).pixel(20, 10), qRgb(0, 0, 0));

    button.setSelectedOnlyNeeded(true);
    const QImage selected = render(button.image());
    EXPECT_EQ(selected.pixel(20, 10), qRgb(255, 255, 255));
    EXPECT_EQ(selected.pixel(1, 10), qRgb(40, 90, 200)); // the background mark

    // Another view's frame change is not this button's business.
    QWidget other;
    const int before = button.compositionCount();
    button.handleViewFrameDidChangeNotification(&other);
    button.handleViewBoundsDidChangeNotification(&other);
    EXPECT_EQ(button.compositionCount(), before);
    button.handleViewBoundsDidChangeNotification(&button);
    EXPECT_EQ(button.compositionCount(), before + 1);

    // A base image is never used, and an unknown name clears both images quietly.
    button.setIconBaseImage(blackSquare(8));
    button.setIconTemplateImageName(std::nullopt);
    EXPECT_TRUE(button.image().isNull());
    EXPECT_TRUE(button.alternateImage().isNull());
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(SelectButtonTest, ClickLeavesTheSelectionToTheOwnerAndPressShowsTheAlternate)
{
    StyledButton button;
    button.resize(24, 24);
    button.setIconTemplateImageName(kCircle);
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&clicks] { ++clicks; });
    button.click();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button.isSelected());

    auto centre = [&button] {
        QImage image(button.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image.pixel(12, 12);
    };
    EXPECT_EQ(centre(), qRgb(0, 0, 0));
    button.setDown(true);
    EXPECT_EQ(centre(), qRgb(128, 128, 128));
}

TEST(SelectButtonTest, InterfaceFilesSetTheNameAsAProperty)
{
    SelectButton button;
    EXPECT_TRUE(button.setProperty("iconTemplateImageName", kCircle));
    EXPECT_EQ(button.iconTemplateImageName(), kCircle);
    EXPECT_FALSE(button.image().isNull());
}

} // namespace
