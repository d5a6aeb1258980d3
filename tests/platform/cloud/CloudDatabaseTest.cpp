#include "platform/cloud/CloudContainer.h"
#include "platform/foundation/UserDefaults.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

namespace {
class CloudFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        UserDefaults::standard().setValue(CloudContainer::settingKey(), root.path());
        folder = root.path() + QStringLiteral("/iCloud.test/public");
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    void TearDown() override { UserDefaults::standard().removeValue(CloudContainer::settingKey()); }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    std::vector<CloudRecord> query(const CloudQuery& q, std::optional<CloudError>* error)
    {
        auto container = CloudContainer::containerWithIdentifier(QStringLiteral("iCloud.test"));
        return CloudDatabase::runQuery(container->publicCloudDatabase()->folder(), q, error);
    }

    QTemporaryDir root;
    QString folder;
};
} // namespace

TEST(CloudContainerIdentifier, OnlyIdentifiersThatNameOneFolderMakeAContainer)
{
    EXPECT_NE(CloudContainer::containerWithIdentifier(QStringLiteral("iCloud.com.example.app")), nullptr);
    for (const QString& bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"), QStringLiteral("../x")})
        EXPECT_EQ(CloudContainer::containerWithIdentifier(bad), nullptr) << bad.toStdString();
}

TEST_F(CloudFolder, QueriesMatchTypeAndFieldAndComeInNameOrder)
{
    write(QStringLiteral("b.json"), R"({"recordType": "files", "fields": {"filename": "x", "size": 3, "data": {"asset": "b.bin"}}})");
    write(QStringLiteral("a.json"), R"({"recordType": "files", "fields": {"filename": "x", "size": 4}})");
    write(QStringLiteral("c.json"), R"({"recordType": "files", "fields": {"filename": "y", "size": 3}})");
    write(QStringLiteral("d.json"), R"({"recordType": "other", "fields": {"filename": "x"}})");
    write(QStringLiteral("notes.txt"), "not a record");

    std::optional<CloudError> error;
    auto records = query(CloudQuery(QStringLiteral("files"), QStringLiteral("filename"), QStringLiteral("x")), &error);
    EXPECT_FALSE(error.has_value());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].recordName(), QStringLiteral("a"));
    EXPECT_EQ(records[1].recordName(), QStringLiteral("b"));
    const auto* asset = std::get_if<CloudAsset>(records[1].valueForKey(QStringLiteral("data")));
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(asset->fileURL(), QUrl::fromLocalFile(folder + QStringLiteral("/b.bin")));
    EXPECT_EQ(std::get<double>(*records[1].valueForKey(QStringLiteral("size"))), 3.0);

    // Numbers match numbers only, texts texts only.
    records = query(CloudQuery(QStringLiteral("files"), QStringLiteral("size"), 3), &error);
    EXPECT_EQ(records.size(), 2u);
    records = query(CloudQuery(QStringLiteral("files"), QStringLiteral("size"), QStringLiteral("3")), &error);
    EXPECT_TRUE(records.empty());
    EXPECT_FALSE(error.has_value());
}

TEST_F(CloudFolder, RecordsThatCannotBeReadFailTheQuery)
{
    const QByteArray bad[] = {
        "{",
        R"({"fields": {}})",
        R"({"recordType": "files", "fields": {"data": {"asset": "../../secret"}}})",
        R"({"recordType": "files", "fields": {"data": [1, 2]}})",
    };
    for (const QByteArray& text : bad) {
        write(QStringLiteral("r.json"), text);
        std::optional<CloudError> error;
        EXPECT_TRUE(query(CloudQuery(QStringLiteral("files"), QStringLiteral("filename"), QStringLiteral("x")), &error).empty());
        ASSERT_TRUE(error.has_value()) << text.constData();
        EXPECT_EQ(error->code, CloudError::UnreadableRecord);
    }
}

TEST_F(CloudFolder, QueryOfAContainerWithoutDataAnswersOnItsOwnThread)
{
    auto database = CloudContainer::containerWithIdentifier(QStringLiteral("iCloud.none"))->publicCloudDatabase();
    std::atomic<bool> done{false};
    std::atomic<bool> otherThread{false};
    std::optional<CloudError> error;
    const auto caller = std::this_thread::get_id();
    database->performQuery(CloudQuery(QStringLiteral("files"), QStringLiteral("filename"), QStringLiteral("x")),
                           [&](const std::vector<CloudRecord>& records, const std::optional<CloudError>& e) {
                               EXPECT_TRUE(records.empty());
                               error = e;
                               otherThread = std::this_thread::get_id() != caller;
                               done = true;
                           });
    QDeadlineTimer deadline(30000);
    while (!done && !deadline.hasExpired())
        std::this_thread::yield();
    ASSERT_TRUE(done);
    EXPECT_TRUE(otherThread);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, CloudError::UnknownContainer);
}
