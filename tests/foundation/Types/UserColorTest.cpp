#include "UserColor.h"

#include "FoundationLogCapture.h"

#include <QImage>
#include <QPainter>
#include <QSet>

#include <gtest/gtest.h>

using foundation_test::FoundationLogCapture;

namespace {
void expectChannels(const UserColor& color, std::int64_t r, std::int64_t g, std::int64_t b, std::int64_t a)
{
    EXPECT_EQ(color.red(), r);
    EXPECT_EQ(color.green(), g);
    EXPECT_EQ(color.blue(), b);
    EXPECT_EQ(color.alpha(), a);
}
} // namespace

TEST(UserColor, ChannelsAreClamped)
{
    const UserColor color(300, -5, 128);
    expectChannels(color, 255, 0, 128, 255);
    EXPECT_FALSE(color.name());
    expectChannels(color.replacingAlpha(-1), 255, 0, 128, 0);
    expectChannels(UserColor(color), 255, 0, 128, 255);
}

TEST(UserColor, NamedColours)
{
    struct Case { UserColor color; std::int64_t r, g, b, a; const char* name; };
    const Case cases[] = {
        { UserColor::blackColor(), 0, 0, 0, 255, "Black" },
        { UserColor::whiteColor(), 255, 255, 255, 255, "White" },
        { UserColor::grayColor(), 127, 127, 127, 255, "Gray" },
        { UserColor::redColor(), 255, 0, 0, 255, "Red" },
        { UserColor::greenColor(), 0, 255, 0, 255, "Green" },
        { UserColor::blueColor(), 0, 0, 255, 255, "Blue" },
        { UserColor::clearColor(), 0, 0, 0, 0, "Clear" },
    };
    for (const Case& c : cases) {
        expectChannels(c.color, c.r, c.g, c.b, c.a);
        EXPECT_EQ(c.color.name(), QString(c.name));
    }
}

TEST(UserColor, TextForms)
{
    EXPECT_EQ(UserColor::redColor().stringRep(), "R:255 G:0 B:0 A:255");
    EXPECT_EQ(stringRep(UserColor::redColor()), "R:255 G:0 B:0 A:255");
    EXPECT_EQ(UserColor::redColor().description(), "R:255 G:0 B:0 A:255");
    EXPECT_EQ(UserColor(255, 0, 128, 7).hexRep(), "#FF0080");
    EXPECT_EQ(UserColor(10, 11, 12).hexRep(), "#0A0B0C");
    static_assert(StringRepresentable<UserColor>);
}

TEST(UserColor, AlphaInPercent)
{
    EXPECT_EQ(UserColor(0, 0, 0, 128).alphaInPercent(), 50);
    EXPECT_EQ(UserColor(0, 0, 0, 0).alphaInPercent(), 0);
    EXPECT_EQ(UserColor(0, 0, 0, 255).alphaInPercent(), 100);
    EXPECT_EQ(UserColor(0, 0, 0, 1).alphaInPercent(), 0);
    EXPECT_EQ(UserColor(0, 0, 0, 254).alphaInPercent(), 100);
}

TEST(UserColor, EqualityIgnoresTheName)
{
    const UserColor named(255, 0, 0, 255, QString("Mine"));
    EXPECT_EQ(named, UserColor::redColor());
    const UserColor plain(255, 0, 0);
    EXPECT_TRUE(named.isEqual(&plain));
    EXPECT_FALSE(named.isEqual(nullptr));
    EXPECT_NE(named, UserColor(255, 0, 0, 254));
    EXPECT_EQ(named.hash(), plain.hash());
    EXPECT_EQ(named.hash(), qHash(QString("25500255")));
    QSet<UserColor> set { named, plain, UserColor::blueColor() };
    EXPECT_EQ(set.size(), 2);
}

TEST(UserColor, FromPlatformColour)
{
    FoundationLogCapture log(Debug::Level::VBO);
    const auto half = UserColor::fromColor(QColor::fromRgbF(0.5f, 0.0f, 1.0f, 0.5f), QString("Half"));
    ASSERT_TRUE(half);
    expectChannels(*half, 128, 0, 255, 128); // 127.5 rounds away from zero
    EXPECT_EQ(half->name(), QString("Half"));
    expectChannels(*UserColor::fromColor(QColor::fromHsv(120, 255, 255)), 0, 255, 0, 255);
    EXPECT_TRUE(log.lines().isEmpty());

    EXPECT_FALSE(UserColor::fromColor(std::nullopt));
    EXPECT_FALSE(UserColor::fromColor(QColor()));
    ASSERT_EQ(log.lines().size(), 2);
    EXPECT_TRUE(log.lines()[0].endsWith("}:VBO You input a nil color, then the creation failed certainly."));
    EXPECT_TRUE(log.lines()[0].startsWith("{UserColor.cpp init(color:name:) "));
    EXPECT_TRUE(log.lines()[1].endsWith("}:ERR Cannot convert this color into a specified color space."));
}

TEST(UserColor, NilColourLineIsBelowTheDefaultThreshold)
{
    FoundationLogCapture log;
    EXPECT_FALSE(UserColor::fromColor(std::nullopt));
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST(UserColor, PlatformColourAndPainting)
{
    const QColor color = UserColor(255, 0, 128, 51).nsColor();
    EXPECT_EQ(color, QColor::fromRgbF(1.0f, 0.0f, 128 / 255.0f, 0.2f));
    EXPECT_EQ(UserColor(255, 0, 128, 51).cgColor(), color);

    QImage image(4, 4, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 3));
    UserColor::blueColor().setStroke(painter);
    EXPECT_EQ(painter.pen().color(), QColor(0, 0, 255));
    EXPECT_EQ(painter.pen().widthF(), 3.0);
    UserColor::greenColor().setFill(painter);
    EXPECT_EQ(painter.brush().color(), QColor(0, 255, 0));
    UserColor::redColor().set(painter);
    EXPECT_EQ(painter.pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(painter.brush().color(), QColor(255, 0, 0));
}

TEST(UserColorJSON, WritesKeysInOrderAndPrettyPrinted)
{
    const auto data = UserColor(255, 0, 128, 200, QString("Pink \"x\"")).toJSONData();
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, QByteArray("{\n"
                                "  \"red\" : 255,\n"
                                "  \"green\" : 0,\n"
                                "  \"blue\" : 128,\n"
                                "  \"alpha\" : 200,\n"
                                "  \"name\" : \"Pink \\\"x\\\"\"\n"
                                "}"));
    const auto unnamed = UserColor(1, 2, 3).toJSONData();
    ASSERT_TRUE(unnamed);
    EXPECT_FALSE(unnamed->contains("name"));
}

TEST(UserColorJSON, RoundTrip)
{
    for (const UserColor& color : { UserColor(255, 0, 128, 200, QString("Pink")), UserColor(1, 2, 3) }) {
        const auto back = UserColor::createInstance(*color.toJSONData());
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, color);
        EXPECT_EQ(back->name(), color.name());
    }
}

TEST(UserColorJSON, Decoding)
{
    const auto plain = UserColor::createInstance(R"({"red": 1, "green": 2, "blue": 3, "alpha": 4})");
    ASSERT_TRUE(plain);
    expectChannels(*plain, 1, 2, 3, 4);
    EXPECT_FALSE(plain->name());

    // Stored channels outside 0..255 are clamped on the way in.
    const auto wide = UserColor::createInstance(R"({"red": 300, "green": -5, "blue": 3, "alpha": 999, "name": "W"})");
    ASSERT_TRUE(wide);
    expectChannels(*wide, 255, 0, 3, 255);
    EXPECT_EQ(wide->name(), QString("W"));

    const char* broken[] = {
        R"({"red": 1, "green": 2, "blue": 3})", // alpha missing
        R"({"red": "1", "green": 2, "blue": 3, "alpha": 4})", // wrong type
        R"({"red": 1.5, "green": 2, "blue": 3, "alpha": 4})",
        R"({"red": 1, "green": 2, "blue": 3, "alpha": 4, "name": 5})",
        R"([1, 2, 3, 4])",
        "not json",
        "",
    };
    for (const char* text : broken)
        EXPECT_FALSE(UserColor::createInstance(text)) << text;
}
