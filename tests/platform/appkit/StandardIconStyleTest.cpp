#include "platform/appkit/StandardIconStyle.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <gtest/gtest.h>

#include <memory>

// The overflow arrows read directly are the very icons the toolkit's own
// style gives (its answer is the oracle), in every size, both directions,
// however often asked.
TEST(StandardIconStyle, ToolBarArrowsAreTheStylesOwnInEverySize)
{
    const QString name = QApplication::style()->name();
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(name));
    ASSERT_TRUE(plain);
    platform::StandardIconStyle style(name);
    const struct {
        QStyle::StandardPixmap which;
        Qt::LayoutDirection direction;
    } cases[] = {{QStyle::SP_ToolBarHorizontalExtensionButton, Qt::LeftToRight},
                 {QStyle::SP_ToolBarHorizontalExtensionButton, Qt::RightToLeft},
                 {QStyle::SP_ToolBarVerticalExtensionButton, Qt::LeftToRight}};
    // Asked again (as each toolbar asks), each arrow is the same.
    for (int round = 0; round < 2; ++round) {
        for (const auto& c : cases) {
            SCOPED_TRACE(int(c.which) * 10 + int(c.direction) + 1000 * round);
            QStyleOption option;
            option.direction = c.direction;
            const QIcon expected = plain->standardIcon(c.which, &option);
            const QIcon icon = style.standardIcon(c.which, &option);
            ASSERT_FALSE(expected.availableSizes().isEmpty());
            EXPECT_EQ(icon.availableSizes(), expected.availableSizes());
            for (const QSize& size : expected.availableSizes()) {
                constexpr QImage::Format kFormat = QImage::Format_ARGB32_Premultiplied;
                const QImage want = expected.pixmap(size).toImage().convertToFormat(kFormat);
                const QImage got = icon.pixmap(size).toImage().convertToFormat(kFormat);
                EXPECT_EQ(got, want) << size.width() << "x" << size.height();
            }
        }
    }
    // Everything else is the style's own answer.
    EXPECT_EQ(style.standardIcon(QStyle::SP_DialogOkButton).availableSizes(),
              plain->standardIcon(QStyle::SP_DialogOkButton).availableSizes());
}
