#include "VTRUITestSupport.h"
#include "ZIDAboutWindowController.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

// A resource folder with the program's credits and acknowledgments and three
// library folders (one without credits) plus a stray file.
class AboutWindowTest : public ::testing::Test {
protected:
    AboutWindowTest()
        : resources(folder.path())
    {
        writeFile(folder.filePath("Credits.html"), "<p>Main credits</p>");
        writeFile(folder.filePath("Acknowledgments.html"), "<p>Thanks</p>");
        writeFile(folder.filePath("Frameworks/Gamma/Credits.html"), "<p>Gamma <b>credits</b></p>");
        writeFile(folder.filePath("Frameworks/Alpha/Credits.html"), "<p style=\"color:#00ff00\">Alpha credits</p>");
        QDir().mkpath(folder.filePath("Frameworks/Beta"));
        writeFile(folder.filePath("Frameworks/notes.txt"), "not a library");
    }

    QColor foregroundOfFirstCharacterOf(const QString& word)
    {
        QTextDocument document;
        QTextCursor(&document).insertFragment(controller->cachedAppCreditsForDisplay());
        QTextCursor found = document.find(word);
        return found.charFormat().foreground().color();
    }

    QTemporaryDir folder;
    ResourceFolderOverride resources;
    std::unique_ptr<ZIDAboutWindowController> controller = ZIDAboutWindowController::createInstance();
};

struct RecordingDelegate : ZIDAboutWindowControllerDelegate {
    unsigned methods = 0;
    QStringList calls;
    unsigned respondedMethods() const override { return methods; }
    void aboutWindowControllerVisitWebsiteButtonDidClick(ZIDAboutWindowController*) override { calls << "website"; }
    void aboutWindowControllerFeedbackButtonDidClick(ZIDAboutWindowController*) override { calls << "feedback"; }
    void aboutWindowControllerPrivacyPolicyButtonDidClick(ZIDAboutWindowController*) override { calls << "privacy"; }
};

TEST_F(AboutWindowTest, CreditsOfTheProgramComeFirstThenEachLibraryInOrder)
{
    testing::internal::CaptureStderr();
    const QString text = controller->findAllCredits().toPlainText();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(text, "Main credits\nAlpha credits\nGamma credits\n");

    EXPECT_FALSE(ZIDAboutWindowController::creditsContentsInBundle(folder.filePath("Frameworks/Beta")).has_value());
    QDir(folder.path()).remove("Credits.html");
    EXPECT_EQ(controller->findAllCredits().toPlainText(), "Alpha credits\nGamma credits\n");
}

TEST_F(AboutWindowTest, WindowShowsNameVersionAndCreditsOnTheInformationView)
{
    controller->showWindow();
    QWidget* window = controller->window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->findChild<QLabel*>("appNameLabel")->text(), "Velumo");
    EXPECT_TRUE(window->findChild<QLabel*>("appVersionLabel")->text().startsWith("Version "));
    EXPECT_TRUE(window->findChild<QLabel*>("appVersionLabel")->text().contains(" (Build "));
    EXPECT_EQ(controller->creditsTextView()->toPlainText(), "Main credits\nAlpha credits\nGamma credits\n");
    EXPECT_TRUE(controller->creditsTextView()->isReadOnly());
    EXPECT_TRUE(controller->acknowledgmentsTextView()->isReadOnly());
    EXPECT_EQ(controller->activeView(), controller->infoView());
    EXPECT_EQ(controller->acknowledgmentsButton()->text(), "Acknowledgments");
    EXPECT_EQ(controller->acknowledgmentsPath().value_or(QString()), folder.filePath("Acknowledgments.html"));

    // Values set by the owner win over the defaults and show at once.
    controller->setAppCopyright(QStringLiteral("Copyright 2026 Vantrell"));
    EXPECT_EQ(window->findChild<QLabel*>("appCopyrightLabel")->text(), "Copyright 2026 Vantrell");

    // Showing again comes back on the information view.
    controller->setUseTextViewForAcknowledgments(true);
    controller->showAcknowledgments();
    controller->showWindow();
    EXPECT_EQ(controller->activeView(), controller->infoView());
    window->close();
}

TEST_F(AboutWindowTest, LinkButtonTitles)
{
    const struct {
        std::optional<QString> title;
        bool visible;
        const char* shown;
    } cases[] = {
        {QString(""), false, ""},
        {std::nullopt, true, "Visit Vantrell Website"},
        {QStringLiteral("Visit Us"), true, "Visit Us"},
    };
    for (const auto& c : cases) {
        auto about = ZIDAboutWindowController::createInstance();
        about->setVisitWebsiteTitle(c.title);
        about->setPrivacyPolicyTitle(c.title);
        about->setFeedbackTitle(c.title);
        about->setAppCredits(QTextDocumentFragment::fromPlainText("x"));
        about->window();
        EXPECT_EQ(!about->visitWebsiteButton()->isHidden(), c.visible);
        EXPECT_EQ(!about->privacyPolicyButton()->isHidden(), c.visible);
        EXPECT_EQ(!about->feedbackButton()->isHidden(), c.visible);
        if (c.visible) {
            EXPECT_EQ(about->visitWebsiteButton()->text(), c.shown);
            // No title keeps the window's own titles for these two.
            EXPECT_EQ(about->privacyPolicyButton()->text(), c.title ? c.shown : "Privacy Policy");
            EXPECT_EQ(about->feedbackButton()->text(), c.title ? c.shown : "Send Feedback");
            EXPECT_TRUE(about->feedbackButton()->styleSheet().contains("underline"));
        }
    }
}

TEST_F(AboutWindowTest, DelegateAnswersOnlyWhatItImplements)
{
    RecordingDelegate delegate;
    delegate.methods = ZIDAboutWindowControllerDelegate::FeedbackMethod;
    controller->setAboutDelegate(&delegate);
    controller->setAppWebsiteURL(QUrl(QStringLiteral("https://www.example.com/velumo")));
    controller->setFeedbackURL(QUrl(QStringLiteral("https://www.example.com/feedback")));
    UrlRecorder opened({QStringLiteral("https")});
    controller->window();

    controller->feedbackButton()->click();
    controller->visitWebsiteButton()->click();
    testing::internal::CaptureStderr();
    controller->privacyPolicyButton()->click();
    const std::string logged = testing::internal::GetCapturedStderr();

    EXPECT_EQ(delegate.calls, QStringList{"feedback"});
    ASSERT_EQ(opened.urls().size(), 1);
    EXPECT_EQ(opened.urls().first(), QUrl("https://www.example.com/velumo"));
    EXPECT_NE(logged.find("Error: please set the privacyPolicyURL property on the about window."), std::string::npos);

    controller->setAboutDelegate(nullptr);
    testing::internal::CaptureStderr();
    controller->visitFeedback();
    controller->setAppWebsiteURL(QUrl());
    controller->visitWebsite();
    const std::string withoutDelegate = testing::internal::GetCapturedStderr();
    EXPECT_EQ(opened.urls().size(), 2);
    EXPECT_NE(withoutDelegate.find("Error: please set the appWebsiteURL property on the about window"),
              std::string::npos);
}

TEST_F(AboutWindowTest, AcknowledgmentsButtonTogglesTheViewsInTheWindow)
{
    controller->setUseTextViewForAcknowledgments(true);
    controller->setAcknowledgmentsString(QStringLiteral("Thanks to everyone."));
    controller->showWindow();
    controller->acknowledgmentsButton()->click();
    EXPECT_EQ(controller->activeView(), controller->acknowledgmentsView());
    EXPECT_EQ(controller->acknowledgmentsButton()->text(), "Credits");
    EXPECT_EQ(controller->acknowledgmentsTextView()->toPlainText(), "Thanks to everyone.");
    EXPECT_TRUE(controller->infoView()->isHidden());

    controller->acknowledgmentsButton()->click();
    EXPECT_EQ(controller->activeView(), controller->infoView());
    EXPECT_EQ(controller->acknowledgmentsButton()->text(), "Acknowledgments");
    EXPECT_EQ(controller->infoView()->parentWidget(), controller->placeHolderView());
    EXPECT_TRUE(controller->acknowledgmentsView()->isHidden());
    controller->window()->close();
}

TEST_F(AboutWindowTest, AcknowledgmentsFileOpensOutsideOrIsReportedMissing)
{
    UrlRecorder opened({QStringLiteral("file")});
    controller->window();
    controller->showAcknowledgments();
    ASSERT_EQ(opened.urls().size(), 1);
    EXPECT_EQ(opened.urls().first(), QUrl::fromLocalFile(folder.filePath("Acknowledgments.html")));

    auto withoutFile = ZIDAboutWindowController::createInstance();
    QDir(folder.path()).remove("Acknowledgments.html");
    withoutFile->window();
    testing::internal::CaptureStderr();
    withoutFile->showAcknowledgments();
    const std::string logged = testing::internal::GetCapturedStderr();
    EXPECT_NE(logged.find("Error: couldn't load the acknowledgments file"), std::string::npos);
    EXPECT_EQ(opened.urls().size(), 1);
}

TEST_F(AboutWindowTest, ShowingTheActiveViewAgainChangesNothing)
{
    controller->showWindow();
    QWidget* info = controller->infoView();
    const auto borders = [](QWidget* view) {
        return view->findChildren<QFrame*>("ZIDAboutBorderLayer", Qt::FindDirectChildrenOnly).size();
    };
    EXPECT_EQ(borders(info), 1);
    controller->showView(info);
    EXPECT_EQ(borders(info), 1);
    controller->showView(controller->acknowledgmentsView());
    controller->showView(info);
    EXPECT_EQ(borders(info), 1);
    EXPECT_EQ(borders(controller->acknowledgmentsView()), 1);

    // The line lies along the lower edge and follows the view's size.
    QFrame* border = info->findChild<QFrame*>("ZIDAboutBorderLayer", Qt::FindDirectChildrenOnly);
    info->resize(300, 200);
    EXPECT_EQ(border->geometry(), QRect(-1, -1, 302, 201));
    controller->window()->close();
}

TEST_F(AboutWindowTest, CreditsFollowThePaletteUnlessDisabled)
{
    const QPalette original = QApplication::palette();
    controller->showWindow();
    EXPECT_EQ(foregroundOfFirstCharacterOf("Alpha"), original.color(QPalette::Text)); // own green replaced

    QPalette dark = original;
    dark.setColor(QPalette::Text, QColor(250, 250, 250));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    QApplication::setPalette(dark);
    QApplication::processEvents();
    EXPECT_EQ(foregroundOfFirstCharacterOf("Main"), QColor(250, 250, 250));
    EXPECT_EQ(controller->creditsTextView()->palette().color(QPalette::Base), QColor(30, 30, 30));

    controller->setDisableAppCreditsTextColorAutoFitAppearance(true);
    QApplication::setPalette(original);
    QApplication::processEvents();
    EXPECT_EQ(foregroundOfFirstCharacterOf("Main"), QColor(250, 250, 250));
    controller->window()->close();
}

TEST_F(AboutWindowTest, DisabledRecolouringKeepsTheCreditsOwnColours)
{
    controller->setDisableAppCreditsTextColorAutoFitAppearance(true);
    controller->window();
    EXPECT_EQ(foregroundOfFirstCharacterOf("Alpha"), QColor(0, 255, 0));
}

TEST_F(AboutWindowTest, FeedbackMailLink)
{
    const QUrl url = ZIDAboutWindowController::simpleFeedbackURLWithSubject(
        std::nullopt, QStringLiteral("Crashed twice."), QStringLiteral("Ann"), QStringLiteral("help@example.com"));
    EXPECT_EQ(url.scheme(), "mailto");
    EXPECT_EQ(url.path(), "help@example.com");
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "Velumo Feedback");
    const QString body = query.queryItemValue("body", QUrl::FullyDecoded);
    EXPECT_TRUE(body.startsWith("Hi Ann,\n\n\n\n\n\nApp Name:Velumo\nApp Version:")) << body.toStdString();
    EXPECT_TRUE(body.contains("\nmacOS System:"));
    EXPECT_TRUE(body.contains("\nScreen Scale:"));
    EXPECT_TRUE(body.contains("\nScreen Dimensions:{{"));
    EXPECT_TRUE(body.endsWith("\nCrashed twice.\n"));

    // An "&" or "=" in a part cannot cut the query short.
    const QUrl tricky = ZIDAboutWindowController::simpleFeedbackURLWithSubject(
        QStringLiteral("Q&A=1 + more"), QStringLiteral("a&body=b"), std::nullopt, std::nullopt);
    const QUrlQuery trickyQuery(tricky);
    EXPECT_EQ(trickyQuery.queryItemValue("subject", QUrl::FullyDecoded), "Q&A=1 + more");
    EXPECT_TRUE(trickyQuery.queryItemValue("body", QUrl::FullyDecoded).endsWith("\na&body=b\n"));
    EXPECT_TRUE(trickyQuery.queryItemValue("body", QUrl::FullyDecoded).startsWith("Hi ,\n"));
}

} // namespace
