#include "JSONSerialization.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class JSONSerializationTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& contents)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return path;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(JSONSerializationTest, ObjectsWithTextAndOtherValues)
{
    const QString texts = write("texts.json", R"({"a": "x", "b": "y"})");
    const QString mixed = write("mixed.json", R"({"a": "x", "n": 3, "o": {"k": [1, true, null]}})");

    const QMap<QString, QString> simple = JSONSerialization::jsonSimpleDict(texts);
    EXPECT_EQ(simple, (QMap<QString, QString> { { "a", "x" }, { "b", "y" } }));
    EXPECT_EQ(JSONSerialization::jsonSimpleDict(QUrl::fromLocalFile(texts)), simple);

    const QVariantMap dict = JSONSerialization::jsonDict(mixed);
    ASSERT_EQ(dict.size(), 3);
    EXPECT_EQ(dict["a"].toString(), "x");
    EXPECT_EQ(dict["n"].toInt(), 3);
    EXPECT_EQ(dict["o"].toMap()["k"].toList().size(), 3);
    // One value that is not text empties the whole simple dictionary.
    EXPECT_TRUE(JSONSerialization::jsonSimpleDict(mixed).isEmpty());
}

TEST_F(JSONSerializationTest, EverythingElseGivesAnEmptyDictionary)
{
    const QString cases[] = {
        write("array.json", "[1, 2]"),
        write("empty.json", ""),
        write("scalar.json", "\"text\""),
        write("broken.json", "{\"a\": "),
        dir.filePath("missing.json"),
        dir.path(), // a folder
        QString(),
    };
    for (const QString& path : cases) {
        EXPECT_TRUE(JSONSerialization::jsonDict(path).isEmpty()) << path.toStdString();
        EXPECT_TRUE(JSONSerialization::jsonSimpleDict(path).isEmpty()) << path.toStdString();
    }
    EXPECT_TRUE(JSONSerialization::jsonDict(QUrl()).isEmpty());
    EXPECT_TRUE(JSONSerialization::jsonDict(QUrl("http://h/x.json")).isEmpty());
}
