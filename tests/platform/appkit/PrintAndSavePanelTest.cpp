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

// A typed extension of a type the caller offers chooses that type; other
// extensions are part of the name.
TEST(SavePanel, AnExtensionTypedChoosesItsType)
{
    struct Case {
        const char* typed;
        const char* expected;
        QStringList allowedAfter;
        int announced;
    } cases[] = {
        {"/tmp/copy.jpg", "/tmp/copy.jpg", {"jpg"}, 1},
        {"/tmp/copy.JPEG", "/tmp/copy.JPEG", {"jpg"}, 1},
        {"/tmp/copy.png", "/tmp/copy.png", {"png"}, 0},
        {"/tmp/copy.webp", "/tmp/copy.webp.png", {"png"}, 0},
        {"/tmp/copy", "/tmp/copy.png", {"png"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        platform::SavePanel panel;
        panel.setAllowedFileTypes({"png"});
        panel.setTypesChosenByName({"png", "jpg", "bmp", "gif", "tif"});
        QStringList announced;
        QObject::connect(&panel, &platform::SavePanel::typeChosenByName,
                         [&announced](const QString& type) { announced << type; });
        platform::SavePanel::setTestChooser([&c](platform::SavePanel&) { return QString::fromUtf8(c.typed); });
        ASSERT_TRUE(panel.runModal(nullptr));
        EXPECT_EQ(panel.filePath(), QString::fromUtf8(c.expected));
        EXPECT_EQ(panel.allowedFileTypes(), c.allowedAfter);
        EXPECT_EQ(announced.size(), c.announced);
    }
    // Without types chosen by name the allowed type is added as before.
    platform::SavePanel plain;
    plain.setAllowedFileTypes({"png"});
    platform::SavePanel::setTestChooser([](platform::SavePanel&) { return QStringLiteral("/tmp/copy.jpg"); });
    ASSERT_TRUE(plain.runModal(nullptr));
    EXPECT_EQ(plain.filePath(), QStringLiteral("/tmp/copy.jpg.png"));
    platform::SavePanel::setTestChooser({});
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

#include "platform/appkit/Sheet.h"

#include <QDialog>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>

TEST(Sheet, OpensAtTheTopOfTheContentBelowTheMenuAndBlocksOnlyItsWindow)
{
    QMainWindow window;
    window.setMenuBar(new QMenuBar);
    window.menuBar()->addMenu(QStringLiteral("File"));
    window.setCentralWidget(new QWidget);
    window.resize(500, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QDialog sheet;
    sheet.resize(200, 100);
    int result = -1;
    platform::Sheet::begin(&sheet, &window, [&result](int r) { result = r; });
    const QPoint contentTop = window.centralWidget()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(platform::Sheet::position(&window, sheet.size()).y(), contentTop.y());
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);
    EXPECT_TRUE(platform::Sheet::isSheet(&sheet));
    sheet.accept();
    EXPECT_EQ(result, int(QDialog::Accepted));
    EXPECT_TRUE(platform::Sheet::openSheets().isEmpty());
    sheet.setParent(nullptr);
}
