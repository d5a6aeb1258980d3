#include "SWAppController.h"
#include "SWDocument.h"
#include "SWImageDataSource.h"

#include "StderrCapture.h"
#include "TestMain.h"

#include "platform/appkit/Alert.h"
#include "platform/appkit/Application.h"
#include "platform/appkit/Beep.h"
#include "platform/appkit/ColorPanel.h"
#include "platform/appkit/DocumentController.h"
#include "platform/appkit/MenuItem.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/appkit/Sheet.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ModifierFlags.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ImageFileLoader.h"

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>

#include "platform/appkit/ActionRouter.h"
#include <gtest/gtest.h>

namespace {
void setArguments(const QStringList& arguments)
{
    QList<QByteArray> bytes;
    for (const QString& a : arguments)
        bytes << a.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    platform::Bundle::captureArguments(int(argv.size()), argv.data());
}

class SWAppControllerTest : public ::testing::Test {
protected:
    void SetUp() override { platform::DocumentController::shared().setQuitsWhenLastDocumentCloses(false); }
    void TearDown() override
    {
        setArguments({QStringLiteral("tests_app")});
        platform::Alert::setTestResponder({});
        platform::Application::setModifierFlagsForTesting(std::nullopt);
        platform::DocumentController::shared().closeAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};
} // namespace

TEST_F(SWAppControllerTest, InitRegistersTheEditorsDefaultsAndPreparesTheColourPanel)
{
    SWAppController controller;
    const QVariantMap registered = platform::UserDefaults::standard().registeredDefaults();
    EXPECT_EQ(registered.value(QStringLiteral("HorizontalSize")).toInt(), 640);
    EXPECT_EQ(registered.value(QStringLiteral("VerticalSize")).toInt(), 480);
    EXPECT_EQ(registered.value(QStringLiteral("UndoLevels")).toInt(), 128);
    EXPECT_EQ(registered.value(QStringLiteral("FileType")).toString(), QStringLiteral("PNG"));
    EXPECT_TRUE(registered.value(QStringLiteral("AllowAntialias")).toBool());
    EXPECT_EQ(registered.value(QStringLiteral("SWDocumentRecordedSize")).toString(), QStringLiteral("{400, 300}"));

    auto& panel = platform::ColorPanel::shared();
    EXPECT_TRUE(panel.showsAlpha());
    EXPECT_EQ(panel.mode(), int(platform::ColorPanel::CrayonMode));
    panel.setContinuous(true);
    controller.applicationWillFinishLaunching();
    EXPECT_FALSE(panel.isContinuous());
    EXPECT_EQ(SWAppController::applicationSecret().size(), 36);
}

TEST_F(SWAppControllerTest, TestModeNeedsTheExactSwitchAndIsLoggedAtEveryQuestion)
{
    SWAppController controller;
    struct Case {
        QStringList arguments;
        bool testMode;
    } cases[] = {
        {{"velumo", "-VLCheckUpdatesInTestMode"}, true},
        {{"velumo", "picture.png", "-VLCheckUpdatesInTestMode"}, true},
        {{"velumo", "--VLCheckUpdatesInTestMode"}, false},
        {{"velumo", "-VLCheckUpdatesInTestModeX"}, false},
        {{"velumo"}, false},
    };
    for (const Case& c : cases) {
        setArguments(c.arguments);
        StderrCapture log;
        EXPECT_EQ(controller.isUpdaterInTestMode(nullptr), c.testMode) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(controller.isUpdaterInTestMode(nullptr), c.testMode);
        EXPECT_EQ(log.count(QStringLiteral("Velumo: Detected Check Updates In Test Mode!")), c.testMode ? 2 : 0);
    }
    EXPECT_EQ(SWAppController::filesInArguments({"velumo", "-VLCheckUpdatesInTestMode", "a.png", "b c.jpg"}),
              (QStringList{"a.png", "b c.jpg"}));
}

TEST_F(SWAppControllerTest, OpenedLinksShorterThan125CharactersAreReported)
{
    SWAppController controller;
    struct Case {
        int length;
        bool reported;
    } cases[] = {{0, false}, {1, true}, {124, true}, {125, false}};
    for (const Case& c : cases) {
        StderrCapture log;
        platform::NotificationCenter::defaultCenter().post(QStringLiteral("VantrellNotificationOpeningURL"), nullptr,
                                                           {}, QString(c.length, QLatin1Char('u')));
        EXPECT_EQ(log.count(QStringLiteral("trackEvent:withProperties: Opening URL")), c.reported ? 1 : 0)
            << c.length;
    }
}

TEST_F(SWAppControllerTest, NewFromClipboardNeedsAReadablePicture)
{
    SWAppController controller;
    auto& pb = platform::Pasteboard::general();
    auto& documents = platform::DocumentController::shared();
    platform::MenuItem item(QStringLiteral("New from Clipboard"), QStringLiteral("newFromClipboard:"));
    platform::MenuItem other(QStringLiteral("Quit"), QStringLiteral("quit:"));
    EXPECT_TRUE(controller.validateMenuItem(&other));

    pb.writeText(QStringLiteral("only text"));
    EXPECT_FALSE(controller.validateMenuItem(&item));

    // Announced as a picture but unreadable: the item only asks for the
    // type, so it is enabled; choosing it beeps and makes no document.
    pb.setData(QByteArray("GIF89a broken"), QStringLiteral("image/gif"));
    EXPECT_TRUE(controller.validateMenuItem(&item));
    const int beeps = platform::Beep::count();
    const int before = documents.documents().size();
    controller.newFromClipboard();
    EXPECT_EQ(platform::Beep::count(), beeps + 1);
    EXPECT_EQ(documents.documents().size(), before);

    QImage picture(21, 13, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    pb.writeImage(picture);
    EXPECT_TRUE(controller.validateMenuItem(&item));
    controller.newFromClipboard();
    ASSERT_EQ(documents.documents().size(), before + 1);
    auto* document = static_cast<SWDocument*>(documents.documents().last());
    EXPECT_EQ(document->dataSource()->canvasSize(), QSizeF(21, 13));
    EXPECT_EQ(document->fileType(), documents.defaultType());
    EXPECT_NE(document->window(), nullptr);
    pb.clearContents();
}

namespace {
// Clipboard content that counts how often its bytes are fetched.
class CountingMimeData : public QMimeData {
public:
    mutable int fetches = 0;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        ++fetches;
        return QMimeData::retrieveData(mimeType, type);
    }
};
} // namespace

TEST_F(SWAppControllerTest, AKeyPressValidatesNewFromClipboardWithoutDecodingThePicture)
{
    SWAppController controller;
    QImage big(4000, 3000, QImage::Format_RGB32);
    big.fill(Qt::darkGreen);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(big.save(&buffer, "PNG"));
    auto* content = new CountingMimeData;
    content->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(content);
    ASSERT_EQ(QGuiApplication::clipboard()->mimeData(), content);

    QMainWindow window;
    auto* bar = new QMenuBar(&window);
    window.setMenuBar(bar);
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    auto* item = new platform::MenuItem(QStringLiteral("New from Clipboard"), QStringLiteral("newFromClipboard:"), {}, file);
    item->setEnabled(false);
    file->addAction(item);
    platform::ActionRouter::shared().watch(bar);
    auto* central = new QWidget(&window);
    central->setFocusPolicy(Qt::StrongFocus);
    window.setCentralWidget(central);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    central->setFocus();

    content->fetches = 0;
    QTest::keyClick(central, Qt::Key_A);
    EXPECT_TRUE(item->isEnabled()) << "the key press validated the menus";
    EXPECT_EQ(content->fetches, 0) << "validation read the picture's bytes";
    QGuiApplication::clipboard()->clear();
}

TEST_F(SWAppControllerTest, AboutWithShiftAndControlShowsTheDebuggingInformation)
{
    SWAppController controller;
    setArguments({QStringLiteral("velumo"), QStringLiteral("x.png")});
    QStringList messages;
    QString information;
    platform::Alert::setTestResponder([&](const platform::Alert& alert) {
        messages << alert.messageText();
        information = alert.informativeText();
        return int(platform::Alert::FirstButton);
    });
    using platform::ModifierFlags::Command;
    using platform::ModifierFlags::Control;
    using platform::ModifierFlags::Option;
    using platform::ModifierFlags::Shift;
    for (uint32_t flags : {Shift | Control, Shift | Control | Option | Command}) {
        platform::Application::setModifierFlagsForTesting(flags);
        StderrCapture log;
        controller.aboutMenuItemDidClick();
        EXPECT_EQ(log.count(QStringLiteral("App Build Info:[Velumo - ")), 1);
    }
    ASSERT_EQ(messages, (QStringList{QStringLiteral("Debugging Information."), QStringLiteral("Debugging Information.")}));
    const QStringList pieces = information.split(QStringLiteral("\n\n"));
    ASSERT_EQ(pieces.size(), 10); // nine pieces, each followed by two line breaks
    EXPECT_TRUE(pieces[1].startsWith(QStringLiteral("{VTRFoundation Info: VTRFoundationFrameworkInternalVersion = 10.2.18")));
    EXPECT_EQ(pieces[2], QStringLiteral("{VTRUI Info: VTRUIFrameworkInternalVersion = 11.1.53}"));
    EXPECT_TRUE(pieces[3].startsWith(QStringLiteral("MSAppCenter installId:{")));
    EXPECT_EQ(pieces[5], QStringLiteral("Upload Tag:{upload-10.b}"));
    EXPECT_EQ(pieces[6], SWAppController::buildLine());
    EXPECT_EQ(pieces[7], QStringLiteral("App Argument of CheckUpdatesInTestMode: 0"));
    EXPECT_TRUE(pieces[8].startsWith(QStringLiteral("App Arguments:{")));
    EXPECT_TRUE(pieces[8].contains(QStringLiteral("x.png")));
    EXPECT_TRUE(pieces[9].isEmpty());
}

TEST_F(SWAppControllerTest, KillTheSheetClosesOnlyTheNewSizeSheet)
{
    SWAppController controller;
    QMainWindow window;
    window.show();
    QDialog sizeSheet;
    sizeSheet.setProperty("windowControllerClass", QStringLiteral("SWSizeWindowController"));
    QDialog otherSheet;
    int sizeResult = -1;
    platform::Sheet::begin(&sizeSheet, &window, [&sizeResult](int r) { sizeResult = r; });
    platform::Sheet::begin(&otherSheet, &window, nullptr);
    ASSERT_EQ(platform::Sheet::openSheets().size(), 2);
    controller.killTheSheet();
    EXPECT_FALSE(sizeSheet.isVisible());
    EXPECT_EQ(sizeResult, int(QDialog::Rejected));
    EXPECT_TRUE(otherSheet.isVisible());
    otherSheet.reject();
    sizeSheet.setParent(nullptr);
    otherSheet.setParent(nullptr);
}

// The first file named at start-up is read ahead for its document; one that
// no document took (the file was refused) is not kept reading.
TEST_F(SWAppControllerTest, TheFirstFileNamedIsReadAheadAndWhatNoDocumentTookIsDropped)
{
    SWAppController controller;
    QStringList told;
    platform::Alert::setTestResponder([&told](const platform::Alert& alert) {
        told << alert.messageText();
        return 0;
    });
    const QString refused = testDataPath(QStringLiteral("images/not-a-picture.png"));
    SWAppController::readFilesAhead({refused, testDataPath(QStringLiteral("images/two-pixels-144dpi.png"))});
    controller.openFiles({refused});
    EXPECT_EQ(told.size(), 1);
    EXPECT_EQ(platform::ImageFileLoader::takeReadAhead(refused), nullptr);
    EXPECT_TRUE(platform::DocumentController::shared().documents().isEmpty());
}
