#pragma once

#include "platform/appkit/Responder.h"
#include "platform/appkit/TrackingAreaOwner.h"

#include <QPointer>
#include <QWidget>

class KZTexturalButton;
class QMouseEvent;
class SWColorWell;

// The toolbar's front and back colour wells, overlapping, with a button
// that swaps their colours ("switchColor:"). The selector tracks the
// pointer and marks the well under it as hovered, the front well first
// where they overlap. It redraws both wells whenever any well announces
// "SWColorSet".
class SWColorSelector : public QWidget, public platform::Responder, public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    // Entered and exited, moves, active in the active application, over
    // the visible rectangle.
    static constexpr int kTrackingOptions = 579;
    static constexpr int kWellSide = 24;

    explicit SWColorSelector(QWidget* parent = nullptr);
    ~SWColorSelector() override;

    SWColorWell* frontWell() const { return m_frontWell; }
    SWColorWell* backWell() const { return m_backWell; }
    KZTexturalButton* switchButton() const { return m_switchButton; }

    // Entering is a move too: the pointer may arrive over a well.
    void mouseEntered(QEvent* event) override;
    void mouseMoved(QMouseEvent* event) override;
    void mouseExited(QEvent* event) override;
    void mouseDown(QMouseEvent* event);
    void updateWells(QObject* sender);
    // Swaps the two wells' colours (each well announces its change).
    void switchColor(QObject* sender);
    // A click in an inactive window reaches the wells.
    bool acceptsFirstMouse(QMouseEvent*) const { return true; }

    QSize sizeHint() const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void hoverAt(const QPoint& location);
    QPointer<SWColorWell> m_frontWell;
    QPointer<SWColorWell> m_backWell;
    QPointer<KZTexturalButton> m_switchButton;
};
