#include "CommonUtil.h"

#include "FoundationLogCapture.h"

#include <QDir>
#include <QStringList>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

using Result = CommonUtil::ComparisonResult;

TEST(CommonUtilVersion, ComparisonTable)
{
    struct Case { const char* a; const char* b; Result expected; };
    const Case cases[] = {
        { "1.10", "1.9", Result::Descending },
        { "1.9", "1.10", Result::Ascending },
        { "2", "10", Result::Ascending },
        { "1.2", "1.2", Result::Same },
        { "1.2", "1.2.0", Result::Ascending }, // fewer components
        { "1.2.0", "1.2", Result::Descending },
        { "1.2a3", "1.2", Result::Ascending }, // an "a" part comes first
        { "1.2", "1.2a3", Result::Descending },
        { "1.2a3", "1.2a10", Result::Ascending },
        { "1.2a10", "1.2a3", Result::Descending },
        { "1.2a3", "1.2a3", Result::Same },
        { "1.2ab", "1.2a1", Result::Same }, // unreadable second part
        { "1.x.3", "1.y.4", Result::Ascending }, // unreadable position skipped
        { "", "", Result::Same },
        { "1.2A3", "1.2A4", Result::Same }, // upper-case A does not split
        { "+3", "-4", Result::Descending },
        { " 3", "4", Result::Same }, // a blank makes a part unreadable
        { "99999999999999999999", "1", Result::Same }, // overflow is unreadable
        { "9223372036854775807", "9223372036854775806", Result::Descending },
        { "-9223372036854775808", "-9223372036854775807", Result::Ascending },
        { "1..2", "1..3", Result::Ascending }, // empty component kept and skipped
        { "a1", "1", Result::Ascending }, // more pieces
        { "1.2a3a9", "1.2a3a1", Result::Same }, // later pieces are not looked at
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommonUtil::versionStringCompare(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.expected)
            << '"' << c.a << "\" vs \"" << c.b << '"';
        EXPECT_EQ(CommonUtil::versionStringCompareWith(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.expected);
    }
}

TEST(CommonUtilGrid, RowsColumnsAndIndices)
{
    EXPECT_EQ(CommonUtil::rowFrom(7, 3), 2);
    EXPECT_EQ(CommonUtil::columnFrom(7, 3), 1);
    EXPECT_EQ(CommonUtil::rowFrom(7, 0), 0);
    EXPECT_EQ(CommonUtil::columnFrom(7, 0), 0);
    EXPECT_EQ(CommonUtil::rowFrom(-7, 3), -2);
    EXPECT_EQ(CommonUtil::columnFrom(-7, 3), -1);
    EXPECT_EQ(CommonUtil::indexFrom(2, 1, 3), 7);
    // The one overflowing quotient must not be undefined behaviour.
    const auto min = std::numeric_limits<std::int64_t>::min();
    EXPECT_EQ(CommonUtil::columnFrom(min, -1), 0);
    EXPECT_EQ(CommonUtil::rowFrom(min, -1), min);
    EXPECT_EQ(CommonUtil::rowFrom(6, -1), -6);
}

TEST(CommonUtil, ClampTestsTheLowerBoundFirst)
{
    EXPECT_EQ(CommonUtil::clamp(5, 10, 0), 10);
    EXPECT_EQ(CommonUtil::clamp(5, 0, 10), 5);
    EXPECT_EQ(CommonUtil::clamp(15, 0, 10), 10);
    EXPECT_EQ(CommonUtil::clamp(QString("m"), QString("a"), QString("k")), QString("k"));
}

TEST(CommonUtil, IndexValidity)
{
    const std::vector<int> three { 1, 2, 3 };
    const std::vector<int> none;
    EXPECT_TRUE(CommonUtil::isIndexValidInArrary(0, three));
    EXPECT_TRUE(CommonUtil::isIndexValidInArrary(2, three));
    EXPECT_FALSE(CommonUtil::isIndexValidInArrary(3, three));
    EXPECT_FALSE(CommonUtil::isIndexValidInArrary(-1, three));
    EXPECT_FALSE(CommonUtil::isIndexValidInArrary(0, none));
}

TEST(CommonUtilStore, LinksKeepPathAndQueryAndChangeTheScheme)
{
    const QString web = CommonUtil::composeAppURLString("123456");
    EXPECT_TRUE(web.startsWith("https://"));
    EXPECT_TRUE(web.endsWith("/app/id123456?mt=12"));
    EXPECT_EQ(CommonUtil::changeURLForMacAppStore(web),
              QString("macappstore://") + web.mid(QString("https://").size()));
    // Split at every "://": the last part is kept.
    EXPECT_EQ(CommonUtil::changeURLForMacAppStore("a://b://c/d"), QString("macappstore://c/d"));
    EXPECT_EQ(CommonUtil::changeURLForMacAppStore("plain"), QString("macappstore://plain"));
}

TEST(CommonUtilStore, UnusableLinkIsLoggedWithTheWebLink)
{
    foundation_test::FoundationLogCapture log;
    EXPECT_FALSE(CommonUtil::openMacAppStore("12 34"));
    ASSERT_EQ(log.lines().size(), 1);
    const QString line = log.lines().first();
    EXPECT_TRUE(line.startsWith("{CommonUtil.cpp openMacAppStore(appId:) ")) << line.toStdString();
    EXPECT_TRUE(line.endsWith("}:ERR Failed to create URL for url string:"
                              + CommonUtil::composeAppURLString("12 34")))
        << line.toStdString();
}

TEST(CommonUtil, UserFoldersAreDirectoryURLs)
{
    const QUrl home = CommonUtil::userHomeDirectoryURL();
    EXPECT_TRUE(home.isLocalFile());
    EXPECT_TRUE(home.path().endsWith('/'));
    EXPECT_EQ(QDir(home.toLocalFile()).canonicalPath(), QDir(QDir::homePath()).canonicalPath());
    if (const auto documents = CommonUtil::userDataDocumentsDirectoryURL()) {
        EXPECT_TRUE(documents->path().endsWith('/'));
    }
}
