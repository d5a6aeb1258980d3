#pragma once

#include "KZTexturalSkin.h"
#include "KZTrackingAreaWrapper.h"

#include <QScrollBar>

#include <memory>

// A scroll bar drawn from two skins, the track ("slot") and the knob; the
// knob shows its hover image alone while the mouse is anywhere over the bar.
// Skin identifiers carry the scroller's number and its base identifier
// ("kz_scroller" when none is given) in front of "vslot"/"hslot" and
// "vknob"/"hknob", so every scroller shares the common images unless it has
// its own. The orientation is the one the scroll bar is made with (its
// scroll view's), not guessed from its first bounds.
class KZTexturalScroller : public QScrollBar, public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    static constexpr int kScrollerWidth = 15;

    explicit KZTexturalScroller(Qt::Orientation orientation, const QString& identifier = QString(),
                                QWidget* parent = nullptr);
    ~KZTexturalScroller() override;

    QString identifier() const { return m_identifier; }
    bool isHorizontalScroller() const { return m_horizontal; }
    // Identifiers beginning with "arrow" ask for arrow buttons, which this
    // scroller does not make: nothing in the program asks for them.
    bool hasArrowButtons() const { return m_hasArrowButtons; }
    KZTexturalSkin* slotTexturalSkin() const { return m_slotSkin.get(); }
    KZTexturalSkin* knobTexturalSkin() const { return m_knobSkin.get(); }
    // The knob's rectangle in the scroller.
    QRect knobRect() const;

    QSize sizeHint() const override;
    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_identifier;
    bool m_horizontal;
    bool m_hasArrowButtons = false;
    std::unique_ptr<KZTexturalSkin> m_slotSkin;
    std::unique_ptr<KZTexturalSkin> m_knobSkin;
    std::unique_ptr<KZTrackingAreaWrapper> m_trackingAreaWrapper;
};
