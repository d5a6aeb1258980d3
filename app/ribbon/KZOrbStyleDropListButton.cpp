#include "KZOrbStyleDropListButton.h"

#include <QFontMetrics>
#include <QPainter>

KZOrbStyleDropListButton::KZOrbStyleDropListButton(QWidget* parent)
    : QAbstractButton(parent)
    , m_cell(std::make_unique<KZDropListButtonCell>())
{
    // Repaint as the button is pressed and released: the cell shows it.
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

KZOrbStyleDropListButton::~KZOrbStyleDropListButton() = default;

void KZOrbStyleDropListButton::setTitle(const QString& title)
{
    m_cell->setTitle(title);
    setText(title);
    setAccessibleName(title);
    updateGeometry();
    update();
}

void KZOrbStyleDropListButton::setImage(const QImage& image)
{
    m_cell->setImage(image);
    updateGeometry();
    update();
}

QSize KZOrbStyleDropListButton::sizeHint() const
{
    const QFontMetrics metrics(m_cell->font().value_or(font()));
    QSize size = metrics.size(0, title()) + QSize(16, 8 + int(KZDropListButtonCell::kTitleRise));
    const QSize image = m_cell->image().deviceIndependentSize().toSize();
    if (!image.isEmpty())
        size = size.expandedTo(image + QSize(8, 8));
    return size;
}

void KZOrbStyleDropListButton::paintEvent(QPaintEvent*)
{
    m_cell->setHighlighted(isDown());
    m_cell->setEnabled(isEnabled());
    QPainter painter(this);
    m_cell->drawWithFrame(painter, QRectF(rect()), this);
}
