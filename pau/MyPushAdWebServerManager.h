#pragma once

#include "MyPushAdError.h"
#include "MyPushAdSource.h"

#include "platform/foundation/Clock.h"

#include <QObject>
#include <QString>

#include <memory>

// Fetches the ad description from a web server: the whole file at one
// address, read off the main thread, as UTF-8 text.
class MyPushAdWebServerManager : public QObject, public MyPushAdSource {
    Q_OBJECT
public:
    static std::unique_ptr<MyPushAdWebServerManager> createInstanceWithFileURLString(const QString& fileUrlString);
    MyPushAdWebServerManager() = default;
    ~MyPushAdWebServerManager() override;

    static QString errorDomain(); // "Custom Error: MyWebServer download file failed"

    QString fileUrlString() const { return m_fileUrlString; }
    void setFileUrlString(const QString& text) { m_fileUrlString = text; }

    void downloadAdFileAsync() override;
    void retryDownloadAdFileWithDelay(double seconds) override;
    MyPushAdDownloadDelegate* delegate() const override { return m_delegate; }
    void setDelegate(MyPushAdDownloadDelegate* delegate) override { m_delegate = delegate; }

    void handleWithFetchedString(const QString& text);
    void handleWithError(const MyPushAdError& error);

private:
    QString m_fileUrlString;
    MyPushAdDownloadDelegate* m_delegate = nullptr;
    platform::Clock::TimerId m_retry = 0;
};
