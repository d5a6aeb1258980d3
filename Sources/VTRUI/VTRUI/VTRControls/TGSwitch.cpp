#include "TGSwitch.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEasingCurve>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <mutex>

namespace {

QColor mix(const QColor& a, const QColor& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    const QColor x = a.isValid() ? a.toRgb() : QColor(0, 0, 0, 0);
    const QColor y = b.isValid() ? b.toRgb() : QColor(0, 0, 0, 0);
    return QColor::fromRgbF(float(x.redF() + (y.redF() - x.redF()) * t), float(x.greenF() + (y.greenF() - x.greenF()) * t),
                            float(x.blueF() + (y.blueF() - x.blueF()) * t),
                            float(x.alphaF() + (y.alphaF() - x.alphaF()) * t));
}

QRectF mix(const QRectF& a, const QRectF& b, double t)
{
    return QRectF(a.x() + (b.x() - a.x()) * t, a.y() + (b.y() - a.y()) * t, a.width() + (b.width() - a.width()) * t,
                  a.height() + (b.height() - a.height()) * t);
}

// Seen by accessibility clients as a check box whose value is the state.
class TGSwitchAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TGSwitchAccessible(TGSwitch* view)
        : QAccessibleWidget(view, QAccessible::CheckBox)
    {
    }

    TGSwitch* control() const { return static_cast<TGSwitch*>(widget()); }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = control()->checked();
        return s;
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (!names.contains(pressAction()))
            names << pressAction();
        if (!names.contains(toggleAction()))
            names << toggleAction();
        return names;
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction() || name == toggleAction())
            control()->accessibilityPress();
        else
            QAccessibleWidget::doAction(name);
    }

    QVariant currentValue() const override { return control()->checked() ? 1 : 0; }
    void setCurrentValue(const QVariant& value) override { control()->accessibilitySetValue(value.toInt() != 0); }
    QVariant maximumValue() const override { return 1; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
};

QAccessibleInterface* switchAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TGSwitch") && object && object->isWidgetType())
        return new TGSwitchAccessible(static_cast<TGSwitch*>(object));
    return nullptr;
}

} // namespace

TGSwitch::TGSwitch(QWidget* parent)
    : QWidget(parent)
{
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(switchAccessibleFactory); });
    setUp();
}

TGSwitch::~TGSwitch() = default;

void TGSwitch::setUp()
{
    setEnabled(true);
    // Keyboard access to every control is always on here.
    setFocusPolicy(Qt::StrongFocus);
    m_animation = new QVariantAnimation(this);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(int(kAnimationDuration * 1000.0));
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this] { update(); });
    reloadLayerSize();
    reloadLayer();
    removeAllAnimations();
}

QColor TGSwitch::tintColor() const
{
    return m_tintColor.isValid() ? m_tintColor : QColor::fromRgbF(0.27f, 0.86f, 0.36f, 1.0f);
}

void TGSwitch::setTintColor(const QColor& color)
{
    m_tintColor = color;
    reloadLayer();
}

QColor TGSwitch::disabledBorderColor() const
{
    return m_disabledBorderColor.isValid() ? m_disabledBorderColor : QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.2f);
}

void TGSwitch::setDisabledBorderColor(const QColor& color)
{
    m_disabledBorderColor = color;
    reloadLayer();
}

void TGSwitch::setChecked(bool checked)
{
    if (checked != m_checked) {
        m_checked = checked;
        m_checkedValue.set(checked);
    }
    reloadLayer();
}

void TGSwitch::setCheckedOnlyNeeded(bool checked)
{
    if (checked != m_checked)
        setChecked(checked);
}

bool TGSwitch::showsOn() const
{
    return m_draggingTowardsOn || (!m_dragged && m_checked);
}

QRectF TGSwitch::knobRectFor(const QSizeF& size) const
{
    const double w = size.width();
    const double h = size.height();
    const double knobHeight = h - 2.0;
    const double knobWidth = (w - 2.0) / (m_active ? kActiveKnobRatio : kKnobRatio);
    const bool restsLeft = (!m_dragged && !m_checked) || (m_dragged && !m_draggingTowardsOn);
    const double x = restsLeft ? 1.0 : w - knobWidth - 1.0;
    return QRectF(x, 1.0, knobWidth, knobHeight);
}

QRectF TGSwitch::rectForKnob() const
{
    return knobRectFor(QSizeF(size()));
}

double TGSwitch::progress() const
{
    if (m_animation->state() != QAbstractAnimation::Running)
        return 1.0;
    return m_animation->easingCurve().valueForProgress(m_animation->currentTime() / double(m_animation->duration()));
}

QRectF TGSwitch::presentedKnobRect() const
{
    return mix(m_fromKnob, m_toKnob, progress());
}

bool TGSwitch::isAnimating() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void TGSwitch::removeAllAnimations()
{
    m_animation->stop();
    m_fromKnob = m_toKnob;
    m_fromFill = m_toFill;
    m_fromBorder = m_toBorder;
    update();
}

void TGSwitch::reloadLayerSize()
{
    m_toKnob = rectForKnob();
    m_fromKnob = m_toKnob;
    update();
}

void TGSwitch::reloadLayer()
{
    // Start from what shows now, so a change mid-way turns smoothly.
    const double t = progress();
    const QRectF knobNow = mix(m_fromKnob, m_toKnob, t);
    const QColor fillNow = mix(m_fromFill, m_toFill, t);
    const QColor borderNow = mix(m_fromBorder, m_toBorder, t);
    m_fromKnob = knobNow;
    m_fromFill = fillNow;
    m_fromBorder = borderNow;
    if (showsOn()) {
        m_toFill = tintColor();
        m_toBorder = tintColor();
    } else {
        m_toFill = QColor(0, 0, 0, 0);
        m_toBorder = disabledBorderColor();
    }
    m_toKnob = rectForKnob();
    QEasingCurve curve(QEasingCurve::BezierSpline);
    if (!m_dragged)
        curve.addCubicBezierSegment(QPointF(0.25, 1.5), QPointF(0.5, 1.0), QPointF(1.0, 1.0)); // overshoot, settle
    else
        curve.addCubicBezierSegment(QPointF(0.25, 0.1), QPointF(0.25, 1.0), QPointF(1.0, 1.0));
    m_animation->stop();
    m_animation->setEasingCurve(curve);
    m_animation->start();
    update();
}

void TGSwitch::paintEvent(QPaintEvent*)
{
    QPainter target(this);
    if (isEnabled()) {
        paintSwitch(target);
        return;
    }
    // Half opacity for the switch as a whole, not for each of its parts.
    const qreal ratio = devicePixelRatioF();
    QImage layer(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    paintSwitch(painter);
    painter.end();
    target.setOpacity(0.5);
    target.drawImage(QPointF(0, 0), layer);
}

void TGSwitch::paintSwitch(QPainter& painter) const
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double t = progress();
    const QRectF bounds(rect());
    const double radius = bounds.height() / 2.0;

    if (hasFocus()) {
        QPainterPath ring;
        ring.addRoundedRect(bounds, radius, radius);
        painter.strokePath(ring, QPen(palette().color(QPalette::Highlight), 2.0));
    }

    QPainterPath track;
    track.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    painter.fillPath(track, mix(m_fromFill, m_toFill, t));
    painter.strokePath(track, QPen(mix(m_fromBorder, m_toBorder, t), 1.0));

    const QRectF knob = mix(m_fromKnob, m_toKnob, t);
    const double knobRadius = knob.height() / 2.0;
    painter.setPen(Qt::NoPen);
    // Soft shadows: one falling 2 points down, one all round.
    painter.setBrush(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.12f));
    painter.drawRoundedRect(knob.translated(0.0, 2.0).adjusted(-0.5, -0.5, 0.5, 0.5), knobRadius, knobRadius);
    painter.setBrush(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.18f));
    painter.drawRoundedRect(knob.adjusted(-1.0, -1.0, 1.0, 1.0), knobRadius + 1.0, knobRadius + 1.0);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(knob, knobRadius, knobRadius);
}

void TGSwitch::invokeTargetAction()
{
    m_targetAction.send(this);
}

void TGSwitch::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return;
    m_active = true;
    reloadLayer();
}

void TGSwitch::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled() || !m_active)
        return;
    m_dragged = true;
    m_draggingTowardsOn = event->position().x() >= width() / 2.0;
    reloadLayer();
}

void TGSwitch::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled() || event->button() != Qt::LeftButton || !m_active)
        return;
    m_active = false;
    const bool newValue = m_dragged ? m_draggingTowardsOn : !m_checked;
    const bool changed = newValue != m_checked;
    setChecked(newValue);
    if (changed)
        invokeTargetAction();
    m_dragged = false;
    m_draggingTowardsOn = false;
    reloadLayer();
}

void TGSwitch::moveLeft()
{
    if (m_checked) {
        setChecked(false);
        invokeTargetAction();
    }
}

void TGSwitch::moveRight()
{
    if (!m_checked) {
        setChecked(true);
        invokeTargetAction();
    }
}

bool TGSwitch::performKeyEquivalent(QKeyEvent* event)
{
    if (!event || !window() || window()->focusWidget() != this || !hasFocus() || event->key() != Qt::Key_Space)
        return false;
    setChecked(!m_checked);
    invokeTargetAction();
    return true;
}

void TGSwitch::keyPressEvent(QKeyEvent* event)
{
    if (!isEnabled()) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        moveLeft();
        return;
    case Qt::Key_Right:
        moveRight();
        return;
    default:
        if (performKeyEquivalent(event))
            return;
        QWidget::keyPressEvent(event);
    }
}

void TGSwitch::accessibilityPress()
{
    setChecked(!m_checked);
    invokeTargetAction();
}

void TGSwitch::accessibilitySetValue(bool value)
{
    const bool changed = value != m_checked;
    setChecked(value);
    if (changed)
        invokeTargetAction();
}

void TGSwitch::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    reloadLayerSize();
}

void TGSwitch::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        reloadLayer();
}
