#pragma once

#include "VTRTargetAction.h"
#include "platform/foundation/ObservableProperty.h"

#include <QColor>
#include <QRectF>
#include <QWidget>

class QVariantAnimation;

// An on/off switch: a pill-shaped track and a round knob. A click toggles
// it, a drag moves the knob and the side it is released on decides, Left and
// Right and Space work from the keyboard, and accessibility clients see a
// check box. The action is sent whenever the value changes through the user;
// the value itself is observable through checkedValue(), which hears of every
// change (the place of a binding).
class TGSwitch : public QWidget {
    Q_OBJECT
public:
    static constexpr double kAnimationDuration = 0.4;
    static constexpr double kActiveKnobRatio = 1.38;
    static constexpr double kKnobRatio = 1.6180340051651;

    explicit TGSwitch(QWidget* parent = nullptr);
    ~TGSwitch() override;

    bool checked() const { return m_checked; }
    // Stores and tells the observers only when the value changes; redraws
    // in every case.
    void setChecked(bool checked);
    void setCheckedOnlyNeeded(bool checked);
    platform::ObservableProperty<bool>& checkedValue() { return m_checkedValue; }

    // Unset colours use the defaults: a green tint, a faint black border.
    QColor tintColor() const;
    void setTintColor(const QColor& color);
    QColor disabledBorderColor() const;
    void setDisabledBorderColor(const QColor& color);

    VTRTargetAction& targetAction() { return m_targetAction; }

    bool isActive() const { return m_active; }
    bool hasDragged() const { return m_dragged; }
    bool isDraggingTowardsOn() const { return m_draggingTowardsOn; }

    // Where the knob goes for the current state, in the switch's bounds.
    QRectF rectForKnob() const;
    // Where it is drawn now (mid-animation included).
    QRectF presentedKnobRect() const;
    bool showsOn() const;
    bool isAnimating() const;
    // Jumps to the end of the running animation.
    void removeAllAnimations();

    // Space toggles only while the switch has the focus; true when handled.
    bool performKeyEquivalent(QKeyEvent* event);
    void moveLeft();
    void moveRight();
    // What an accessibility client's press does: toggle and send.
    void accessibilityPress();
    // What setting the value from an accessibility client does.
    void accessibilitySetValue(bool value);

    void invokeTargetAction();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setUp();
    void reloadLayer();
    void paintSwitch(QPainter& painter) const;
    void reloadLayerSize();
    QRectF knobRectFor(const QSizeF& size) const;
    double progress() const;

    bool m_checked = false;
    QColor m_tintColor;
    QColor m_disabledBorderColor;
    VTRTargetAction m_targetAction;
    bool m_active = false;
    bool m_dragged = false;
    bool m_draggingTowardsOn = false;
    platform::ObservableProperty<bool> m_checkedValue{false};

    // Drawn state: the knob, track and opacity move from "from" to "to".
    QRectF m_fromKnob;
    QRectF m_toKnob;
    QColor m_fromFill, m_toFill, m_fromBorder, m_toBorder;
    QVariantAnimation* m_animation = nullptr; // child
};
