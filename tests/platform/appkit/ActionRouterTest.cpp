#include "platform/appkit/ActionRouter.h"
#include "platform/appkit/Beep.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/Responder.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {
class CountingResponder : public platform::Responder {
public:
    explicit CountingResponder(const QString& action) { addAction(action, [this](QObject*) { ++performed; }); }
    bool validateMenuItem(platform::MenuItem*) override
    {
        ++validated;
        return enabled;
    }
    bool enabled = true;
    int performed = 0;
    int validated = 0;
};

struct WindowWithMenu {
    QMainWindow window;
    QMenu* menu = nullptr;
    platform::MenuItem* item = nullptr;
    explicit WindowWithMenu(const QString& action, const QKeySequence& shortcut = {})
    {
        auto* bar = new QMenuBar(&window);
        menu = bar->addMenu(QStringLiteral("Menu"));
        item = new platform::MenuItem(QStringLiteral("Item"), action, shortcut, menu);
        item->setWindow(&window);
        menu->addAction(item);
        window.setMenuBar(bar);
        window.setCentralWidget(new QWidget);
        platform::ActionRouter::shared().watch(bar);
    }
    ~WindowWithMenu() { platform::ActionRouter::shared().removeWindowResponders(&window); }
};
} // namespace

TEST(ActionRouter, WindowRespondersComeBeforeTheApplicationsAndUnansweredItemsAreDisabled)
{
    auto& router = platform::ActionRouter::shared();
    CountingResponder document(QStringLiteral("save:"));
    CountingResponder application(QStringLiteral("save:"));
    WindowWithMenu w(QStringLiteral("save:"));
    router.addApplicationResponder(&application);
    router.setWindowResponders(&w.window, {&document});

    EXPECT_EQ(router.targetForAction(QStringLiteral("save:"), &w.window), &document);
    w.item->trigger();
    EXPECT_EQ(document.performed, 1);
    EXPECT_EQ(application.performed, 0);

    // Without the window's responders the application answers.
    router.removeWindowResponders(&w.window);
    w.item->trigger();
    EXPECT_EQ(application.performed, 1);

    // An action nobody answers leaves its item disabled.
    platform::MenuItem orphan(QStringLiteral("Orphan"), QStringLiteral("nobodyAnswers:"));
    EXPECT_FALSE(router.validate(&orphan));
    EXPECT_FALSE(orphan.isEnabled());
    router.removeApplicationResponder(&application);
}

TEST(ActionRouter, ARefusedItemBeepsInsteadOfRunning)
{
    auto& router = platform::ActionRouter::shared();
    CountingResponder document(QStringLiteral("crop:"));
    WindowWithMenu w(QStringLiteral("crop:"));
    router.setWindowResponders(&w.window, {&document});
    document.enabled = false;
    const int beeps = platform::Beep::count();
    router.perform(w.item);
    EXPECT_EQ(document.performed, 0);
    EXPECT_EQ(platform::Beep::count(), beeps + 1);
    EXPECT_FALSE(w.item->isEnabled());
}

TEST(ActionRouter, MenusAreValidatedBeforeTheyShow)
{
    auto& router = platform::ActionRouter::shared();
    CountingResponder document(QStringLiteral("undo:"));
    WindowWithMenu w(QStringLiteral("undo:"));
    router.setWindowResponders(&w.window, {&document});
    document.enabled = false;
    emit w.menu->aboutToShow();
    EXPECT_FALSE(w.item->isEnabled());
    document.enabled = true;
    emit w.menu->aboutToShow();
    EXPECT_TRUE(w.item->isEnabled());
}

TEST(ActionRouter, AShortcutFollowsTheValidationOfTheMomentItIsPressed)
{
    auto& router = platform::ActionRouter::shared();
    CountingResponder document(QStringLiteral("invert:"));
    WindowWithMenu w(QStringLiteral("invert:"), QKeySequence(Qt::CTRL | Qt::Key_K));
    router.setWindowResponders(&w.window, {&document});
    w.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    w.window.activateWindow();
    w.window.centralWidget()->setFocus();

    // The item was enabled when its menu last showed; it is not any more.
    emit w.menu->aboutToShow();
    ASSERT_TRUE(w.item->isEnabled());
    document.enabled = false;
    QTest::keyClick(w.window.centralWidget(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(document.performed, 0);

    // And the other way round: a stale disabled state does not block it.
    document.enabled = true;
    ASSERT_FALSE(w.item->isEnabled());
    QTest::keyClick(w.window.centralWidget(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_EQ(document.performed, 1);
}

TEST(ActionRouter, AKeyPressValidatesTheMenuBarOnceHoweverDeepTheFocusedView)
{
    auto& router = platform::ActionRouter::shared();
    CountingResponder document(QStringLiteral("copy:"));
    WindowWithMenu w(QStringLiteral("copy:"));
    router.setWindowResponders(&w.window, {&document});
    // The focused view sits five views deep; the shortcut override passes
    // through each of them on its way to the window.
    QWidget* focused = w.window.centralWidget();
    for (int depth = 0; depth < 5; ++depth)
        focused = new QWidget(focused);
    w.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    w.window.activateWindow();
    focused->setFocus();

    const struct {
        QWidget* target;
        Qt::Key key;
    } presses[] = {{focused, Qt::Key_Right}, {focused, Qt::Key_Right}, {focused->parentWidget(), Qt::Key_Left},
                   {w.window.centralWidget(), Qt::Key_Up}, {focused, Qt::Key_Down}};
    for (const auto& press : presses) {
        const int before = document.validated;
        QTest::keyClick(press.target, press.key);
        EXPECT_EQ(document.validated - before, 1) << "key " << press.key;
    }
}
