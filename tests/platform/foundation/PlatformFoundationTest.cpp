#include "platform/foundation/DeferredPerform.h"
#include "platform/foundation/ExceptionGuard.h"
#include "platform/foundation/Geometry.h"
#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/ObservableProperty.h"
#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace platform;

TEST(Geometry, UnionWithEmptyOperandYieldsTheOther)
{
    const QRectF r(10, 10, 5, 5);
    EXPECT_EQ(unionRect(QRectF(0, 0, 0, 7), r), r);
    EXPECT_EQ(unionRect(r, QRectF(100, 100, 3, 0)), r);
    EXPECT_EQ(unionRect(r, QRectF(0, 0, 1, 1)), QRectF(0, 0, 15, 15));
}

TEST(Geometry, SizeText)
{
    EXPECT_EQ(stringFromSize(QSizeF(400, 300)), "{400, 300}");
    EXPECT_EQ(stringFromSize(QSizeF(0.5, 2)), "{0.5, 2}");
    EXPECT_EQ(sizeFromString("{800, 600}"), QSizeF(800, 600));
    EXPECT_EQ(sizeFromString(" { 1.5 ,2 } "), QSizeF(1.5, 2));
    EXPECT_EQ(sizeFromString("800x600"), QSizeF(0, 0));
}

TEST(ModifierFlags, MapsQtModifiersToEventFlags)
{
    EXPECT_EQ(ModifierFlags::fromQt(Qt::ShiftModifier), 0x20000u);
    EXPECT_EQ(ModifierFlags::fromQt(Qt::MetaModifier), 0x40000u);
    EXPECT_EQ(ModifierFlags::fromQt(Qt::AltModifier), 0x80000u);
    EXPECT_EQ(ModifierFlags::fromQt(Qt::ControlModifier), 0x100000u);
    EXPECT_EQ(ModifierFlags::fromQt(Qt::ShiftModifier | Qt::MetaModifier), 0x60000u);
}

TEST(UserDefaults, RegisteredValuesAreNeverWritten)
{
    auto& defaults = UserDefaults::standard();
    defaults.registerDefaults({{"TestRegisteredOnly", 128}, {"TestSize", "{400, 300}"}});
    EXPECT_EQ(defaults.integer("TestRegisteredOnly"), 128);
    EXPECT_EQ(defaults.size("TestSize"), QSizeF(400, 300));
    EXPECT_FALSE(defaults.hasStoredValue("TestRegisteredOnly"));

    defaults.setSize("TestSize", QSizeF(800, 600));
    defaults.setValue("TestFlag", false);
    defaults.synchronize();
    EXPECT_EQ(defaults.size("TestSize"), QSizeF(800, 600));
    EXPECT_FALSE(defaults.boolean("TestFlag"));

    QFile file(defaults.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("{800, 600}"));
    EXPECT_FALSE(text.contains("TestRegisteredOnly"));

    defaults.removeValue("TestSize");
    EXPECT_EQ(defaults.size("TestSize"), QSizeF(400, 300));
    EXPECT_EQ(defaults.integer("TestAbsentKey"), 0);
    EXPECT_EQ(defaults.string("TestAbsentKey"), "");
}

TEST(NotificationCenter, DeliversSynchronouslyByNameAndSender)
{
    auto& center = NotificationCenter::defaultCenter();
    int owner = 0, sender = 0, other = 0;
    QStringList heard;
    center.addObserver(&owner, "A", nullptr, [&](const Notification& n) { heard << "any:" + n.name; });
    center.addObserver(&owner, "A", &sender, [&](const Notification& n) { heard << "sender:" + n.userInfo["k"].toString(); });
    center.post("A", &other, {{"k", "1"}});
    center.post("A", &sender, {{"k", "2"}});
    center.post("B", &sender);
    EXPECT_EQ(heard, QStringList({"any:A", "any:A", "sender:2"}));
    center.removeObserver(&owner);
    center.post("A", &sender);
    EXPECT_EQ(heard.size(), 3);
}

TEST(NotificationCenter, ObserverMayRemoveItselfWhilePosted)
{
    auto& center = NotificationCenter::defaultCenter();
    int first = 0, second = 0;
    int calls = 0;
    center.addObserver(&first, "R", nullptr, [&](const Notification&) {
        ++calls;
        center.removeObserver(&first);
        center.removeObserver(&second);
    });
    center.addObserver(&second, "R", nullptr, [&](const Notification&) { ++calls; });
    center.post("R");
    center.post("R");
    EXPECT_EQ(calls, 1);
}

TEST(ObservableProperty, NotifiesEvenForAnEqualValue)
{
    ObservableProperty<int> width(5);
    int owner = 0;
    std::vector<std::pair<int, int>> seen;
    width.observe(&owner, [&](const int& o, const int& n) { seen.emplace_back(o, n); });
    width.set(5);
    width.set(7);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{5, 5}, {5, 7}}));
    width.removeObserver(&owner);
    width.set(9);
    EXPECT_EQ(seen.size(), 2u);
}

TEST(DeferredPerform, CoalescesWithinOneTurnAndCancels)
{
    auto& deferred = DeferredPerform::shared();
    int target = 0, other = 0;
    int calls = 0, otherCalls = 0;
    for (int i = 0; i < 5; ++i)
        deferred.perform(&target, "refresh", [&] { ++calls; });
    deferred.perform(&other, "refresh", [&] { ++otherCalls; });
    EXPECT_EQ(calls, 0); // never synchronous
    deferred.cancel(&other);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(otherCalls, 0);
    EXPECT_FALSE(deferred.isPending(&target, "refresh"));
}

TEST(ExceptionGuard, SwallowsAndReports)
{
    EXPECT_TRUE(exceptionGuard([] {}));
    EXPECT_FALSE(exceptionGuard([] { throw std::runtime_error("bad thing"); }));
    EXPECT_FALSE(exceptionGuard([] { throw 42; }));
}

TEST(SystemLog, LineHasTimeProcessAndMessage)
{
    const QString line = nsLogLine("hello");
    const QRegularExpression shape("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} [^\\[]+\\[\\d+\\] hello$");
    EXPECT_TRUE(shape.match(line).hasMatch()) << line.toStdString();
}
