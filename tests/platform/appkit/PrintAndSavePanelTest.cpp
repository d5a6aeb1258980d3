#include "platform/appkit/PrintInfo.h"
#include "platform/appkit/PrintOperation.h"
#include "platform/appkit/SavePanel.h"

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SavePanel, TheChosenNameAlwaysEndsInAnAllowedType)
{
    struct Case {
        const char* typed;
        QStringList types;
        const char* expected;
    } cases[] = {
        {"/tmp/a", {"png"}, "/tmp/a.png"},
        {"/tmp/a.png", {"png"}, "/tmp/a.png"},
        {"/tmp/a.PNG", {"png"}, "/tmp/a.PNG"},
        {"/tmp/a.jpeg", {"jpg"}, "/tmp/a.jpeg"},
        {"/tmp/a.tiff", {"tif"}, "/tmp/a.tiff"},
        {"/tmp/a.png", {"jpg"}, "/tmp/a.png.jpg"},
        {"/tmp/my.picture", {"gif"}, "/tmp/my.picture.gif"},
        {"/tmp/a", {}, "/tmp/a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::SavePanel::pathWithAllowedExtension(QString::fromUtf8(c.typed), c.types),
                  QString::fromUtf8(c.expected))
            << c.typed;
    }
}

TEST(PrintOperation, FittingShrinksLargePicturesOnlyAndKeepsProportions)
{
    const QRectF page(0, 0, 500, 700);
    EXPECT_EQ(platform::PrintOperation::fittedRect(QSizeF(1000, 500), page), QRectF(0, 0, 500, 250));
    EXPECT_EQ(platform::PrintOperation::fittedRect(QSizeF(200, 1400), page), QRectF(0, 0, 100, 700));
    EXPECT_EQ(platform::PrintOperation::fittedRect(QSizeF(100, 50), page), QRectF(0, 0, 100, 50));
}

TEST(PrintOperation, PrintsThePictureToTheConfirmedPrinter)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QImage picture(1200, 900, QImage::Format_RGBA8888_Premultiplied);
    picture.fill(Qt::red);
    platform::PrintInfo info;
    info.dictionary().insert(platform::PrintInfo::horizontalPaginationKey(), platform::PrintInfo::FitPagination);
    info.dictionary().insert(platform::PrintInfo::verticalPaginationKey(), platform::PrintInfo::FitPagination);
    platform::PrintOperation operation(picture, &info);
    platform::PrintOperation::setTestConfirmer([&pdf](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    EXPECT_TRUE(operation.runModalForWindow(nullptr));
    EXPECT_GT(QFileInfo(pdf).size(), 0);

    // A print the user cancels prints nothing.
    const QString cancelled = dir.filePath(QStringLiteral("cancelled.pdf"));
    platform::PrintOperation::setTestConfirmer([&cancelled](QPrinter& printer) {
        printer.setOutputFileName(cancelled);
        return false;
    });
    EXPECT_FALSE(operation.runModalForWindow(nullptr));
    EXPECT_FALSE(QFileInfo::exists(cancelled));
    platform::PrintOperation::setTestConfirmer({});
}
