#include "PHProgressHUD.h"

#include "PHProgressHUDDelegate.h"
#include "PHRoundProgressView.h"

#include "platform/appkit/ProgressSpinner.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QThread>
#include <QThreadPool>
#include <QVariantAnimation>

#include <cmath>
#include <thread>

namespace {
constexpr float kPadding = 4.0f;
constexpr double kShowSeconds = 0.8;
constexpr double kHideSeconds = 0.30;

QFont boldSystemFont(int pointSize)
{
    QFont font;
    font.setPointSize(pointSize);
    font.setBold(true);
    return font;
}
} // namespace

PHProgressHUD* PHProgressHUD::showHUDAddedTo(QWidget* view, bool animated)
{
    auto* hud = new PHProgressHUD(view);
    hud->raise();
    hud->show(animated);
    return hud;
}

bool PHProgressHUD::hideHUDForView(QWidget* view, bool animated)
{
    PHProgressHUD* hud = HUDForView(view);
    if (!hud)
        return false;
    hud->setRemoveFromSuperViewOnHide(true);
    hud->hide(animated);
    return true;
}

int PHProgressHUD::hideAllHUDsForView(QWidget* view, bool animated)
{
    const QList<PHProgressHUD*> huds = allHUDsForView(view);
    for (PHProgressHUD* hud : huds) {
        hud->setRemoveFromSuperViewOnHide(true);
        hud->hide(animated);
    }
    return int(huds.size());
}

PHProgressHUD* PHProgressHUD::HUDForView(QWidget* view)
{
    const QList<PHProgressHUD*> huds = allHUDsForView(view);
    return huds.isEmpty() ? nullptr : huds.last();
}

QList<PHProgressHUD*> PHProgressHUD::allHUDsForView(QWidget* view)
{
    QList<PHProgressHUD*> huds;
    if (!view)
        return huds;
    for (QObject* child : view->children()) {
        if (auto* hud = qobject_cast<PHProgressHUD*>(child))
            huds << hud;
    }
    return huds;
}

PHProgressHUD::PHProgressHUD(QWidget* view)
    : QWidget(view)
    , m_labelFont(boldSystemFont(16))
    , m_detailsLabelFont(boldSystemFont(12))
    , m_clock(&platform::Clock::system())
{
    setAccessibleName(QStringLiteral("Progress HUD"));
    if (view) {
        setGeometry(view->rect());
        view->installEventFilter(this);
    }
    m_opacityEffect = new QGraphicsOpacityEffect(this);
    m_opacityEffect->setOpacity(0.0);
    setGraphicsEffect(m_opacityEffect);
    m_animation = new QVariantAnimation(this);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    setupLabels();
    updateIndicators();
    layoutViews();
    QWidget::show();
}

PHProgressHUD::~PHProgressHUD()
{
    cancelTimers();
}

void PHProgressHUD::cancelTimers()
{
    for (platform::Clock::TimerId* timer : {&m_graceTimer, &m_minShowTimer, &m_hideDelayTimer, &m_doneTimer}) {
        if (*timer)
            m_clock->cancel(*timer);
        *timer = 0;
    }
}

void PHProgressHUD::setClock(platform::Clock* clock)
{
    cancelTimers();
    m_clock = clock ? clock : &platform::Clock::system();
}

void PHProgressHUD::setupLabels()
{
    // The labels show the HUD's fonts from the start.
    const auto make = [this](const QFont& font, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setFont(font);
        label->setTextInteractionFlags(Qt::NoTextInteraction);
        label->setAutoFillBackground(false);
        label->setAttribute(Qt::WA_TranslucentBackground);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(palette);
        label->raise();
        return label;
    };
    m_label = make(labelFont(), labelText());
    m_detailsLabel = make(detailsLabelFont(), detailsLabelText());
}

void PHProgressHUD::updateUI(const std::function<void()>& change, bool relayout)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this, change, relayout] { updateUI(change, relayout); }, Qt::QueuedConnection);
        return;
    }
    change();
    if (relayout) {
        layoutViews();
        update();
    }
}

void PHProgressHUD::setMode(int mode)
{
    m_mode = mode;
    updateUI([this] { updateIndicators(); }, true);
}

QWidget* PHProgressHUD::customView() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_customView;
}

void PHProgressHUD::setCustomView(QWidget* view)
{
    QPointer<QWidget> old;
    {
        QMutexLocker lock(&m_propertiesLock);
        old = m_customView;
        m_customView = view;
    }
    // The views themselves are the main thread's.
    updateUI([this, old, view = QPointer<QWidget>(view)] {
        if (old && old != view && old->parent() == this)
            old->deleteLater();
        if (view) {
            view->setParent(this);
            view->hide();
        }
        updateIndicators();
    }, true);
}

QString PHProgressHUD::labelText() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_labelText;
}

void PHProgressHUD::setLabelText(const QString& text)
{
    {
        QMutexLocker lock(&m_propertiesLock);
        m_labelText = text;
    }
    updateUI([this, text] { m_label->setText(text); }, true);
}

QFont PHProgressHUD::labelFont() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_labelFont;
}

void PHProgressHUD::setLabelFont(const QFont& font)
{
    {
        QMutexLocker lock(&m_propertiesLock);
        m_labelFont = font;
    }
    updateUI([this, font] { m_label->setFont(font); }, true);
}

QString PHProgressHUD::detailsLabelText() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_detailsLabelText;
}

void PHProgressHUD::setDetailsLabelText(const QString& text)
{
    {
        QMutexLocker lock(&m_propertiesLock);
        m_detailsLabelText = text;
    }
    updateUI([this, text] { m_detailsLabel->setText(text); }, true);
}

QFont PHProgressHUD::detailsLabelFont() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_detailsLabelFont;
}

void PHProgressHUD::setDetailsLabelFont(const QFont& font)
{
    {
        QMutexLocker lock(&m_propertiesLock);
        m_detailsLabelFont = font;
    }
    updateUI([this, font] { m_detailsLabel->setFont(font); }, true);
}

void PHProgressHUD::setProgress(float progress)
{
    m_progress = progress;
    updateUI([this, progress] {
        if (auto* round = qobject_cast<PHRoundProgressView*>(m_indicator.data()))
            round->setProgress(progress);
    }, false);
}

void PHProgressHUD::setOpacity(float opacity)
{
    m_opacity = opacity;
    updateUI([this] { update(); }, false);
}

std::optional<QColor> PHProgressHUD::color() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_color;
}

void PHProgressHUD::setColor(std::optional<QColor> color)
{
    {
        QMutexLocker lock(&m_propertiesLock);
        m_color = color;
    }
    updateUI([this] { update(); }, false);
}

void PHProgressHUD::setXOffset(float offset)
{
    m_xOffset = offset;
    updateUI([] {}, true);
}

void PHProgressHUD::setYOffset(float offset)
{
    m_yOffset = offset;
    updateUI([] {}, true);
}

void PHProgressHUD::setMargin(float margin)
{
    m_margin = margin;
    updateUI([] {}, true);
}

QSizeF PHProgressHUD::minSize() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_minSize;
}

void PHProgressHUD::setMinSize(const QSizeF& size)
{
    {
        QMutexLocker lock(&m_propertiesLock);
        m_minSize = size;
    }
    updateUI([] {}, true);
}

void PHProgressHUD::setSquare(bool square)
{
    m_square = square;
    updateUI([] {}, true);
}

void PHProgressHUD::setDimBackground(bool dim)
{
    m_dimBackground = dim;
    updateUI([this] { update(); }, false);
}

QSizeF PHProgressHUD::boxSize() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_size;
}

std::function<void()> PHProgressHUD::completionBlock() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_completionBlock;
}

void PHProgressHUD::setCompletionBlock(std::function<void()> block)
{
    QMutexLocker lock(&m_propertiesLock);
    m_completionBlock = std::move(block);
}

std::optional<double> PHProgressHUD::showStarted() const
{
    QMutexLocker lock(&m_propertiesLock);
    return m_showStarted;
}

void PHProgressHUD::setShowStarted(std::optional<double> when)
{
    QMutexLocker lock(&m_propertiesLock);
    m_showStarted = when;
}

void PHProgressHUD::updateIndicators()
{
    const auto removeOld = [this] {
        if (!m_indicator)
            return;
        if (m_indicator == customView()) {
            m_indicator->hide(); // still the HUD's, as its custom view
        } else {
            m_indicator->hide();
            m_indicator->deleteLater();
        }
        m_indicator = nullptr;
    };
    switch (m_mode.load()) {
    case Spinner:
        if (!qobject_cast<platform::ProgressSpinner*>(m_indicator.data())) {
            removeOld();
            auto* spinner = new platform::ProgressSpinner(this);
            spinner->setGeometry(0, 0, 20, 20);
            spinner->setColor(Qt::white);
            spinner->startAnimation();
            spinner->show();
            m_indicator = spinner;
        }
        break;
    case Wedge:
    case Ring:
        if (!qobject_cast<PHRoundProgressView*>(m_indicator.data())) {
            removeOld();
            auto* round = new PHRoundProgressView(this);
            round->show();
            m_indicator = round;
        }
        // A ring stays a ring when the mode goes back to the wedge.
        if (m_mode == Ring)
            static_cast<PHRoundProgressView*>(m_indicator.data())->setAnnular(true);
        break;
    case CustomView:
        if (m_indicator != customView()) {
            removeOld();
            m_indicator = customView();
            if (m_indicator)
                m_indicator->show();
        }
        break;
    default:
        removeOld();
        break;
    }
}

void PHProgressHUD::layoutViews()
{
    if (!m_label)
        return;
    const float w = float(width());
    const float h = float(height());
    const float m = m_margin;
    const float limit = w - 4 * m;

    QSizeF indicatorSize = m_indicator ? QSizeF(m_indicator->size()) : QSizeF(0, 0);
    indicatorSize.setWidth(std::min<double>(indicatorSize.width(), limit));
    float totalWidth = float(indicatorSize.width());
    float totalHeight = float(indicatorSize.height());

    QSizeF labelSize = m_label->sizeHint();
    labelSize.setWidth(std::min<double>(labelSize.width(), limit));
    const bool labelAndIndicator = labelSize.height() > 0 && indicatorSize.height() > 0;
    totalHeight += float(labelSize.height()) + (labelAndIndicator ? kPadding : 0);
    totalWidth = std::max(totalWidth, float(labelSize.width()));

    QSizeF detailsSize = detailsLabelText().isEmpty() ? QSizeF(0, 0) : QSizeF(m_detailsLabel->sizeHint());
    detailsSize.setWidth(std::min<double>(detailsSize.width(), limit));
    const bool detailsAfterOthers =
        detailsSize.height() > 0 && (labelSize.height() > 0 || indicatorSize.height() > 0);
    totalHeight += float(detailsSize.height()) + (detailsAfterOthers ? kPadding : 0);
    totalWidth = std::max(totalWidth, float(detailsSize.width()));

    totalWidth += 2 * m;
    totalHeight += 2 * m;

    float y = std::round((h - totalHeight) / 2) + m + m_yOffset;
    const auto place = [this, w, &y](QWidget* view, const QSizeF& size) {
        const float x = std::round((w - float(size.width())) / 2) + m_xOffset;
        if (view)
            view->setGeometry(QRectF(x, y, size.width(), size.height()).toRect());
    };
    place(m_indicator, indicatorSize);
    y += float(indicatorSize.height()) + (labelAndIndicator ? kPadding : 0);
    place(m_label, labelSize);
    y += float(labelSize.height()) + (detailsAfterOthers ? kPadding : 0);
    place(m_detailsLabel, detailsSize);
    m_detailsLabel->setVisible(!detailsSize.isEmpty());

    if (m_square) {
        const float side = std::max(totalWidth, totalHeight);
        if (side <= w - 2 * m)
            totalWidth = side;
        if (side <= h - 2 * m)
            totalHeight = side;
    }
    const QSizeF least = minSize();
    QMutexLocker lock(&m_propertiesLock);
    m_size = QSizeF(std::max<double>(least.width(), totalWidth), std::max<double>(least.height(), totalHeight));
}

void PHProgressHUD::show(bool animated)
{
    m_useAnimation = animated;
    if (m_graceTime > 0) {
        if (m_graceTimer)
            m_clock->cancel(m_graceTimer);
        m_graceTimer = m_clock->schedule(m_graceTime, [this] { handleGraceTimer(); });
        return;
    }
    update();
    showUsingAnimation(animated);
}

void PHProgressHUD::handleGraceTimer()
{
    m_graceTimer = 0;
    // Only a task still running is worth showing.
    if (m_taskInProgress) {
        update();
        showUsingAnimation(m_useAnimation);
    }
}

void PHProgressHUD::showUsingAnimation(bool animated)
{
    m_isFinished = false;
    if (animated && m_animationType == ZoomOut)
        m_paintScale = 1.5;
    else if (animated && m_animationType == ZoomIn)
        m_paintScale = 0.5;
    setShowStarted(m_clock->now());
    if (animated)
        animateTo(1.0, 1.0, kShowSeconds);
    else
        setAlpha(1.0);
}

void PHProgressHUD::hide(bool animated)
{
    m_useAnimation = animated;
    const std::optional<double> started = showStarted();
    if (m_minShowTime > 0 && started) {
        const double shownFor = m_clock->now() - *started;
        if (shownFor < m_minShowTime) {
            if (m_minShowTimer)
                m_clock->cancel(m_minShowTimer);
            m_minShowTimer = m_clock->schedule(m_minShowTime - shownFor, [this] { handleMinShowTimer(); });
            return;
        }
    }
    hideUsingAnimation(animated);
}

void PHProgressHUD::hide(bool animated, double delaySeconds)
{
    if (m_hideDelayTimer)
        m_clock->cancel(m_hideDelayTimer);
    m_hideDelayTimer = m_clock->schedule(delaySeconds, [this, animated] {
        m_hideDelayTimer = 0;
        hide(animated);
    });
}

void PHProgressHUD::handleMinShowTimer()
{
    m_minShowTimer = 0;
    hideUsingAnimation(m_useAnimation);
}

void PHProgressHUD::hideUsingAnimation(bool animated)
{
    if (animated && showStarted()) {
        const double scale = m_animationType == ZoomOut ? 0.5 : m_animationType == ZoomIn ? 1.5 : 1.0;
        animateTo(0.02, scale, kHideSeconds);
        if (m_doneTimer)
            m_clock->cancel(m_doneTimer);
        m_doneTimer = m_clock->schedule(kHideSeconds, [this] {
            m_doneTimer = 0;
            done();
        });
    } else {
        setAlpha(0.0);
        done();
    }
    setShowStarted(std::nullopt);
}

void PHProgressHUD::animateTo(double alpha, double scale, double seconds)
{
    m_animation->stop();
    m_animation->disconnect(this);
    const double fromAlpha = m_opacityEffect->opacity();
    const double fromScale = m_paintScale;
    m_alpha = alpha;
    m_scale = scale;
    connect(m_animation, &QVariantAnimation::valueChanged, this, [=, this](const QVariant& value) {
        const double t = value.toDouble();
        m_opacityEffect->setOpacity(fromAlpha + (alpha - fromAlpha) * t);
        m_paintScale = fromScale + (scale - fromScale) * t;
        update();
    });
    m_animation->setDuration(int(seconds * 1000));
    m_animation->start();
}

void PHProgressHUD::setAlpha(double alpha)
{
    m_animation->stop();
    m_alpha = alpha;
    m_scale = 1.0;
    m_paintScale = 1.0;
    m_opacityEffect->setOpacity(alpha);
    update();
}

void PHProgressHUD::done()
{
    m_isFinished = true;
    setAlpha(0.0);
    if (PHProgressHUDDelegate* delegate = m_delegate.load())
        delegate->hudWasHidden(this);
    std::function<void()> block;
    {
        QMutexLocker lock(&m_propertiesLock);
        block = std::move(m_completionBlock);
        m_completionBlock = nullptr;
    }
    if (block)
        block();
    if (m_removeFromSuperViewOnHide) {
        if (parentWidget())
            parentWidget()->removeEventFilter(this);
        QWidget::hide();
        setParent(nullptr);
        deleteLater();
    }
}

void PHProgressHUD::showWhileExecuting(std::function<void()> work, bool animated)
{
    m_taskInProgress = true;
    std::thread([work = std::move(work), hud = QPointer<PHProgressHUD>(this)] {
        work();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [hud] {
            if (hud)
                hud->cleanUp();
        }, Qt::QueuedConnection);
    }).detach();
    show(animated);
}

void PHProgressHUD::showAnimated(bool animated, std::function<void()> work, QThreadPool* pool,
                                 std::function<void()> completion)
{
    m_taskInProgress = true;
    setCompletionBlock(std::move(completion));
    (pool ? pool : QThreadPool::globalInstance())->start([work = std::move(work), hud = QPointer<PHProgressHUD>(this)] {
        work();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [hud] {
            if (hud)
                hud->cleanUp();
        }, Qt::QueuedConnection);
    });
    show(animated);
}

void PHProgressHUD::cleanUp()
{
    m_taskInProgress = false;
    m_indicator = nullptr;
    hide(m_useAnimation);
}

bool PHProgressHUD::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void PHProgressHUD::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutViews();
    update();
}

// The HUD keeps the mouse from the views below it.
void PHProgressHUD::mousePressEvent(QMouseEvent* event) { event->accept(); }
void PHProgressHUD::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }
void PHProgressHUD::mouseMoveEvent(QMouseEvent* event) { event->accept(); }
void PHProgressHUD::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }
void PHProgressHUD::wheelEvent(QWheelEvent* event) { event->accept(); }

void PHProgressHUD::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double w = width();
    const double h = height();
    if (m_dimBackground) {
        QRadialGradient gradient(QPointF(w / 2, h / 2), std::min(w, h));
        gradient.setColorAt(0.0, QColor::fromRgbF(0, 0, 0, 0.0f));
        gradient.setColorAt(1.0, QColor::fromRgbF(0, 0, 0, 0.75f));
        gradient.setSpread(QGradient::PadSpread);
        painter.fillRect(rect(), gradient);
    }
    const std::optional<QColor> colour = color();
    const QColor fill = colour ? *colour : QColor::fromRgbF(0, 0, 0, m_opacity);
    const QSizeF size = boxSize();
    const float x = std::round((float(w) - float(size.width())) / 2) + m_xOffset;
    const float y = std::round((float(h) - float(size.height())) / 2) + m_yOffset;
    const QRectF box(x, y, size.width(), size.height());
    if (m_paintScale != 1.0) {
        painter.translate(box.center());
        painter.scale(m_paintScale, m_paintScale);
        painter.translate(-box.center());
    }
    QPainterPath path;
    path.addRoundedRect(box, 10.0, 10.0);
    painter.fillPath(path, fill);
}
