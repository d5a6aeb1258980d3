#include "ImageExtensions.h"
#include "VTRUITestSupport.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// A template of the size: a black square in the middle, the rest clear.
VTRImage templateSquare(int side, int inset)
{
    QImage pixels(side, side, QImage::Format_ARGB32_Premultiplied);
    pixels.fill(Qt::transparent);
    QPainter painter(&pixels);
    painter.fillRect(QRect(inset, inset, side - 2 * inset, side - 2 * inset), Qt::black);
    painter.end();
    VTRImage image(pixels);
    image.setTemplate(true);
    return image;
}

QImage render(const VTRImage& image)
{
    QImage out(image.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    image.draw(painter, QRectF(QPointF(0, 0), image.size()));
    painter.end();
    return out;
}

// The dark appearance while it lives.
class DarkAppearance {
public:
    DarkAppearance() : m_saved(QApplication::palette())
    {
        QPalette dark = m_saved;
        dark.setColor(QPalette::Window, QColor(30, 30, 30));
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
    }
    ~DarkAppearance() { QApplication::setPalette(m_saved); }

private:
    QPalette m_saved;
};

TEST(ImageExtensionsTest, GreyScaleFollowsTheAppearanceAtEachRender)
{
    const VTRImage composed =
        vtr::createUniformImage(templateSquare(20, 5), UniformGrayScale(0, 255), std::nullopt, std::nullopt);
    EXPECT_EQ(render(composed).pixel(10, 10), qRgb(0, 0, 0));
    {
        DarkAppearance dark;
        EXPECT_EQ(render(composed).pixel(10, 10), qRgb(255, 255, 255));
    }
    EXPECT_EQ(render(composed).pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(render(composed).pixel(2, 2)), 0);
}

TEST(ImageExtensionsTest, StrokeIsInsetByHalfItsWidth)
{
    UniformImageMark mark;
    mark.isStroked = true;
    mark.borderLineWidth = 4.0;
    EXPECT_EQ(mark.strokePath(QRectF(0, 0, 20, 20)).boundingRect(), QRectF(2, 2, 16, 16));

    const QImage image = render(vtr::createUniformImage(templateSquare(20, 8), UniformGrayScale(255), mark, std::nullopt));
    EXPECT_EQ(image.pixel(0, 10), qRgb(0, 0, 0));   // the outline reaches the edge
    EXPECT_EQ(image.pixel(3, 10), qRgb(0, 0, 0));
    EXPECT_EQ(qAlpha(image.pixel(5, 10)), 0);       // and stops 4 points in
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255)); // the shape on top
}

TEST(ImageExtensionsTest, MarkPartsDrawOnlyWhenAsked)
{
    struct Case {
        const char* what;
        bool stroked;
        bool filled;
        double width;
        bool background; // else foreground
        bool inkAtCorner;
    };
    const Case cases[] = {
        {"stroke of width 0", true, false, 0.0, true, false},
        {"fill without width", false, true, 0.0, true, true},
        {"foreground stroke and fill", true, true, 4.0, false, false},
    };
    for (const Case& c : cases) {
        UniformImageMark mark;
        mark.isStroked = c.stroked;
        mark.isFilled = c.filled;
        mark.borderLineWidth = c.width;
        const VTRImage composed = vtr::createUniformImage(templateSquare(20, 8), UniformGrayScale(255),
                                                          c.background ? std::optional(mark) : std::nullopt,
                                                          c.background ? std::nullopt : std::optional(mark));
        EXPECT_EQ(qAlpha(render(composed).pixel(1, 1)) > 0, c.inkAtCorner) << c.what;
    }

    // Handlers run, the background's below the shape, the foreground's above.
    UniformImageMark below;
    below.customMarkDrawingHandler = [](QPainter& painter, const QRectF& rect) { painter.fillRect(rect, Qt::red); };
    UniformImageMark above;
    above.customMarkDrawingHandler = [](QPainter& painter, const QRectF&) {
        painter.fillRect(QRectF(9, 9, 2, 2), Qt::blue);
    };
    const QImage image =
        render(vtr::createUniformImage(templateSquare(20, 5), UniformGrayScale(255), below, above));
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(6, 6), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(9, 9), qRgb(0, 0, 255));
}

TEST(ImageExtensionsTest, SizeAndTemplateProblemsAreLogged)
{
    DebugLogCapture log;
    const VTRImage empty(QSizeF(0, 10), {});
    EXPECT_EQ(vtr::createUniformImage(empty, UniformGrayScale(0), std::nullopt, std::nullopt), empty);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains(QStringLiteral("}:ERR Failed to fetch the size for base image:<VTRImage")));
    EXPECT_TRUE(log.lines()[0].endsWith(QStringLiteral(" - nil")));

    log.clear();
    VTRImage plain = templateSquare(10, 2);
    plain.setTemplate(false);
    const VTRImage composed = vtr::createUniformImage(plain, UniformGrayScale(0), std::nullopt, std::nullopt);
    EXPECT_FALSE(composed == plain);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].contains(QStringLiteral("Your image is not a template for base image:")));

    // The base image's name shows as an optional value.
    log.clear();
    const VTRImage named = VTRImage::named(QStringLiteral("SelectCircleTemplate"));
    ASSERT_FALSE(named.isNull());
    EXPECT_TRUE(named.isTemplate());
    EXPECT_EQ(vtr::optionalNameText(named), "Optional(\"SelectCircleTemplate\")");
}

TEST(ImageExtensionsTest, UnknownNameLogsOneExactLine)
{
    DebugLogCapture log;
    EXPECT_TRUE(vtr::createUniformImage(QStringLiteral("NoSuchImage"), UniformGrayScale(0), std::nullopt, std::nullopt)
                    .isNull());
    ASSERT_EQ(log.lines().size(), 1);
    const QRegularExpression line(QStringLiteral(
        R"(^\{ImageExtensions\.cpp createUniformImage\(named:imageGrayScale:backgroundMark:foregroundMark:\) \d+\}:ERR Faield to create image with name:NoSuchImage$)"));
    EXPECT_TRUE(line.match(log.lines()[0]).hasMatch()) << log.lines()[0].toStdString();
}

TEST(ImageExtensionsTest, InsetCutsFromEachSide)
{
    DebugLogCapture log;
    const VTRImage source = templateSquare(20, 5);
    const VTRImage inset = vtr::insetBy(source, 3, 2);
    EXPECT_EQ(inset.size(), QSizeF(14, 16));
    EXPECT_TRUE(inset.isTemplate());
    const QImage pixels = render(inset);
    EXPECT_EQ(qAlpha(pixels.pixel(1, 2)), 0);
    EXPECT_EQ(qAlpha(pixels.pixel(2, 3)), 255); // the square began at 5, 5
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_EQ(vtr::insetBy(source, 10, 0), source);
    EXPECT_TRUE(log.contains(QStringLiteral("}:ERR Your destination image size is invalid")));
    log.clear();
    EXPECT_EQ(vtr::insetBy(VTRImage(), 1, 1), VTRImage());
    EXPECT_TRUE(log.contains(QStringLiteral("insetBy(dx:dy:)")));
    EXPECT_TRUE(log.contains(QStringLiteral("Your source image size is invalid.")));
}

} // namespace
