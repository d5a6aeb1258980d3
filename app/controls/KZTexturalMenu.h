#pragma once

#include "KZSelectableItemContainer.h"
#include "KZTexturalView.h"

#include "platform/appkit/Updatable.h"

#include <QPointer>

// A skinned view holding a row or grid of menu item buttons; it remembers
// the one chosen last and announces each choice.
class KZTexturalMenu : public KZTexturalView, public KZSelectableItemContainer, public platform::Updatable {
    Q_OBJECT
public:
    explicit KZTexturalMenu(const QString& identifier = QString(), QWidget* parent = nullptr);

    // Null once the chosen item is gone.
    KZSelectableItem* selectedItem() const override;
    void setSelectedItem(KZSelectableItem* item) override;
    // Updates every subview that updates itself, in order.
    void performUpdate() override;

signals:
    void selectedItemChanged();

private:
    KZSelectableItem* m_selectedItem = nullptr;
    QPointer<QObject> m_selectedGuard;
    bool m_selectedIsObject = false;
};
