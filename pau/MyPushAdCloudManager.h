#pragma once

#include "MyPushAdError.h"
#include "MyPushAdSource.h"

#include "platform/cloud/CloudRecord.h"
#include "platform/foundation/Clock.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace platform {
class CloudDatabase;
}

// Fetches the ad description from the public database of a cloud
// container: the asset "filecontents" of the record of type "macadfiles"
// whose "filename" is "commonad".
class MyPushAdCloudManager : public QObject, public MyPushAdSource {
    Q_OBJECT
public:
    static std::unique_ptr<MyPushAdCloudManager> createInstanceWithCloudContainerId(const QString& identifier);
    MyPushAdCloudManager() = default;
    ~MyPushAdCloudManager() override;

    static QString resultsEmptyDomain();  // "Custom Error: results empty."
    static QString recordErrorDomain();   // "Custom Error: handle record error."
    static QString recordType();          // "macadfiles"
    static QString fileName();            // "commonad"

    QString cloudContainerIdentifier() const { return m_cloudContainerIdentifier; }
    void setCloudContainerIdentifier(const QString& identifier) { m_cloudContainerIdentifier = identifier; }

    void downloadAdFileAsync() override;
    void retryDownloadAdFileWithDelay(double seconds) override;
    MyPushAdDownloadDelegate* delegate() const override { return m_delegate; }
    void setDelegate(MyPushAdDownloadDelegate* delegate) override { m_delegate = delegate; }

    void prepareDatabaseIfNeeded();
    void queryAndHandleAdFileWithFileName(const QString& name);
    void handleFetchedRecords(const std::vector<platform::CloudRecord>& records);
    void handleRecord(const platform::CloudRecord& record);
    void handleWithFetchedString(const QString& text);
    void handleWithError(const MyPushAdError& error);

private:
    std::shared_ptr<platform::CloudDatabase> m_publicDatabase;
    QString m_cloudContainerIdentifier;
    MyPushAdDownloadDelegate* m_delegate = nullptr;
    platform::Clock::TimerId m_retry = 0;
};
