// The brush chooser: reading the list file, tags, file paths, the grid and
// the choice, and the kit controls it is built from.
#include "BrushTestSupport.h"
#include "KZDabBrushListButton.h"
#include "KZDabBrushListView.h"
#include "KZDabBrushListViewDelegate.h"
#include "KZTabView.h"
#include "KZTexturalScroller.h"
#include "KZTexturalSegmentedControl.h"
#include "KZTexturalSkin.h"
#include "KZTexturalView.h"

#include "../controls/SkinFixtures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using Groups = KZDabBrushListView::BrushGroups;

namespace {

// A brush folder of its own: a list file, brush files and one preview.
struct BrushFolder {
    BrushFolder()
    {
        write(QStringLiteral("order.conf"), "# our own list\n"
                                            "stray/before\n"
                                            "Group: Basic\n"
                                            "basic/round\n"
                                            "\n"
                                            "basic/second\n"
                                            "Group: my favorites\n"
                                            "basic/round\n"
                                            "Group:Ink\n"
                                            "ink/pen\n"
                                            "# kept as an entry\n");
        copy(QStringLiteral("solid_round.myb"), QStringLiteral("basic/round.myb"));
        copy(QStringLiteral("version3.myb"), QStringLiteral("basic/second.myb"));
        copy(QStringLiteral("plain_v2.myb"), QStringLiteral("ink/pen.myb"));
        copy(QStringLiteral("plain_v2.myb"), QStringLiteral("Basic.myb"));
        QImage preview(16, 16, QImage::Format_ARGB32);
        preview.fill(Qt::red);
        preview.save(dir.filePath(QStringLiteral("basic/round_prev.png")));
    }
    void write(const QString& name, const QByteArray& text)
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void copy(const QString& fixture, const QString& name)
    {
        QDir(dir.path()).mkpath(QFileInfo(dir.filePath(name)).path());
        ASSERT_TRUE(QFile::copy(brushFixture(fixture), dir.filePath(name)));
    }
    QString path(const QString& name) const { return QDir::cleanPath(dir.filePath(name)); }

    QTemporaryDir dir;
};

struct RecordingDelegate : KZDabBrushListViewDelegate {
    bool dabBrushListView(KZDabBrushListView* view, KZDabBrushListButton* item) override
    {
        calls.push_back({view, item});
        return answer;
    }
    std::vector<std::pair<KZDabBrushListView*, KZDabBrushListButton*>> calls;
    bool answer = true;
};

} // namespace

TEST(KZDabBrushListView, ReadsGroupsAsTheListIsWritten)
{
    const struct {
        const char* what;
        const char* text;
        Groups groups;
    } cases[] = {
        {"two groups around a favourites group",
         "Group: Basic\nbasic/a\nbasic/b\nGroup: my favorites\nbasic/a\nGroup: Ink\nink/c\n",
         {{"Basic", "basic/a", "basic/b"}, {"Ink", "ink/c"}}},
        {"lines before the first group, empty lines and a comment inside",
         "# list\nloose/entry\n\nGroup:   Sketch  \n\nsketch/a\n# not a comment here\n\n",
         {{"Sketch", "sketch/a", "# not a comment here"}}},
        {"a group without entries stays", "Group: Empty\nGroup: Full\nfull/x", {{"Empty"}, {"Full", "full/x"}}},
        {"every Group: is taken out of the name", "Group: Group: Twice\nx\n", {{"Twice", "x"}}},
        {"a commented header opens nothing", "#Group: Hidden\nx\nGroup: Seen\ny\n", {{"Seen", "y"}}},
        {"carriage returns stay part of the entries", "Group: Basic\r\nbasic/a\r\n", {{"Basic", "basic/a\r"}}},
        {"no text", "", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KZDabBrushListView::brushesOrderFromText(QString::fromUtf8(c.text)), c.groups) << c.what;
}

TEST(KZDabBrushListView, TagsAndGridGeometry)
{
    EXPECT_EQ(KZDabBrushListView::tagForEntry(0, 1), 1);
    EXPECT_EQ(KZDabBrushListView::tagForEntry(0, 2), 2);
    EXPECT_EQ(KZDabBrushListView::tagForEntry(1, 1), 65537);
    EXPECT_EQ(KZDabBrushListView::tagForEntry(3, 0x1FFFF), (3 << 16) | 0xFFFF);

    // A 330-pixel tab has 5 columns; 7 entries take 2 rows and entry 6 opens row 1.
    EXPECT_EQ(KZDabBrushListView::columnsForWidth(330), 5);
    EXPECT_EQ(KZDabBrushListView::documentHeight(8, 5), 128);
    EXPECT_EQ(KZDabBrushListView::cellFrame(6, 5), QRect(0, 64, 64, 64));
    EXPECT_EQ(KZDabBrushListView::cellFrame(5, 5), QRect(256, 0, 64, 64));
    EXPECT_EQ(KZDabBrushListView::cellFrame(7, 5), QRect(64, 64, 64, 64));
    EXPECT_EQ(KZDabBrushListView::documentHeight(6, 5), 64) << "5 entries: one full row";
    EXPECT_EQ(KZDabBrushListView::documentHeight(1, 5), 64) << "no entries: one row";
    // Narrower than one cell: still one column.
    for (double width : {63.0, 1.0, 0.0, -20.0, std::nan("")})
        EXPECT_EQ(KZDabBrushListView::columnsForWidth(width), 1) << width;
    EXPECT_EQ(KZDabBrushListView::documentHeight(4, 1), 192);
    EXPECT_EQ(KZDabBrushListView::cellFrame(3, 1), QRect(0, 128, 64, 64));
    EXPECT_EQ(KZDabBrushListView::cellFrame(3, 0), QRect(0, 128, 64, 64));
}

TEST(KZDabBrushListView, BuildsTabsButtonsAndFilePathsFromItsFolder)
{
    BrushFolder folder;
    KZDabBrushListView chooser(nullptr, QPoint(5, 7), folder.dir.path());
    EXPECT_EQ(chooser.geometry(), QRect(5, 7, 338, 300));
    ASSERT_EQ(chooser.tabView()->numberOfTabViewItems(), 2);
    EXPECT_EQ(chooser.tabView()->tabViewItem(0).label, QStringLiteral("Basic"));
    EXPECT_EQ(chooser.tabView()->tabViewItem(1).label, QStringLiteral("Ink"));
    EXPECT_EQ(chooser.tabView()->indexOfSelectedTabViewItem(), 0);
    EXPECT_EQ(chooser.selectedItem(), nullptr) << "nothing chosen until someone chooses";

    for (int tag : {1, 2, 65537, 65538}) {
        KZDabBrushListButton* button = chooser.brushListItemWithTag(tag);
        ASSERT_NE(button, nullptr) << tag;
        EXPECT_EQ(button->tag(), tag);
        EXPECT_EQ(button->size(), QSize(60, 60));
        EXPECT_TRUE(button->identifier().endsWith(QLatin1String("_btn_brush")));
    }
    EXPECT_NE(chooser.brushListItemWithTag(1)->identifier(), chooser.brushListItemWithTag(2)->identifier());
    EXPECT_EQ(chooser.brushListItemWithTag(3), nullptr);
    EXPECT_EQ(chooser.brushListItemWithTag(1)->iconImage().size(), QSize(16, 16));
    EXPECT_TRUE(chooser.brushListItemWithTag(2)->iconImage().isNull()) << "no preview, no icon";

    const struct {
        int tag;
        QString path;
    } paths[] = {
        {1, folder.path("basic/round.myb")}, {2, folder.path("basic/second.myb")},
        {65537, folder.path("ink/pen.myb")}, {65538, QString()},             // "# kept as an entry": no file
        {0, folder.path("Basic.myb")},        {3, QString()},                // past the group's end
        {0x20001, QString()},                 {-1, QString()},               // no third group
        {0x10000, QString()},                                                // "Ink": no such brush
    };
    for (const auto& p : paths)
        EXPECT_EQ(chooser.brushFilePathFromTag(p.tag), p.path) << p.tag;
}

TEST(KZDabBrushListView, APreviewIsReadWhenItsButtonIsFirstShownOrAskedFor)
{
    BrushFolder folder;
    QImage ink(16, 16, QImage::Format_ARGB32);
    ink.fill(Qt::blue);
    ASSERT_TRUE(ink.save(folder.dir.filePath(QStringLiteral("ink/pen_prev.png"))));
    KZDabBrushListView chooser(nullptr, QPoint(), folder.dir.path());
    // Both previews change after the chooser is built and before anyone
    // looks: what is shown is the files as they are then, so neither was
    // read while the chooser was built.
    ink.fill(Qt::green);
    ASSERT_TRUE(ink.save(folder.dir.filePath(QStringLiteral("ink/pen_prev.png"))));
    QImage round(20, 20, QImage::Format_ARGB32);
    round.fill(Qt::yellow);
    ASSERT_TRUE(round.save(folder.dir.filePath(QStringLiteral("basic/round_prev.png"))));

    // The first tab's brush is drawn from its file.
    const QImage drawn = chooser.grab().toImage();
    KZDabBrushListButton* first = chooser.brushListItemWithTag(1);
    const QPoint middle = first->mapTo(&chooser, first->rect().center());
    EXPECT_EQ(drawn.pixel(middle), QColor(Qt::yellow).rgb());
    EXPECT_EQ(first->iconImage().size(), QSize(20, 20));
    // A hidden tab's brush gives its preview to whoever asks (the Brushes
    // button shows the chosen brush's image).
    const QImage pen = chooser.brushListItemWithTag(65537)->image();
    ASSERT_EQ(pen.size(), QSize(16, 16));
    EXPECT_EQ(pen.pixel(0, 0), QColor(Qt::green).rgb());

    // A preview set outright stays, and a file read later does not replace it.
    KZDabBrushListButton* second = chooser.brushListItemWithTag(2);
    second->setOriginalImageFile(folder.dir.filePath(QStringLiteral("ink/pen_prev.png")));
    second->setOriginalImage(round);
    EXPECT_EQ(second->image().size(), QSize(20, 20));
}

TEST(KZDabBrushListView, AMissingListGivesNoGroups)
{
    QTemporaryDir empty;
    KZDabBrushListView chooser(nullptr, QPoint(), empty.path());
    EXPECT_TRUE(chooser.brushesOrderArray().isEmpty());
    EXPECT_EQ(chooser.tabView()->numberOfTabViewItems(), 0);
    EXPECT_EQ(chooser.brushFilePathFromTag(1), QString());
    chooser.selectBrushListItemWithTag(1); // nothing to choose
    EXPECT_EQ(chooser.selectedItem(), nullptr);
}

TEST(KZDabBrushListView, GridFollowsTheWidthWithAtLeastOneColumn)
{
    BrushFolder folder;
    QString list = QStringLiteral("Group: Many\n");
    for (int i = 0; i < 7; ++i)
        list += QStringLiteral("basic/round\n");
    folder.write(QStringLiteral("order.conf"), list.toUtf8());
    KZDabBrushListView chooser(nullptr, QPoint(), folder.dir.path());
    chooser.show();
    QApplication::processEvents();

    QScrollArea* scroll = chooser.scrollViewForGroup(0);
    ASSERT_NE(scroll, nullptr);
    // The columns follow the tab's content, not what its scroll bar leaves.
    QWidget* page = scroll->parentWidget();
    const auto checkGrid = [&](int expectedColumns) {
        const int width = page->width();
        EXPECT_EQ(KZDabBrushListView::columnsForWidth(width), expectedColumns) << width;
        EXPECT_EQ(scroll->widget()->height(), KZDabBrushListView::documentHeight(8, expectedColumns));
        for (int k = 1; k <= 7; ++k) {
            KZDabBrushListButton* button = chooser.brushListItemWithTag(k);
            EXPECT_EQ(button->parentWidget()->geometry(), KZDabBrushListView::cellFrame(k, expectedColumns)) << k;
            EXPECT_EQ(button->geometry(), QRect(2, 2, 60, 60));
        }
    };
    // The 338-point chooser's tab content is about 330 points wide: 5 columns.
    ASSERT_GE(page->width(), 64 * 5) << page->width();
    ASSERT_LT(page->width(), 64 * 6) << page->width();
    checkGrid(5);
    EXPECT_EQ(chooser.brushListItemWithTag(5)->parentWidget()->geometry().topLeft(), QPoint(256, 0));

    // Narrower than a cell: one column, a row per brush, and a scroller.
    page->resize(40, page->height());
    checkGrid(1);
}

TEST(KZDabBrushListView, ClicksChooseAndTellTheDelegate)
{
    BrushFolder folder;
    KZDabBrushListView chooser(nullptr, QPoint(), folder.dir.path());
    RecordingDelegate delegate;
    chooser.setDelegate(&delegate);
    std::vector<KZDabBrushListButton*> heard;
    chooser.selectedItemProperty().observe(&heard, [&](KZDabBrushListButton*, KZDabBrushListButton* now) {
        heard.push_back(now);
    });
    KZDabBrushListButton* first = chooser.brushListItemWithTag(1);
    KZDabBrushListButton* ink = chooser.brushListItemWithTag(65537);

    // Chosen in code: the delegate is not told.
    chooser.selectBrushListItemWithTag(1);
    EXPECT_EQ(chooser.selectedItem(), first);
    EXPECT_TRUE(first->isSelected() && first->active());
    EXPECT_TRUE(delegate.calls.empty());

    ink->click();
    ASSERT_EQ(delegate.calls.size(), 1u);
    EXPECT_EQ(delegate.calls[0], std::make_pair(&chooser, ink));
    EXPECT_EQ(chooser.selectedItem(), ink);
    EXPECT_TRUE(ink->isSelected() && ink->active());
    EXPECT_FALSE(first->isSelected() || first->active());

    // The chosen button again: still chosen, and the delegate hears of it.
    ink->click();
    EXPECT_EQ(delegate.calls.size(), 2u);
    EXPECT_EQ(chooser.selectedItem(), ink);
    EXPECT_TRUE(ink->isSelected() && ink->active());

    // A brush the delegate does not take: the choice goes back.
    delegate.answer = false;
    first->click();
    EXPECT_EQ(delegate.calls.size(), 3u);
    EXPECT_EQ(chooser.selectedItem(), ink);
    EXPECT_TRUE(ink->isSelected() && ink->active());
    EXPECT_FALSE(first->isSelected() || first->active());
    EXPECT_EQ(heard, (std::vector<KZDabBrushListButton*>{first, ink, ink, first, ink}));

    // Senders that are no brush buttons are ignored.
    chooser.brushListButtonClicked(nullptr);
    chooser.brushListButtonClicked(&chooser);
    EXPECT_EQ(delegate.calls.size(), 3u);
    chooser.selectedItemProperty().removeObserver(&heard);
}

TEST(KZDabBrushListView, ARefusedFirstChoiceLeavesNothingChosen)
{
    BrushFolder folder;
    KZDabBrushListView chooser(nullptr, QPoint(), folder.dir.path());
    RecordingDelegate delegate;
    delegate.answer = false;
    chooser.setDelegate(&delegate);
    KZDabBrushListButton* second = chooser.brushListItemWithTag(2);
    second->click();
    EXPECT_EQ(chooser.selectedItem(), nullptr);
    EXPECT_FALSE(second->isSelected() || second->active());
}

TEST(KZDabBrushListView, IsBuiltFromTheKitsTabViewSkinnedScrollersAndSkinnedButtons)
{
    BrushFolder folder;
    KZDabBrushListView chooser(nullptr, QPoint(), folder.dir.path());
    const quint64 hash = quint64(quintptr(&chooser));

    KZTabView* tabs = chooser.tabView();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->parentWidget(), &chooser);
    EXPECT_EQ(tabs->geometry(), QRect(0, 0, 338, 300));
    EXPECT_EQ(tabs->labelViewIdentifier(), QStringLiteral("tab_label_view"));
    EXPECT_EQ(tabs->segmentIdentifier(), QStringLiteral("seg"));
    EXPECT_EQ(tabs->tabviewIdentifier(), QStringLiteral("tab_tabview"));
    // One 60-point segment per group, from x 12, the first chosen.
    KZTexturalSegmentedControl* selector = tabs->labelSegments();
    ASSERT_EQ(selector->segmentCount(), 2);
    EXPECT_EQ(selector->labelForSegment(0), QStringLiteral("Basic"));
    EXPECT_EQ(selector->labelForSegment(1), QStringLiteral("Ink"));
    EXPECT_EQ(selector->geometry(), QRect(12, 0, 120, 27));
    EXPECT_EQ(selector->selectedSegment(), 0);

    for (int g = 0; g < 2; ++g) {
        SCOPED_TRACE(g);
        QScrollArea* scroll = chooser.scrollViewForGroup(g);
        ASSERT_NE(scroll, nullptr);
        // The grid lies on the skinned page the tab view made for the group.
        auto* page = qobject_cast<KZTexturalView*>(tabs->tabViewItem(g).view.data());
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(scroll->parentWidget(), page);
        EXPECT_EQ(page->identifier(), QStringLiteral("%1_%2_tab_tabview").arg(tabs->hash()).arg(g));
        auto* scroller = qobject_cast<KZTexturalScroller*>(scroll->verticalScrollBar());
        ASSERT_NE(scroller, nullptr) << "a plain scroll bar";
        EXPECT_EQ(scroller->identifier(), QStringLiteral("%1_%2_kz_scroller_paint_view").arg(hash).arg(g));
        EXPECT_FALSE(scroller->isHorizontalScroller());
        EXPECT_FALSE(scroller->hasArrowButtons());
        EXPECT_EQ(scroll->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(scroll->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(scroll->frameShape(), QFrame::NoFrame);
        EXPECT_EQ(scroll->viewport()->palette().color(QPalette::Window), QColor(40, 40, 40));
        // Below the 27-point label bar; a row of brushes hangs from the top.
        EXPECT_EQ(page->geometry(), QRect(0, 27, 338, 273));
        EXPECT_EQ(scroll->geometry(), QRect(0, 0, 338, 64));
    }

    for (int tag : {1, 2, 65537, 65538}) {
        SCOPED_TRACE(tag);
        KZDabBrushListButton* button = chooser.brushListItemWithTag(tag);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->customControlType(), 1u);
        EXPECT_EQ(button->cell()->customControlType(), KZTexturalButtonCell::Momentary);
        ASSERT_NE(button->cell()->texturalSkin(), nullptr) << "the skin of its identifier";
        EXPECT_FALSE(button->isBordered());
        EXPECT_EQ(button->cell()->imageScaling(), platform::ButtonCell::ScaleProportionallyUpOrDown);
        ASSERT_NE(button->selectedStateSkin(), nullptr);
        EXPECT_EQ(button->selectedStateSkin()->state(), std::uint64_t(KZMultiStateTexture::Selected));
        EXPECT_EQ(button->state(), 0);
    }

    // The choice is the buttons' on/off state.
    chooser.selectBrushListItemWithTag(65537);
    EXPECT_EQ(chooser.brushListItemWithTag(65537)->state(), 1);
    chooser.selectBrushListItemWithTag(2);
    EXPECT_EQ(chooser.brushListItemWithTag(65537)->state(), 0);
    EXPECT_EQ(chooser.brushListItemWithTag(2)->state(), 1);

    // The selector shows the other group's page.
    selector->performClick(1);
    EXPECT_EQ(tabs->indexOfSelectedTabViewItem(), 1);
    EXPECT_TRUE(tabs->tabViewItem(1).view->isVisibleTo(tabs));
    EXPECT_FALSE(tabs->tabViewItem(0).view->isVisibleTo(tabs));
}

TEST(KZDabBrushListView, AGridTallerThanItsPageFillsThePageAndScrolls)
{
    BrushFolder folder;
    QString list = QStringLiteral("Group: Many\n");
    for (int i = 0; i < 30; ++i)
        list += QStringLiteral("basic/round\n");
    folder.write(QStringLiteral("order.conf"), list.toUtf8());
    KZDabBrushListView chooser(nullptr, QPoint(), folder.dir.path());
    chooser.show();
    QApplication::processEvents();
    QScrollArea* scroll = chooser.scrollViewForGroup(0);
    ASSERT_NE(scroll, nullptr);
    // 30 brushes in 5 columns: 6 rows, 384 points, in a page 273 high.
    EXPECT_EQ(scroll->geometry(), QRect(0, 0, 338, 273));
    EXPECT_EQ(scroll->widget()->size(), QSize(338, 384));
    EXPECT_EQ(scroll->verticalScrollBar()->value(), 0) << "at the top";
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);
}

// A group's buttons are there from the start (the choice works on them);
// its scroll view and skinned scroller are made when its page first shows,
// laid out as if they had always been there.
TEST(KZDabBrushListView, AGroupsScrollViewIsMadeWhenItsPageFirstShows)
{
    BrushFolder folder;
    KZDabBrushListView chooser(nullptr, QPoint(), folder.dir.path());
    KZTabView* tabs = chooser.tabView();
    ASSERT_EQ(tabs->numberOfTabViewItems(), 2);
    const auto scrollsOn = [&](int tab) { return tabs->tabViewItem(tab).view->findChildren<QScrollArea*>(); };
    EXPECT_TRUE(scrollsOn(0).isEmpty());
    EXPECT_TRUE(scrollsOn(1).isEmpty());
    chooser.selectBrushListItemWithTag(65537);
    EXPECT_EQ(chooser.selectedItem(), chooser.brushListItemWithTag(65537));

    chooser.show();
    QApplication::processEvents();
    ASSERT_EQ(scrollsOn(0).size(), 1);
    EXPECT_TRUE(scrollsOn(1).isEmpty()) << "a page not shown yet";
    QScrollArea* first = scrollsOn(0).first();
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->geometry(), QRect(0, 0, 338, 64));
    EXPECT_NE(qobject_cast<KZTexturalScroller*>(first->verticalScrollBar()), nullptr);
    for (int tag : {1, 2}) {
        KZDabBrushListButton* button = chooser.brushListItemWithTag(tag);
        EXPECT_TRUE(button->isVisible()) << tag;
        EXPECT_EQ(button->mapTo(first->widget(), QPoint(0, 0)), QPoint((tag - 1) * 64 + 2, 2)) << tag;
    }

    tabs->labelSegments()->performClick(1);
    ASSERT_EQ(scrollsOn(1).size(), 1);
    QScrollArea* second = scrollsOn(1).first();
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->geometry(), QRect(0, 0, 338, 64));
    EXPECT_EQ(chooser.scrollViewForGroup(1), second);
    EXPECT_TRUE(chooser.brushListItemWithTag(65537)->isVisible());
    EXPECT_EQ(chooser.selectedItem(), chooser.brushListItemWithTag(65537));
}

TEST(KZDabBrushListButton, TheActiveChoiceShowsTheSelectedSkinUnderItsPreview)
{
    SkinFixtures skins;
    skins.addFilled(QStringLiteral("kzfixture_btn_brush_n"), 8, 8, qRgba(0, 0, 0, 0));
    skins.addFilled(QStringLiteral("kzfixture_btn_brush_s"), 8, 8, qRgb(0, 200, 0));
    KZDabBrushListButton button(QStringLiteral("kzfixture_btn_brush"), 1);
    button.resize(60, 60);
    QImage preview(16, 16, QImage::Format_ARGB32);
    preview.fill(qRgb(0, 0, 255));
    button.setOriginalImage(preview);

    const struct {
        bool selected, active, selectedLook;
    } cases[] = {{true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
    for (const auto& c : cases) {
        button.setSelected(c.selected);
        button.setActive(c.active);
        const QImage drawn = button.grab().toImage();
        const std::string what = std::string(c.selected ? "selected" : "unselected") + (c.active ? ", active" : "");
        EXPECT_EQ(drawn.pixel(2, 2) == qRgb(0, 200, 0), c.selectedLook) << what;
        // The preview lies over everything, inset by 4 points.
        EXPECT_EQ(drawn.pixel(30, 30), qRgb(0, 0, 255)) << what;
        EXPECT_NE(drawn.pixel(3, 30), qRgb(0, 0, 255)) << what;
    }
}
