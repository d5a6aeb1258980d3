#include "KZTexturalButton.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

KZTexturalButton::KZTexturalButton(QWidget* parent)
    : KZTexturalButton(std::make_unique<KZTexturalButtonCell>(), QString(), std::nullopt, parent)
{
}

KZTexturalButton::KZTexturalButton(const QString& identifier, unsigned customControlType, QWidget* parent)
    : KZTexturalButton(std::make_unique<KZTexturalButtonCell>(), identifier, customControlType, parent)
{
}

KZTexturalButton::KZTexturalButton(std::unique_ptr<KZTexturalButtonCell> cell, const QString& identifier,
                                   std::optional<unsigned> customControlType, QWidget* parent)
    : QAbstractButton(parent)
    , m_cell(std::move(cell))
{
    setFocusPolicy(Qt::TabFocus);
    m_cell->setEnabled(isEnabled());
    if (customControlType) {
        // The identifier initialiser: the skin comes with the identifier,
        // and the bezel is set only afterwards.
        m_cell->setIdentifier(identifier);
        postInitWithCustomControlType(*customControlType);
        m_cell->setBezelStyle(platform::ButtonCell::BezelShadowlessSquare);
        setTitle(QString());
    } else {
        postInitWithCustomControlType(0);
    }
    connect(this, &QAbstractButton::clicked, this, [this] { m_targetAction.send(this, this); });
}

KZTexturalButton::~KZTexturalButton()
{
    // The wrapper takes its area off this view while the view still exists.
    m_trackingAreaWrapper.reset();
}

void KZTexturalButton::postInitWithCustomControlType(unsigned type)
{
    m_customControlType = type;
    if (m_cell->alternateImage().isNull() && !m_cell->image().isNull())
        m_cell->setAlternateImage(m_cell->image());
    m_trackingAreaWrapper = std::make_unique<KZTrackingAreaWrapper>(this, this);
    m_cell->constructWithCustomControlType(type);
}

void KZTexturalButton::setTitle(const QString& title)
{
    m_cell->setTitle(title);
    setText(title);
    setAccessibleName(title);
    updateGeometry();
    update();
}

void KZTexturalButton::setImage(const QImage& image)
{
    m_cell->setImage(image);
    updateGeometry();
    update();
}

void KZTexturalButton::setAlternateImage(const QImage& image)
{
    m_cell->setAlternateImage(image);
    update();
}

void KZTexturalButton::setState(int state)
{
    m_cell->setState(state);
    update();
}

void KZTexturalButton::setBezelStyle(int style)
{
    m_cell->setBezelStyle(style);
    update();
}

void KZTexturalButton::setBordered(bool bordered)
{
    m_cell->setBordered(bordered);
    update();
}

void KZTexturalButton::setImagePosition(int position)
{
    m_cell->setImagePosition(position);
    updateGeometry();
    update();
}

void KZTexturalButton::setTextColor(const std::optional<QColor>& color)
{
    m_cell->setTextColor(color);
    update();
}

QSize KZTexturalButton::sizeHint() const
{
    const QFontMetrics metrics(m_cell->font().value_or(font()));
    QSize size = metrics.size(0, title()) + QSize(16, 8);
    const QSize image = m_cell->image().deviceIndependentSize().toSize();
    if (!image.isEmpty())
        size = size.expandedTo(image + QSize(8, 8));
    return size;
}

void KZTexturalButton::mouseEntered(QEvent* event)
{
    m_cell->customControlMouseEntered(this, event, {});
    update();
}

void KZTexturalButton::mouseExited(QEvent* event)
{
    m_cell->customControlMouseExited(this, event, {});
    update();
}

void KZTexturalButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_cell->drawWithFrame(painter, QRectF(rect()), this);
}

void KZTexturalButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_tracking = true;
        m_cell->customControlMouseDown(this, event, {});
        update();
    }
    QAbstractButton::mousePressEvent(event);
}

void KZTexturalButton::mouseReleaseEvent(QMouseEvent* event)
{
    // Qt's tracking sends the click (and with it the action) only for a
    // release inside; the pressed look ends wherever the mouse went up.
    QAbstractButton::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_tracking) {
        m_tracking = false;
        m_cell->customControlMouseUp(this, event, {});
        update();
    }
}

void KZTexturalButton::showEvent(QShowEvent* event)
{
    QAbstractButton::showEvent(event);
    m_cell->resetHighlightedState();
    m_trackingAreaWrapper->addTrackingArea();
}

void KZTexturalButton::resizeEvent(QResizeEvent* event)
{
    QAbstractButton::resizeEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}

void KZTexturalButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        m_cell->setEnabled(isEnabled());
        update();
    }
    QAbstractButton::changeEvent(event);
}
