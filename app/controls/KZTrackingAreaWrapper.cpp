#include "KZTrackingAreaWrapper.h"

#include "platform/appkit/TrackingArea.h"

#include <QCursor>
#include <QWidget>

KZTrackingAreaWrapper::KZTrackingAreaWrapper(QWidget* ownerView, platform::TrackingAreaOwner* receiver)
    : m_ownerView(ownerView)
    , m_receiver(receiver)
{
}

KZTrackingAreaWrapper::KZTrackingAreaWrapper(QWidget* ownerView, const QRectF& trackingRect,
                                             platform::TrackingAreaOwner* receiver)
    : m_ownerView(ownerView)
    , m_receiver(receiver)
    , m_trackingRect(trackingRect)
{
}

KZTrackingAreaWrapper::~KZTrackingAreaWrapper()
{
    removeTrackingArea();
    m_receiver = nullptr;
}

void KZTrackingAreaWrapper::addTrackingArea()
{
    if (!m_ownerView)
        return;
    const bool wasInside = m_trackingArea && m_trackingArea->mouseInside();
    removeTrackingArea();
    const QRectF rect = m_trackingRect.isNull() ? QRectF(m_ownerView->rect()) : m_trackingRect;
    m_trackingArea = new platform::TrackingArea(rect, kTrackingOptions, this);
    m_trackingArea->assumeMouseInside(wasInside);
    platform::TrackingArea::addToView(m_ownerView, m_trackingArea);
    if (m_ownerView->isVisible() && m_ownerView->rect().contains(m_ownerView->mapFromGlobal(QCursor::pos())))
        m_mouseEnteredTrackingArea = true;
}

void KZTrackingAreaWrapper::removeTrackingArea()
{
    if (m_ownerView && m_trackingArea)
        platform::TrackingArea::removeFromView(m_ownerView, m_trackingArea);
    m_trackingArea = nullptr;
}

void KZTrackingAreaWrapper::mouseEntered(QEvent* event)
{
    m_mouseEnteredTrackingArea = true;
    if (m_receiver)
        m_receiver->mouseEntered(event);
}

void KZTrackingAreaWrapper::mouseExited(QEvent* event)
{
    m_mouseEnteredTrackingArea = false;
    if (m_receiver)
        m_receiver->mouseExited(event);
}

void KZTrackingAreaWrapper::mouseMoved(QMouseEvent* event)
{
    if (m_receiver)
        m_receiver->mouseMoved(event);
}

void KZTrackingAreaWrapper::cursorUpdate(QEvent* event)
{
    if (m_receiver)
        m_receiver->cursorUpdate(event);
}
