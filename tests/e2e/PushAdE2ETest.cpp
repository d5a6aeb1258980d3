#include "E2EHarness.h"

#include "LocalServers.h"

#include <QDir>
#include <QFile>
#include <QImage>
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
}
