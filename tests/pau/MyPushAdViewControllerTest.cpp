#include "PushAdTestSupport.h"

#include "MyPushAdBoxView.h"
#include "StderrCapture.h"

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

TEST_F(ViewController, LoadingKeepsWhatIsNotGivenAndResolvesAgainstTheLibrary)
{
    auto controller = MyPushAdViewController::createInstanceWithPushAdMode(MyPushAdViewController::PopupMode);
    auto* web = static_cast<FakeWebView*>(controller->legacyWebView());
    EXPECT_FALSE(web->transparent);
    auto banner = MyPushAdViewController::createInstanceWithPushAdMode(MyPushAdViewController::BannerMode);
    EXPECT_TRUE(static_cast<FakeWebView*>(banner->legacyWebView())->transparent);
    controller->loadDataWithTitle(QStringLiteral("First"), QStringLiteral("<p>one</p>"));
    controller->loadDataWithTitle(QStringLiteral("Second"), QString());
    EXPECT_EQ(controller->title(), QStringLiteral("Second"));
    EXPECT_EQ(web->loadedHTML, QStringLiteral("<p>one</p>"));
    controller->loadDataWithTitle(QString(), QStringLiteral("<p>two</p>"));
    EXPECT_EQ(controller->title(), QStringLiteral("Second"));
    EXPECT_EQ(web->loadedHTML, QStringLiteral("<p>two</p>"));
    ASSERT_TRUE(web->loadedURL.isLocalFile());
    EXPECT_TRUE(QFileInfo(web->loadedURL.toLocalFile()).fileName().startsWith(QStringLiteral("libVTRPAU")));

    controller->view()->move(5, 7);
    controller->changeViewSize(QSize(80, 30));
    EXPECT_EQ(controller->view()->geometry(), QRect(5, 7, 80, 30));
}
