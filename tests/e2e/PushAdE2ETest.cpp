#include "E2EHarness.h"

#include "LocalServers.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
// The identifier the program's platform layer reports for every program of ours.
const char* const kHostIdentifier = "com.vantrell.velumo";

// An ad shown in the pop-up window: green all over, but for the page's
// close element, a red square in its top-left quarter that a pop-up hides.
QByteArray adDescription()
{
    const QString page = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
        "<body style=\"margin:0;background:#00c000\">"
        "<a id=\"cocoa_close_web\" href=\"close\" "
        "style=\"position:fixed;left:0;top:0;width:50%;height:50%;display:block;background:#f00\">x</a>"
        "</body></html>");
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rootcfg><data><file_version>1</file_version>"
               "<push_ad_config><appid>%1</appid><adid>5</adid></push_ad_config></data>"
               "<push_ad><adid>5</adid><enable>1</enable><version>1a1</version><embed>0</embed>"
               "<width>300</width><height>200</height><count>3</count><delay>0</delay><advance>{}</advance>"
               "<notes>e2e</notes><title><default>PAU e2e ad</default></title>"
               "<html_contents><default>%2</default></html_contents></push_ad></rootcfg>\n")
        .arg(QString::fromLatin1(kHostIdentifier), page.toHtmlEscaped())
        .toUtf8();
}

bool isGreen(QRgb c)
{
    return qGreen(c) > 150 && qRed(c) < 80 && qBlue(c) < 80;
}
} // namespace

TEST(PushAd, HostShowsTheServedAdPageInThePopupWindow)
{
    const QString problem = LocalServers::shared().startNginx();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    const QString folder = LocalServers::shared().nginxDocumentRoot() + QStringLiteral("/pau-e2e");
    ASSERT_TRUE(QDir().mkpath(folder));
    {
        QFile file(folder + QStringLiteral("/commonad.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(adDescription());
    }
    const QString address = QStringLiteral("http://127.0.0.1:%1/pau-e2e/commonad.xml").arg(LocalServers::shared().nginxPort());

    E2EHarness h;
    ASSERT_TRUE(h.launch({address}, QStringLiteral(VELUMO_PAU_HOST_PROBE)));
    const QString window = h.waitForWindow(QStringLiteral("^PAU e2e ad$"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    ASSERT_TRUE(h.waitForFile(h.workDir() + QStringLiteral("/willshow.txt")));
    QFile announced(h.workDir() + QStringLiteral("/willshow.txt"));
    ASSERT_TRUE(announced.open(QIODevice::ReadOnly));
    EXPECT_EQ(announced.readAll(), QByteArray("popup=1"));

    // The page shows in the window, with its close element hidden. The
    // window is looked up by its title at every try, and read from a picture
    // of the whole screen (a picture of the window alone is not always to
    // be had while the web engine sets up its drawing).
    QImage shot;
    QString current = window;
    QRect geometry;
    const auto pageShown = [&] {
        const QStringList windows = h.visibleWindows(QStringLiteral("^PAU e2e ad$"));
        if (windows.isEmpty())
            return false;
        current = windows.last();
        geometry = h.windowGeometry(current);
        shot = h.screenshot(); // the whole screen: it shows what the window shows
        if (shot.isNull() || geometry.width() < 8 || geometry.height() < 8 || !shot.rect().contains(geometry))
            return false;
        return isGreen(shot.pixel(geometry.x() + geometry.width() / 4, geometry.y() + geometry.height() / 4)) &&
               isGreen(shot.pixel(geometry.x() + geometry.width() * 3 / 4, geometry.y() + geometry.height() * 3 / 4));
    };
    EXPECT_TRUE(E2EHarness::waitUntil(pageShown))
        << "window " << current.toStdString() << " at " << geometry.x() << "," << geometry.y() << " " << geometry.width() << "x"
        << geometry.height() << (shot.isNull() ? " (no picture)" : "") << "\n" << h.standardError().toStdString();
    EXPECT_EQ(geometry.size(), QSize(300, 200));

    // Closing the window is announced; the host then ends by itself.
    {
        QFile quit(h.workDir() + QStringLiteral("/quit.txt"));
        ASSERT_TRUE(quit.open(QIODevice::WriteOnly));
        quit.write("quit");
    }
    EXPECT_TRUE(h.waitForFile(h.workDir() + QStringLiteral("/closed.txt"))) << h.standardError().toStdString();
    // Leaks are not judged here: the web engine keeps memory until the
    // process ends (the unit tests check the library's own code).
    EXPECT_GE(h.waitForExit(), 0) << h.standardError().toStdString();
    EXPECT_FALSE(h.standardError().contains(QLatin1String("ERROR: AddressSanitizer")) ||
                 h.standardError().contains(QLatin1String("runtime error:")))
        << h.standardError().toStdString();
    // The window lives as long as the process, yet its page goes before the
    // profile it belongs to.
    EXPECT_FALSE(h.standardError().contains(QLatin1String("still not deleted"))) << h.standardError().toStdString();
}

namespace {
// An ad description for this host with the given page and placement.
QByteArray adDescriptionWith(const QString& page, const QString& version, int embed, QSize size)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rootcfg><data><file_version>1</file_version>"
               "<push_ad_config><appid>%1</appid><adid>5</adid></push_ad_config></data>"
               "<push_ad><adid>5</adid><enable>1</enable><version>%2</version><embed>%3</embed>"
               "<width>%4</width><height>%5</height><count>3</count><delay>0</delay><advance>{}</advance>"
               "<notes>e2e</notes><title><default>PAU e2e ad</default></title>"
               "<html_contents><default>%6</default></html_contents></push_ad></rootcfg>\n")
        .arg(QString::fromLatin1(kHostIdentifier), version)
        .arg(embed)
        .arg(size.width())
        .arg(size.height())
        .arg(page.toHtmlEscaped())
        .toUtf8();
}

// Serves files below the web server's "pau-e2e" folder; returns their
// address there.
QString serve(const QString& name, const QByteArray& content)
{
    const QString folder = LocalServers::shared().nginxDocumentRoot() + QStringLiteral("/pau-e2e");
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return QStringLiteral("http://127.0.0.1:%1/pau-e2e/%2").arg(LocalServers::shared().nginxPort()).arg(name);
}

QByteArray pngOf(QColor colour, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void endProbe(E2EHarness& h)
{
    QFile quit(h.workDir() + QStringLiteral("/quit.txt"));
    if (quit.open(QIODevice::WriteOnly))
        quit.write("quit");
    EXPECT_GE(h.waitForExit(), 0) << h.standardError().toStdString();
    // Pages go before the profile they belong to, also at the very end.
    EXPECT_FALSE(h.standardError().contains(QLatin1String("still not deleted"))) << h.standardError().toStdString();
}
} // namespace

TEST(PushAd, AdPageReachesRemoteImagesAndNoLocalFileAndAFramesStoreLinkOpensTheStore)
{
    const QString problem = LocalServers::shared().startNginx();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    E2EHarness h;
    // A file of the user's that the page tries to read.
    const QString secret = h.workDir() + QStringLiteral("/secret.txt");
    {
        QFile file(secret);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's own words");
    }
    const QString image = serve(QStringLiteral("remote-green.png"), pngOf(QColor(0, 192, 0), QSize(40, 40)));
    const QString storeLink = serve(QStringLiteral("store-app"), "no store here") + QStringLiteral("?mt=12&ls=1");
    // A frame that goes to a store link by itself: judged like the page, it
    // opens the store instead of loading in the frame.
    const QString frame = serve(QStringLiteral("frame.html"),
                                QStringLiteral("<!DOCTYPE html><html><body><script>location.href = '%1';</script></body></html>")
                                    .arg(storeLink)
                                    .toUtf8());
    // Top half: the remote picture. Bottom half: blue until the page knows
    // whether it could read the user's file: red when it could, green when not.
    const QString page = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body style=\"margin:0;background:#000\">"
        "<img src=\"%1\" style=\"position:fixed;left:0;top:0;width:100%;height:50%\">"
        "<div id=\"local\" style=\"position:fixed;left:0;top:50%;width:100%;height:50%;background:#00f\"></div>"
        "<iframe src=\"%2\" style=\"position:fixed;left:0;top:0;width:1px;height:1px;border:0\"></iframe>"
        "<script>"
        "function done(read) { document.getElementById('local').style.background = read ? '#f00' : '#00c000'; }"
        "try { var x = new XMLHttpRequest(); x.open('GET', '%3', true);"
        "  x.onload = function () { done(x.responseText.length > 0); }; x.onerror = function () { done(false); };"
        "  x.send(); } catch (e) { done(false); }"
        "</script></body></html>")
        .arg(image, frame, QUrl::fromLocalFile(secret).toString());
    const QString address = serve(QStringLiteral("local-file-ad.xml"), adDescriptionWith(page, QStringLiteral("2a1"), 0, QSize(300, 200)));

    ASSERT_TRUE(h.launch({address}, QStringLiteral(VELUMO_PAU_HOST_PROBE)));
    ASSERT_FALSE(h.waitForWindow(QStringLiteral("^PAU e2e ad$")).isEmpty()) << h.standardError().toStdString();
    QImage shot;
    QRect geometry;
    const auto pageDone = [&] {
        const QStringList windows = h.visibleWindows(QStringLiteral("^PAU e2e ad$"));
        if (windows.isEmpty())
            return false;
        geometry = h.windowGeometry(windows.last());
        shot = h.screenshot();
        if (shot.isNull() || geometry.width() < 8 || !shot.rect().contains(geometry))
            return false;
        return isGreen(shot.pixel(geometry.center().x(), geometry.y() + geometry.height() / 4)) &&
               shot.pixel(geometry.center().x(), geometry.y() + geometry.height() * 3 / 4) != qRgb(0, 0, 255);
    };
    ASSERT_TRUE(E2EHarness::waitUntil(pageDone)) << "the remote picture never showed\n" << h.standardError().toStdString();
    const QRgb local = shot.pixel(geometry.center().x(), geometry.y() + geometry.height() * 3 / 4);
    EXPECT_TRUE(isGreen(local)) << "the page read the user's file (red) or never learnt (blue): " << std::hex << local;

    ASSERT_TRUE(h.waitForFile(h.workDir() + QStringLiteral("/opened.txt"))) << h.standardError().toStdString();
    QFile opened(h.workDir() + QStringLiteral("/opened.txt"));
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(opened.readAll()).trimmed(),
              QStringLiteral("macappstore://") + storeLink.mid(storeLink.indexOf(QStringLiteral("://")) + 3));
    endProbe(h);
}

TEST(PushAd, BannerShowsItsPageInTheHostWindow)
{
    const QString problem = LocalServers::shared().startNginx();
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    // A banner at the bottom left (place 5) of the 500 x 400 host, green all over.
    const QString page = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
        "<body style=\"margin:0;background:#00c000\"><p style=\"color:#fff\">banner</p></body></html>");
    const QString address = serve(QStringLiteral("banner-ad.xml"), adDescriptionWith(page, QStringLiteral("3a1"), 5, QSize(200, 100)));

    E2EHarness h;
    ASSERT_TRUE(h.launch({address}, QStringLiteral(VELUMO_PAU_HOST_PROBE)));
    ASSERT_TRUE(h.waitForFile(h.workDir() + QStringLiteral("/willshow.txt"))) << h.standardError().toStdString();
    QFile announced(h.workDir() + QStringLiteral("/willshow.txt"));
    ASSERT_TRUE(announced.open(QIODevice::ReadOnly));
    EXPECT_EQ(announced.readAll(), QByteArray("popup=0"));
    QImage shot;
    QRect host;
    const auto bannerShown = [&] {
        const QStringList windows = h.visibleWindows(QStringLiteral("^PAU host$"));
        if (windows.isEmpty())
            return false;
        host = h.windowGeometry(windows.last());
        shot = h.screenshot();
        if (shot.isNull() || host.width() < 8 || !shot.rect().contains(host))
            return false;
        // The banner's area, 200 x 100 at the host's bottom-left corner.
        const QPoint inside(host.x() + 150, host.bottom() - 20);
        return isGreen(shot.pixel(inside));
    };
    EXPECT_TRUE(E2EHarness::waitUntil(bannerShown))
        << "host at " << host.x() << "," << host.y() << " " << host.width() << "x" << host.height() << "\n"
        << h.standardError().toStdString();
    // Outside the banner the host shows its own background.
    if (!shot.isNull())
        EXPECT_FALSE(isGreen(shot.pixel(host.x() + 350, host.y() + 50)));
    endProbe(h);
}
