#include "PushAdTestSupport.h"

#include "MyPushAdBoxView.h"
#include "StderrCapture.h"

#include "platform/web/WebLinkPolicy.h"

#include <QFileInfo>

namespace {
class ViewController : public PushAdTest {};
} // namespace

TEST_F(ViewController, StoreLinksOpenInTheStoreAndEverythingElseStaysInTheView)
{
    struct Row {
        const char* link;
        const char* elementId;
        const char* opened; // null: not a store link
        platform::WebViewDelegate::Policy policy;
    };
    using Policy = platform::WebViewDelegate::Policy;
    const Row rows[] = {
        {"https://apps.example.invalid/app/id42?mt=12&ls=1", "", "macappstore://apps.example.invalid/app/id42?mt=12&ls=1", Policy::Ignore},
        {"http://127.0.0.1:8/x?LS=1", "", "macappstore://127.0.0.1:8/x?LS=1", Policy::Ignore},
        {"https://a.invalid/redirect?to=https://b.invalid/app&ls=1", "buy", "macappstore://b.invalid/app&ls=1", Policy::Ignore},
        {"https://a.invalid/ls=1/page", "", nullptr, Policy::Use},
        {"https://a.invalid/page", "cocoa_close_web_2", nullptr, Policy::Use},
        {"about:blank", "", nullptr, Policy::Use},
    };
    auto controller = MyPushAdViewController::createInstanceWithPushAdMode(MyPushAdViewController::BannerMode);
    auto* web = static_cast<FakeWebView*>(controller->legacyWebView());
    for (const Row& row : rows) {
        opened.clear();
        StderrCapture log;
        EXPECT_EQ(web->delegate()->decidePolicyForNavigation(QUrl(QString::fromLatin1(row.link)), QString::fromLatin1(row.elementId)),
                  row.policy)
            << row.link;
        if (row.opened) {
            EXPECT_EQ(opened, QStringList{QString::fromLatin1(row.opened)}) << row.link;
            EXPECT_EQ(log.count(QStringLiteral("PAU <=> Opening URL:[%1]").arg(QString::fromLatin1(row.opened))), 1) << row.link;
        } else {
            EXPECT_TRUE(opened.isEmpty()) << row.link;
        }
    }
}

TEST_F(ViewController, CloseClickReachesTheDelegateOnlyForTheCloseElement)
{
    struct Recorder : MyPushAdViewControllerDelegate {
        void pushAdViewControllerCloseButtonDidClick(MyPushAdViewController* c) override { clicked.push_back(c); }
        std::vector<MyPushAdViewController*> clicked;
    } recorder;
    auto controller = MyPushAdViewController::createInstanceWithPushAdMode(MyPushAdViewController::PopupMode);
    auto* web = static_cast<FakeWebView*>(controller->legacyWebView());
    // Without a delegate a click is dropped.
    EXPECT_EQ(web->delegate()->decidePolicyForNavigation(QUrl(QStringLiteral("http://127.0.0.1:1/")), QStringLiteral("cocoa_close_web")),
              platform::WebViewDelegate::Policy::Ignore);
    QCoreApplication::processEvents();
    controller->setDelegate(&recorder);
    web->delegate()->decidePolicyForNavigation(QUrl(QStringLiteral("http://127.0.0.1:1/")), QStringLiteral("other"));
    web->delegate()->decidePolicyForNavigation(QUrl(QStringLiteral("http://127.0.0.1:1/")), QStringLiteral("cocoa_close_web"));
    ASSERT_TRUE(waitFor([&] { return !recorder.clicked.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.clicked, std::vector<MyPushAdViewController*>{controller.get()});
}

TEST_F(ViewController, LoadingKeepsWhatIsNotGivenAndResolvesAgainstTheAdsServer)
{
    auto controller = MyPushAdViewController::createInstanceWithPushAdMode(MyPushAdViewController::PopupMode);
    auto* web = static_cast<FakeWebView*>(controller->legacyWebView());
    EXPECT_FALSE(web->transparent);
    auto banner = MyPushAdViewController::createInstanceWithPushAdMode(MyPushAdViewController::BannerMode);
    // A banner keeps its page's background too: transparent, it shows as
    // an empty box on an X display.
    EXPECT_FALSE(static_cast<FakeWebView*>(banner->legacyWebView())->transparent);
    controller->loadDataWithTitle(QStringLiteral("First"), QStringLiteral("<p>one</p>"));
    controller->loadDataWithTitle(QStringLiteral("Second"), QString());
    EXPECT_EQ(controller->title(), QStringLiteral("Second"));
    EXPECT_EQ(web->loadedHTML, QStringLiteral("<p>one</p>"));
    controller->loadDataWithTitle(QString(), QStringLiteral("<p>two</p>"));
    EXPECT_EQ(controller->title(), QStringLiteral("Second"));
    EXPECT_EQ(web->loadedHTML, QStringLiteral("<p>two</p>"));
    // The page's base is never a local file: the description's own web
    // address when it came from one, else none at all.
    const struct {
        const char* description;
        const char* base;
    } bases[] = {
        {"http://127.0.0.1:8080/ads/commonad.xml?v=2", "http://127.0.0.1:8080/ads/commonad.xml"},
        {"https://ads.velumo.invalid/mac/ads/commonad.xml", "https://ads.velumo.invalid/mac/ads/commonad.xml"},
        {"file:///usr/share/ads/commonad.xml", ""},
        {"", ""},
    };
    for (const auto& row : bases) {
        SCOPED_TRACE(row.description);
        MyPushAdViewController::setPageBaseURL(QUrl(QString::fromLatin1(row.description)));
        controller->loadDataWithTitle(QString(), QStringLiteral("<p>three</p>"));
        EXPECT_EQ(web->loadedURL, QUrl(QString::fromLatin1(row.base)));
        EXPECT_FALSE(web->loadedURL.isLocalFile());
    }
    MyPushAdViewController::setPageBaseURL(QUrl());

    controller->view()->move(5, 7);
    controller->changeViewSize(QSize(80, 30));
    EXPECT_EQ(controller->view()->geometry(), QRect(5, 7, 80, 30));
}

TEST(PageLinks, LeaveOnlyForTheWebOrTheStore)
{
    const struct {
        const char* url;
        bool fromLink;
        bool navigable;
    } cases[] = {
        {"http://127.0.0.1/a", true, true},
        {"HTTPS://127.0.0.1/a", true, true},
        {"macappstore://store.velumo.invalid/app", true, true},
        {"file:///etc/hostname", true, false},
        {"file:///etc/hostname", false, false},
        {"mailto:someone@velumo.invalid", true, false},
        {"smb://127.0.0.1/share", true, false},
        {"javascript:alert(1)", true, false},
        {"data:text/html,<p>page</p>", false, true}, // the engine's own load of a page
        {"data:text/html,<p>page</p>", true, false},
        {"about:blank", false, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(platform::WebLinkPolicy::isNavigable(QUrl(QString::fromLatin1(row.url)), row.fromLink), row.navigable);
    }
}

TEST_F(ViewController, OnlyWebAndStoreAddressesAreOpenedOutside)
{
    for (const char* url : {"macappstore://store.velumo.invalid/app?ls=1", "https://127.0.0.1/a", "file:///etc/hostname",
                            "smb://127.0.0.1/share", "mailto:someone@velumo.invalid"})
        MyPushAdURLOpener::openURL(QUrl(QString::fromLatin1(url)));
    EXPECT_EQ(opened, (QStringList{QStringLiteral("macappstore://store.velumo.invalid/app?ls=1"), QStringLiteral("https://127.0.0.1/a")}));
}
