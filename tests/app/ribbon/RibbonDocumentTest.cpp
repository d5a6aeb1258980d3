// The ribbon of a real document window, with the program's own tools: its
// buttons answer the validation of their actions as the menu items do, no
// control is blank, a group's pop-up belongs to its window, the Brushes
// button shows the first brush from the start, and the Show Grid box
// follows the grid.
#include "KZColorButton.h"
#include "KZColorMatrix.h"
#include "KZColorPanel.h"
#include "KZDabBrushListButton.h"
#include "KZDabBrushListView.h"
#include "KZOrbStyleToolPanelItem.h"
#include "KZPopupButtonAdv.h"
#include "KZPopupPanel.h"
#include "KZRibbonWindow.h"
#include "KZTabView.h"
#include "KZTexturalButton.h"
#include "KZTexturalScroller.h"
#include "KZTexturalSegmentedControl.h"
#include "KZThinButton.h"
#include "KZToolboxController.h"
#include "KZToolboxPanel.h"
#include "KZToolboxToolbar.h"
#include "KZViewPanelController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"
#include "SWPaintView.h"
#include "SWMatrix.h"
#include "SWColorSelector.h"
#include "SWColorWell.h"
#include "SWScalingScrollView.h"

#include "platform/appkit/DocumentController.h"
#include "platform/appkit/DocumentWindow.h"
#include "platform/appkit/FontPanel.h"
#include "platform/appkit/PrintOperation.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/WindowUpdater.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QSpinBox>
#include <QToolBar>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A document in its window, at a width that decides which groups are
// drop-down buttons.
struct RibbonDocument {
    explicit RibbonDocument(int width = 1500)
    {
        document = new SWDocument;
        platform::DocumentController::shared().addDocument(document);
        document->makeWindowControllers();
        document->showWindows();
        setWidth(width);
    }
    ~RibbonDocument()
    {
        document->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void setWidth(int width)
    {
        document->window()->resize(width, 700);
        QApplication::processEvents();
        document->toolPanel()->toolPanel()->sizeToFit();
        QApplication::processEvents();
    }
    QWidget* window() const { return document->window(); }
    QList<KZOrbStyleToolPanelItem*> groups() const
    {
        return document->toolPanel()->allItems() + document->viewPanelController()->allItems();
    }
    // A ribbon button by its title, wherever its group shows it.
    KZTexturalButton* button(const QString& title) const
    {
        for (KZOrbStyleToolPanelItem* group : groups())
            for (KZTexturalButton* b : group->normalView()->findChildren<KZTexturalButton*>())
                if (b->title() == title)
                    return b;
        return nullptr;
    }
    SWDocument* document = nullptr;
};

bool menuValidation(SWDocument* document, const QString& action)
{
    platform::MenuItem item(QStringLiteral("item"), action);
    return document->validateMenuItem(&item);
}

bool settles(const std::function<bool()>& condition)
{
    for (int turn = 0; turn < 300 && !condition(); ++turn)
        QTest::qWait(10);
    return condition();
}

// What a control shows a user: blank is what the test looks for.
void expectShowsImageOrTitle(QWidget* root, const QString& where)
{
    for (KZTexturalButton* b : root->findChildren<KZTexturalButton*>()) {
        const bool imageOnly = b->imagePosition() == platform::ButtonCell::ImageOnly;
        // A brush's button draws its preview over its face, not as the cell's image.
        auto* brush = qobject_cast<KZDabBrushListButton*>(b);
        const QImage image = brush ? brush->iconImage() : b->image();
        const bool shows = !image.isNull() || (!imageOnly && !b->title().isEmpty());
        EXPECT_TRUE(shows) << where.toStdString() << ": button \"" << b->title().toStdString() << "\" ("
                           << b->accessibleName().toStdString() << ") is blank";
    }
    for (KZTexturalSegmentedControl* row : root->findChildren<KZTexturalSegmentedControl*>())
        for (int s = 0; s < row->segmentCount(); ++s)
            EXPECT_TRUE(!row->imageForSegment(s).isNull() || !row->labelForSegment(s).isEmpty())
                << where.toStdString() << ": segment " << s << " of " << row->accessibleName().toStdString();
    for (SWMatrix* matrix : root->findChildren<SWMatrix*>()) {
        for (platform::ButtonCell* cell : matrix->cells()) {
            const bool imageOnly = cell->imagePosition() == platform::ButtonCell::ImageOnly;
            EXPECT_TRUE(!cell->image().isNull() || (!imageOnly && !cell->title().isEmpty()))
                << where.toStdString() << ": cell \"" << cell->title().toStdString() << "\" of "
                << matrix->accessibleName().toStdString() << " is blank";
        }
    }
    for (QAbstractButton* box : root->findChildren<QCheckBox*>())
        EXPECT_FALSE(box->text().isEmpty()) << where.toStdString() << ": a check box without a title";
}

} // namespace

TEST(RibbonDocument, RibbonButtonsAnswerTheValidationOfTheMenuItemsOfTheirActionInEveryMode)
{
    RibbonDocument r;
    SWDocument* d = r.document;
    const QList<std::pair<QString, QString>> buttons = {{"Cut", "cut:"},         {"Copy", "copy:"},
                                                        {"Crop", "crop:"},       {"Paste", "paste:"},
                                                        {"Zoom In", "zoomIn:"}, {"Zoom Out", "zoomOut:"}};
    struct Case {
        const char* name;
        std::function<void()> setUp;
        QList<bool> enabled; // in the order of buttons
    };
    const Case cases[] = {
        {"nothing placed, text on the clipboard",
         [&] {
             platform::Pasteboard::general().writeText(QStringLiteral("words"));
             d->scrollView()->setScaleFactor(1.0, true);
         },
         {false, false, false, false, true, true}},
        {"the whole picture selected, a picture on the clipboard, the largest zoom",
         [&] {
             d->selectAll();
             QImage picture(4, 4, QImage::Format_RGBA8888_Premultiplied);
             picture.fill(Qt::blue);
             platform::Pasteboard::general().writeImage(picture);
             d->scrollView()->setScaleFactor(16.0, true);
         },
         {true, true, true, true, false, true}},
        {"the smallest zoom", [&] { d->scrollView()->setScaleFactor(0.25, true); },
         {true, true, true, true, true, false}},
    };
    // In full, then with Paste and Image as drop-down buttons whose
    // controls show in their pop-ups.
    for (const int width : {1500, 760}) {
        r.setWidth(width);
        if (width < 1500) {
            ASSERT_EQ(d->toolPanel()->pastePanelItem()->mode(), KZOrbStyleToolPanelItem::kSmall);
            ASSERT_EQ(d->toolPanel()->selectionPanelItem()->mode(), KZOrbStyleToolPanelItem::kSmall);
            d->toolPanel()->pastePanelItem()->raisePanel(nullptr);
            d->toolPanel()->selectionPanelItem()->raisePanel(nullptr);
            d->toolPanel()->selectionPanelItem()->dismissesPopUp();
        }
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(width));
            c.setUp();
            d->update();
            for (int i = 0; i < buttons.size(); ++i) {
                KZTexturalButton* b = r.button(buttons[i].first);
                ASSERT_NE(b, nullptr) << buttons[i].first.toStdString();
                EXPECT_EQ(b->isEnabled(), c.enabled[i]) << buttons[i].first.toStdString();
                EXPECT_EQ(b->isEnabled(), menuValidation(d, buttons[i].second)) << buttons[i].first.toStdString();
            }
        }
        d->undoOperation();
        QApplication::processEvents();
    }
}

TEST(RibbonDocument, EveryControlOfBothTabsAndOfEveryGroupPopUpShowsAnImageOrATitle)
{
    RibbonDocument r;
    for (KZOrbStyleToolPanelItem* group : r.groups()) {
        ASSERT_EQ(group->mode(), KZOrbStyleToolPanelItem::kNormal) << group->title().toStdString();
        expectShowsImageOrTitle(group->normalView(), group->title());
    }
    // Each group that can shrink, as a drop-down button and in its pop-up.
    for (KZOrbStyleToolPanelItem* group : r.groups()) {
        if (!group->availableModes().contains(KZOrbStyleToolPanelItem::kSmall))
            continue;
        const QString where = group->title() + " (small)";
        ASSERT_TRUE(group->switchToMode(KZOrbStyleToolPanelItem::kSmall)) << where.toStdString();
        expectShowsImageOrTitle(group->view(), where);
        EXPECT_FALSE(group->droplistButton()->image().isNull()) << where.toStdString();
        group->raisePanel(nullptr);
        ASSERT_TRUE(group->popupPanel()->isVisible()) << where.toStdString();
        expectShowsImageOrTitle(group->popupPanel(), where + " pop-up");
        group->dismissesPopUp();
        group->switchToMode(KZOrbStyleToolPanelItem::kNormal);
    }
}

TEST(RibbonDocument, AGroupPopUpBelongsToItsWindowAndClosesOnEscapeOnAnotherWindowAndWithItsWindow)
{
    RibbonDocument r(760);
    KZOrbStyleToolPanelItem* paste = r.document->toolPanel()->pastePanelItem();
    ASSERT_EQ(paste->mode(), KZOrbStyleToolPanelItem::kSmall);
    KZPopupPanel* panel = paste->popupPanel();
    KZPopupPanel* brushes = r.document->toolPanel()->brushListButton()->panel();

    const auto raise = [&](KZPopupPanel* which) {
        if (which == panel)
            paste->raisePanel(nullptr);
        else
            r.document->toolPanel()->brushListButton()->raisePanel(nullptr);
        return QTest::qWaitForWindowExposed(which);
    };
    for (KZPopupPanel* p : {panel, brushes}) {
        SCOPED_TRACE(p == panel ? "the Paste group's pop-up" : "the brush chooser");
        ASSERT_TRUE(raise(p));
        EXPECT_EQ(p->parentWidget() ? p->parentWidget()->window() : nullptr, r.window());
        EXPECT_FALSE(p->windowFlags() & Qt::WindowStaysOnTopHint) << "it never floats above other programs";
        // While it has the focus its window stays the main one.
        p->activateWindow();
        if (settles([&] { return QApplication::activeWindow() == p; }))
            EXPECT_EQ(platform::WindowUpdater::mainWindow(), r.window());

        QTest::keyClick(p, Qt::Key_Escape);
        EXPECT_FALSE(p->isVisible()) << "Escape in the pop-up";

        ASSERT_TRUE(raise(p));
        QTest::keyClick(r.window(), Qt::Key_Escape);
        EXPECT_FALSE(p->isVisible()) << "Escape in its window";

        ASSERT_TRUE(raise(p));
        QWidget other;
        other.resize(100, 100);
        other.show();
        other.activateWindow();
        EXPECT_TRUE(settles([&] { return !p->isVisible(); })) << "another window took the focus";
        other.hide();

        ASSERT_TRUE(raise(p));
        r.window()->hide();
        EXPECT_FALSE(p->isVisible()) << "its window hid";
        r.window()->show();
        QApplication::processEvents();
    }
}

TEST(RibbonDocument, TheBrushesButtonShowsTheFirstBrushFromTheStartWithoutChoosingTheBrushTool)
{
    RibbonDocument r;
    KZPopupButtonAdv* button = r.document->toolPanel()->brushListButton();
    KZDabBrushListButton* first = r.document->brushListView()->brushListItemWithTag(1);
    ASSERT_NE(first, nullptr);
    ASSERT_FALSE(first->image().isNull());
    EXPECT_EQ(button->image(), first->image());
    EXPECT_EQ(button->actionButton()->image(), first->image());
    // Drawn: the button differs from itself without the image.
    const QImage drawn = button->actionButton()->grab().toImage();
    button->actionButton()->setImage(QImage());
    const QImage blank = button->actionButton()->grab().toImage();
    button->actionButton()->setImage(first->image());
    ASSERT_EQ(drawn.size(), blank.size());
    int marked = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            marked += drawn.pixel(x, y) != blank.pixel(x, y) ? 1 : 0;
    EXPECT_GT(marked, 30);
    EXPECT_EQ(r.document->toolboxController()->currentTool(), "Brush");
    EXPECT_EQ(button->state(), 0);
}

TEST(RibbonDocument, TheShowGridBoxFollowsTheGridWhoeverTogglesIt)
{
    RibbonDocument r;
    QCheckBox* box = r.document->viewPanelController()->showGridCheckBox();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    // The View menu's item sends the document's action.
    r.document->toggleGridShown();
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(r.document->paintView()->showsGrid());
    r.document->toggleGridShown();
    EXPECT_FALSE(box->isChecked());
    // The box itself.
    box->click();
    EXPECT_TRUE(r.document->paintView()->showsGrid());
    EXPECT_TRUE(box->isChecked());
}

TEST(RibbonDocument, AColourTakenWithTheEyedropperJoinsTheUserSwatchesOnceUnlessItIsAFixedOne)
{
    RibbonDocument r;
    SWDocument* d = r.document;
    r.window()->activateWindow();
    settles([&] { return QApplication::activeWindow() == r.window(); });
    QImage& picture = d->dataSource()->mainImage();
    const QColor red(200, 30, 40);
    const QColor green(20, 160, 60);
    for (int x = 0; x < 20; ++x) {
        picture.setPixelColor(x, 5, red);
        picture.setPixelColor(x, 15, green);
        picture.setPixelColor(x, 25, Qt::black); // a fixed swatch ("Licorice")
    }
    d->toolboxController()->chooseToolWithLabel(QStringLiteral("Eyedropper"));
    ASSERT_EQ(d->toolboxController()->currentTool(), "Eyedropper");
    const auto pick = [&](int y) {
        QWidget* overlay = d->overlayView();
        const QPointF local = overlay->mapFromGlobal(d->paintView()->mapToGlobal(QPointF(10.5, y + 0.5) * d->paintView()->viewScale()));
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, local, overlay->mapTo(overlay->window(), local), overlay->mapToGlobal(local),
                              Qt::LeftButton, type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QCoreApplication::sendEvent(overlay, &event);
        }
        QApplication::processEvents();
    };
    KZColorMatrix* user = d->toolPanel()->colorPanel()->userColorsMatrix();
    ASSERT_NE(user, nullptr);
    const auto swatches = [&] {
        QList<QColor> colors;
        for (int c = 0; c < user->numberOfColumns(); ++c)
            if (user->colorCellAt(0, c)->color().isValid())
                colors << user->colorCellAt(0, c)->color().toRgb();
        return colors;
    };

    pick(5);
    EXPECT_TRUE(settles([&] { return d->toolboxController()->foregroundColor() == red; }));
    EXPECT_EQ(swatches(), QList<QColor>({red}));
    EXPECT_EQ(d->toolPanel()->colorPanel()->selectedColor(), red);
    pick(15);
    EXPECT_TRUE(settles([&] { return d->toolboxController()->foregroundColor() == green; }));
    EXPECT_EQ(swatches(), QList<QColor>({green, red})) << "newest first";
    pick(5);
    EXPECT_TRUE(settles([&] { return d->toolboxController()->foregroundColor() == red; }));
    EXPECT_EQ(swatches(), QList<QColor>({red, green})) << "a colour taken again moves, it does not repeat";
    pick(25);
    EXPECT_TRUE(settles([&] { return d->toolboxController()->foregroundColor() == QColor(Qt::black); }));
    EXPECT_EQ(swatches(), QList<QColor>({red, green})) << "a fixed swatch's colour is not added";
}

TEST(RibbonDocument, NoControlIsCutOffOutOfReachHoweverNarrowTheWindowIsMade)
{
    RibbonDocument r;
    KZToolboxPanel* panel = r.document->toolPanel();
    // Tools, Brushes, Size and Colors never shrink: with the three others
    // as drop-down buttons the ribbon still needs that much.
    int fixed = 0;
    for (KZOrbStyleToolPanelItem* group : {panel->toolsPanelItem(), panel->dabBrushPanelItem(),
                                           panel->sizePanelItem(), panel->colorsPanelItem()})
        fixed += group->normalView()->width();
    EXPECT_GT(panel->smallestWidth(), fixed);
    for (const int width : {1500, 900, 600, 400}) {
        SCOPED_TRACE(width);
        r.setWidth(width);
        EXPECT_GE(r.window()->width(), panel->smallestWidth());
        for (KZOrbStyleToolPanelItem* group : panel->allItems()) {
            const QRect inWindow(group->view()->mapTo(r.window(), QPoint(0, 0)), group->view()->size());
            EXPECT_TRUE(r.window()->rect().contains(inWindow))
                << group->title().toStdString() << " at " << inWindow.x() << "+" << inWindow.width();
        }
    }
    // Widened again, every group shows its controls.
    r.setWidth(1500);
    for (KZOrbStyleToolPanelItem* group : panel->allItems())
        EXPECT_EQ(group->mode(), KZOrbStyleToolPanelItem::kNormal) << group->title().toStdString();
}

// A window makes its toolbar's controls when the toolbar is first asked for;
// until then its settings still follow any window's toolbar wells, each
// window from its own front and back wells: a window whose toolbar is not
// made hears the same settings as one whose toolbar is.
TEST(RibbonDocument, AWindowWhoseToolbarIsNotMadeFollowsTheWellsOfAnother)
{
    RibbonDocument source;
    RibbonDocument made;
    RibbonDocument notMade;
    ASSERT_NE(made.document->toolboxToolbar(), nullptr);
    struct Heard {
        QList<QColor> selected, foreground, background;
    };
    Heard heard[2];
    KZToolboxController* controllers[2] = {made.document->toolboxController(), notMade.document->toolboxController()};
    for (int i = 0; i < 2; ++i) {
        controllers[i]->setSelectedColor(QColor(0, 200, 0));
        Heard* h = &heard[i];
        controllers[i]->addObserver(h, KZToolboxController::kSelectedColor,
                                    [h](const QVariant& v) { h->selected << v.value<QColor>(); });
        controllers[i]->addObserver(h, KZToolboxController::kForegroundColor,
                                    [h](const QVariant& v) { h->foreground << v.value<QColor>(); });
        controllers[i]->addObserver(h, KZToolboxController::kBackgroundColor,
                                    [h](const QVariant& v) { h->background << v.value<QColor>(); });
    }
    source.document->toolboxToolbar()->eggsColorSelector()->frontWell()->setColor(QColor(0, 0, 255));
    EXPECT_EQ(source.document->toolboxController()->foregroundColor(), QColor(0, 0, 255));
    ASSERT_FALSE(heard[0].selected.isEmpty()) << "a made toolbar's window hears any well";
    EXPECT_EQ(heard[1].selected, heard[0].selected);
    EXPECT_EQ(heard[1].foreground, heard[0].foreground);
    EXPECT_EQ(heard[1].background, heard[0].background);
    // Both chose their own front colour again, not the other window's.
    EXPECT_EQ(heard[1].selected.last(), controllers[1]->foregroundColor());
    EXPECT_NE(controllers[1]->foregroundColor(), QColor(0, 0, 255));
    for (int i = 0; i < 2; ++i)
        controllers[i]->removeObserver(&heard[i]);
}

TEST(RibbonDocument, ShowToolbarShowsTheWindowToolbarWhoseControlsChooseToolsColoursAndSizes)
{
    RibbonDocument r;
    SWDocument* d = r.document;
    KZToolboxController* controller = d->toolboxController();
    QToolBar* bar = d->windowToolbar();
    KZToolboxToolbar* tools = d->toolboxToolbar();
    QCheckBox* box = d->viewPanelController()->showToolbarCheckBox();
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(tools, nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(KZToolboxToolbar::defaultItemIdentifiers(),
              QStringList({"Zoom", "Tools", "Shape", "Selection", "", "Color", "Size", "Fonts", "Print"}));
    // Every item shows in the bar, left to right in that order; the brush
    // item is made for its identifier but is not one of them.
    int left = -1;
    for (const QString& identifier : KZToolboxToolbar::defaultItemIdentifiers()) {
        if (identifier.isEmpty())
            continue;
        QWidget* view = tools->viewForItemIdentifier(identifier);
        ASSERT_NE(view, nullptr) << identifier.toStdString();
        EXPECT_TRUE(view->isVisible()) << identifier.toStdString();
        const int x = view->mapTo(bar, QPoint(0, 0)).x();
        EXPECT_GT(x, left) << identifier.toStdString();
        left = x;
    }
    ASSERT_EQ(tools->viewForItemIdentifier("Brush"), tools->eggsBrushToolbarItemView());
    EXPECT_FALSE(tools->eggsBrushToolbarItemView()->isVisible());
    EXPECT_EQ(tools->viewForItemIdentifier("Colors"), nullptr);

    // A paint tool by its segment, and back the other way.
    KZTexturalSegmentedControl* row = tools->eggsToolsToolbarItemView();
    const auto clickSegment = [](KZTexturalSegmentedControl* control, int segment) {
        const QRect rect = control->cell()->drawingRects(QSizeF(control->size()))[segment].toAlignedRect();
        QTest::mouseClick(control, Qt::LeftButton, {}, rect.center());
    };
    clickSegment(row, 1);
    EXPECT_EQ(controller->currentTool(), "Eraser");
    controller->chooseToolWithLabel("Fill");
    EXPECT_EQ(row->selectedSegment(), 3);

    // Shapes and selections from their pop-up buttons' menus.
    const auto choose = [](QMenu* menu, const QString& title) {
        for (QAction* action : menu->actions())
            if (action->text() == title) {
                action->trigger();
                return true;
            }
        return false;
    };
    ASSERT_TRUE(choose(tools->shapeMenu(), "heart"));
    EXPECT_EQ(controller->currentTool(), "heart");
    EXPECT_TRUE(tools->eggsShapePopUpButton()->isChecked());
    EXPECT_EQ(row->selectedSegment(), -1);
    ASSERT_TRUE(choose(tools->shapeMenu(), "Line"));
    EXPECT_EQ(controller->currentTool(), "Line");
    ASSERT_TRUE(choose(tools->selectionMenu(), "free selection"));
    EXPECT_EQ(controller->currentTool(), "free selection");
    EXPECT_TRUE(tools->eggsSelectionPopUpButton()->isChecked());
    EXPECT_FALSE(tools->eggsShapePopUpButton()->isChecked());

    // The brush item chooses the brush-engine tool, as the ribbon's brush
    // button does; the other pop-up buttons let go.
    KZTexturalButton* brush = tools->eggsBrushPopUpButton();
    tools->eggsBrushToolbarItemView()->show();
    QTest::mouseClick(brush, Qt::LeftButton, {}, brush->rect().center());
    tools->eggsBrushToolbarItemView()->hide();
    EXPECT_EQ(controller->currentTool(), "Brushes");
    EXPECT_TRUE(brush->isChecked());
    EXPECT_EQ(d->toolPanel()->brushListButton()->state(), 1);
    EXPECT_FALSE(tools->eggsSelectionPopUpButton()->isChecked());
    controller->chooseToolWithLabel("Eraser");
    EXPECT_FALSE(brush->isChecked());
    EXPECT_EQ(row->selectedSegment(), 1);
    // A pop-up button's menu closed without a choice leaves the button off.
    KZTexturalButton* shape = tools->eggsShapePopUpButton();
    QTest::mouseClick(shape, Qt::LeftButton, {}, shape->rect().center());
    EXPECT_TRUE(settles([&] { return tools->shapeMenu()->isVisible(); }));
    tools->shapeMenu()->close();
    EXPECT_FALSE(shape->isChecked());
    EXPECT_EQ(controller->currentTool(), "Eraser");

    // The window's own items reach the document: the fonts panel shows, and
    // printing asks (and is cancelled here).
    KZTexturalButton* fonts = tools->showFontsButton();
    QTest::mouseClick(fonts, Qt::LeftButton, {}, fonts->rect().center());
    EXPECT_TRUE(platform::FontPanel::shared().isVisible());
    platform::FontPanel::shared().close();
    int printRuns = 0;
    platform::PrintOperation::setTestConfirmer([&printRuns](QPrinter&) {
        ++printRuns;
        return false;
    });
    KZTexturalButton* print = tools->printButton();
    QTest::mouseClick(print, Qt::LeftButton, {}, print->rect().center());
    platform::PrintOperation::setTestConfirmer({});
    EXPECT_EQ(printRuns, 1);

    // The wells: a colour set in one becomes the tools' colour; a colour
    // chosen in the ribbon shows in them.
    tools->eggsColorSelector()->frontWell()->setColor(QColor(200, 10, 10));
    EXPECT_EQ(controller->foregroundColor(), QColor(200, 10, 10));
    EXPECT_EQ(d->toolPanel()->colorPanel()->firstColor(), QColor(200, 10, 10));
    controller->setBackgroundColor(QColor(10, 10, 200));
    EXPECT_EQ(tools->eggsColorSelector()->backWell()->color(), QColor(10, 10, 200));
    controller->setColor(QColor(10, 150, 10));
    EXPECT_EQ(tools->eggsColorSelector()->frontWell()->color(), QColor(10, 150, 10));

    tools->eggsSizeToolbarItemView()->setValue(7);
    EXPECT_EQ(controller->lineWidth(), 7);
    controller->setLineWidth(4);
    EXPECT_EQ(tools->eggsSizeToolbarItemView()->value(), 4);

    d->scrollView()->setScaleFactor(1.0, true);
    clickSegment(tools->eggsZoomToolbarItemView(), 0);
    EXPECT_EQ(d->scrollView()->scaleFactor(), 2.0);

    box->click();
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(box->isChecked());
}

TEST(RibbonDocument, TheWindowIsSizedForItsCanvasPlusTheRoomItsDesignGivesAboveTheScrollView)
{
    auto* document = new SWDocument;
    platform::DocumentController::shared().addDocument(document);
    document->makeWindowControllers(); // not shown yet: nothing laid out by Qt
    KZRibbonWindow* ribbon = document->ribbonWindow();
    ASSERT_NE(ribbon, nullptr);
    // The title bar and the ribbon (its tab bar and a row of groups).
    const int above = KZRibbonWindow::kTitleBarHeight + KZTabView::kLabelBarHeight + KZToolboxPanel::kGroupHeight;
    const auto check = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(ribbon->designTimeContentViewFrame(), QRectF(0, 0, 800, 600));
        EXPECT_EQ(document->scrollView()->designTimeViewFrame().size(), QSize(800, 600 - above));
        // A 400 x 300 canvas: itself, its margins and scrollers, 20 points
        // to spare, and the room above (the offscreen screen has space).
        const int scroller = KZTexturalScroller::kScrollerWidth;
        const int margins = 2 * SWScalingScrollView::kContentInset;
        const QSize content = document->paintView()->calculateWindowContentSize(QRectF(0, 0, 400, 300));
        EXPECT_EQ(content.height(), 300 + scroller + margins + 20 + above);
        EXPECT_EQ(content.width(), std::max(400 + scroller + margins + 20, ribbon->minimumWidth()));
    };
    check("made");
    document->showWindows();
    ribbon->resize(1500, 700);
    QApplication::processEvents();
    check("shown at another size");
    document->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
