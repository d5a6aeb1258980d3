#pragma once

#include "KZSelectableItem.h"
#include "KZValidatableButton.h"

#include "platform/appkit/Responder.h"

// A button of a button-row menu. Once set up (postInit) it keeps the target
// and action it was given and becomes its own target: a click sends the
// kept action to the kept target, with the item as sender (nothing when
// there is no target), and makes the item its menu's selected item.
class KZTexturalMenuItem2 : public KZValidatableButton, public KZSelectableItem, public platform::Responder {
    Q_OBJECT
public:
    KZTexturalMenuItem2(const QString& identifier, unsigned customControlType, QWidget* parent = nullptr);

    // Keeps the current target and action and takes the clicks itself.
    void postInit();
    void didClicked(QObject* sender);

    // Acts as if chosen (the flag is not read); the menu's choice stays.
    // While the item's own click is being chosen it does nothing: that
    // click has sent the action already.
    void setSelected(bool selected) override;
    bool isSelected() const override { return true; }
    int tag() const override { return KZTexturalButton::tag(); }
    QImage image() const override { return KZTexturalButton::image(); }
    bool active() const override { return m_active; }
    void setActive(bool active) override { m_active = active; }
    std::optional<bool> itemIsEnabled() const override { return isEnabled(); }

    // Validates with the kept target and action.
    void performUpdate() override;

    platform::Responder* savedTarget() const { return m_savedTarget; }
    QString savedSelector() const { return m_savedSelector; }

private:
    void sendSaved();
    platform::Responder* m_savedTarget = nullptr; // not owned
    QString m_savedSelector;
    bool m_active = false;
    bool m_choosing = false;
};
