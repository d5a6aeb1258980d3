#include "DLAsyncImageView.h"

#include "LocalServers.h"

#include "platform/appkit/ProgressSpinner.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// A small blue picture, as PNG bytes.
QByteArray bluePng()
{
    QImage picture(6, 4, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

// Pictures and a page that is no picture, served by nginx on this machine.
class AsyncImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
            qunsetenv(name);
        const QString nginx = LocalServers::shared().startNginx();
        ASSERT_TRUE(nginx.isEmpty()) << nginx.toStdString();
        serve(QStringLiteral("blue.png"), bluePng());
        serve(QStringLiteral("page.png"), "<html><body>moved</body></html>");
        errorImage = QImage(3, 3, QImage::Format_ARGB32);
        errorImage.fill(Qt::red);
    }

    static void serve(const QString& name, const QByteArray& content)
    {
        const QString path = LocalServers::shared().nginxDocumentPath(QStringLiteral("dlimages/") + name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
        file.setPermissions(file.permissions() | QFile::ReadOther);
        QFile::setPermissions(QFileInfo(path).path(),
                              QFile::permissions(QFileInfo(path).path()) | QFile::ReadOther | QFile::ExeOther);
    }
    static QString url(const QString& name)
    {
        return QStringLiteral("http://127.0.0.1:%1/dlimages/%2").arg(LocalServers::shared().nginxPort()).arg(name);
    }
    static void waitWhileLoading(DLAsyncImageView& view)
    {
        QDeadlineTimer deadline(60000);
        while (view.isLoadingImage() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    QImage errorImage;
};

} // namespace

TEST_F(AsyncImage, WheelSizeFollowsTheViewSize)
{
    const struct {
        QSize view;
        QRect wheel; // null: no wheel
    } rows[] = {
        {{40, 40}, {12, 12, 16, 16}},
        {{100, 40}, {}},
        {{64, 64}, {16, 16, 32, 32}},
        {{16, 16}, {0, 0, 16, 16}},
        {{15, 40}, {}},
        {{64, 63}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.view.width() << " x " << row.view.height());
        DLAsyncImageView view;
        view.resize(row.view);
        view.downloadImageFromURL(url(QStringLiteral("blue.png")), QImage(), QImage(), true);
        if (row.wheel.isNull()) {
            EXPECT_EQ(view.spinningWheel(), nullptr);
        } else {
            ASSERT_NE(view.spinningWheel(), nullptr);
            EXPECT_EQ(view.spinningWheel()->geometry(), row.wheel);
            EXPECT_TRUE(view.spinningWheel()->isAnimating());
        }
        waitWhileLoading(view);
        EXPECT_EQ(view.spinningWheel(), nullptr);
    }
}

TEST_F(AsyncImage, LoadedPictureReplacesThePlaceholderAndAPageThatIsNoPictureFails)
{
    QImage placeholder(2, 2, QImage::Format_ARGB32);
    placeholder.fill(Qt::gray);
    DLAsyncImageView view;
    view.resize(40, 40);
    view.downloadImageFromURL(url(QStringLiteral("blue.png")), placeholder, errorImage, true);
    EXPECT_TRUE(view.isLoadingImage());
    EXPECT_EQ(view.image(), placeholder);
    waitWhileLoading(view);
    EXPECT_FALSE(view.didFailLoadingImage());
    ASSERT_EQ(view.image().size(), QSize(6, 4));
    EXPECT_EQ(view.image().pixelColor(1, 1), QColor(Qt::blue));

    // The status is not looked at: a page, or a 404 page, is no picture.
    for (const QString& name : {QStringLiteral("page.png"), QStringLiteral("missing.png")}) {
        SCOPED_TRACE(name.toStdString());
        view.downloadImageFromURL(url(name), placeholder, errorImage, true);
        waitWhileLoading(view);
        EXPECT_TRUE(view.didFailLoadingImage());
        EXPECT_EQ(view.image(), errorImage);
        EXPECT_EQ(view.spinningWheel(), nullptr);
    }
}

TEST_F(AsyncImage, ToolTipsFollowTheStateAndAreLostWhenSetBeforeStarting)
{
    DLAsyncImageView view;
    view.resize(40, 40);
    view.setToolTipWhileLoading(QStringLiteral("early"), QStringLiteral("early"), QStringLiteral("early"));
    view.downloadImageFromURL(url(QStringLiteral("blue.png")));
    view.mouseEntered(nullptr);
    EXPECT_EQ(view.toolTip(), QString());

    view.setToolTipWhileLoading(QStringLiteral("loading"), QStringLiteral("done"), QStringLiteral("broken"));
    view.mouseEntered(nullptr);
    EXPECT_EQ(view.toolTip(), QStringLiteral("loading"));
    waitWhileLoading(view);
    view.mouseEntered(nullptr);
    EXPECT_EQ(view.toolTip(), QStringLiteral("done"));

    view.downloadImageFromURL(url(QStringLiteral("page.png")));
    view.setToolTipWhileLoading(QStringLiteral("loading"), QStringLiteral("done"), QStringLiteral("broken"));
    waitWhileLoading(view);
    view.mouseEntered(nullptr);
    EXPECT_EQ(view.toolTip(), QStringLiteral("broken"));

    view.downloadImageFromURL(url(QStringLiteral("blue.png")));
    view.setToolTipWhileLoading(QStringLiteral("loading"), QStringLiteral("done"), QStringLiteral("broken"));
    view.cancelDownload();
    view.mouseEntered(nullptr);
    EXPECT_EQ(view.toolTip(), QString());
    EXPECT_TRUE(view.userDidCancel());
    EXPECT_TRUE(view.image().isNull());
    // A cancelled download reports nothing later.
    QDeadlineTimer settle(300);
    while (!settle.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_TRUE(view.image().isNull());
    EXPECT_FALSE(view.isLoadingImage());
}

TEST_F(AsyncImage, IconLargerThanAnyIconFailsInsteadOfFillingMemory)
{
    // A real picture followed by megabytes that no icon has: the download
    // stops and the view shows its error image.
    const QByteArray png = bluePng();
    ASSERT_FALSE(QImage::fromData(png + QByteArray(8 << 20, '\0')).isNull()); // the picture alone would decode
    serve(QStringLiteral("huge.png"), png + QByteArray(8 << 20, '\0'));
    DLAsyncImageView view;
    view.resize(40, 40);
    view.downloadImageFromURL(url(QStringLiteral("huge.png")), QImage(), errorImage, true);
    waitWhileLoading(view);
    EXPECT_TRUE(view.didFailLoadingImage());
    EXPECT_EQ(view.image(), errorImage);
    EXPECT_EQ(view.spinningWheel(), nullptr);
}
