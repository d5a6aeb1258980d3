#include "E2EHarness.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

namespace {
// Python's file server on 127.0.0.1 and a port the system picks; stopped by
// its own process id when the test ends.
class LocalFileServer {
public:
    explicit LocalFileServer(const QString& folder)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("python3"), {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                                                    QStringLiteral("0"), QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                                                    QStringLiteral("--directory"), folder});
        if (!m_process.waitForStarted(10000))
            return;
        const QRegularExpression serving(QStringLiteral("port (\\d+)"));
        QByteArray output;
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && m_port == 0 && m_process.state() == QProcess::Running) {
            m_process.waitForReadyRead(200);
            output += m_process.readAll();
            const auto match = serving.match(QString::fromLocal8Bit(output));
            if (match.hasMatch())
                m_port = match.captured(1).toInt();
        }
    }
    ~LocalFileServer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }
    int port() const { return m_port; }

private:
    QProcess m_process;
    int m_port = 0;
};

// The probe must end by itself, without a memory error. Leaks are not
// judged here: the web engine and the graphics driver it loads keep memory
// until the process ends, and the sanitizer cannot always tell their frames
// from the probe's own (the unit tests check our code for leaks).
void expectCleanEnd(E2EHarness& h)
{
    EXPECT_GE(h.waitForExit(60000), 0) << h.standardError().toStdString();
    EXPECT_FALSE(h.standardError().contains(QLatin1String("ERROR: AddressSanitizer")) ||
                 h.standardError().contains(QLatin1String("runtime error:")))
        << h.standardError().toStdString();
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A page whose one link, the store link, covers all of it.
const char* const kPromotionPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Promotion</title></head>
<body style="margin:0">
<a id="store" href="/get?id=7&amp;ls=1"
   style="position:fixed;left:0;top:0;width:100%;height:100%;display:block;background:#36c">Get it</a>
</body></html>
)";
} // namespace

TEST(OnlineServices, ProgramInitialisesTheXMLParser)
{
    // libxml2 is loaded by the program's first XML call, not at start-up,
    // and its parser is set up as it loads, before any parse: the program
    // asks the loader for the set-up function by name.
    E2EHarness h;
    int code = -1;
    const QString texts = h.run(QStringLiteral("strings"), {E2EHarness::binaryPath()}, 20000, &code);
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(texts.contains(QLatin1String("xmlInitParser")));
    const QString imports = h.run(QStringLiteral("readelf"), {QStringLiteral("-d"), E2EHarness::binaryPath()}, 20000, &code);
    ASSERT_EQ(code, 0);
    EXPECT_FALSE(imports.contains(QLatin1String("libxml2"))) << imports.toStdString();
}

TEST(OnlineServices, PromotionWindowHandsAStoreLinkOfItsPageToTheOpener)
{
    E2EHarness h;
    const QString site = h.workDir() + QStringLiteral("/site");
    ASSERT_TRUE(QDir().mkpath(site));
    {
        QFile page(site + QStringLiteral("/promo.html"));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write(kPromotionPage);
    }
    LocalFileServer server(site);
    ASSERT_GT(server.port(), 0);
    const QString origin = QStringLiteral("http://127.0.0.1:%1").arg(server.port());

    ASSERT_TRUE(h.launch({origin + QStringLiteral("/promo.html")}, QStringLiteral(VELUMO_PROMO_PROBE)));
    const QString window = h.waitForWindow(QStringLiteral("^Promotion probe$"), 60000);
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    ASSERT_TRUE(h.waitForFile(h.workDir() + QStringLiteral("/loaded.txt"), 90000)) << h.standardError().toStdString();
    const QRect geometry = h.windowGeometry(window);
    EXPECT_EQ(geometry.size(), QSize(600, 422));

    // The link covers the page: a click anywhere on it is a click on it.
    const QString opened = h.workDir() + QStringLiteral("/opened.txt");
    QDeadlineTimer deadline(60000);
    while (!QFile::exists(opened) && !deadline.hasExpired() && h.isRunning()) {
        h.mouseMove(geometry.width() / 2, geometry.height() / 2, window);
        h.click();
        QDeadlineTimer settle(3000);
        while (!QFile::exists(opened) && !settle.hasExpired())
            QThread::msleep(100);
    }
    ASSERT_TRUE(h.waitForFile(opened, 5000)) << h.standardError().toStdString();
    EXPECT_EQ(readFile(opened), QStringLiteral("macappstore://127.0.0.1:%1/get?id=7&ls=1").arg(server.port()));
    expectCleanEnd(h);
}

TEST(OnlineServices, PromotionWindowStopsItsSpinnerWhenThePageCannotLoad)
{
    E2EHarness h;
    // A port that was just free: nothing answers there.
    int port = 0;
    {
        LocalFileServer server(h.workDir());
        port = server.port();
    }
    ASSERT_GT(port, 0);
    ASSERT_TRUE(h.launch({QStringLiteral("http://127.0.0.1:%1/promo.html").arg(port)}, QStringLiteral(VELUMO_PROMO_PROBE)));
    ASSERT_TRUE(h.waitForFile(h.workDir() + QStringLiteral("/failed.txt"), 90000)) << h.standardError().toStdString();
    EXPECT_EQ(readFile(h.workDir() + QStringLiteral("/failed.txt")), QStringLiteral("animating=0 visible=0"));
    expectCleanEnd(h);
}

TEST(OnlineServices, WebViewShowsTextPagesTransparentlyHidesByIdAndNamesTheClickedElement)
{
    E2EHarness h;
    ASSERT_TRUE(h.launch({QStringLiteral("--web-view")}, QStringLiteral(VELUMO_PROMO_PROBE)));
    const QString window = h.waitForWindow(QStringLiteral("^Web view probe$"), 60000);
    ASSERT_FALSE(window.isEmpty()) << h.standardError().toStdString();
    ASSERT_TRUE(h.waitForFile(h.workDir() + QStringLiteral("/ready.txt"), 90000)) << h.standardError().toStdString();

    // The banner goes, and the transparent page shows the window's blue.
    const auto isBlue = [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; };
    QImage shot;
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        shot = h.screenshot(window);
        if (!shot.isNull() && isBlue(shot.pixel(shot.width() / 2, shot.height() / 4)))
            break;
        QThread::msleep(200);
    }
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(isBlue(shot.pixel(shot.width() / 2, shot.height() / 4)))
        << std::hex << shot.pixel(shot.width() / 2, shot.height() / 4);

    // A click on the link (its lower half) is judged with the link's id and
    // the address resolved against the page's base.
    const QRect geometry = h.windowGeometry(window);
    const QString clicked = h.workDir() + QStringLiteral("/clicked.txt");
    QDeadlineTimer clickDeadline(60000);
    while (!QFile::exists(clicked) && !clickDeadline.hasExpired() && h.isRunning()) {
        h.mouseMove(geometry.width() - 20, geometry.height() * 3 / 4, window);
        h.click();
        QDeadlineTimer settle(3000);
        while (!QFile::exists(clicked) && !settle.hasExpired())
            QThread::msleep(100);
    }
    ASSERT_TRUE(h.waitForFile(clicked, 5000)) << h.standardError().toStdString();
    EXPECT_EQ(readFile(clicked), QStringLiteral("http://127.0.0.1:1/base/next?x=1 go"));
    expectCleanEnd(h);
}
