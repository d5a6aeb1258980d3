#pragma once

#include "platform/appkit/TrackingAreaOwner.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>
#include <mutex>

class VNHTTPRequest;
namespace platform {
class ProgressSpinner;
class TrackingArea;
}

// An image view that loads its picture from an address in the background:
// a placeholder and a spinning wheel meanwhile, an error image when loading
// fails, and a tool tip of its own for loading, loaded and failed.
// One download at a time: starting another cancels the first.
class DLAsyncImageView : public QWidget, public platform::TrackingAreaOwner {
    Q_OBJECT
public:
    explicit DLAsyncImageView(QWidget* parent = nullptr);
    ~DLAsyncImageView() override;

    // Starting clears the tool tips: set them afterwards.
    void downloadImageFromURL(const QString& url, const QImage& placeholder, const QImage& errorImage,
                              bool displaySpinningWheel);
    void downloadImageFromURL(const QString& url) { downloadImageFromURL(url, QImage(), QImage(), false); }
    void downloadImageFromURL(const QString& url, const QImage& placeholder)
    {
        downloadImageFromURL(url, placeholder, QImage(), false);
    }
    void downloadImageFromURL(const QString& url, const QImage& placeholder, const QImage& errorImage)
    {
        downloadImageFromURL(url, placeholder, errorImage, false);
    }
    void cancelDownload();

    // What the connection reports, on the main thread.
    void connectionDidReceiveData(const QByteArray& data);
    void connectionDidFailWithError();
    void connectionDidFinishLoading();

    void setToolTipWhileLoading(const QString& whileLoading, const QString& whenFinished,
                                const QString& whenFinishedWithError);
    void deleteToolTips();

    void mouseEntered(QEvent* event) override;
    void updateTrackingAreas();

    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    bool isLoadingImage() const { return m_isLoadingImage; }
    bool userDidCancel() const { return m_userDidCancel; }
    bool didFailLoadingImage() const { return m_didFailLoadingImage; }
    QString toolTipWhileLoading() const;
    QString toolTipWhenFinished() const;
    QString toolTipWhenFinishedWithError() const;
    void setToolTipWhileLoading(const QString& tip);
    void setToolTipWhenFinished(const QString& tip);
    void setToolTipWhenFinishedWithError(const QString& tip);
    // The wheel shown while loading; null when there is none.
    platform::ProgressSpinner* spinningWheel() const { return m_spinningWheel; }
    platform::TrackingArea* trackingArea() const { return m_trackingArea; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class Connection;
    void removeSpinningWheel();
    void dropConnection(bool cancel);

    QImage m_image;
    QImage m_errorImage;
    QByteArray m_imageDownloadData;
    std::shared_ptr<VNHTTPRequest> m_imageURLConnection;
    std::shared_ptr<Connection> m_connectionDelegate;
    platform::ProgressSpinner* m_spinningWheel = nullptr;
    platform::TrackingArea* m_trackingArea = nullptr;
    bool m_isLoadingImage = false;
    bool m_userDidCancel = false;
    bool m_didFailLoadingImage = false;
    mutable std::mutex m_tipLock;
    QString m_toolTipWhileLoading;
    QString m_toolTipWhenFinished;
    QString m_toolTipWhenFinishedWithError;
};
