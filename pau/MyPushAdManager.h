#pragma once

#include "MyPushAdDownloadDelegate.h"
#include "MyPushAdInfo.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class MyPushAdOperator;
class MyPushAdSource;
class QWidget;

// The library's entry: fetches the ad description once per process, from
// a web server or a cloud container, retries a failed fetch every minute
// (for at most an hour), and hands the ad to one operator per host view.
// Everything runs on the main thread.
class MyPushAdManager : public QObject, public MyPushAdDownloadDelegate {
    Q_OBJECT
public:
    enum FileHostMode { WebServerMode = 0, CloudKitMode = 1 };
    static constexpr double kRetryDelaySeconds = 60.0;
    static constexpr int kMaxRetries = 60;

    static MyPushAdManager* sharedPushAdManager();
    // The one allocation the process admits; every later one logs and
    // answers null.
    static MyPushAdManager* alloc();
    ~MyPushAdManager() override;

    // The ad file's default address: "/mac/ads/commonad.xml" on the
    // services' host (the setting "VelumoServiceAddress", else a host under
    // ".invalid" that never resolves).
    static QString defaultAdFileURLString();
    static QString defaultCloudContainerIdentifier();

    void prepareAndShowAdByUsingDefaultWebServerURLWithHostView(QWidget* hostView);
    void prepareAndShowAdByUsingDefaultCloudKitContainerWithHostView(QWidget* hostView);
    void prepareAndShowAdWithHostView(QWidget* hostView, qint64 fileHostMode, const QString& address);

    void downloadSuccessfullyWithString(const QString& text) override;
    void downloadFailedWithError(const MyPushAdError& error) override;

    void showPAUBuildInfo() const;
    static QString fetchPAUBuildInfo();
    static QString internalVersion() { return QStringLiteral("0.9.9"); }

    bool isDownloadFileRequested() const { return m_isDownloadFileRequested; }
    MyPushAdSource* pushAdSource() const { return m_pushAdSource.get(); }
    std::shared_ptr<MyPushAdInfo> solePushAdInfo() const { return m_solePushAdInfo; }
    const std::vector<std::unique_ptr<MyPushAdOperator>>& pushAdOperators() const { return m_pushAdOperators; }

protected:
    // Only alloc() makes the process's instance; a test may make its own.
    MyPushAdManager();

private:
    void retryLater();

    bool m_isDownloadFileRequested = false;
    std::unique_ptr<MyPushAdSource> m_pushAdSource;
    std::shared_ptr<MyPushAdInfo> m_solePushAdInfo;
    std::vector<std::unique_ptr<MyPushAdOperator>> m_pushAdOperators;
    int m_retries = 0;
};
