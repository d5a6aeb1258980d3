#include "PushAdTestSupport.h"

#include "LocalServers.h"
#include "MyPushAdCloudManager.h"
#include "MyPushAdDownloadDelegate.h"
#include "MyPushAdURLReader.h"
#include "MyPushAdWebServerManager.h"
#include "StderrCapture.h"

#include "platform/cloud/CloudContainer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

#include <sys/stat.h>

namespace {
struct Outcome {
    std::optional<QString> text;
    std::optional<MyPushAdError> error;
    int deliveries = 0;
};

class Recorder : public MyPushAdDownloadDelegate {
public:
    void downloadSuccessfullyWithString(const QString& text) override
    {
        outcome.text = text;
        ++outcome.deliveries;
    }
    void downloadFailedWithError(const MyPushAdError& error) override
    {
        outcome.error = error;
        ++outcome.deliveries;
    }
    Outcome outcome;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

class Sources : public PushAdTest {
protected:
    Outcome fetch(MyPushAdSource& source)
    {
        Recorder recorder;
        source.setDelegate(&recorder);
        source.downloadAdFileAsync();
        EXPECT_TRUE(waitFor([&] { return recorder.outcome.deliveries > 0; }, 90000));
        QCoreApplication::processEvents(); // a second delivery would show now
        source.setDelegate(nullptr);
        return recorder.outcome;
    }
};

class WebSource : public Sources {
protected:
    void SetUp() override
    {
        Sources::SetUp();
        const QString problem = LocalServers::shared().startNginx();
        ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
        root = LocalServers::shared().nginxDocumentRoot();
        writeFile(root + QStringLiteral("/pau-commonad.xml"), QStringLiteral("<rootcfg>ünïcode</rootcfg>").toUtf8());
        writeFile(root + QStringLiteral("/pau-latin1.xml"), QByteArray("<rootcfg>caf\xe9</rootcfg>"));
    }
    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(LocalServers::shared().nginxPort()).arg(path);
    }
    QString root;
};

class CloudSource : public Sources {
protected:
    void SetUp() override
    {
        Sources::SetUp();
        ASSERT_TRUE(cloud.isValid());
        platform::UserDefaults::standard().setValue(platform::CloudContainer::settingKey(), cloud.path());
        database = cloud.path() + QStringLiteral("/iCloud.test.ads/public");
        ASSERT_TRUE(QDir().mkpath(database));
    }
    void TearDown() override
    {
        platform::UserDefaults::standard().removeValue(platform::CloudContainer::settingKey());
        Sources::TearDown();
    }
    void record(const QString& name, const QString& fields, const QString& type = QStringLiteral("macadfiles"))
    {
        writeFile(database + QLatin1Char('/') + name + QStringLiteral(".json"),
                  QStringLiteral("{\"recordType\": \"%1\", \"fields\": %2}").arg(type, fields).toUtf8());
    }
    void asset(const QString& name, const QByteArray& bytes) { writeFile(database + QLatin1Char('/') + name, bytes); }
    Outcome fetchFrom(const QString& container)
    {
        auto source = MyPushAdCloudManager::createInstanceWithCloudContainerId(container);
        return fetch(*source);
    }

    QTemporaryDir cloud;
    QString database;
};

void expectError(const Outcome& outcome, const QString& domain, int code)
{
    EXPECT_EQ(outcome.deliveries, 1);
    EXPECT_FALSE(outcome.text.has_value());
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->domain, domain);
    EXPECT_EQ(outcome.error->code, code);
}
} // namespace

TEST_F(WebSource, DeliversTheFileAsUTF8TextOnTheMainThread)
{
    for (const QString& path : {QStringLiteral("/pau-commonad.xml"), QStringLiteral("/redirect/1")}) {
        auto source = MyPushAdWebServerManager::createInstanceWithFileURLString(url(path));
        const Outcome outcome = fetch(*source);
        EXPECT_EQ(outcome.deliveries, 1) << path.toStdString();
        ASSERT_TRUE(outcome.text.has_value()) << path.toStdString();
        EXPECT_EQ(*outcome.text, path.startsWith(QLatin1String("/redirect")) ? QStringLiteral("Hello from nginx\n")
                                                                             : QStringLiteral("<rootcfg>ünïcode</rootcfg>"));
    }
}

TEST_F(WebSource, AnythingButTextIsTheDownloadFailedError)
{
    const QStringList addresses = {
        url(QStringLiteral("/pau-latin1.xml")),    // not UTF-8
        url(QStringLiteral("/pau-missing.xml")),   // 404
        QString(),                                 // no address
        QStringLiteral("not an address"),
        QStringLiteral("ftp://127.0.0.1/commonad.xml"),
        QStringLiteral("http://127.0.0.1:%1/").arg(LocalServers::freePort()), // nothing listens
    };
    for (const QString& address : addresses) {
        auto source = MyPushAdWebServerManager::createInstanceWithFileURLString(address);
        const Outcome outcome = fetch(*source);
        SCOPED_TRACE(address.toStdString());
        expectError(outcome, QStringLiteral("Custom Error: MyWebServer download file failed"), 1);
    }
}

TEST_F(WebSource, RetryFetchesAgainWhenTheClockSaysSo)
{
    auto source = MyPushAdWebServerManager::createInstanceWithFileURLString(url(QStringLiteral("/pau-commonad.xml")));
    Recorder recorder;
    source->setDelegate(&recorder);
    source->retryDownloadAdFileWithDelay(60.0);
    clock.advance(59.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.outcome.deliveries, 0);
    clock.advance(1.0);
    ASSERT_TRUE(waitFor([&] { return recorder.outcome.deliveries == 1; }, 90000));
    EXPECT_TRUE(recorder.outcome.text.has_value());
}

TEST_F(CloudSource, TheLastOfSeveralRecordsIsUsed)
{
    asset(QStringLiteral("a.xml"), "first");
    asset(QStringLiteral("b.xml"), "second");
    asset(QStringLiteral("c.xml"), "third");
    record(QStringLiteral("r1"), QStringLiteral(R"({"filename": "commonad", "filecontents": {"asset": "a.xml"}})"));
    record(QStringLiteral("r2"), QStringLiteral(R"({"filename": "commonad", "filecontents": {"asset": "b.xml"}})"));
    record(QStringLiteral("r3"), QStringLiteral(R"({"filename": "other", "filecontents": {"asset": "c.xml"}})"));
    record(QStringLiteral("r4"), QStringLiteral(R"({"filename": "commonad", "filecontents": {"asset": "c.xml"}})"),
           QStringLiteral("otherfiles"));
    const Outcome outcome = fetchFrom(QStringLiteral("iCloud.test.ads"));
    EXPECT_EQ(outcome.deliveries, 1);
    ASSERT_TRUE(outcome.text.has_value());
    EXPECT_EQ(*outcome.text, QStringLiteral("second"));
}

TEST_F(CloudSource, RecordsWithoutAReadableAssetAreCode2AndNoRecordsCode1)
{
    struct Row {
        const char* fields;
        const char* domain;
        int code;
    };
    asset(QStringLiteral("latin1.xml"), "caf\xe9");
    const Row rows[] = {
        {R"({"filename": "commonad", "filecontents": "<rootcfg/>"})", "Custom Error: handle record error.", 2},
        {R"({"filename": "commonad", "filecontents": 3})", "Custom Error: handle record error.", 2},
        {R"({"filename": "commonad"})", "Custom Error: handle record error.", 2},
        {R"({"filename": "commonad", "filecontents": {"asset": "missing.xml"}})", "Custom Error: handle record error.", 2},
        {R"({"filename": "commonad", "filecontents": {"asset": "latin1.xml"}})", "Custom Error: handle record error.", 2},
        {R"({"filename": "elsewhere"})", "Custom Error: results empty.", 1},
    };
    for (const Row& row : rows) {
        record(QStringLiteral("only"), QString::fromLatin1(row.fields));
        SCOPED_TRACE(row.fields);
        expectError(fetchFrom(QStringLiteral("iCloud.test.ads")), QString::fromLatin1(row.domain), row.code);
    }
}

TEST_F(CloudSource, QueryFailuresPassTheDatabasesErrorOn)
{
    StderrCapture log;
    const Outcome outcome = fetchFrom(QStringLiteral("iCloud.unknown"));
    expectError(outcome, platform::CloudError::domain(), platform::CloudError::UnknownContainer);
    EXPECT_EQ(log.count(QStringLiteral("PAU <=> The Cloud Query Error:")), 1) << log.text().toStdString();
}

TEST_F(CloudSource, NoContainerMeansNoQueryAndNoAnswer)
{
    for (const QString& identifier : {QString(), QStringLiteral("../escape")}) {
        auto source = MyPushAdCloudManager::createInstanceWithCloudContainerId(identifier);
        Recorder recorder;
        source->setDelegate(&recorder);
        StderrCapture log;
        source->downloadAdFileAsync();
        EXPECT_EQ(log.count(QStringLiteral("PAU <=> ***Error***: PAU FATAL ERROR GOT!")), 1) << identifier.toStdString();
        EXPECT_EQ(log.count(QStringLiteral("PAU <=> PAU Verify failed!")), 1) << identifier.toStdString();
        // Nothing was asked, so nothing can come: the manager is never told.
        QCoreApplication::processEvents();
        EXPECT_EQ(recorder.outcome.deliveries, 0);
    }
}

namespace {
// Special files in a folder of the test's own: a FIFO nobody writes to and
// a link to a device that never ends.
struct SpecialFiles {
    explicit SpecialFiles(const QString& folder)
        : fifo(folder + QStringLiteral("/fifo.xml"))
        , endless(folder + QStringLiteral("/endless.xml"))
        , large(folder + QStringLiteral("/large.xml"))
    {
        made = ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 && QFile::link(QStringLiteral("/dev/zero"), endless);
        QFile file(large);
        if (file.open(QIODevice::WriteOnly))
            made = made && file.resize(MyPushAdURLReader::kMaxBytes + 1);
    }
    QString fifo, endless, large;
    bool made = false;
};
} // namespace

TEST_F(WebSource, LocalSpecialOrOversizedFilesAreRefusedWithoutBlocking)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SpecialFiles files(folder.path());
    ASSERT_TRUE(files.made);
    for (const QString& path : {files.fifo, files.endless, files.large}) {
        SCOPED_TRACE(path.toStdString());
        auto source = MyPushAdWebServerManager::createInstanceWithFileURLString(QUrl::fromLocalFile(path).toString());
        expectError(fetch(*source), QStringLiteral("Custom Error: MyWebServer download file failed"), 1);
    }
}

TEST_F(CloudSource, AssetsThatAreNoRegularFileOrTooLargeAreCode2WithoutBlocking)
{
    SpecialFiles files(database);
    ASSERT_TRUE(files.made);
    for (const QString& name : {QStringLiteral("fifo.xml"), QStringLiteral("endless.xml"), QStringLiteral("large.xml")}) {
        SCOPED_TRACE(name.toStdString());
        record(QStringLiteral("only"), QStringLiteral(R"({"filename": "commonad", "filecontents": {"asset": "%1"}})").arg(name));
        expectError(fetchFrom(QStringLiteral("iCloud.test.ads")), QStringLiteral("Custom Error: handle record error."), 2);
    }
}
