#pragma once

#include "KZSelectableItem.h"
#include "KZTexturalButton.h"

#include <QImage>
#include <QString>

#include <memory>

class KZDabBrushListButtonDelegate;
class KZTexturalSkin;
class QPaintEvent;

// One preview button of the brush chooser: a skinned button whose tag tells
// the group and the entry of its brush. Selection is the button's on/off
// state (1 = selected); a click never changes it by itself, the chooser
// does. While it is the chooser's active choice the selected look of its
// skin lies over the face, and the preview is drawn into the bounds inset
// by 4 points on top of everything.
class KZDabBrushListButton : public KZTexturalButton, public KZSelectableItem {
    Q_OBJECT
public:
    static constexpr int kIconInset = 4;

    KZDabBrushListButton(const QString& identifier, unsigned customControlType, QWidget* parent = nullptr);
    ~KZDabBrushListButton() override;

    // The identifier the button was made with (unique per button).
    QString identifier() const { return cell()->identifier(); }

    // The skin of the button's identifier, kept in the selected state.
    KZTexturalSkin* selectedStateSkin() const { return m_selectedStateSkin.get(); }

    void setSelected(bool selected) override;
    bool isSelected() const override { return state() == 1; }

    int tag() const override { return KZTexturalButton::tag(); }

    // The preview as read; image() returns it.
    QImage image() const override { return originalImage(); }
    QImage originalImage() const;
    // Keeps the preview and makes the icon, a copy of it (none for a null image).
    void setOriginalImage(const QImage& image);
    // The preview is that image file, read when it is first shown or asked
    // for: the chooser has hundreds of brushes, most on tabs never opened,
    // and reading them all made up a good part of start-up.
    void setOriginalImageFile(const QString& path);
    QImage iconImage() const;
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
    void readOriginalImageIfNeeded() const;
    void keepOriginalImage(const QImage& image) const;
    std::unique_ptr<KZTexturalSkin> m_selectedStateSkin;
    // Filled from m_pendingImageFile on first use.
    mutable QString m_pendingImageFile;
    mutable QImage m_originalImage;
    mutable QImage m_iconImage;
    bool m_active = false;
    KZDabBrushListButtonDelegate* m_delegate = nullptr;
};
