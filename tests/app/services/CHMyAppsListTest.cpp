#include "CHAppItem.h"
#include "CHMyAppsTableCellView.h"
#include "CHMyAppsViewController.h"
#include "CHMyAppsViewManager.h"
#include "CHOpeningURL.h"
#include "CHServiceAddress.h"
#include "DLAsyncImageView.h"
#include "HoverTableRowView.h"
#include "HoverTableView.h"
#include "ManualClock.h"
#include "PHProgressHUD.h"
#include "VNHTTPRequest.h"

#include "LocalServers.h"
#include "StderrCapture.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"

#include <QApplication>
#include <QBuffer>
#include <QMouseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

// The my-apps list fetched from nginx on this machine, its HUDs on a clock
// the test turns.
class MyAppsList : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
            qunsetenv(name);
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
        pointAt(QStringLiteral("http://127.0.0.1:%1").arg(LocalServers::shared().nginxPort()));
        CHOpeningURL::setURLOpener([this](const QUrl& url) { opened << url.toString(); });
        platform::NotificationCenter::defaultCenter().addObserver(this, CHOpeningURL::notificationName(), nullptr,
            [this](const platform::Notification& n) { announced << n.object.toString(); });
        controller = std::make_unique<CHMyAppsViewController>();
        controller->setClock(&clock);
        controller->resize(380, 420);
    }
    void TearDown() override
    {
        controller.reset();
        platform::NotificationCenter::defaultCenter().removeObserver(this);
        CHOpeningURL::setURLOpener({});
        platform::UserDefaults::standard().removeValue(CHServiceAddress::settingKey());
        platform::UserDefaults::standard().removeValue(QStringLiteral("AppleLanguages"));
    }

    static void pointAt(const QString& address)
    {
        platform::UserDefaults::standard().setValue(CHServiceAddress::settingKey(), address);
    }

    static void serveFile(const QString& name, const QByteArray& content)
    {
        const QString path = LocalServers::shared().nginxDocumentPath(QStringLiteral("mac/myapps/") + name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.setPermissions(file.permissions() | QFile::ReadOther);
        for (QString dir = QFileInfo(path).path(); dir.endsWith(QStringLiteral("myapps")) || dir.endsWith(QStringLiteral("mac"));
             dir = QFileInfo(dir).path())
            QFile::setPermissions(dir, QFile::permissions(dir) | QFile::ReadOther | QFile::ExeOther);
    }

    static QByteArray pngOf(QColor colour)
    {
        QImage image(8, 8, QImage::Format_ARGB32);
        image.fill(colour);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    // One entry of an XML list.
    static QString entry(const QString& key, const QString& title, std::optional<int> priority,
                         const QString& icon = QString(), const QString& link = QString())
    {
        QString xml = QStringLiteral("<key>%1</key><dict><key>title</key><dict><key>other</key><string>%2</string></dict>"
                                     "<key>content</key><dict><key>other</key><string>About %2</string></dict>"
                                     "<key>prices</key><dict><key>other</key><string>Free</string></dict>")
                          .arg(key, title);
        if (priority)
            xml += QStringLiteral("<key>priority</key><integer>%1</integer>").arg(*priority);
        if (!icon.isEmpty())
            xml += QStringLiteral("<key>icon_name</key><string>%1</string>").arg(icon);
        if (!link.isEmpty())
            xml += QStringLiteral("<key>down_url</key><string>%1</string>").arg(link);
        return xml + QStringLiteral("</dict>");
    }
    // A readable list with more entries than any list of ours holds.
    static QByteArray manyEntries()
    {
        QStringList entries;
        for (int i = 0; i < 5000; ++i)
            entries << entry(QStringLiteral("app%1").arg(i), QStringLiteral("App %1").arg(i), i % 7);
        return listOf(entries);
    }
    static QByteArray listOf(const QStringList& entries)
    {
        return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>root</key><dict>") +
                entries.join(QString()) + QStringLiteral("</dict></dict></plist>\n"))
            .toUtf8();
    }

    // Opens the list and waits until the answer has been handled (the
    // loading HUD then starts to go).
    void load()
    {
        controller->viewWillAppear();
        QPointer<PHProgressHUD> loading = PHProgressHUD::HUDForView(controller.get());
        ASSERT_TRUE(loading);
        QDeadlineTimer deadline(60000);
        while (loading && loading->alphaValue() >= 1.0 && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_TRUE(!loading || loading->alphaValue() < 1.0) << "the list never arrived";
        // Let the loading HUD finish going.
        clock.advance(1.0);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QStringList titles() const
    {
        QStringList shown;
        for (int row = 0; row < controller->tableView()->numberOfRows(); ++row) {
            auto* cell = qobject_cast<CHMyAppsTableCellView*>(controller->tableView()->rowViewAtRow(row)->cellView());
            shown << (cell ? cell->lbTitle()->text() : QStringLiteral("<no cell>"));
        }
        return shown;
    }

    CHMyAppsTableCellView* cellAt(int row) const
    {
        HoverTableRowView* rowView = controller->tableView()->rowViewAtRow(row);
        return rowView ? qobject_cast<CHMyAppsTableCellView*>(rowView->cellView()) : nullptr;
    }

    ManualClock clock;
    std::unique_ptr<CHMyAppsViewController> controller;
    QStringList opened;
    QStringList announced;
};

} // namespace

TEST_F(MyAppsList, ListsByPriorityGreatestFirstAndEqualPrioritiesInAFixedOrder)
{
    // Equal priorities used to be answered "descending" both ways, which
    // leaves their order to the sort's whims; they now keep the order of
    // their keys.
    serveFile(QStringLiteral("myapps.plist"),
              listOf({entry(QStringLiteral("d"), QStringLiteral("Low"), 1), entry(QStringLiteral("c"), QStringLiteral("Tie C"), 3),
                      entry(QStringLiteral("a"), QStringLiteral("Tie A"), 3), entry(QStringLiteral("e"), QStringLiteral("High"), 5),
                      entry(QStringLiteral("b"), QStringLiteral("Tie B"), 3), entry(QStringLiteral("f"), QStringLiteral("None"), std::nullopt)}));
    load();
    const QStringList expected{QStringLiteral("High"), QStringLiteral("Tie A"), QStringLiteral("Tie B"),
                               QStringLiteral("Tie C"), QStringLiteral("Low"), QStringLiteral("None")};
    EXPECT_EQ(titles(), expected);
    // Rows carry the application's name for assistive technology.
    EXPECT_EQ(controller->tableView()->rowViewAtRow(0)->accessibleName(), QStringLiteral("High"));
    load();
    EXPECT_EQ(titles(), expected);
}

TEST_F(MyAppsList, ListsOfTheWrongShapeShowNoRowsOrKeepTheRowsShown)
{
    const QByteArray good = listOf({entry(QStringLiteral("a"), QStringLiteral("One"), 1),
                                    entry(QStringLiteral("b"), QStringLiteral("Two"), 2)});
    const struct {
        const char* what;
        QByteArray list;
    } cases[] = {
        {"top level is an array",
         "<?xml version=\"1.0\"?><plist><array><dict><key>root</key><dict/></dict></array></plist>"},
        {"root is an array", "<?xml version=\"1.0\"?><plist><dict><key>root</key><array/></dict></plist>"},
        {"no root", "{ apps = { a = { title = { other = X; }; }; }; }"},
        {"no property list at all", "<html><body>Not here</body></html>"},
        {"truncated", "{ root = { a = { title = "},
        {"more entries than any list of ours", manyEntries()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        controller = std::make_unique<CHMyAppsViewController>();
        controller->setClock(&clock);
        serveFile(QStringLiteral("myapps.plist"), c.list);
        StderrCapture capture;
        load();
        EXPECT_EQ(controller->tableView()->numberOfRows(), 0);
        // A bad list brings no failure message; the rows shown stay.
        serveFile(QStringLiteral("myapps.plist"), good);
        load();
        ASSERT_EQ(controller->tableView()->numberOfRows(), 2);
        serveFile(QStringLiteral("myapps.plist"), c.list);
        load();
        EXPECT_EQ(titles(), QStringList({QStringLiteral("Two"), QStringLiteral("One")}));
        EXPECT_TRUE(PHProgressHUD::allHUDsForView(controller.get()).isEmpty());
    }
}

TEST_F(MyAppsList, TextsFollowTheFirstPreferredLanguageElseOther)
{
    serveFile(QStringLiteral("myapps.plist"), R"plist({
        root = {
            app = {
                title = { de = "Malen"; en = "Paint"; other = "Paint (other)"; };
                content = { en = "Draw things"; other = "Draw (other)"; };
                prices = { fr = "2 €"; };
                priority = 1;
            };
        };
    })plist");
    const struct {
        QStringList languages;
        QString title, content, price;
    } rows[] = {
        {{QStringLiteral("de"), QStringLiteral("en")}, QStringLiteral("Malen"), QStringLiteral("Draw (other)"), QString()},
        {{QStringLiteral("fr")}, QStringLiteral("Paint (other)"), QStringLiteral("Draw (other)"), QStringLiteral("2 €")},
        {{QStringLiteral("ja")}, QStringLiteral("Paint (other)"), QStringLiteral("Draw (other)"), QString()},
        // Without any preferred language the "other" texts show, rather
        // than an empty row.
        {{}, QStringLiteral("Paint (other)"), QStringLiteral("Draw (other)"), QString()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.languages.join(QLatin1Char(',')).toStdString());
        if (row.languages.isEmpty())
            platform::UserDefaults::standard().removeValue(QStringLiteral("AppleLanguages"));
        else
            platform::UserDefaults::standard().setValue(QStringLiteral("AppleLanguages"), row.languages);
        load();
        CHMyAppsTableCellView* cell = cellAt(0);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->lbTitle()->text(), row.title);
        EXPECT_EQ(cell->lbContent()->text(), row.content);
        EXPECT_EQ(cell->lbPrice()->text(), row.price);
    }
}

TEST_F(MyAppsList, IconsLoadFromBesideTheListAndAnEntryWithoutIconNamesNone)
{
    serveFile(QStringLiteral("icon-red.png"), pngOf(Qt::red));
    serveFile(QStringLiteral("myapps.plist"),
              listOf({entry(QStringLiteral("a"), QStringLiteral("Red"), 2, QStringLiteral("icon-red.png")),
                      entry(QStringLiteral("b"), QStringLiteral("Bare"), 1)}));
    load();
    ASSERT_EQ(controller->appsArray().size(), 2);
    const QString list = CHMyAppsViewController::listURL().toString();
    EXPECT_EQ(controller->appsArray()[0]->iconUrl(), list.left(list.lastIndexOf(QLatin1Char('/'))) + QStringLiteral("/icon-red.png"));
    // No icon name: no address, rather than one ending in "(null)".
    EXPECT_EQ(controller->appsArray()[1]->iconUrl(), QString());
    EXPECT_FALSE(cellAt(1)->ivIcon()->isLoadingImage());

    DLAsyncImageView* icon = cellAt(0)->ivIcon();
    EXPECT_EQ(icon->toolTipWhileLoading(), QStringLiteral("app icon"));
    QDeadlineTimer deadline(60000);
    while (icon->isLoadingImage() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(icon->image().isNull());
    EXPECT_EQ(icon->image().pixelColor(4, 4), QColor(Qt::red));
    icon->mouseEntered(nullptr);
    EXPECT_EQ(icon->toolTip(), QStringLiteral("app icon"));
}

TEST_F(MyAppsList, FailedFetchShowsTheFailureTextAndImageForOneAndAHalfSeconds)
{
    const struct {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"nothing listens", [] { pointAt(QStringLiteral("http://127.0.0.1:%1").arg(LocalServers::freePort())); }},
        {"empty answer",
         [] {
             pointAt(QStringLiteral("http://127.0.0.1:%1").arg(LocalServers::shared().nginxPort()));
             serveFile(QStringLiteral("myapps.plist"), QByteArray());
         }},
        {"answer larger than any list",
         [] {
             // A readable list, padded past any honest size.
             pointAt(QStringLiteral("http://127.0.0.1:%1").arg(LocalServers::shared().nginxPort()));
             QByteArray padded = listOf({entry(QStringLiteral("a"), QStringLiteral("One"), 1)});
             padded.insert(padded.indexOf("<plist"), "<!--" + QByteArray(8 << 20, 'x') + "-->\n");
             serveFile(QStringLiteral("myapps.plist"), padded);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        controller = std::make_unique<CHMyAppsViewController>();
        controller->setClock(&clock);
        controller->resize(380, 420);
        c.arrange();
        controller->viewWillAppear();
        QPointer<PHProgressHUD> loading = PHProgressHUD::HUDForView(controller.get());
        ASSERT_TRUE(loading);
        EXPECT_EQ(loading->labelText(), QStringLiteral("Loading, one moment please..."));
        PHProgressHUD* failure = nullptr;
        QDeadlineTimer deadline(60000);
        while (!failure && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            for (PHProgressHUD* hud : PHProgressHUD::allHUDsForView(controller.get()))
                if (hud != loading)
                    failure = hud;
        }
        ASSERT_NE(failure, nullptr);
        QPointer<PHProgressHUD> shown = failure;
        EXPECT_EQ(failure->labelText(), QStringLiteral("The list could not be loaded."));
        EXPECT_EQ(failure->mode(), int(PHProgressHUD::CustomView));
        auto* image = qobject_cast<QLabel*>(failure->customView());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->size(), QSize(48, 48));

        clock.advance(1.49);
        QCoreApplication::processEvents();
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->alphaValue(), 1.0);
        clock.advance(0.02);
        EXPECT_LT(shown->alphaValue(), 1.0);
        clock.advance(2.0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(shown);
        EXPECT_EQ(controller->tableView()->numberOfRows(), 0);
    }
}

TEST_F(MyAppsList, ClickAnnouncesAndOpensTheStoreFormOfTheLinkOnce)
{
    serveFile(QStringLiteral("myapps.plist"),
              listOf({entry(QStringLiteral("a"), QStringLiteral("Linked"), 2, QString(), QStringLiteral("https://apps.example/app/id42")),
                      entry(QStringLiteral("b"), QStringLiteral("Bare link"), 1, QString(), QStringLiteral("store-item-7")),
                      entry(QStringLiteral("c"), QStringLiteral("Unlinked"), 0)}));
    load();
    HoverTableView* table = controller->tableView();
    table->selectRow(0);
    table->selectRow(0);
    EXPECT_EQ(opened, QStringList{QStringLiteral("macappstore://apps.example/app/id42")});
    EXPECT_EQ(announced, QStringList{QStringLiteral("MoreAppTableItemClicked - macappstore://apps.example/app/id42")});
    table->selectRow(1);
    EXPECT_EQ(opened.value(1), QStringLiteral("macappstore://store-item-7"));
    table->selectRow(2);
    EXPECT_EQ(opened.size(), 2);
}

TEST(MyAppsManager, EveryShowingBuildsAFreshPopoverAndASecondManagerIsRefused)
{
    CHMyAppsViewManager* manager = CHMyAppsViewManager::sharedCHMyAppsViewManager();
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(CHMyAppsViewManager::sharedCHMyAppsViewManager(), manager);
    {
        StderrCapture capture;
        EXPECT_EQ(CHMyAppsViewManager::alloc(), nullptr);
        EXPECT_TRUE(capture.text().contains(
            QStringLiteral("*** Error: alloc another object!!! This MACRO only supports really singleton class.")));
    }
    // Nothing listens there: the popover's fetch fails quickly and locally.
    platform::UserDefaults::standard().setValue(CHServiceAddress::settingKey(),
                                                QStringLiteral("http://127.0.0.1:%1").arg(LocalServers::freePort()));
    QWidget anchor;
    anchor.resize(100, 30);
    anchor.show();
    manager->showPopoverRelativeToRect(QRectF(0, 0, 100, 30), &anchor, platform::Popover::MaxYEdge);
    QPointer<platform::Popover> first = manager->myAppsPopover();
    QPointer<CHMyAppsViewController> firstController = manager->myAppsViewController();
    ASSERT_TRUE(first);
    ASSERT_TRUE(firstController);
    EXPECT_EQ(first->behavior(), platform::Popover::Transient);
    EXPECT_EQ(first->contentViewController(), firstController.data());
    EXPECT_NE(firstController->vnHTTPRequest(), nullptr);

    // Transient: a click elsewhere in the program closes it.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), anchor.mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&anchor, &press);
    EXPECT_FALSE(first->isShown());
    QDeadlineTimer deadline(20000);
    while ((first || firstController) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_FALSE(first);
    EXPECT_FALSE(firstController);
    EXPECT_EQ(manager->myAppsPopover(), nullptr);

    manager->showPopoverRelativeToRect(QRectF(0, 0, 100, 30), &anchor, platform::Popover::MaxYEdge);
    ASSERT_NE(manager->myAppsPopover(), nullptr);
    manager->myAppsPopover()->performClose();
    QPointer<platform::Popover> second = manager->myAppsPopover();
    while (second && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_FALSE(second);
    platform::UserDefaults::standard().removeValue(CHServiceAddress::settingKey());
}

TEST_F(MyAppsList, RowTextsFromTheServerShowAsPlainText)
{
    const QString markup = QStringLiteral("<a href=\"file:///etc/hostname\">Paint</a><img src=\"/etc/hostname\">");
    serveFile(QStringLiteral("myapps.plist"),
              listOf({entry(QStringLiteral("a"), markup.toHtmlEscaped(), 1)}));
    load();
    CHMyAppsTableCellView* cell = cellAt(0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->lbTitle()->text(), markup);
    for (QLabel* label : {cell->lbTitle(), cell->lbContent(), cell->lbPrice()}) {
        SCOPED_TRACE(label->text().toStdString());
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_FALSE(label->openExternalLinks());
    }
}
