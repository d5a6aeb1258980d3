#include "KZPopupButtonAdv.h"

#include "KZPopupPanel.h"
#include "KZSelectableItem.h"
#include "KZTexturalButton.h"
#include "KZTexturalSkin.h"

#include "platform/appkit/ViewIdentifier.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace {
const QString kPerformClick = QStringLiteral("performClick:");
const QString kRaisePanel = QStringLiteral("raisePanel:");
} // namespace

KZPopupButtonAdv::KZPopupButtonAdv(const QString& identifier, QWidget* parent)
    : QWidget(parent)
    , m_trackingAreaWrapper(std::make_unique<KZTrackingAreaWrapper>(this, this))
{
    platform::ViewIdentifier::setIdentifier(this, identifier);
    platform::Responder::addAction(kPerformClick, [this](QObject* sender) { performClick(sender); });
    platform::Responder::addAction(kRaisePanel, [this](QObject* sender) { raisePanel(sender); });
}

KZPopupButtonAdv::~KZPopupButtonAdv()
{
    stopObservingContainer();
    m_trackingAreaWrapper.reset();
    m_clickTarget = nullptr;
    m_clickSelector.clear();
}

void KZPopupButtonAdv::awakeFromNib()
{
    if (!m_panel)
        m_panel = new KZPopupPanel(this);
    if (m_actionButton) {
        m_actionButton->setTarget(this);
        m_actionButton->setAction(kPerformClick);
    }
    if (m_popupButton) {
        m_popupButton->setTarget(this);
        m_popupButton->setAction(kRaisePanel);
    }
    KZSelectableItemContainer* owner = container();
    didSelectedItem(owner ? owner->selectedItem() : nullptr);
    if (owner && !m_observing) {
        owner->observeSelectedItem(this, [this](KZSelectableItem* item) { didSelectedItem(item); });
        m_observing = true;
    }
}

void KZPopupButtonAdv::stopObservingContainer()
{
    if (KZSelectableItemContainer* owner = container(); owner && m_observing)
        owner->removeSelectedItemObserver(this);
    m_observing = false;
}

void KZPopupButtonAdv::didSelectedItem(KZSelectableItem* item)
{
    // Selection, click, select: an item whose setSelected() chooses it in
    // its container again would bring the same choice back here.
    if (item && item == m_choosing)
        return;
    KZSelectableItem* const outer = std::exchange(m_choosing, item);
    setImage(item ? item->image() : QImage());
    setSelectedItem(item);
    if (m_panel)
        m_panel->dismisses(this);
    if (item && item->active()) {
        performClick(this);
        setState(1);
    } else {
        setState(0);
    }
    m_choosing = outer;
}

void KZPopupButtonAdv::performClick(QObject*)
{
    mouseDown(nullptr);
    if (KZSelectableItem* item = selectedItem()) {
        item->setSelected(m_state == 1);
        // The item may have gone with the click.
        if (KZSelectableItem* still = selectedItem())
            still->notifyContainerSelectStateChanged();
    }
}

void KZPopupButtonAdv::mouseDown(QMouseEvent* event)
{
    if (event)
        QWidget::mousePressEvent(event);
    platform::Responder* target = clickTarget();
    if (target && !m_clickSelector.isEmpty())
        target->tryToPerform(m_clickSelector, nullptr);
}

void KZPopupButtonAdv::raisePanel(QObject*)
{
    KZSelectableItemContainer* owner = container();
    if (!owner)
        return;
    if (auto* menu = dynamic_cast<QMenu*>(owner)) {
        // The bottom-left corner of the button.
        menu->popup(mapToGlobal(QPoint(0, height())));
        return;
    }
    if (auto* view = dynamic_cast<QWidget*>(owner)) {
        if (!m_panel)
            m_panel = new KZPopupPanel(this);
        m_panel->raise(view, this);
    }
}

bool KZPopupButtonAdv::selectItemAtIndex(int index)
{
    KZSelectableItemContainer* owner = container();
    if (!owner || !owner->answersItemAtIndex())
        return false;
    KZSelectableItem* item = owner->itemAtIndex(index);
    if (!item || item == owner->selectedItem())
        return false;
    owner->setSelectedItem(item);
    return true;
}

void KZPopupButtonAdv::setState(int state)
{
    if (state != m_state) {
        m_state = state;
        if (m_actionButton)
            m_actionButton->setState(state);
        if (KZSelectableItem* item = selectedItem())
            item->setActive(state == 1);
    }
    update();
}

QImage KZPopupButtonAdv::image() const
{
    return m_actionButton ? m_actionButton->image() : QImage();
}

void KZPopupButtonAdv::setImage(const QImage& image)
{
    if (m_actionButton)
        m_actionButton->setImage(image);
}

void KZPopupButtonAdv::performUpdate()
{
    if (auto* updatable = dynamic_cast<platform::Updatable*>(container()))
        updatable->performUpdate();
    if (!m_actionButton)
        return;
    KZSelectableItem* item = selectedItem();
    m_actionButton->setEnabled(!item || item->itemIsEnabled().value_or(true));
}

KZSelectableItemContainer* KZPopupButtonAdv::container() const
{
    return m_containerIsObject && !m_containerGuard ? nullptr : m_container;
}

void KZPopupButtonAdv::setContainer(KZSelectableItemContainer* container)
{
    stopObservingContainer();
    m_container = container;
    m_containerGuard = dynamic_cast<QObject*>(container);
    m_containerIsObject = m_containerGuard != nullptr;
}

KZSelectableItem* KZPopupButtonAdv::selectedItem() const
{
    return m_selectedIsObject && !m_selectedGuard ? nullptr : m_selectedItem;
}

void KZPopupButtonAdv::setSelectedItem(KZSelectableItem* item)
{
    m_selectedItem = item;
    m_selectedGuard = dynamic_cast<QObject*>(item);
    m_selectedIsObject = m_selectedGuard != nullptr;
}

platform::Responder* KZPopupButtonAdv::clickTarget() const
{
    return m_clickTargetIsObject && !m_clickTargetGuard ? nullptr : m_clickTarget;
}

void KZPopupButtonAdv::setClickTarget(platform::Responder* target)
{
    m_clickTarget = target;
    m_clickTargetGuard = dynamic_cast<QObject*>(target);
    m_clickTargetIsObject = m_clickTargetGuard != nullptr;
}

std::uint64_t KZPopupButtonAdv::backgroundStateBits() const
{
    std::uint64_t bits = KZMultiStateTexture::Normal;
    if (m_state == 1)
        bits |= KZMultiStateTexture::Selected;
    if (m_mouseEntered)
        bits |= KZMultiStateTexture::Hover;
    return bits;
}

void KZPopupButtonAdv::mouseEntered(QEvent*)
{
    m_mouseEntered = true;
    update();
}

void KZPopupButtonAdv::mouseExited(QEvent*)
{
    m_mouseEntered = false;
    update();
}

void KZPopupButtonAdv::paintEvent(QPaintEvent*)
{
    if (!m_background)
        return;
    QPainter painter(this);
    m_background->changeState(backgroundStateBits());
    m_background->drawWithFrame(painter, QRectF(rect()), this);
}

void KZPopupButtonAdv::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouseDown(event);
    else
        QWidget::mousePressEvent(event);
}

void KZPopupButtonAdv::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_mouseEntered = false;
    m_trackingAreaWrapper->addTrackingArea();
    const QString identifier = platform::ViewIdentifier::identifier(this);
    if (!identifier.isEmpty())
        m_background = std::make_unique<KZTexturalSkin>(identifier, KZEdgeInsets::automatic());
}

void KZPopupButtonAdv::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}
