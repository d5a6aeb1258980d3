#include "KZDabBrushListView.h"

#include "KZDabBrushListButton.h"
#include "KZDabBrushListViewDelegate.h"

#include "platform/appkit/ImageResource.h"
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
#include <QTabWidget>
#include <QUuid>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>

const QString KZDabBrushListView::kBrushFolder = QStringLiteral("brushes/brushes");

namespace {
const QString kGroupPrefix = QStringLiteral("Group:");

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
    : QWidget(parent)
    , m_brushFolder(brushFolder)
{
    setObjectName(QStringLiteral("DabBrushListView"));
    setGeometry(QRect(origin, QSize(kWidth, kHeight)));
    loadBrushesIfNeeded();
    constructUIIfNeeded();
}

KZDabBrushListView::~KZDabBrushListView()
{
    m_delegate = nullptr;
    for (const GroupGrid& grid : m_grids) {
        if (grid.scrollView)
            grid.scrollView->viewport()->removeEventFilter(this);
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
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setAccessibleName(tr("Brush Chooser"));
    setAccessibleDescription(tr("The brushes, in groups"));
    m_tabView = new QTabWidget(this);
    m_tabView->setObjectName(QStringLiteral("tab_tabview"));
    m_tabView->setGeometry(QRect(QPoint(0, 0), size()));
    layout->addWidget(m_tabView);

    for (int g = 0; g < int(m_brushesOrderArray.size()); ++g) {
        const QStringList& group = m_brushesOrderArray.at(g);
        if (group.isEmpty())
            continue;
        auto* page = new QWidget;
        m_tabView->addTab(page, group.first());
        m_tabView->setCurrentIndex(0);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);

        GroupGrid grid;
        grid.group = g;
        grid.scrollView = new QScrollArea(page);
        grid.scrollView->setObjectName(QStringLiteral("%1_%2_kz_scroller_paint_view")
                                           .arg(quintptr(this))
                                           .arg(g));
        grid.scrollView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        grid.scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid.scrollView->setFrameShape(QFrame::NoFrame);
        grid.scrollView->setWidgetResizable(false);
        QPalette dark = grid.scrollView->palette();
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        grid.scrollView->viewport()->setPalette(dark);
        grid.scrollView->viewport()->setAutoFillBackground(true);
        pageLayout->addWidget(grid.scrollView);

        grid.documentView = new QWidget;
        grid.documentView->setPalette(dark);
        grid.scrollView->setWidget(grid.documentView);

        for (int k = 1; k < int(group.size()); ++k) {
            auto* cell = new QWidget(grid.documentView);
            auto* button = new KZDabBrushListButton(freshButtonIdentifier(), 1, cell);
            button->setGeometry(kButtonInset, kButtonInset, kCellSize - 2 * kButtonInset,
                                kCellSize - 2 * kButtonInset);
            button->setDelegate(this);
            // Each brush is found by its entry in the list, unique in the set.
            button->setAccessibleName(group.at(k));
            button->setAccessibleDescription(tr("A brush of the %1 group").arg(group.first()));
            if (const QString preview = previewPathForEntry(group.at(k)); !preview.isEmpty())
                button->setOriginalImage(platform::ImageResource::readFile(preview));
            const int tag = tagForEntry(g, k);
            button->setTag(tag);
            m_buttonsByTag.insert(tag, button);
            connect(button, &QToolButton::clicked, this, [this, button] { brushListButtonClicked(button); });
            grid.cells.append(cell);
        }
        page->installEventFilter(this);
        m_grids.append(grid);
        layoutGrid(m_grids.last());
        scrollToTop(grid.scrollView);
    }
}

void KZDabBrushListView::layoutGrid(GroupGrid& grid)
{
    if (!grid.scrollView || !grid.documentView)
        return;
    // The columns follow the tab's content width; the scroll bar may cover
    // a sliver of the last column.
    QWidget* page = grid.scrollView->parentWidget();
    const int width = page ? page->width() : grid.scrollView->viewport()->width();
    const int columns = columnsForWidth(width);
    const int elements = int(m_brushesOrderArray.value(grid.group).size());
    grid.documentView->resize(std::max(width, 0), documentHeight(elements, columns));
    for (int k = 1; k <= int(grid.cells.size()); ++k)
        grid.cells.at(k - 1)->setGeometry(cellFrame(k, columns));
}

bool KZDabBrushListView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        for (GroupGrid& grid : m_grids) {
            if (grid.scrollView && grid.scrollView->parentWidget() == watched)
                layoutGrid(grid);
        }
    }
    return QWidget::eventFilter(watched, event);
}

QScrollArea* KZDabBrushListView::scrollViewForGroup(int group) const
{
    for (const GroupGrid& grid : m_grids) {
        if (grid.group == group)
            return grid.scrollView;
    }
    return nullptr;
}

void KZDabBrushListView::scrollToTop(QScrollArea* scrollView)
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
