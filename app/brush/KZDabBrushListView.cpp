#include "KZDabBrushListView.h"

#include "KZDabBrushListButton.h"
#include "KZDabBrushListViewDelegate.h"
#include "KZTabView.h"
#include "KZTexturalScroller.h"

#include "platform/foundation/Bundle.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPalette>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QScrollBar>
#include <QUuid>

#include <algorithm>
#include <cstdint>
#include <utility>

const QString KZDabBrushListView::kBrushFolder = QStringLiteral("brushes/brushes");

const QColor& KZDabBrushListView::gridBackgroundColor()
{
    static const QColor grey(40, 40, 40);
    return grey;
}

namespace {
const QString kGroupPrefix = QStringLiteral("Group:");
const QString kBrushListButtonClicked = QStringLiteral("brushListButtonClicked:");

bool opensGroup(const QString& line)
{
    return line.startsWith(kGroupPrefix) && !line.startsWith(QLatin1Char('#')) &&
           !line.contains(QLatin1String("favorites"));
}

// A fresh identifier for a button's skin: a UUID, or a random number when
// none can be made.
QString freshButtonIdentifier()
{
    const QUuid uuid = QUuid::createUuid();
    if (!uuid.isNull())
        return uuid.toString(QUuid::WithoutBraces).toUpper() + QStringLiteral("_btn_brush");
    return QStringLiteral("%1_btn_brush").arg(QRandomGenerator::global()->generate());
}
} // namespace

// ---------------------------------------------------------------- the list and the grid geometry

KZDabBrushListView::BrushGroups KZDabBrushListView::brushesOrderFromText(const QString& text)
{
    BrushGroups groups;
    if (text.isEmpty())
        return groups;
    const QStringList lines = text.split(QLatin1Char('\n'));
    qsizetype i = 0;
    while (i < lines.size()) {
        const QString& line = lines.at(i);
        if (!opensGroup(line)) {
            ++i;
            continue;
        }
        QString name = line;
        name.remove(kGroupPrefix);
        QStringList group{name.trimmed()};
        for (++i; i < lines.size() && !lines.at(i).startsWith(kGroupPrefix); ++i) {
            if (!lines.at(i).isEmpty())
                group.append(lines.at(i));
        }
        groups.append(group);
    }
    return groups;
}

int KZDabBrushListView::tagForEntry(int group, int entry)
{
    return int((uint32_t(group) & 0xFFFFu) << 16 | (uint32_t(entry) & 0xFFFFu));
}

int KZDabBrushListView::columnsForWidth(double width)
{
    // A chooser narrower than one cell still shows its buttons, one a row.
    if (!(width >= kCellSize))
        return 1;
    return int(std::min(width, 1e6)) / kCellSize;
}

int KZDabBrushListView::documentHeight(int groupElementCount, int columns)
{
    const int entries = groupElementCount - 1;
    if (entries <= 0)
        return kCellSize;
    return ((entries - 1) / std::max(columns, 1) + 1) * kCellSize;
}

QRect KZDabBrushListView::cellFrame(int entry, int columns)
{
    columns = std::max(columns, 1);
    const int row = (entry - 1) / columns;
    const int column = (entry - 1) - row * columns;
    return QRect(column * kCellSize, row * kCellSize, kCellSize, kCellSize);
}

// ---------------------------------------------------------------- making the view

KZDabBrushListView::KZDabBrushListView(QWidget* parent, const QPoint& origin, const QString& brushFolder)
    : KZTexturalView(parent)
    , m_brushFolder(brushFolder)
{
    setObjectName(QStringLiteral("DabBrushListView"));
    platform::Responder::addAction(kBrushListButtonClicked, [this](QObject* sender) { brushListButtonClicked(sender); });
    setGeometry(QRect(origin, QSize(kWidth, kHeight)));
    loadBrushesIfNeeded();
    constructUIIfNeeded();
}

KZDabBrushListView::~KZDabBrushListView()
{
    m_delegate = nullptr;
    // The pages outlive this part of the chooser while its children go.
    for (const GroupGrid& grid : m_grids) {
        if (grid.page)
            grid.page->removeEventFilter(this);
    }
}

void KZDabBrushListView::setBrushesOrderArray(const BrushGroups& groups)
{
    m_brushesOrderArray = groups;
    m_ordersLoaded = true;
}

QString KZDabBrushListView::resolveInFolder(const QString& relative, const QString& type) const
{
    const QString root = m_brushFolder.isEmpty()
                             ? platform::Bundle::resourceDirectory() + QLatin1Char('/') + kBrushFolder
                             : m_brushFolder;
    const qsizetype slash = relative.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash >= 0 ? relative.left(slash) : QString();
    QString name = relative.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    if (name.isEmpty())
        return QString();
    const QString path = QDir::cleanPath(root + QLatin1Char('/') + folder + QLatin1Char('/') + name +
                                         QLatin1Char('.') + type);
    return QFileInfo(path).isFile() ? path : QString();
}

void KZDabBrushListView::loadBrushesIfNeeded()
{
    if (m_ordersLoaded)
        return;
    QString text;
    if (const QString path = resolveInFolder(QStringLiteral("order"), QStringLiteral("conf")); !path.isEmpty()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            text = QString::fromUtf8(file.readAll());
    }
    setBrushesOrderArray(brushesOrderFromText(text));
}

void KZDabBrushListView::constructUIIfNeeded()
{
    if (m_tabView)
        return;
    setAccessibleName(tr("Brush Chooser"));
    setAccessibleDescription(tr("The brushes, in groups"));
    m_tabView = new KZTabView(QStringLiteral("tab_label_view"), QStringLiteral("seg"), QStringLiteral("tab_tabview"),
                              this);
    m_tabView->setObjectName(QStringLiteral("tab_tabview"));
    m_tabView->setGeometry(QRect(QPoint(0, 0), size()));

    // The tab view puts every page on a skinned background of its own, made
    // again at each new tab: the grids go onto the pages once all are made.
    QList<std::pair<int, int>> groupTabs; // (group, tab)
    for (int g = 0; g < int(m_brushesOrderArray.size()); ++g) {
        const QStringList& group = m_brushesOrderArray.at(g);
        if (group.isEmpty())
            continue;
        groupTabs.append({g, m_tabView->numberOfTabViewItems()});
        m_tabView->addTabViewItem(group.first(), new QWidget);
        m_tabView->selectTabViewItemAtIndex(0);
    }
    for (const auto& [g, index] : groupTabs) {
        const QStringList& group = m_brushesOrderArray.at(g);
        QWidget* page = m_tabView->tabViewItem(index).view;
        if (!page)
            continue;
        GroupGrid grid;
        grid.group = g;
        grid.page = page;
        // The grid waits on its page, hidden, for the scroll view that is
        // made when the page first shows (see makeScrollViewIfNeeded).
        grid.documentView = new QWidget(page);
        grid.documentView->hide();
        QPalette dark = grid.documentView->palette();
        dark.setColor(QPalette::Window, gridBackgroundColor());
        grid.documentView->setPalette(dark);

        for (int k = 1; k < int(group.size()); ++k) {
            auto* cell = new QWidget(grid.documentView);
            auto* button = new KZDabBrushListButton(freshButtonIdentifier(), KZTexturalButtonCell::Momentary, cell);
            button->setGeometry(kButtonInset, kButtonInset, kCellSize - 2 * kButtonInset,
                                kCellSize - 2 * kButtonInset);
            button->setDelegate(this);
            button->cell()->setImageScaling(platform::ButtonCell::ScaleProportionallyUpOrDown);
            button->setBordered(false);
            // Each brush is found by its entry in the list, unique in the set.
            button->setAccessibleName(group.at(k));
            button->setAccessibleDescription(tr("A brush of the %1 group").arg(group.first()));
            if (const QString preview = previewPathForEntry(group.at(k)); !preview.isEmpty())
                button->setOriginalImageFile(preview);
            const int tag = tagForEntry(g, k);
            button->setTag(tag);
            m_buttonsByTag.insert(tag, button);
            button->setTarget(this);
            button->setAction(kBrushListButtonClicked);
            grid.cells.append(cell);
        }
        m_grids.append(grid);
    }
    // The pages are final now: each grid follows its page's size, and gets
    // its scroll view when its page first shows.
    for (GroupGrid& grid : m_grids) {
        grid.page->installEventFilter(this);
        layoutGrid(grid);
    }
}

void KZDabBrushListView::makeScrollViewIfNeeded(GroupGrid& grid) const
{
    // Made as a page first shows or is drawn: the chooser is made at
    // start-up but shows in a pop-up, one page at a time, and the skinned
    // scrollers were much of its cost.
    if (grid.scrollView || !grid.page || !grid.documentView)
        return;
    const quint64 hash = quint64(quintptr(this));
    const QString identifier = QStringLiteral("%1_%2_kz_scroller_paint_view").arg(hash).arg(grid.group);
    grid.scrollView = new QScrollArea(grid.page);
    grid.scrollView->setObjectName(identifier);
    grid.scrollView->setVerticalScrollBar(new KZTexturalScroller(Qt::Vertical, identifier));
    grid.scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid.scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid.scrollView->setFrameShape(QFrame::NoFrame);
    grid.scrollView->setWidgetResizable(false);
    const QPalette dark = grid.documentView->palette();
    // The scroller fills its ground with the scroll view's background.
    grid.scrollView->setPalette(dark);
    grid.scrollView->setAutoFillBackground(true);
    grid.scrollView->viewport()->setPalette(dark);
    grid.scrollView->viewport()->setAutoFillBackground(true);
    grid.scrollView->setWidget(grid.documentView);
    layoutGrid(grid);
    scrollToTop(grid.scrollView);
    // Shown with its page (at once when the page is already showing).
    grid.scrollView->show();
}

QRect KZDabBrushListView::scrollViewFrame(const QSize& page, int documentHeight)
{
    if (documentHeight > page.height())
        return QRect(QPoint(0, 0), page);
    // A short grid hangs from the top of its page.
    return QRect(0, 0, page.width(), documentHeight);
}

void KZDabBrushListView::layoutGrid(GroupGrid& grid) const
{
    if (!grid.documentView)
        return;
    // The columns follow the page's width; the scroller may cover a sliver
    // of the last column.
    const QSize pageSize = grid.page ? grid.page->size() : grid.documentView->size();
    const int width = std::max(pageSize.width(), 0);
    const int columns = columnsForWidth(width);
    const int elements = int(m_brushesOrderArray.value(grid.group).size());
    const int height = documentHeight(elements, columns);
    grid.documentView->resize(width, height);
    if (grid.scrollView)
        grid.scrollView->setGeometry(scrollViewFrame(QSize(width, std::max(pageSize.height(), 0)), height));
    for (int k = 1; k <= int(grid.cells.size()); ++k)
        grid.cells.at(k - 1)->setGeometry(cellFrame(k, columns));
}

bool KZDabBrushListView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
        for (GroupGrid& grid : m_grids) {
            if (grid.page != watched)
                continue;
            // A hidden page hears of its size only as it shows or is drawn
            // all the same (a grab of the chooser): either makes its grid's
            // scroll view.
            makeScrollViewIfNeeded(grid);
            layoutGrid(grid);
        }
    }
    return KZTexturalView::eventFilter(watched, event);
}

void KZDabBrushListView::resizeEvent(QResizeEvent* event)
{
    KZTexturalView::resizeEvent(event);
    if (m_tabView)
        m_tabView->setGeometry(QRect(QPoint(0, 0), size()));
}

QScrollArea* KZDabBrushListView::scrollViewForGroup(int group) const
{
    for (GroupGrid& grid : m_grids) {
        if (grid.group == group) {
            makeScrollViewIfNeeded(grid);
            return grid.scrollView;
        }
    }
    return nullptr;
}

void KZDabBrushListView::scrollToTop(QScrollArea* scrollView) const
{
    // The grid is laid out top-down: its top is offset 0.
    if (scrollView) {
        scrollView->verticalScrollBar()->setValue(0);
        scrollView->horizontalScrollBar()->setValue(0);
    }
}

// ---------------------------------------------------------------- choosing

void KZDabBrushListView::brushListButtonClicked(QObject* sender)
{
    auto* button = qobject_cast<KZDabBrushListButton*>(sender);
    if (!button)
        return;
    KZDabBrushListButton* previous = selectedItem();
    changeSelectedItem(button);
    if (!m_delegate || m_delegate->dabBrushListView(this, selectedItem())) {
        // A pop-up that shows the chooser hears of the user's choice (not of
        // a choice made in code, such as the first brush at start).
        selectedItemDidChange();
        return;
    }
    // The brush was not taken: the chooser shows the brush still in use.
    if (previous) {
        changeSelectedItem(previous);
    } else {
        button->setActive(false);
        button->setSelected(false);
        m_selectedItem.set(nullptr);
    }
}

void KZDabBrushListView::setSelectedItem(KZSelectableItem* item)
{
    if (auto* button = dynamic_cast<KZDabBrushListButton*>(item))
        brushListButtonClicked(button);
}

void KZDabBrushListView::selectBrushListItemWithTag(int tag)
{
    if (KZDabBrushListButton* button = brushListItemWithTag(tag))
        changeSelectedItem(button);
}

void KZDabBrushListView::changeSelectedItem(KZDabBrushListButton* button)
{
    if (!button)
        return;
    if (KZDabBrushListButton* previous = selectedItem()) {
        previous->setActive(false);
        previous->setSelected(false);
    }
    button->setActive(true);
    button->setSelected(true);
    m_selectedItem.set(button);
}

KZDabBrushListButton* KZDabBrushListView::brushListItemWithTag(int tag) const
{
    return m_buttonsByTag.value(tag, nullptr);
}

QString KZDabBrushListView::brushFilePathFromTag(int tag) const
{
    const uint32_t group = uint32_t(tag) >> 16;
    const int entry = tag & 0xFFFF;
    if (group >= uint32_t(m_brushesOrderArray.size()))
        return QString();
    const QStringList& list = m_brushesOrderArray.at(qsizetype(group));
    if (entry >= list.size() || list.at(entry).isEmpty())
        return QString();
    return resolveInFolder(list.at(entry), QStringLiteral("myb"));
}

QString KZDabBrushListView::previewPathForEntry(const QString& entry) const
{
    if (entry.isEmpty())
        return QString();
    return resolveInFolder(entry + QStringLiteral("_prev.png"), QStringLiteral("png"));
}
