#include "platform/appkit/Updatable.h"
#include "platform/appkit/WindowUpdater.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
class UpdatingWindow : public QWidget, public platform::Updatable {
public:
    void performUpdate() override { ++updates; }
    int updates = 0;
};

bool waitFor(const std::function<bool()>& condition)
{
    return QTest::qWaitFor(condition, 10000);
}
} // namespace

TEST(WindowUpdater, EventsInOneTurnGiveTheMainWindowOnePass)
{
    platform::WindowUpdater::shared().start();
    UpdatingWindow window;
    auto* button = new QPushButton("B", &window);
    window.resize(120, 60);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QCoreApplication::processEvents();
    window.updates = 0;

    // A click is a press and a release: one pass after both.
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return window.updates > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.updates, 1);

    // A dialog in front does not take the main role from its window.
    QDialog dialog(&window);
    auto* inDialog = new QPushButton("D", &dialog);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(platform::WindowUpdater::mainWindow(), &window);
    const int before = window.updates;
    QTest::keyClick(inDialog, Qt::Key_A);
    ASSERT_TRUE(waitFor([&] { return window.updates > before; }));
}

TEST(WindowUpdater, AWindowThatIsNotMainIsNotUpdated)
{
    platform::WindowUpdater::shared().start();
    UpdatingWindow background;
    background.show();
    QWidget front;
    auto* button = new QPushButton("F", &front);
    front.show();
    front.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&front));
    QCoreApplication::processEvents();
    background.updates = 0;
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(background.updates, 0);
}
