#pragma once

#include "KZSelectableItemContainer.h"

#include <QList>
#include <QMenu>
#include <QPointer>

class KZMenuItem;

// A menu whose KZMenuItems are choices: choosing one makes it the only
// active item (marked) and the menu's selected item, and announces it;
// its action is not sent then. Other items behave as in any menu.
class KZMenu : public QMenu, public KZSelectableItemContainer {
    Q_OBJECT
public:
    explicit KZMenu(QWidget* parent = nullptr);
    // A menu made with its items, as loaded from an interface file: the
    // first KZMenuItem among them is chosen from the start.
    KZMenu(const QString& title, const QList<QAction*>& items, QWidget* parent = nullptr);

    KZMenuItem* firstSelectableItem() const;

    bool answersItemAtIndex() const override { return true; }
    KZSelectableItem* itemAtIndex(int index) const override;
    // A KZMenuItem becomes the chosen one; any other item is triggered.
    void performActionForItemAtIndex(int index);
    // Sends the item's action, as a plain menu would.
    void performActionForItem(QAction* item);
    void setAllMenuItemsActive(bool active);

    KZSelectableItem* selectedItem() const override;
    void setSelectedItem(KZSelectableItem* item) override;

signals:
    void selectedItemChanged();

private:
    void postInit();
    QPointer<KZMenuItem> m_selectedItem;
};
