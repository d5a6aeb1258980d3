#include "E2EHarness.h"

#include "LocalServers.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

void serve(const QString& name, const QByteArray& content)
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

QByteArray iconOf(QColor colour)
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Pixels of the rectangle that are close to the colour.
int pixelsOf(const QImage& screen, const QRect& area, QColor colour)
{
    int count = 0;
    const QRect inside = area.intersected(screen.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = screen.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) < 8 && qAbs(c.green() - colour.green()) < 8 &&
                qAbs(c.blue() - colour.blue()) < 8)
                ++count;
        }
    }
    return count;
}

const char* const kList = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>root</key>
  <dict>
    <key>notes</key>
    <dict>
      <key>title</key><dict><key>other</key><string>Magenta Notes</string></dict>
      <key>content</key><dict><key>other</key><string>Notes in colour.</string></dict>
      <key>prices</key><dict><key>other</key><string>Free</string></dict>
      <key>icon_name</key><string>notes.png</string>
      <key>down_url</key><string>https://apps.example/app/notes</string>
      <key>priority</key><integer>1</integer>
    </dict>
    <key>paint</key>
    <dict>
      <key>title</key><dict><key>other</key><string>Green Paint</string></dict>
      <key>content</key><dict><key>other</key><string>Paint in green.</string></dict>
      <key>prices</key><dict><key>other</key><string>2.99</string></dict>
      <key>icon_name</key><string>paint.png</string>
      <key>down_url</key><string>https://apps.example/app/paint</string>
      <key>priority</key><integer>5</integer>
    </dict>
  </dict>
</dict>
</plist>
)";

} // namespace

TEST(MyApps, PopoverListsTheServedAppsWithTheirIconsAndARowOpensTheStore)
{
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
        qunsetenv(name);
    const QString nginx = LocalServers::shared().startNginx();
    ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
    const QColor green(0, 200, 0);
    const QColor magenta(220, 0, 220);
    serve(QStringLiteral("paint.png"), iconOf(green));
    serve(QStringLiteral("notes.png"), iconOf(magenta));
    serve(QStringLiteral("myapps.plist"), kList);

    E2EHarness h;
    {
        QDir().mkpath(QFileInfo(h.settingsFile()).absolutePath());
        QSettings settings(h.settingsFile(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("VelumoServiceAddress"),
                          QStringLiteral("http://127.0.0.1:%1").arg(LocalServers::shared().nginxPort()));
    }
    ASSERT_TRUE(h.launch({}, QStringLiteral(VELUMO_MYAPPS_PROBE)));
    const QString window = h.waitForWindow(QStringLiteral("^My apps probe$"));
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    ASSERT_TRUE(h.clickControl(QStringLiteral("More Apps"), window)) << h.standardError().toStdString();

    const AccessibleControl paint = h.findControl(QStringLiteral("Green Paint"));
    const AccessibleControl notes = h.findControl(QStringLiteral("Magenta Notes"));
    ASSERT_TRUE(paint.found) << h.standardError().toStdString();
    ASSERT_TRUE(notes.found);
    // Greater priority first.
    EXPECT_LT(paint.extents.top(), notes.extents.top());

    // Each row shows its own icon once it has been downloaded.
    const AccessibleControl paintIcon = h.findControl(QStringLiteral("Green Paint icon"));
    const AccessibleControl notesIcon = h.findControl(QStringLiteral("Magenta Notes icon"));
    ASSERT_TRUE(paintIcon.found);
    ASSERT_TRUE(notesIcon.found);
    const auto mostly = [](int pixels, const QRect& area) { return pixels * 2 > area.width() * area.height(); };
    QImage screen;
    const bool iconsShown = E2EHarness::waitUntil([&] {
        screen = h.screenshot();
        return mostly(pixelsOf(screen, paintIcon.extents, green), paintIcon.extents) &&
               mostly(pixelsOf(screen, notesIcon.extents, magenta), notesIcon.extents);
    });
    EXPECT_TRUE(iconsShown) << "green " << pixelsOf(screen, paintIcon.extents, green) << ", magenta "
                            << pixelsOf(screen, notesIcon.extents, magenta) << " of " << paintIcon.extents.width()
                            << " x " << paintIcon.extents.height();
    EXPECT_EQ(pixelsOf(screen, paintIcon.extents, magenta), 0);

    // A click on a row opens its store page (the probe writes what it was
    // given to open, and ends).
    h.mouseMove(paint.centre().x(), paint.centre().y());
    h.click();
    const QString opened = h.workDir() + QStringLiteral("/opened.txt");
    ASSERT_TRUE(h.waitForFile(opened)) << h.standardError().toStdString();
    QFile file(opened);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), QStringLiteral("macappstore://apps.example/app/paint"));
    EXPECT_GE(h.waitForExit(60000), 0) << h.standardError().toStdString();
    EXPECT_FALSE(h.standardError().contains(QLatin1String("ERROR: AddressSanitizer")) ||
                 h.standardError().contains(QLatin1String("runtime error:")))
        << h.standardError().toStdString();
}
