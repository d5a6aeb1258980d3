#pragma once

#include "../app/services/FakeWebView.h"
#include "../app/services/ManualClock.h"

#include "MyPushAdClock.h"
#include "MyPushAdOperator.h"
#include "MyPushAdURLOpener.h"
#include "MyPushAdViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>

// A fixture for the display side: web views that load nothing, a clock the
// test moves, links that are only recorded, the two notifications counted,
// and clean show-count settings.
class PushAdTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MyPushAdClock::setClock(&clock);
        MyPushAdViewController::setWebViewFactory([](QWidget* parent) { return std::make_unique<FakeWebView>(parent); });
        MyPushAdURLOpener::setOpener([this](const QUrl& url) { opened << url.toString(); });
        auto& center = platform::NotificationCenter::defaultCenter();
        for (const QString& name : {MyPushAdOperator::willShowNotificationName(), MyPushAdOperator::didCloseNotificationName()}) {
            center.addObserver(this, name, nullptr, [this](const platform::Notification& n) { posted.push_back(n); });
        }
        clearCount();
    }
    void TearDown() override
    {
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        MyPushAdOperator::discardSharedPopupAdWindow();
        MyPushAdURLOpener::setOpener({});
        MyPushAdViewController::setWebViewFactory({});
        MyPushAdClock::setClock(nullptr);
        clearCount();
    }
    static void clearCount()
    {
        auto& defaults = platform::UserDefaults::standard();
        defaults.removeValue(MyPushAdOperator::versionKey());
        defaults.removeValue(MyPushAdOperator::countKey());
    }
    static FakeWebView* web(MyPushAdOperator& op)
    {
        return op.pushAdViewController() ? static_cast<FakeWebView*>(op.pushAdViewController()->legacyWebView()) : nullptr;
    }
    int postedCount(const QString& name) const
    {
        int n = 0;
        for (const auto& p : posted)
            n += p.name == name ? 1 : 0;
        return n;
    }
    // Runs the event loop until the condition holds or a generous deadline passes.
    static bool waitFor(const std::function<bool()>& condition, int ms = 30000)
    {
        QDeadlineTimer deadline(ms);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return true;
    }

    ManualClock clock;
    QStringList opened;
    std::vector<platform::Notification> posted;
};
