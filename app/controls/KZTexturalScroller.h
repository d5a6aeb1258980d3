#pragma once

#include "KZTexturalButton.h"
#include "KZTexturalSkin.h"
#include "KZTrackingAreaWrapper.h"

#include "platform/appkit/Responder.h"

#include <QPointer>
#include <QScrollBar>
#include <QSizeF>

#include <memory>

class QAbstractScrollArea;

// A scroll bar drawn from two skins, the track ("slot") and the knob; the
// knob shows its hover image alone while the mouse is anywhere over the bar.
// Skin identifiers carry the scroller's number and its base identifier
// ("kz_scroller" when none is given) in front of "vslot"/"hslot" and
// "vknob"/"hknob", so every scroller shares the common images unless it has
// its own. The orientation is the one the scroll bar is made with (its
// scroll view's), not guessed from its first bounds.
//
// An identifier beginning with "arrow" gives the scroller two skinned arrow
// buttons, placed at the ends of its scroll view, that scroll by one line;
// the scroller then spans the space between them with 2 points of overlap
// at each end. A gap view, when set, fills the rest of the scroller's row
// (or column) in the scroll view.
class KZTexturalScroller : public QScrollBar, public platform::TrackingAreaOwner, public platform::Responder {
    Q_OBJECT
public:
    static constexpr int kScrollerWidth = 15;
    static constexpr int kArrowOverlap = 2;
    static const QColor& slotGroundColor();

    explicit KZTexturalScroller(Qt::Orientation orientation, const QString& identifier = QString(),
                                QWidget* parent = nullptr);
    ~KZTexturalScroller() override;

    QString identifier() const { return m_identifier; }
    bool isHorizontalScroller() const { return m_horizontal; }
    bool hasArrowButtons() const { return m_hasArrowButtons; }
    KZTexturalSkin* slotTexturalSkin() const { return m_slotSkin.get(); }
    KZTexturalSkin* knobTexturalSkin() const { return m_knobSkin.get(); }
    // The knob's rectangle in the scroller (shorter at the end when the
    // bottom patch is on).
    QRect knobRect() const;
    // Where the slot skin is drawn: the bounds, inset at both ends between
    // arrow buttons.
    QRectF slotRect() const;

    KZTexturalButton* upArrowButton() const { return m_upArrowButton; }
    KZTexturalButton* downArrowButton() const { return m_downArrowButton; }
    QSizeF scrollerUpArrowButtonSize() const { return m_upSize; }
    QSizeF scrollerDownArrowButtonSize() const { return m_downSize; }
    QWidget* bottomRightGapView() const { return m_gapView; }
    void setBottomRightGapView(QWidget* view);
    bool patchBottomShrink() const { return m_patchBottomShrink; }
    void setPatchBottomShrink(bool shrink);
    bool enabledPatch() const { return m_patchBottomShrink; }
    static int fetchScrollerWidth() { return kScrollerWidth; }

    // The scroll view around the scroller, or null.
    QAbstractScrollArea* scrollView() const;
    // The frame a scroller with arrow buttons takes in its scroll view, for
    // the frame the scroll view gives it.
    QRect frameBetweenArrows(const QRect& proposed, const QSize& scrollViewSize) const;
    // Places the scroller (scroll-view coordinates inside a scroll view),
    // then its buttons and gap view.
    void setFrame(const QRect& frame);
    void updateFrames();
    void arrowButtonClicked(QObject* sender);
    static void scroll(QAbstractScrollArea* scrollView, int dx, int dy);

    QSize sizeHint() const override;
    void mouseEntered(QEvent* event) override;
    void mouseExited(QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void moveAuxiliaryViewsIntoScrollView();
    void makeArrowButtons(const QString& base, quint64 hash);
    // The scroll view lays its scrollers out itself: keep the place between
    // the arrows after each of its placements.
    void keepFrameBetweenArrows();

    QString m_identifier;
    bool m_horizontal;
    bool m_hasArrowButtons = false;
    bool m_patchBottomShrink = false;
    bool m_placing = false;
    QSizeF m_upSize;
    QSizeF m_downSize;
    QPointer<KZTexturalButton> m_upArrowButton;
    QPointer<KZTexturalButton> m_downArrowButton;
    QPointer<QWidget> m_gapView;
    QPointer<QObject> m_watchedScrollView; // a QObject: it may be half gone when this dies
    std::unique_ptr<KZTexturalSkin> m_slotSkin;
    std::unique_ptr<KZTexturalSkin> m_knobSkin;
    std::unique_ptr<KZTrackingAreaWrapper> m_trackingAreaWrapper;
};
