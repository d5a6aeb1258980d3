#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

class KZTexturalView;
class QWindow;

// A borderless floating panel that shows a view below the control that
// raised it, kept inside the visible part of that control's screen. It
// belongs to the control's window: it floats above that window only, that
// window stays the main one (its shortcuts and update pass go on), and it
// closes on Escape, on a click outside it, when another window takes the
// focus, when the program is deactivated, and when its window hides or
// closes.
class KZPopupPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kInset = 2;

    explicit KZPopupPanel(QWidget* parent = nullptr);

    KZTexturalView* contentView() const { return m_contentView; }

    // Shows the view in the panel, hanging from the control's bottom-left
    // corner, and brings the panel up.
    void raise(QWidget* view, QWidget* control);
    // Clears the hover and pressed looks of the skinned buttons inside,
    // then closes the panel.
    void dismisses(QObject* sender);

    // The panel's frame (top-left screen coordinates) for a view of that
    // size below a control occupying controlRect, on a screen whose visible
    // area is visibleFrame: pushed left and up to stay inside it; when the
    // panel is wider or higher than the area, its right and top edges win.
    static QRect panelFrame(const QSize& viewSize, const QRect& controlRect, const QRect& visibleFrame);

    // The window the panel belongs to (the raising control's), or null.
    QWidget* ownerWindow() const { return m_owner; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void belongTo(QWidget* window);
    void focusWindowChanged(QWindow* focus);

    KZTexturalView* m_contentView;
    QPointer<QWidget> m_owner;
};
