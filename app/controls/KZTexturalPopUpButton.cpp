#include "KZTexturalPopUpButton.h"

#include <QPainter>

KZTexturalPopUpButton::KZTexturalPopUpButton(QWidget* parent)
    : KZTexturalPopUpButton(false, QString(), parent)
{
}

KZTexturalPopUpButton::KZTexturalPopUpButton(bool pullsDown, const QString& identifier, QWidget* parent)
    : QComboBox(parent)
    , m_cell(std::make_unique<KZTexturalPopUpButtonCell>())
    , m_trackingAreaWrapper(std::make_unique<KZTrackingAreaWrapper>(this, this))
    , m_pullsDown(pullsDown)
{
    // The skin comes once the cell has its identifier.
    m_cell->setIdentifier(identifier);
    m_cell->construct();
    connect(this, &QComboBox::currentTextChanged, this, [this](const QString& text) { setAccessibleName(text); });
}

KZTexturalPopUpButton::~KZTexturalPopUpButton()
{
    m_trackingAreaWrapper.reset();
}

void KZTexturalPopUpButton::setState(int state)
{
    m_cell->setState(state);
    update();
}

void KZTexturalPopUpButton::setTextColor(const std::optional<QColor>& color)
{
    m_cell->setTextColor(color);
    update();
}

void KZTexturalPopUpButton::showPopup()
{
    m_cell->setHighlighted(true);
    update();
    QComboBox::showPopup();
}

void KZTexturalPopUpButton::hidePopup()
{
    QComboBox::hidePopup();
    m_cell->setHighlighted(false);
    // The open menu took the mouse without it leaving the button: the area
    // goes on from the hover state the button kept.
    if (platform::TrackingArea* area = m_trackingAreaWrapper->trackingArea())
        area->assumeMouseInside(m_cell->isHovered());
    update();
}

void KZTexturalPopUpButton::mouseEntered(QEvent*)
{
    m_cell->setIsHovered(true);
    update();
}

void KZTexturalPopUpButton::mouseExited(QEvent*)
{
    // Opening the menu moves the mouse into the menu's window, which is no
    // leaving of the button.
    if (m_cell->isHighlighted())
        return;
    m_cell->setIsHovered(false);
    update();
}

void KZTexturalPopUpButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_cell->drawWithFrame(painter, QRectF(rect()), currentText(), this);
}

void KZTexturalPopUpButton::showEvent(QShowEvent* event)
{
    QComboBox::showEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}

void KZTexturalPopUpButton::resizeEvent(QResizeEvent* event)
{
    QComboBox::resizeEvent(event);
    m_trackingAreaWrapper->addTrackingArea();
}
