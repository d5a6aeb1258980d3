#pragma once

#include "KZSelectableItem.h"

#include "platform/appkit/MenuItem.h"

// An item of a KZMenu. Choosing it in its menu makes it the menu's active,
// chosen item (shown with a choice mark) without sending its action; the
// action goes out when the item is selected in code (setSelected), which a
// pop-up button does when it passes its state on.
class KZMenuItem : public platform::MenuItem, public KZSelectableItem {
    Q_OBJECT
public:
    explicit KZMenuItem(const QString& title = QString(), const QString& action = QString(),
                        const QKeySequence& keyEquivalent = {}, QObject* parent = nullptr);

    // Asks the item's menu to send the item's action; the flag is not read.
    void setSelected(bool selected) override;
    bool isSelected() const override { return true; }
    int tag() const override { return platform::MenuItem::tag(); }
    QImage image() const override { return m_image; }
    void setImage(const QImage& image);
    bool active() const override { return m_active; }
    void setActive(bool active) override;
    std::optional<bool> itemIsEnabled() const override { return isEnabled(); }

private:
    void postInit();
    QImage m_image;
    bool m_active = false;
};
