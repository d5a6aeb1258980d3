#include "platform/foundation/PropertyList.h"

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>
#include <gtest/gtest.h>

using platform::PropertyList;

namespace {
QVariantMap map(std::initializer_list<std::pair<QString, QVariant>> entries)
{
    QVariantMap m;
    for (const auto& e : entries)
        m.insert(e.first, e.second);
    return m;
}
} // namespace

TEST(PropertyList, ReadsBothFormsToTheSameValues)
{
    const QVariant expected = map({{QStringLiteral("root"),
                                    map({{QStringLiteral("name"), QStringLiteral("Velumo \"Pro\"")},
                                         {QStringLiteral("tags"), QVariantList{QStringLiteral("a"), QStringLiteral("b c")}},
                                         {QStringLiteral("blob"), QByteArray("\x01\xab", 2)},
                                         {QStringLiteral("empty"), QVariantMap()}})}});
    const char* xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <!-- a comment -->
  <key>root</key>
  <dict>
    <key>name</key><string>Velumo "Pro"</string>
    <key>tags</key><array><string>a</string><string>b c</string></array>
    <key>blob</key><data>
      Aas=
    </data>
    <key>empty</key><dict/>
  </dict>
</dict>
</plist>)";
    const char* text = R"(// the list
{
    root = {
        name = "Velumo \"Pro\"";
        tags = ( a, "b c", );   /* trailing comma */
        blob = <01 ab>;
        empty = {};
    };
})";
    QString error;
    EXPECT_EQ(PropertyList::fromData(xml, &error), expected) << error.toStdString();
    EXPECT_EQ(PropertyList::fromData(text, &error), expected) << error.toStdString();
}

TEST(PropertyList, XMLScalarsKeepTheirTypesAndTextFormEscapesDecode)
{
    const auto xml = PropertyList::fromData(
        "<plist><array><integer>-42</integer><integer>0x10</integer><real>2.5</real><true/><false/>"
        "<date>2026-01-02T03:04:05Z</date><string><![CDATA[a<b]]></string></array></plist>");
    ASSERT_TRUE(xml);
    const QVariantList values = xml->toList();
    ASSERT_EQ(values.size(), 7);
    EXPECT_EQ(values[0], QVariant(qlonglong(-42)));
    EXPECT_EQ(values[1], QVariant(qlonglong(16)));
    EXPECT_EQ(values[2], QVariant(2.5));
    EXPECT_EQ(values[3], QVariant(true));
    EXPECT_EQ(values[4], QVariant(false));
    EXPECT_EQ(values[5].toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
    EXPECT_EQ(values[6], QVariant(QStringLiteral("a<b")));

    const auto text = PropertyList::fromText(QStringLiteral(R"(( "tab\there", "\101\U00e9\n", 'single', 5 ))"));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->toList(), QVariantList({QStringLiteral("tab\there"), QString::fromUtf8("A\xc3\xa9\n"),
                                            QStringLiteral("single"), QStringLiteral("5")}));
}

TEST(PropertyList, RejectsMalformedInputWithAReason)
{
    const char* bad[] = {
        "",
        "   // only a comment",
        "{ a = b }",
        "{ a = b; ",
        "{ = b; }",
        "( a b )",
        "( a, ",
        "\"open",
        "<0g>",
        "<abc>",
        "a b",
        "{ a = b; } trailing",
        "/* open comment",
        "<html><body>Not found</body></html>",
        "<?xml version=\"1.0\"?><plist><dict><key>a</key></dict></plist>",
        "<?xml version=\"1.0\"?><plist><dict><string>x</string><string>y</string></dict></plist>",
        "<?xml version=\"1.0\"?><plist><integer>twelve</integer></plist>",
        "<?xml version=\"1.0\"?><plist><data>!!!</data></plist>",
        "<?xml version=\"1.0\"?><plist><date>yesterday</date></plist>",
        "<?xml version=\"1.0\"?><plist><blob/></plist>",
        "<?xml version=\"1.0\"?><plist><string>a</string><string>b</string></plist>",
        "<?xml version=\"1.0\"?><plist></plist>",
        "<?xml version=\"1.0\"?><plist><array><string>a</string>",
        "<!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><plist><string>&e;</string></plist>",
    };
    for (const char* input : bad) {
        SCOPED_TRACE(input);
        QString error;
        EXPECT_FALSE(PropertyList::fromData(input, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(PropertyList, DeepNestingIsRefusedNotFollowed)
{
    const int allowed = PropertyList::kMaxDepth;
    const auto nested = [](int depth, const char* open, const char* close, const char* inner) {
        QByteArray text;
        for (int i = 0; i < depth; ++i)
            text += open;
        text += inner;
        for (int i = 0; i < depth; ++i)
            text += close;
        return text;
    };
    EXPECT_TRUE(PropertyList::fromData(nested(allowed - 1, "(", ")", "x")));
    EXPECT_FALSE(PropertyList::fromData(nested(allowed + 1, "(", ")", "x")));
    EXPECT_FALSE(PropertyList::fromData(nested(100000, "{a=", ";}", "x")));
    EXPECT_FALSE(PropertyList::fromData(nested(100000, "(", ")", "")));
    EXPECT_TRUE(PropertyList::fromData("<plist>" + nested(allowed - 1, "<array>", "</array>", "") + "</plist>"));
    EXPECT_FALSE(PropertyList::fromData("<plist>" + nested(allowed + 1, "<array>", "</array>", "") + "</plist>"));
    EXPECT_FALSE(PropertyList::fromData("<plist>" + nested(5000, "<array>", "</array>", "") + "</plist>"));
}
