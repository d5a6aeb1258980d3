#pragma once

#include "KZDabBrushListButton.h"
#include "KZDabBrushListButtonDelegate.h"
#include "KZSelectableItemContainer.h"
#include "KZTexturalView.h"

#include "platform/appkit/Responder.h"
#include "platform/foundation/ObservableProperty.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QScrollArea>
#include <QSize>
#include <QString>
#include <QStringList>

class KZDabBrushListButton;
class KZDabBrushListViewDelegate;
class KZTabView;

// The brush chooser: one tab of a skinned tab view per group of the brush
// set's list file ("brushes/brushes/order.conf" in the resources), each a
// grid of 64-pixel cells holding the skinned preview buttons of the group's
// brushes, in a dark scroll view with a skinned scroller. It keeps the
// current choice and reports clicks to its delegate (the document).
//
// A button's tag is (group << 16) | entry, with groups counted from 0 and
// entries from 1: tag 1 is the first brush of the first group.
class KZDabBrushListView : public KZTexturalView,
                           public platform::Responder,
                           public KZDabBrushListButtonDelegate,
                           public KZSelectableItemContainer {
    Q_OBJECT
public:
    // Groups of the list file: element 0 is the group's name, then its entries.
    using BrushGroups = QList<QStringList>;

    static constexpr int kCellSize = 64;
    static constexpr int kButtonInset = 2;
    static constexpr int kWidth = 338;
    static constexpr int kHeight = 300;
    // The grids' ground, also under the scroller.
    static const QColor& gridBackgroundColor();
    // Where the brush set lives below the resource folder.
    static const QString kBrushFolder;

    // The list file's groups, read as the brush set's list is written: a
    // "Group:" line opens a group (unless it holds "favorites"), the lines up
    // to the next "Group:" line are its entries, empty lines skipped. Lines
    // are cut at line feeds only and taken unchanged.
    static BrushGroups brushesOrderFromText(const QString& text);
    static int tagForEntry(int group, int entry);
    // Columns of a grid that many pixels wide; never fewer than one.
    static int columnsForWidth(double width);
    // Height of a group's grid with that many elements (name + entries):
    // one cell row for every started row of entries, one for no entries.
    static int documentHeight(int groupElementCount, int columns);
    // The cell of entry k (from 1) in a grid of that many columns, top-down.
    static QRect cellFrame(int entry, int columns);

    // A chooser of kWidth x kHeight at the origin. brushFolder: where the list
    // and the brush files are; empty means the resources' brush set.
    explicit KZDabBrushListView(QWidget* parent = nullptr, const QPoint& origin = QPoint(),
                                const QString& brushFolder = QString());
    ~KZDabBrushListView() override;

    void loadBrushesIfNeeded();
    void constructUIIfNeeded();
    void scrollToTop(QScrollArea* scrollView) const;

    // The buttons' action: chooses the sender and tells the delegate.
    void brushListButtonClicked(QObject* sender);
    // Chooses a button by tag without telling the delegate.
    void selectBrushListItemWithTag(int tag);
    // Path of the brush file of a tag, or an empty text when the tag names
    // no entry or the file does not exist.
    QString brushFilePathFromTag(int tag) const;
    // Path of the preview image of an entry, or empty when there is none.
    QString previewPathForEntry(const QString& entry) const;
    void changeSelectedItem(KZDabBrushListButton* button);
    KZDabBrushListButton* brushListItemWithTag(int tag) const;

    void dabBrushListButtonDidSelected(KZDabBrushListButton*) override {}
    void dabBrushListButtonDidUnSelected(KZDabBrushListButton*) override {}

    KZTabView* tabView() const { return m_tabView; }
    const BrushGroups& brushesOrderArray() const { return m_brushesOrderArray; }
    void setBrushesOrderArray(const BrushGroups& groups);
    KZDabBrushListButton* selectedItem() const override { return m_selectedItem.get(); }
    // As a pop-up's container: a choice made there, as by a click.
    void setSelectedItem(KZSelectableItem* item) override;
    // Observers hear of every change of choice.
    platform::ObservableProperty<KZDabBrushListButton*>& selectedItemProperty() { return m_selectedItem; }
    // Not owned; the delegate clears itself before it goes.
    KZDabBrushListViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(KZDabBrushListViewDelegate* delegate) { m_delegate = delegate; }

    // The scroll view of a group's tab (its page is the scroll view's parent),
    // made now if its page has not shown yet.
    QScrollArea* scrollViewForGroup(int group) const;
    // The frame of a grid's scroll view in a page of that size: the whole
    // page when the grid is taller, else the grid's height at the top.
    static QRect scrollViewFrame(const QSize& page, int documentHeight);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct GroupGrid {
        int group = 0;
        // The tab view's page of the group, and what lies on it (watched:
        // a page made again by the tab view takes them with it).
        QPointer<QWidget> page;
        QPointer<QScrollArea> scrollView; // made when the page first shows
        QPointer<QWidget> documentView;
        QList<QWidget*> cells; // entry k at k - 1
    };
    void layoutGrid(GroupGrid& grid) const;
    // The grid's scroll view, made when its page first shows or is drawn,
    // or when asked for; until then the grid waits on the page, hidden.
    void makeScrollViewIfNeeded(GroupGrid& grid) const;
    QString resolveInFolder(const QString& relative, const QString& type) const;

    QString m_brushFolder;
    bool m_ordersLoaded = false;
    BrushGroups m_brushesOrderArray;
    KZTabView* m_tabView = nullptr;
    // Scroll views are made on demand, also by the const look-ups.
    mutable QList<GroupGrid> m_grids;
    QHash<int, KZDabBrushListButton*> m_buttonsByTag;
    platform::ObservableProperty<KZDabBrushListButton*> m_selectedItem{nullptr};
    KZDabBrushListViewDelegate* m_delegate = nullptr;
};
