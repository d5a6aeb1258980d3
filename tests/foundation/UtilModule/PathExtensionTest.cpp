#include "PathExtension.h"
#include "VTRFoundationConsts.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace PathExtension;

TEST(PathExtension, DirectoryAndFileMarks)
{
    EXPECT_EQ(appendingAsDirectory("/a"), "/a/");
    EXPECT_EQ(appendingAsDirectory("/a/"), "/a/");
    EXPECT_EQ(appendingAsDirectory(""), "/");
    EXPECT_EQ(removingAsFile("/a/"), "/a");
    EXPECT_EQ(removingAsFile("/a//"), "/a/"); // only one "/" goes
    EXPECT_EQ(removingAsFile("/a"), "/a");
    EXPECT_FALSE(isAbsolutePath(""));
    EXPECT_FALSE(isAbsolutePath("a/b"));
    EXPECT_TRUE(isAbsolutePath("/a"));
    EXPECT_STREQ(VTRFoundationConsts::filePathSeparator, "/");
}

TEST(PathExtension, JoiningComponents)
{
    struct Case { const char* path; const char* component; const char* joined; };
    const Case cases[] = {
        { "/a", "b", "/a/b" },
        { "/a/", "b", "/a/b" },
        { "/a", "/b", "/a/b" },
        { "/a//", "b//", "/a/b" },
        { "/", "b", "/b" },
        { "", "b", "b" },
        { "/a", "", "/a" },
        { "a", "b/c", "a/b/c" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(appendingPathComponent(c.path, c.component), QString(c.joined)) << c.path << " + " << c.component;

    EXPECT_EQ(my_appendingPathComponent("/a", "b", true), "/a/b/");
    EXPECT_EQ(my_appendingPathComponent("/a", "b", false), "/a/b");
    EXPECT_EQ(my_appendingPathComponent("/a", "b/", false), "/a/b");
}

TEST(PathExtension, Standardising)
{
    struct Case { QString path; QString standard; };
    const Case cases[] = {
        { "/a/./b//c/", "/a/b/c" },
        { "/a/b/../c", "/a/c" },
        { "/..", "/" },
        { "/", "/" },
        { "a/../b", "a/../b" }, // ".." stays in relative paths
        { "./a/", "a" },
        { "", "" },
        { "~", QDir::homePath() },
        { "~/x", QDir::homePath() + "/x" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(my_standardizingPath(c.path), c.standard) << c.path.toStdString();
    EXPECT_EQ(pathComponents("/a/b/"), QStringList({ "a", "b" }));
    EXPECT_EQ(pathComponents("a"), QStringList({ "a" }));
    EXPECT_TRUE(pathComponents("/").isEmpty());
}

TEST(PathExtension, RelativePaths)
{
    struct Case { const char* path; const char* base; const char* relative; };
    const Case cases[] = {
        { "/x/y", "/a/b/", "../../x/y" },
        { "/a/b/c/d.txt", "/a/b/e.txt", "c/d.txt" }, // a base without "/" names a file
        { "/a/b/c/", "/a/b/", "c/" },
        { "/a/x", "/a/b/c/", "../../x" },
        { "/a/b/", "/a/b/", "." }, // a directory relative to itself
        { "/a/b/", "/a/b/f.txt", "." },
        { "/a/b", "", "/a/b" }, // no base: unchanged
        { "/a/b", "/", "a/b" },
        { "/q", "/a/", "../q" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(relativePath(c.path, c.base), QString(c.relative)) << c.path << " to " << c.base;
}

TEST(PathExtension, ConcatingAgainstTheFolder)
{
    EXPECT_EQ(concatingPathString("/a/b/c.txt", "d.txt"), "/a/b/d.txt");
    EXPECT_EQ(concatingPathString("/a/b/c.txt", "/d.txt"), "/d.txt");
    EXPECT_EQ(concatingPathString("/a/b/", "d.txt"), "/a/b/d.txt");
    EXPECT_EQ(concatingPathString("c.txt", "d.txt"), "/d.txt");
}
