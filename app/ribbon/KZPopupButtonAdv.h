#pragma once

#include "KZSelectableItemContainer.h"
#include "KZTrackingAreaWrapper.h"

#include "platform/appkit/Responder.h"
#include "platform/appkit/Updatable.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

class KZPopupPanel;
class KZSelectableItem;
class KZTexturalButton;
class KZTexturalSkin;

// The ribbon's split button. Its action part shows the image of the item
// chosen in its container and, when clicked, runs the click target; its
// drop part raises the container: a view in a pop-up panel below the
// button, or a menu popped up at the button's bottom-left corner.
//
// The owner connects the two parts and the container, then calls
// awakeFromNib(), from which on the button follows the container's choice:
// it shows the chosen item, closes the panel and, when the item is active,
// clicks itself so the click target runs and the state goes on.
class KZPopupButtonAdv : public QWidget, public platform::Responder, public platform::Updatable,
                         public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    explicit KZPopupButtonAdv(const QString& identifier = QString(), QWidget* parent = nullptr);
    ~KZPopupButtonAdv() override;

    // Wires the parts to this button and starts following the container.
    void awakeFromNib();

    void didSelectedItem(KZSelectableItem* item);
    // The action part's action: the click target runs, then the selected
    // item is passed the on or off state.
    void performClick(QObject* sender);
    // Sends the click to the click target (the event may be null).
    void mouseDown(QMouseEvent* event);
    // The drop part's action.
    void raisePanel(QObject* sender);
    // True when the container could index its items, the item can be
    // selected and it was not the selected one already.
    bool selectItemAtIndex(int index);

    int state() const { return m_state; }
    void setState(int state);
    QImage image() const;
    void setImage(const QImage& image);

    // Updates the container and enables the action part unless the selected
    // item says it may not be used.
    void performUpdate() override;

    KZTexturalButton* actionButton() const { return m_actionButton; }
    void setActionButton(KZTexturalButton* button) { m_actionButton = button; }
    KZTexturalButton* popupButton() const { return m_popupButton; }
    void setPopupButton(KZTexturalButton* button) { m_popupButton = button; }
    KZSelectableItemContainer* container() const;
    void setContainer(KZSelectableItemContainer* container);
    KZSelectableItem* selectedItem() const;
    void setSelectedItem(KZSelectableItem* item);
    KZPopupPanel* panel() const { return m_panel; }
    platform::Responder* clickTarget() const;
    void setClickTarget(platform::Responder* target);
    QString clickSelector() const { return m_clickSelector; }
    void setClickSelector(const QString& selector) { m_clickSelector = selector; }
    bool isMouseEntered() const { return m_mouseEntered; }
    KZTexturalSkin* texturalSkinBackground() const { return m_background.get(); }
    // The background skin's bits: normal, plus selected while on, plus
    // hover while the mouse is inside.
    std::uint64_t backgroundStateBits() const;

    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stopObservingContainer();

    QPointer<KZTexturalButton> m_actionButton;
    QPointer<KZTexturalButton> m_popupButton;
    int m_state = 0;
    KZPopupPanel* m_panel = nullptr; // a child window of this button
    // Weak links; those that are QObjects are watched so a deleted one
    // reads as none.
    KZSelectableItem* m_selectedItem = nullptr;
    QPointer<QObject> m_selectedGuard;
    bool m_selectedIsObject = false;
    KZSelectableItemContainer* m_container = nullptr;
    QPointer<QObject> m_containerGuard;
    bool m_containerIsObject = false;
    bool m_observing = false;
    platform::Responder* m_clickTarget = nullptr;
    QPointer<QObject> m_clickTargetGuard;
    bool m_clickTargetIsObject = false;
    QString m_clickSelector;
    std::unique_ptr<KZTrackingAreaWrapper> m_trackingAreaWrapper;
    bool m_mouseEntered = false;
    std::unique_ptr<KZTexturalSkin> m_background;
    // The item whose choice is being handled: a choice of the same item
    // that comes back through the click is not handled again.
    KZSelectableItem* m_choosing = nullptr;
};
