// The ribbon window: the left toolbar's width, the ribbon toggle and its
// labels, the update pass, and the descendant walk.
#include "KZDescendantWalk.h"
#include "KZRibbonWindow.h"
#include "KZTexturalButton.h"

#include "platform/appkit/MenuItem.h"

#include <QApplication>
#include <QLabel>
#include <QResizeEvent>
#include <gtest/gtest.h>

TEST(KZRibbonWindow, TheLeftToolbarIs300PointsNarrowerThanTheWindowAndNeverNegative)
{
    KZRibbonWindow window(nullptr);
    window.awakeFromNib();
    window.resize(800, 600);
    window.recalculateTitileRect();
    EXPECT_EQ(window.leftToolbar()->width(), 500);
    window.resize(1000, 600);
    QResizeEvent resized(QSize(1000, 600), QSize(800, 600));
    QApplication::sendEvent(&window, &resized);
    EXPECT_EQ(window.leftToolbar()->width(), 700);
    // A window narrower than the allowance: an empty toolbar, not a negative one.
    window.resize(200, 600);
    window.recalculateTitileRect();
    EXPECT_EQ(window.leftToolbar()->width(), 0);
}

TEST(KZRibbonWindow, TheToggleHidesTheRibbonAndTheItemsSayWhatTheyWillDo)
{
    KZRibbonWindow window(nullptr);
    window.awakeFromNib();
    window.setTitle("Untitled");
    EXPECT_EQ(window.titleLabel()->text(), "Untitled");
    platform::MenuItem item("Hide Tool Panel", KZRibbonWindow::kToggleRibbonPanel);
    KZTexturalButton imageOnly("btn_color", KZTexturalButtonCell::OnOff);
    imageOnly.setTitle("Ribbon");
    imageOnly.setImagePosition(platform::ButtonCell::ImageOnly);
    KZTexturalButton titled("btn_color", KZTexturalButtonCell::OnOff);

    EXPECT_FALSE(window.isRibbonPanelHidden());
    window.validateMenuItem(&item);
    EXPECT_EQ(item.text(), KZRibbonWindow::kHideToolPanel);

    window.toggleRibbonPanel();
    EXPECT_TRUE(window.isRibbonPanelHidden());
    EXPECT_TRUE(window.validateMenuItem(&item));
    EXPECT_EQ(item.text(), "Show Tool Panel");
    window.validateUserInterfaceItem(&imageOnly, KZRibbonWindow::kToggleRibbonPanel, 0);
    EXPECT_EQ(imageOnly.title(), "Ribbon") << "a button that shows only its image keeps its title";
    EXPECT_EQ(imageOnly.state(), 0);
    window.validateUserInterfaceItem(&titled, KZRibbonWindow::kToggleRibbonPanel, 0);
    EXPECT_EQ(titled.title(), "Show Tool Panel");

    window.toggleRibbonPanel();
    EXPECT_FALSE(window.isRibbonPanelHidden());
    window.validateUserInterfaceItem(&titled, KZRibbonWindow::kToggleRibbonPanel, 0);
    EXPECT_EQ(titled.title(), "Hide Tool Panel");
    EXPECT_EQ(titled.state(), 1);
}

namespace {
struct CountingView : QWidget, platform::Updatable {
    using QWidget::QWidget;
    void performUpdate() override { ++updates; }
    int updates = 0;
};
} // namespace

TEST(KZRibbonWindow, OnlyTheMainWindowUpdatesItsDocumentAndToolbarControls)
{
    KZRibbonWindow window(nullptr);
    auto* control = new CountingView(window.rightToolbar());
    auto* nested = new CountingView(new QWidget(window.leftToolbar()));
    int documentUpdates = 0;
    window.setDocumentUpdate([&] { ++documentUpdates; });
    window.awakeFromNib();
    window.updateAsMain(false);
    EXPECT_EQ(documentUpdates, 0);
    EXPECT_EQ(control->updates, 0);
    window.updateAsMain(true);
    EXPECT_EQ(documentUpdates, 1);
    EXPECT_EQ(control->updates, 1);
    EXPECT_EQ(nested->updates, 1);
}

TEST(KZDescendantWalk, DepthFirstParentsFirstAndAStopSkipsTheRestOfThatList)
{
    QWidget root;
    auto* a = new QWidget(&root);
    a->setObjectName("a");
    auto* a1 = new QWidget(a);
    a1->setObjectName("a1");
    auto* b = new QWidget(&root);
    b->setObjectName("b");
    auto* b1 = new QWidget(b);
    b1->setObjectName("b1");
    auto* c = new QWidget(&root);
    c->setObjectName("c");
    QStringList visited;
    KZDescendantWalk::enumerateDescendantsUsingBlock(&root, [&](QWidget* view, int index, bool*) {
        visited << QStringLiteral("%1:%2").arg(view->objectName()).arg(index);
    });
    EXPECT_EQ(visited, QStringList({"a:0", "a1:0", "b:1", "b1:0", "c:2"}));

    visited.clear();
    KZDescendantWalk::enumerateDescendantsUsingBlock(&root, [&](QWidget* view, int, bool* stop) {
        visited << view->objectName();
        if (view == b)
            *stop = true;
    });
    EXPECT_EQ(visited, QStringList({"a", "a1", "b"})) << "neither c nor b's children";

    // A stop deep down ends only its own list: the ancestors' lists go on.
    visited.clear();
    KZDescendantWalk::enumerateDescendantsUsingBlock(&root, [&](QWidget* view, int, bool* stop) {
        visited << view->objectName();
        if (view == a1)
            *stop = true;
    });
    EXPECT_EQ(visited, QStringList({"a", "a1", "b", "b1", "c"}));
    (void)c;
    (void)b1;
}

TEST(KZRibbonWindow, KeepsTheContentFrameItWasMadeWithWhateverSizeItTakesLater)
{
    KZRibbonWindow window(nullptr);
    const QRectF made(QPointF(0, 0), QSizeF(KZRibbonWindow::kDesignTimeContentSize));
    EXPECT_EQ(made, QRectF(0, 0, 800, 600));
    EXPECT_EQ(window.designTimeContentViewFrame(), made);
    window.awakeFromNib();
    window.resize(1000, 700);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.centralWidget()->size(), QSize(1000, 700)) << "the window is laid out for its real size";
    EXPECT_EQ(window.designTimeContentViewFrame(), made);
}
