#pragma once

#include <QImage>
#include <QString>
#include <QToolButton>

#include "KZSelectableItem.h"

class KZDabBrushListButtonDelegate;
class QPaintEvent;

// One preview button of the brush chooser. Its tag tells the group and the
// entry of its brush; selection is the button's checked state. It draws its
// preview into its bounds inset by 4 pixels, over a highlight while it is
// the chooser's active choice.
class KZDabBrushListButton : public QToolButton, public KZSelectableItem {
    Q_OBJECT
public:
    static constexpr int kIconInset = 4;

    KZDabBrushListButton(const QString& identifier, int customControlType, QWidget* parent = nullptr);
    ~KZDabBrushListButton() override;

    // The identifier the button was made with (unique per button).
    QString identifier() const { return m_identifier; }
    int customControlType() const { return m_customControlType; }

    void setSelected(bool selected) override;
    bool isSelected() const override { return isChecked(); }

    int tag() const override { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // The preview as read; image() returns it.
    QImage image() const override { return m_originalImage; }
    QImage originalImage() const { return m_originalImage; }
    // Keeps the preview and makes the icon, a copy of it (none for a null image).
    void setOriginalImage(const QImage& image);
    QImage iconImage() const { return m_iconImage; }
    void setIconImage(const QImage& image);

    bool active() const override { return m_active; }
    void setActive(bool active) override;

    // Not owned.
    KZDabBrushListButtonDelegate* delegate() const { return m_delegate; }
    void setDelegate(KZDabBrushListButtonDelegate* delegate) { m_delegate = delegate; }

    // Tells the delegate whether the button is now selected.
    void notifyContainerSelectStateChanged() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_identifier;
    int m_customControlType = 0;
    int m_tag = 0;
    QImage m_originalImage;
    QImage m_iconImage;
    bool m_active = false;
    KZDabBrushListButtonDelegate* m_delegate = nullptr;
};
