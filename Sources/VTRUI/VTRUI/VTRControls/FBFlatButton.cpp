#include "FBFlatButton.h"

#include "ControlView.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

namespace {

// The layers' own starting colours: a black border, a red background until
// the first colour change, no image colour and a white title.
const QColor kInitialColors[] = {QColor(Qt::black), QColor(Qt::red), QColor(), QColor(Qt::white)};

QColor drawable(const QColor& color)
{
    return color.isValid() ? color : QColor(Qt::transparent);
}

} // namespace

FBFlatButton::FBFlatButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    // A click from the keyboard (or click()) sends the action as a mouse
    // click does; the mouse handling below never emits clicked().
    connect(this, &QAbstractButton::clicked, this, [this] { m_targetAction.send(this); });
    setup();
    setupImageLayer();
    setupTitleLayer();
}

FBFlatButton::~FBFlatButton() = default;

void FBFlatButton::setup()
{
    for (size_t i = 0; i < m_colors.size(); ++i)
        m_colors[i].model = kInitialColors[i];
    // Only the rounded shape is painted; the corners show what lies below.
    setAttribute(Qt::WA_NoSystemBackground);
}

void FBFlatButton::awakeFromNib()
{
    m_tracksMouse = true;
}

void FBFlatButton::setMomentary(bool momentary)
{
    m_momentary = momentary;
    animateColorWithState(m_state);
}

void FBFlatButton::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    update();
}

void FBFlatButton::setBorderWidth(double width)
{
    m_borderWidth = width;
    update();
}

void FBFlatButton::setSpacing(double spacing)
{
    m_spacing = spacing;
    setupImageLayer();
    setupTitleLayer();
}

void FBFlatButton::setColor(QColor& field, const QColor& color)
{
    field = color;
    animateColorWithState(m_state);
}

void FBFlatButton::setBorderNormalColor(const QColor& c) { setColor(m_borderNormalColor, c); }
void FBFlatButton::setBorderHighlightColor(const QColor& c) { setColor(m_borderHighlightColor, c); }
void FBFlatButton::setBackgroundNormalColor(const QColor& c) { setColor(m_backgroundNormalColor, c); }
void FBFlatButton::setBackgroundHighlightColor(const QColor& c) { setColor(m_backgroundHighlightColor, c); }
void FBFlatButton::setBackgroundDisabledColor(const QColor& c) { setColor(m_backgroundDisabledColor, c); }
void FBFlatButton::setImageNormalColor(const QColor& c) { setColor(m_imageNormalColor, c); }
void FBFlatButton::setImageHighlightColor(const QColor& c) { setColor(m_imageHighlightColor, c); }
void FBFlatButton::setTitleNormalColor(const QColor& c) { setColor(m_titleNormalColor, c); }
void FBFlatButton::setTitleHighlightColor(const QColor& c) { setColor(m_titleHighlightColor, c); }
void FBFlatButton::setTitleDisabledColor(const QColor& c) { setColor(m_titleDisabledColor, c); }

void FBFlatButton::setTitle(const QString& title)
{
    setText(title);
    setupTitleLayer();
}

void FBFlatButton::setImage(const VTRImage& image)
{
    m_image = image;
    setupImageLayer();
}

void FBFlatButton::setImagePosition(VTRImagePosition position)
{
    m_imagePosition = position;
    setupImageLayer();
    setupTitleLayer();
}

void FBFlatButton::setImageHugsTitle(bool hugs)
{
    m_imageHugsTitle = hugs;
    setupImageLayer();
    setupTitleLayer();
}

void FBFlatButton::setState(Qt::CheckState state)
{
    m_state = state;
    m_settingState = true;
    setChecked(state == Qt::Checked);
    m_settingState = false;
    animateColorWithState(state);
}

void FBFlatButton::checkStateSet()
{
    // setChecked() from outside: the button's state follows.
    if (!m_settingState)
        setState(isChecked() ? Qt::Checked : Qt::Unchecked);
}

void FBFlatButton::nextCheckState()
{
    // A momentary button pressed and released from the keyboard ends where
    // it began.
    if (!m_momentary)
        flipState();
}

QWidget* FBFlatButton::hitTest(const QPoint& point)
{
    if (!isEnabled())
        return nullptr;
    return rect().contains(point) ? this : nullptr;
}

QSizeF FBFlatButton::titleSize() const
{
    return QFontMetricsF(font()).size(Qt::TextSingleLine, text());
}

void FBFlatButton::setupImageLayer()
{
    if (m_image.isNull() || m_imagePosition == VTRImagePosition::NoImage) {
        m_imageShown = false;
        m_imageMask = QImage();
        update();
        return;
    }
    const double W = width();
    const double H = height();
    const double iw = m_image.size().width();
    const double ih = m_image.size().height();
    const QSizeF t = titleSize();
    const double tw = t.width();
    const double th = t.height();
    const double s = m_spacing;
    const bool hug = myImageHugsTitle();
    double x = 0.0;
    double y = 0.0;
    switch (m_imagePosition) {
    case VTRImagePosition::ImageOnly:
    case VTRImagePosition::ImageOverlaps:
        x = (W - iw) / 2.0;
        y = (H - ih) / 2.0;
        break;
    case VTRImagePosition::ImageLeft:
    case VTRImagePosition::ImageLeading:
        x = hug ? (W - iw - tw) / 2.0 - s : s;
        y = (H - ih) / 2.0;
        break;
    case VTRImagePosition::ImageRight:
    case VTRImagePosition::ImageTrailing:
        x = hug ? (W - iw + tw) / 2.0 + s : W - iw - s;
        y = (H - ih) / 2.0;
        break;
    case VTRImagePosition::ImageBelow:
        x = (W - iw) / 2.0;
        y = hug ? (H - ih + th) / 2.0 + s : H - ih - s;
        break;
    case VTRImagePosition::ImageAbove:
        x = (W - iw) / 2.0;
        y = hug ? (H - ih - th) / 2.0 - s : s;
        break;
    default:
        break;
    }
    m_imageFrame = QRectF(std::round(x), std::round(y), iw, ih);
    // The mask at the screen's pixel ratio, tinted when painted.
    const qreal ratio = devicePixelRatioF();
    QImage mask(QSize(int(std::ceil(iw * ratio)), int(std::ceil(ih * ratio))), QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    if (!mask.isNull()) {
        QPainter painter(&mask);
        m_image.draw(painter, QRectF(QPointF(0, 0), QSizeF(mask.size())));
    }
    mask.setDevicePixelRatio(ratio);
    m_imageMask = mask;
    m_imageShown = true;
    update();
}

void FBFlatButton::setupTitleLayer()
{
    if (text().isEmpty() || m_imagePosition == VTRImagePosition::ImageOnly) {
        m_titleShown = false;
        update();
        return;
    }
    const double W = width();
    const double H = height();
    const QSizeF imageSize = m_image.size();
    const double iw = imageSize.width();
    const double ih = imageSize.height();
    const QSizeF t = titleSize();
    const double tw = t.width();
    const double th = t.height();
    const double s = m_spacing;
    const bool hug = myImageHugsTitle();
    double x = 0.0;
    double y = 0.0;
    switch (m_imagePosition) {
    case VTRImagePosition::NoImage:
    case VTRImagePosition::ImageOverlaps:
        x = (W - tw) / 2.0;
        y = (H - th) / 2.0;
        break;
    case VTRImagePosition::ImageLeft:
    case VTRImagePosition::ImageLeading:
        x = hug ? (W + iw - tw) / 2.0 + s : W - tw - s;
        y = (H - th) / 2.0;
        break;
    case VTRImagePosition::ImageRight:
    case VTRImagePosition::ImageTrailing:
        x = hug ? (W - iw - tw) / 2.0 - s : s;
        y = (H - th) / 2.0;
        break;
    case VTRImagePosition::ImageBelow:
        x = (W - tw) / 2.0;
        y = hug ? (H - ih - th) / 2.0 - s : s;
        break;
    case VTRImagePosition::ImageAbove:
        x = (W - tw) / 2.0;
        y = hug ? (H + ih - th) / 2.0 + s : H - th - s;
        break;
    default:
        break;
    }
    m_titleFrame = QRectF(std::round(x), std::round(y), std::ceil(tw), std::ceil(th));
    m_titleShown = true;
    update();
}

void FBFlatButton::animateColorWithState(Qt::CheckState state)
{
    removeAllAnimations();
    const bool on = state == Qt::Checked;
    const double duration = on ? m_onAnimateDuration : m_offAnimateDuration;
    const bool enabled = isEnabled();
    const QColor border = on ? m_borderHighlightColor : m_borderNormalColor;
    const QColor background = !enabled ? m_backgroundDisabledColor : on ? m_backgroundHighlightColor
                                                                         : m_backgroundNormalColor;
    const QColor title = !enabled ? m_titleDisabledColor : on ? m_titleHighlightColor : m_titleNormalColor;
    const QColor image = on ? m_imageHighlightColor : m_imageNormalColor;
    animateLayer(ColorKey::BorderColor, border, duration);
    animateLayer(ColorKey::BackgroundColor, background, duration);
    animateLayer(ColorKey::ImageColor, image, duration);
    animateLayer(ColorKey::TitleColor, title, duration);
}

void FBFlatButton::animateLayer(ColorKey key, const QColor& color, double duration)
{
    AnimatedColor& entry = m_colors[size_t(key)];
    if (entry.model == color)
        return;
    const QColor from = drawable(presentedColor(key));
    delete entry.animation;
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(from);
    animation->setEndValue(drawable(color));
    animation->setDuration(int(std::max(0.0, duration) * 1000.0 + 0.5));
    connect(animation, &QVariantAnimation::valueChanged, this, [this] { update(); });
    entry.animation = animation;
    entry.model = color;
    animation->start();
    update();
}

QColor FBFlatButton::presentedColor(ColorKey key) const
{
    const AnimatedColor& entry = m_colors[size_t(key)];
    if (entry.animation && entry.animation->state() == QAbstractAnimation::Running)
        return entry.animation->currentValue().value<QColor>();
    return entry.model;
}

QColor FBFlatButton::modelColor(ColorKey key) const
{
    return m_colors[size_t(key)].model;
}

int FBFlatButton::animationCount() const
{
    int count = 0;
    for (const AnimatedColor& entry : m_colors)
        count += entry.animation ? 1 : 0;
    return count;
}

void FBFlatButton::removeAllAnimations()
{
    for (AnimatedColor& entry : m_colors) {
        delete entry.animation;
        entry.animation = nullptr;
    }
    update();
}

void FBFlatButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF bounds(rect());
    QPainterPath shape;
    shape.addRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
    painter.setClipPath(shape);
    painter.fillPath(shape, drawable(presentedColor(ColorKey::BackgroundColor)));

    if (m_imageShown && !m_imageMask.isNull()) {
        QImage tinted = m_imageMask;
        QPainter tint(&tinted);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(QRectF(QPointF(0, 0), QSizeF(tinted.size()) / tinted.devicePixelRatio()),
                      drawable(presentedColor(ColorKey::ImageColor)));
        tint.end();
        painter.drawImage(m_imageFrame.topLeft(), tinted);
    }
    if (m_titleShown) {
        painter.setFont(font());
        painter.setPen(drawable(presentedColor(ColorKey::TitleColor)));
        painter.drawText(m_titleFrame, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
    }
    // The border lies inside the bounds, above everything else.
    if (m_borderWidth > 0.0) {
        const double half = m_borderWidth / 2.0;
        QPainterPath border;
        border.addRoundedRect(bounds.adjusted(half, half, -half, -half), std::max(0.0, m_cornerRadius - half),
                              std::max(0.0, m_cornerRadius - half));
        painter.strokePath(border, QPen(drawable(presentedColor(ColorKey::BorderColor)), m_borderWidth));
    }
}

void FBFlatButton::flipState()
{
    setState(m_state == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void FBFlatButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled() || event->button() != Qt::LeftButton)
        return;
    m_mouseDown = true;
    m_pointerInside = true;
    flipState();
}

void FBFlatButton::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    // A pressed button holds the mouse, so no leave event comes: the moves
    // tell when the pointer leaves or comes back.
    if (!m_tracksMouse || !isEnabled())
        return;
    const bool inside = ControlView::boundsContain(QSizeF(size()), event->position());
    if (inside == m_pointerInside)
        return;
    m_pointerInside = inside;
    if (inside)
        mouseEntered();
    else
        mouseExited();
}

void FBFlatButton::mouseEntered()
{
    if (m_mouseDown)
        flipState();
}

void FBFlatButton::mouseExited()
{
    if (m_mouseDown) {
        m_mouseDown = false;
        flipState();
    }
}

void FBFlatButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled() || event->button() != Qt::LeftButton || !m_mouseDown)
        return;
    m_mouseDown = false;
    if (m_momentary)
        flipState();
    m_targetAction.send(this);
}

void FBFlatButton::resizeEvent(QResizeEvent* event)
{
    QAbstractButton::resizeEvent(event);
    setupImageLayer();
    setupTitleLayer();
}

void FBFlatButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        // A disabled button is not hit: clicks reach what lies below it.
        setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
        animateColorWithState(m_state);
    } else if (event->type() == QEvent::FontChange) {
        setupTitleLayer();
    }
}
