#include "MyPushAdCloudManager.h"

#include "MyPushAdClock.h"
#include "MyPushAdDownloadDelegate.h"
#include "MyPushAdLog.h"
#include "MyPushAdURLReader.h"

#include "platform/cloud/CloudContainer.h"
#include "platform/cloud/CloudDatabase.h"
#include "platform/foundation/RegularFile.h"
#include "platform/network/MainThread.h"

#include <QPointer>
#include <QStringDecoder>

std::unique_ptr<MyPushAdCloudManager> MyPushAdCloudManager::createInstanceWithCloudContainerId(const QString& identifier)
{
    auto source = std::make_unique<MyPushAdCloudManager>();
    source->setCloudContainerIdentifier(identifier);
    return source;
}

MyPushAdCloudManager::~MyPushAdCloudManager()
{
    MyPushAdClock::clock().cancel(m_retry);
}

QString MyPushAdCloudManager::resultsEmptyDomain() { return QStringLiteral("Custom Error: results empty."); }
QString MyPushAdCloudManager::recordErrorDomain() { return QStringLiteral("Custom Error: handle record error."); }
QString MyPushAdCloudManager::recordType() { return QStringLiteral("macadfiles"); }
QString MyPushAdCloudManager::fileName() { return QStringLiteral("commonad"); }

void MyPushAdCloudManager::downloadAdFileAsync()
{
    queryAndHandleAdFileWithFileName(fileName());
}

void MyPushAdCloudManager::retryDownloadAdFileWithDelay(double seconds)
{
    platform::Clock& clock = MyPushAdClock::clock();
    clock.cancel(m_retry);
    m_retry = clock.schedule(seconds, [this] {
        m_retry = 0;
        downloadAdFileAsync();
    });
}

void MyPushAdCloudManager::prepareDatabaseIfNeeded()
{
    if (m_publicDatabase)
        return;
    if (m_cloudContainerIdentifier.isEmpty()) {
        PAU_LOG(MyPushAdLog::fatalErrorGotMessage());
    } else {
        const auto container = platform::CloudContainer::containerWithIdentifier(m_cloudContainerIdentifier);
        if (!container)
            PAU_LOG(MyPushAdLog::fatalErrorGotMessage());
        else
            m_publicDatabase = container->publicCloudDatabase();
        PAU_VERIFY(!container || m_publicDatabase);
    }
    PAU_VERIFY(m_publicDatabase);
}

void MyPushAdCloudManager::queryAndHandleAdFileWithFileName(const QString& name)
{
    prepareDatabaseIfNeeded();
    if (!m_publicDatabase)
        return; // nothing can be asked: only the log tells
    QPointer<MyPushAdCloudManager> self(this);
    const platform::CloudQuery query(recordType(), QStringLiteral("filename"), name);
    m_publicDatabase->performQuery(query, [self](const std::vector<platform::CloudRecord>& records,
                                                 const std::optional<platform::CloudError>& error) {
        // The query's thread waits until the main thread has the result.
        if (error) {
            PAU_LOG(QStringLiteral("The Cloud Query Error:%1").arg(error->description));
            const MyPushAdError failure{platform::CloudError::domain(), error->code, error->description};
            platform::MainThread::perform([self, failure] {
                if (platform::MainThread::isCurrent() && self)
                    self->handleWithError(failure);
            }, true);
            return;
        }
        // Without an event loop any more (the program is ending) the work
        // would run on this thread: it is dropped.
        platform::MainThread::perform([self, records] {
            if (platform::MainThread::isCurrent() && self)
                self->handleFetchedRecords(records);
        }, true);
    });
}

void MyPushAdCloudManager::handleFetchedRecords(const std::vector<platform::CloudRecord>& records)
{
    if (records.empty()) {
        handleWithError(MyPushAdError{resultsEmptyDomain(), 1, resultsEmptyDomain()});
        return;
    }
    handleRecord(records.back());
}

void MyPushAdCloudManager::handleRecord(const platform::CloudRecord& record)
{
    std::optional<QString> text;
    const platform::CloudRecord::Value* value = record.valueForKey(QStringLiteral("filecontents"));
    const auto* asset = value ? std::get_if<platform::CloudAsset>(value) : nullptr;
    if (asset && asset->fileURL().isLocalFile()) {
        // Read on the main thread: only a regular file, never one that
        // could block or run on without end, and no more than any ad.
        if (const auto bytes = platform::RegularFile::readAll(asset->fileURL().toLocalFile(), MyPushAdURLReader::kMaxBytes)) {
            QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            QString decoded = decoder.decode(*bytes);
            if (!decoder.hasError())
                text = decoded;
        }
    }
    if (!text) {
        PAU_FATAL();
        handleWithError(MyPushAdError{recordErrorDomain(), 2, recordErrorDomain()});
        return;
    }
    handleWithFetchedString(*text);
}

void MyPushAdCloudManager::handleWithFetchedString(const QString& text)
{
    if (m_delegate)
        m_delegate->downloadSuccessfullyWithString(text);
}

void MyPushAdCloudManager::handleWithError(const MyPushAdError& error)
{
    if (m_delegate)
        m_delegate->downloadFailedWithError(error);
}
