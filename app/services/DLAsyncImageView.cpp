#include "DLAsyncImageView.h"

#include "CHServiceLimits.h"
#include "VNHTTPRequest.h"
#include "VNHTTPRequestDelegate.h"

#include "platform/appkit/ProgressSpinner.h"
#include "platform/appkit/TrackingArea.h"

#include <QPainter>

// The view's link to its request. The request holds its delegate weakly, so
// once the view drops this object nothing reaches the view any more.
class DLAsyncImageView::Connection : public VNHTTPRequestDelegate {
public:
    explicit Connection(DLAsyncImageView* view)
        : m_view(view)
    {
    }
    bool wantsReceivedData() const override { return true; }
    void requestDidReceiveData(VNHTTPRequest&, const QByteArray& data) override
    {
        if (m_view)
            m_view->connectionDidReceiveData(data);
    }
    void requestFinished(VNHTTPRequest&) override
    {
        if (m_view)
            m_view->connectionDidFinishLoading();
    }
    void requestFailed(VNHTTPRequest&) override
    {
        if (m_view)
            m_view->connectionDidFailWithError();
    }
    void detach() { m_view = nullptr; }

private:
    DLAsyncImageView* m_view;
};

DLAsyncImageView::DLAsyncImageView(QWidget* parent)
    : QWidget(parent)
{
    updateTrackingAreas();
}

DLAsyncImageView::~DLAsyncImageView()
{
    dropConnection(true);
}

void DLAsyncImageView::downloadImageFromURL(const QString& url, const QImage& placeholder, const QImage& errorImage,
                                            bool displaySpinningWheel)
{
    cancelDownload();
    m_isLoadingImage = true;
    m_didFailLoadingImage = false;
    m_userDidCancel = false;
    setImage(placeholder);
    m_errorImage = errorImage;
    m_imageDownloadData = QByteArray();

    m_connectionDelegate = std::make_shared<Connection>(this);
    m_imageURLConnection = VNHTTPRequest::requestWithURL(QUrl(url));
    m_imageURLConnection->setDelegate(m_connectionDelegate);
    m_imageURLConnection->startAsynchronous();

    if (!displaySpinningWheel)
        return;
    const int w = width();
    const int h = height();
    QRect wheel;
    if (w >= 64 && h >= 64)
        wheel = QRect(w / 2 - 16, h / 2 - 16, 32, 32);
    else if (w >= 16 && w < 64 && h >= 16 && h < 64)
        wheel = QRect(w / 2 - 8, h / 2 - 8, 16, 16);
    if (wheel.isNull())
        return;
    m_spinningWheel = new platform::ProgressSpinner(this);
    m_spinningWheel->setGeometry(wheel);
    m_spinningWheel->show();
    m_spinningWheel->startAnimation();
}

void DLAsyncImageView::cancelDownload()
{
    m_userDidCancel = true;
    m_isLoadingImage = false;
    m_didFailLoadingImage = false;
    deleteToolTips();
    removeSpinningWheel();
    dropConnection(true);
    m_imageDownloadData = QByteArray();
    m_errorImage = QImage();
    setImage(QImage());
}

void DLAsyncImageView::connectionDidReceiveData(const QByteArray& data)
{
    if (m_imageDownloadData.size() + data.size() <= CHServiceLimits::kIconBytes) {
        m_imageDownloadData.append(data);
        return;
    }
    // Larger than any icon: the download stops and ends as a failure.
    dropConnection(true);
    connectionDidFailWithError();
}

void DLAsyncImageView::connectionDidFinishLoading()
{
    m_didFailLoadingImage = false;
    m_userDidCancel = false;
    // The status is not looked at: an error page is simply no image.
    const QImage loaded = QImage::fromData(m_imageDownloadData);
    if (loaded.isNull()) {
        connectionDidFailWithError();
        return;
    }
    setImage(loaded);
    m_isLoadingImage = false;
    removeSpinningWheel();
    m_imageDownloadData = QByteArray();
    dropConnection(false);
    m_errorImage = QImage();
}

void DLAsyncImageView::connectionDidFailWithError()
{
    m_isLoadingImage = false;
    m_didFailLoadingImage = true;
    m_userDidCancel = false;
    removeSpinningWheel();
    m_imageDownloadData = QByteArray();
    dropConnection(false);
    setImage(m_errorImage);
    m_errorImage = QImage();
}

void DLAsyncImageView::dropConnection(bool cancel)
{
    if (m_connectionDelegate)
        m_connectionDelegate->detach();
    if (m_imageURLConnection && cancel)
        m_imageURLConnection->clearDelegatesAndCancel();
    m_imageURLConnection.reset();
    m_connectionDelegate.reset();
}

void DLAsyncImageView::removeSpinningWheel()
{
    if (!m_spinningWheel)
        return;
    m_spinningWheel->stopAnimation();
    m_spinningWheel->hide();
    delete m_spinningWheel;
    m_spinningWheel = nullptr;
}

void DLAsyncImageView::setToolTipWhileLoading(const QString& whileLoading, const QString& whenFinished,
                                              const QString& whenFinishedWithError)
{
    std::lock_guard<std::mutex> guard(m_tipLock);
    m_toolTipWhileLoading = whileLoading;
    m_toolTipWhenFinished = whenFinished;
    m_toolTipWhenFinishedWithError = whenFinishedWithError;
}

void DLAsyncImageView::deleteToolTips()
{
    setToolTip(QString());
    setToolTipWhileLoading(QString(), QString(), QString());
}

QString DLAsyncImageView::toolTipWhileLoading() const
{
    std::lock_guard<std::mutex> guard(m_tipLock);
    return m_toolTipWhileLoading;
}

QString DLAsyncImageView::toolTipWhenFinished() const
{
    std::lock_guard<std::mutex> guard(m_tipLock);
    return m_toolTipWhenFinished;
}

QString DLAsyncImageView::toolTipWhenFinishedWithError() const
{
    std::lock_guard<std::mutex> guard(m_tipLock);
    return m_toolTipWhenFinishedWithError;
}

void DLAsyncImageView::setToolTipWhileLoading(const QString& tip)
{
    std::lock_guard<std::mutex> guard(m_tipLock);
    m_toolTipWhileLoading = tip;
}

void DLAsyncImageView::setToolTipWhenFinished(const QString& tip)
{
    std::lock_guard<std::mutex> guard(m_tipLock);
    m_toolTipWhenFinished = tip;
}

void DLAsyncImageView::setToolTipWhenFinishedWithError(const QString& tip)
{
    std::lock_guard<std::mutex> guard(m_tipLock);
    m_toolTipWhenFinishedWithError = tip;
}

void DLAsyncImageView::mouseEntered(QEvent*)
{
    if (m_userDidCancel) {
        setToolTip(QString());
        return;
    }
    const QString tip = m_isLoadingImage ? toolTipWhileLoading()
                        : m_didFailLoadingImage ? toolTipWhenFinishedWithError()
                                                : toolTipWhenFinished();
    setToolTip(tip);
}

void DLAsyncImageView::updateTrackingAreas()
{
    if (m_trackingArea)
        platform::TrackingArea::removeFromView(this, m_trackingArea);
    m_trackingArea = new platform::TrackingArea(
        QRectF(rect()), platform::TrackingArea::MouseEnteredAndExited | platform::TrackingArea::ActiveAlways, this);
    platform::TrackingArea::addToView(this, m_trackingArea);
}

void DLAsyncImageView::setImage(const QImage& image)
{
    m_image = image;
    update();
}

void DLAsyncImageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateTrackingAreas();
}

void DLAsyncImageView::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    // Shown whole and centred, made smaller when it does not fit.
    QSizeF size = m_image.deviceIndependentSize();
    if (size.width() > width() || size.height() > height())
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, m_image);
}
