#include "SWColorSelector.h"

#include "KZTexturalButton.h"
#include "SWColorWell.h"

#include "platform/appkit/ImageResource.h"
#include "platform/appkit/TrackingArea.h"
#include "platform/foundation/NotificationCenter.h"

#include <QEnterEvent>
#include <QMouseEvent>

SWColorSelector::SWColorSelector(QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Color"));
    setAccessibleDescription(QStringLiteral("Front and back colours"));
    // The back well first, so the front one lies over it. Their first
    // colours are no change to announce.
    m_backWell = new SWColorWell(this);
    m_backWell->setAccessibleName(QStringLiteral("Back Color"));
    m_backWell->setGeometry(kWellSide / 2, kWellSide / 2, kWellSide, kWellSide);
    m_backWell->platform::ColorWell::setColor(Qt::white);
    m_frontWell = new SWColorWell(this);
    m_frontWell->setAccessibleName(QStringLiteral("Front Color"));
    m_frontWell->setGeometry(0, 0, kWellSide, kWellSide);
    m_frontWell->platform::ColorWell::setColor(Qt::black);

    m_switchButton = new KZTexturalButton(QStringLiteral("btn_color"), 1, this);
    const QList<QImage> arrows = platform::ImageResource::load(QStringLiteral("switchcolors"));
    if (!arrows.isEmpty())
        m_switchButton->setImage(arrows.last());
    m_switchButton->setImagePosition(1);
    m_switchButton->setAccessibleName(QStringLiteral("Switch Colors"));
    m_switchButton->setAccessibleDescription(QStringLiteral("Swap the front and back colours"));
    m_switchButton->setGeometry(kWellSide + 2, 0, 12, 12);
    m_switchButton->setTarget(this);
    m_switchButton->setAction(QStringLiteral("switchColor:"));
    platform::Responder::addAction(QStringLiteral("switchColor:"), [this](QObject* sender) { switchColor(sender); });

    platform::TrackingArea::addToView(this, new platform::TrackingArea(QRectF(rect()), kTrackingOptions, this));
    platform::NotificationCenter::defaultCenter().addObserver(
        this, SWColorWell::kColorSetNotification, nullptr,
        [this](const platform::Notification&) { updateWells(nullptr); });
}

SWColorSelector::~SWColorSelector()
{
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

QSize SWColorSelector::sizeHint() const
{
    return QSize(kWellSide + kWellSide / 2 + 2, kWellSide + kWellSide / 2);
}

void SWColorSelector::mouseEntered(QEvent* event)
{
    if (event && event->type() == QEvent::Enter)
        hoverAt(static_cast<QEnterEvent*>(event)->position().toPoint());
    else if (event && event->type() == QEvent::MouseMove)
        mouseMoved(static_cast<QMouseEvent*>(event));
}

void SWColorSelector::mouseMoved(QMouseEvent* event)
{
    if (event)
        hoverAt(event->position().toPoint());
}

void SWColorSelector::hoverAt(const QPoint& location)
{
    if (!m_frontWell || !m_backWell)
        return;
    if (m_frontWell->geometry().contains(location)) {
        m_frontWell->setIsHovered(true);
        m_backWell->setIsHovered(false);
    } else {
        m_backWell->setIsHovered(m_backWell->geometry().contains(location));
        m_frontWell->setIsHovered(false);
    }
    updateWells(this);
}

void SWColorSelector::mouseExited(QEvent*)
{
    if (m_frontWell)
        m_frontWell->setIsHovered(false);
    if (m_backWell)
        m_backWell->setIsHovered(false);
    updateWells(this);
}

void SWColorSelector::mouseDown(QMouseEvent*)
{
    updateWells(this);
}

void SWColorSelector::mousePressEvent(QMouseEvent* event)
{
    mouseDown(event);
}

void SWColorSelector::updateWells(QObject*)
{
    if (m_frontWell)
        m_frontWell->update();
    if (m_backWell)
        m_backWell->update();
}

void SWColorSelector::switchColor(QObject*)
{
    if (!m_frontWell || !m_backWell)
        return;
    const QColor front = m_frontWell->color();
    const QColor back = m_backWell->color();
    m_backWell->setColor(front);
    m_frontWell->setColor(back);
    updateWells(this);
}
