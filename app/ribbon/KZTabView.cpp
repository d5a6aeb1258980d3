#include "KZTabView.h"

#include "KZTexturalSegmentedControl.h"
#include "KZTexturalView.h"

KZTabView::KZTabView(QWidget* parent)
    : KZTabView(QStringLiteral("tab_label_view"), QStringLiteral("tab_seg"), QStringLiteral("tab_tabview"), parent)
{
}

KZTabView::KZTabView(const QString& labelViewIdentifier, const QString& segmentIdentifier,
                     const QString& tabviewIdentifier, QWidget* parent)
    : platform::TabView(parent)
    , m_labelViewIdentifier(labelViewIdentifier)
    , m_segmentIdentifier(segmentIdentifier)
    , m_tabviewIdentifier(tabviewIdentifier)
{
    platform::Responder::addAction(QStringLiteral("changeTab:"), [this](QObject* sender) { changeTab(sender); });
    createSubviews();
}

void KZTabView::createSubviews()
{
    const int w = width();
    m_labelView = new KZTexturalView(QStringLiteral("%1_%2").arg(hash()).arg(m_labelViewIdentifier), this);
    m_labelView->setGeometry(0, 0, w, kLabelBarHeight);
    m_labelSegments =
        new KZTexturalSegmentedControl(QStringLiteral("%1_%2").arg(hash()).arg(m_segmentIdentifier), m_labelView);
    m_labelSegments->setGeometry(kSelectorX, 0, w, kLabelBarHeight);
    m_labelSegments->setTarget(this);
    m_labelSegments->setAction(QStringLiteral("changeTab:"));
    tabViewDidChangeNumberOfTabViewItems();
}

QRect KZTabView::contentRect() const
{
    return platform::TabView::contentRect().adjusted(0, kLabelBarHeight, 0, 0);
}

void KZTabView::changeTab(QObject*)
{
    selectTabViewItemAtIndex(m_labelSegments->selectedSegment());
}

void KZTabView::tabViewDidChangeNumberOfTabViewItems()
{
    if (!m_labelSegments)
        return;
    const int count = numberOfTabViewItems();
    m_labelSegments->setSegmentCount(count);
    for (int i = 0; i < count; ++i) {
        const Item item = tabViewItem(i);
        m_labelSegments->setLabel(item.label, i);
        m_labelSegments->setWidth(kSegmentWidth, i);
        // The page's contents move onto a skinned background of their own.
        auto* page = new KZTexturalView(QStringLiteral("%1_%2_%3").arg(hash()).arg(i).arg(m_tabviewIdentifier), this);
        page->setGeometry(contentRect());
        if (item.view) {
            const QList<QWidget*> children = item.view->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
            for (QWidget* child : children) {
                const QRect geometry = child->geometry();
                child->setParent(page);
                child->setGeometry(geometry);
                child->show();
            }
        }
        setViewForItem(i, page);
    }
    if (count > 0) {
        m_labelSegments->setSelectedSegment(0);
        selectTabViewItemAtIndex(0);
    }
    m_labelSegments->setGeometry(m_labelSegments->x(), m_labelSegments->y(), kSegmentWidth * count,
                                 m_labelSegments->height());
    m_labelView->raise();
}

void KZTabView::resizeEvent(QResizeEvent* event)
{
    platform::TabView::resizeEvent(event);
    // The label bar follows the tab view's width.
    if (m_labelView)
        m_labelView->setGeometry(0, 0, width(), kLabelBarHeight);
}
