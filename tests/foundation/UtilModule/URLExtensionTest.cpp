#include "FileManagerExtension.h"
#include "URLExtension.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace URLExtension;

namespace {
QUrl url(const char* text)
{
    return QUrl(QString::fromUtf8(text));
}
} // namespace

TEST(URLExtension, StandardisedPathKeepsTheDirectoryMark)
{
    EXPECT_EQ(standardizingPath(url("file:///")), "/");
    EXPECT_EQ(standardizingPath(url("file:///a/./b/../c/")), "/a/c/");
    EXPECT_EQ(standardizingPath(url("file:///a/./b/../c")), "/a/c");
    EXPECT_EQ(standardizingPath(url("http://h")), "/");
    EXPECT_EQ(standardizingPath(url("http://h/a%20b/")), "/a b/");
}

TEST(URLExtension, DirectoryAndFileURLs)
{
    EXPECT_EQ(appendingAsDirectoryURL(url("file:///a/b/../c")), url("file:///a/c/"));
    EXPECT_EQ(removingAsRegularFileURL(url("file:///a/c/")), url("file:///a/c"));
    EXPECT_EQ(appendingAsDirectoryURL(url("http://h/a")), url("http://h/a"));
    EXPECT_EQ(removingAsRegularFileURL(url("http://h/a/")), url("http://h/a/"));
}

TEST(URLExtension, RelativeToABase)
{
    struct Case { const char* url; const char* base; const char* relative; };
    const Case cases[] = {
        { "http://h/a/b/c.html?q=1#top", "http://h/a/", "b/c.html?q=1#top" },
        { "http://h/x/y", "http://h/a/b/", "../../x/y" },
        { "http://h/a/b/", "http://h/a/b/", "." }, // not "/": that would name the server's root
        { "http://h/a/d", "http://h/a/b.html", "d" },
        { "http://other/a/d", "http://h/a/", "http://other/a/d" }, // another host: unchanged
        { "https://h/a/d", "http://h/a/", "https://h/a/d" }, // another scheme: unchanged
        { "file:///p/q/r.txt", "file:///p/", "q/r.txt" },
        // Decoded path characters must not turn into syntax.
        { "http://h/a/x%3Fy", "http://h/a/", "x%3Fy" },
        { "http://h/a/k:v", "http://h/a/", "k%3Av" },
        { "http://h/a/s%20t", "http://h/a/", "s%20t" },
    };
    for (const Case& c : cases) {
        const QUrl relative = makeURL(url(c.url), url(c.base));
        EXPECT_EQ(relative.toString(QUrl::FullyEncoded), QString(c.relative)) << c.url << " to " << c.base;
        // Resolving against the base names the same place again.
        EXPECT_EQ(standardizingPath(url(c.base).resolved(relative)), standardizingPath(url(c.url))) << c.url;
    }
}

TEST(URLExtension, AdoptingMovesToAnotherBase)
{
    EXPECT_EQ(adoptingURL(url("file:///old/x/y.png"), url("file:///old/"), url("file:///new/")),
              url("file:///new/x/y.png"));
    EXPECT_EQ(adoptingURL(url("http://h/a/b/"), url("http://h/a/b/"), url("http://k/c/")), url("http://k/c/"));
    // Left unchanged by the first step: the absolute text wins over the new base.
    EXPECT_EQ(adoptingURL(url("http://other/a"), url("http://h/"), url("http://k/")), url("http://other/a"));
}

TEST(URLExtension, Containment)
{
    EXPECT_TRUE(contains(url("file:///a/"), url("file:///a/b/c")));
    EXPECT_TRUE(contains(url("file:///a/"), url("file:///a/")));
    EXPECT_FALSE(contains(url("file:///a/"), url("file:///ab")));
    EXPECT_TRUE(contains(url("file:///a"), url("file:///ab"))); // no directory mark: prefixes count
    EXPECT_FALSE(contains(url("http://h/a/"), url("file:///a/b")));
    EXPECT_TRUE(contains(url("http://h/a/"), url("http://k/a/b"))); // hosts are not compared
    EXPECT_TRUE(contains(url("/a/"), url("/a/b"))); // no schemes: paths only
}

TEST(URLExtension, RelativeURLFromText)
{
    const QUrl site = url("https://h/app/page.html");
    EXPECT_EQ(relativeURL(site, "img/x.png"), url("https://h/app/img/x.png"));
    EXPECT_EQ(relativeURL(site, "/v1/x", QString("/api/")), url("https://h/api/v1/x"));
    EXPECT_EQ(relativeURL(site, "/v1/x"), url("https://h/v1/x"));
    EXPECT_EQ(relativeURL(site, "v1/x", QString("/api/")), url("https://h/app/v1/x"));
    EXPECT_FALSE(relativeURL(site, "a b"));
    EXPECT_FALSE(relativeURL(site, ""));

    EXPECT_EQ(urlWithPath(url("https://h/a?q=1"), "/b/c"), url("https://h/b/c?q=1"));
    EXPECT_FALSE(urlWithPath(url("https://h/a"), "relative")); // a host needs an absolute path
}

TEST(URLExtension, FileSystemQueriesAndDirectoryCreation)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString filePath = dir.filePath("plain.txt");
    QFile file(filePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    EXPECT_TRUE(isFileNodeAndExisted(QUrl::fromLocalFile(filePath)));
    EXPECT_FALSE(isFileNodeAndExisted(QUrl::fromLocalFile(dir.filePath("missing"))));
    EXPECT_FALSE(isFileNodeAndExisted(url("http://h/")));
    EXPECT_TRUE(isDirectory(QUrl::fromLocalFile(dir.path())));
    EXPECT_FALSE(isDirectory(QUrl::fromLocalFile(filePath)));
    EXPECT_FALSE(isDirectory(QUrl::fromLocalFile(dir.filePath("missing"))));

    // An existing regular file counts as done.
    EXPECT_FALSE(FileManagerExtension::createDirectoryIfNeeded(QUrl::fromLocalFile(filePath)));
    EXPECT_TRUE(QFileInfo(filePath).isFile());

    const QString nested = dir.filePath("x/y/z/");
    EXPECT_FALSE(FileManagerExtension::createDirectoryIfNeeded(QUrl::fromLocalFile(nested)));
    EXPECT_TRUE(QFileInfo(nested).isDir());
    EXPECT_FALSE(FileManagerExtension::createDirectoryIfNeeded(QUrl::fromLocalFile(nested)));

    // A folder below a regular file cannot be made: the error comes back.
    EXPECT_TRUE(FileManagerExtension::createDirectoryIfNeeded(QUrl::fromLocalFile(filePath + "/sub")));
    EXPECT_TRUE(FileManagerExtension::createDirectoryIfNeeded(url("http://h/a/")));
}
