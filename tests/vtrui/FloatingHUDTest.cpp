#include "FloatingHUD.h"
#include "FloatingHUDWindowController.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(FloatingHUD, UpdatesBeforeTheFirstShowAreDroppedWithALogLine)
{
    FloatingHUD hud;
    testing::internal::CaptureStderr();
    hud.updateText(QStringLiteral("12 x 34 pixels"));
    hud.updateOrigin(QPointF(10, 10));
    hud.controller().sizeAllToFit();
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_NE(logged.find("Window is not loaded when updateText()"), std::string::npos);
    EXPECT_NE(logged.find("Window is not loaded when updateOrigin()"), std::string::npos);
    EXPECT_NE(logged.find("Window is not loaded when sizeAllToFit()"), std::string::npos);
    EXPECT_FALSE(hud.controller().isWindowLoaded());
}

TEST(FloatingHUD, WindowFollowsTheTextWithSixPointsAround)
{
    FloatingHUD hud;
    hud.show();
    ASSERT_TRUE(hud.controller().isWindowLoaded());
    QLabel* label = hud.controller().textLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().isEmpty());
    EXPECT_TRUE(QFontInfo(label->font()).fixedPitch());

    hud.updateText(QStringLiteral("640 x 480 pixels"));
    const QSize medium = hud.controller().window()->size();
    EXPECT_EQ(medium, label->size() + QSize(12, 12));
    EXPECT_EQ(label->pos(), QPoint(6, 6));

    hud.updateText(QStringLiteral("12345 x 12345 pixels, and then some"));
    const QSize wide = hud.controller().window()->size();
    EXPECT_GT(wide.width(), medium.width());

    hud.updateText(QStringLiteral("- x - pixels"));
    EXPECT_LT(hud.controller().window()->width(), medium.width());
    EXPECT_EQ(hud.controller().window()->size(), label->size() + QSize(12, 12));
    hud.hide();
}

TEST(FloatingHUD, FloatsAboveWithoutFocusAndLetsClicksThrough)
{
    FloatingHUD hud;
    hud.show();
    QWidget* window = hud.controller().window();
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(window->objectName(), "FloatingHUDWindowController");
    EXPECT_TRUE(window->isVisible());
    EXPECT_NE(QApplication::activeWindow(), window);
    hud.hide();
}

TEST(FloatingHUD, OriginIsTheBottomLeftCornerAndSurvivesHiding)
{
    FloatingHUD hud;
    hud.show();
    hud.updateText(QStringLiteral("320 x 240 pixels"));
    hud.updateOrigin(QPointF(120, 300));
    QRectF frame = hud.frame();
    EXPECT_EQ(frame.left(), 120);
    EXPECT_EQ(frame.bottom(), 300); // the window sits just above the point

    hud.hide();
    EXPECT_FALSE(hud.controller().window()->isVisible());
    hud.show();
    EXPECT_EQ(hud.controller().textLabel()->text(), "320 x 240 pixels");
    EXPECT_EQ(hud.frame(), frame);
    hud.hide();
}

TEST(FloatingHUD, SharedIsOneInstanceAndFrameLoadsTheWindow)
{
    EXPECT_EQ(&FloatingHUD::shared(), &FloatingHUD::shared());
    FloatingHUD hud;
    EXPECT_FALSE(hud.frame().isNull());
    EXPECT_TRUE(hud.controller().isWindowLoaded());
    EXPECT_FALSE(hud.controller().window()->isVisible());
}

} // namespace
