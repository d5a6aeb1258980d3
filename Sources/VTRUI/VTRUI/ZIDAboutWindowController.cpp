#include "ZIDAboutWindowController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/SystemLog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr const char* kBorderLayerName = "ZIDAboutBorderLayer";
const QColor kSystemGray(142, 142, 147);

QString privateFrameworksPath()
{
    return platform::Bundle::resourceDirectory() + QStringLiteral("/Frameworks");
}

QString rectText(const QRectF& r)
{
    return QString::asprintf("{{%g, %g}, {%g, %g}}", r.x(), r.y(), r.width(), r.height());
}

QString percentEncoded(const QString& text)
{
    // Everything but the unreserved characters is escaped, so an "&" or "="
    // in the subject or body cannot end its part of the query.
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

// Keeps the border line on the view's edges when the view changes size.
void placeBorderLayer(QWidget* view, QWidget* border)
{
    border->setGeometry(-1, -1, view->width() + 2, view->height() + 1);
    border->raise();
}

} // namespace

std::unique_ptr<ZIDAboutWindowController> ZIDAboutWindowController::createInstance()
{
    return std::make_unique<ZIDAboutWindowController>();
}

ZIDAboutWindowController::ZIDAboutWindowController(QObject* parent)
    : QObject(parent)
{
    customInit();
}

ZIDAboutWindowController::~ZIDAboutWindowController()
{
    if (m_observingAppearance && m_window)
        m_window->removeEventFilter(this);
    m_aboutDelegate = nullptr;
    // The window and its views go with the controller.
    m_window.reset();
}

void ZIDAboutWindowController::customInit()
{
    m_aboutDelegate = nullptr;
    if (m_window)
        observeAppearance();
}

void ZIDAboutWindowController::observeAppearance()
{
    if (m_observingAppearance || !m_window)
        return;
    m_window->installEventFilter(this);
    m_observingAppearance = true;
}

QWidget* ZIDAboutWindowController::window()
{
    if (!m_window)
        loadWindow();
    return m_window.get();
}

void ZIDAboutWindowController::loadWindow()
{
    auto window = std::make_unique<QWidget>(nullptr, Qt::Dialog | Qt::WindowCloseButtonHint);
    window->setObjectName(windowNibName());
    window->setAttribute(Qt::WA_DeleteOnClose, false);

    auto* windowLayout = new QVBoxLayout(window.get());
    m_placeHolderView = new QWidget(window.get());
    m_placeHolderView->setObjectName(QStringLiteral("placeHolderView"));
    auto* placeHolderLayout = new QVBoxLayout(m_placeHolderView);
    placeHolderLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->addWidget(m_placeHolderView, 1);

    // The information view: name, version, copyright and the credits.
    m_infoView = new QWidget(window.get());
    m_infoView->setObjectName(QStringLiteral("infoView"));
    m_infoView->hide();
    auto* infoLayout = new QVBoxLayout(m_infoView);
    m_appNameLabel = new QLabel(m_infoView);
    m_appNameLabel->setObjectName(QStringLiteral("appNameLabel"));
    QFont nameFont = m_appNameLabel->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    m_appNameLabel->setFont(nameFont);
    m_appVersionLabel = new QLabel(m_infoView);
    m_appVersionLabel->setObjectName(QStringLiteral("appVersionLabel"));
    m_appCopyrightLabel = new QLabel(m_infoView);
    m_appCopyrightLabel->setObjectName(QStringLiteral("appCopyrightLabel"));
    for (QLabel* label : {m_appNameLabel.data(), m_appVersionLabel.data(), m_appCopyrightLabel.data()}) {
        label->setAlignment(Qt::AlignHCenter);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        infoLayout->addWidget(label);
    }
    m_creditsTextView = new QTextEdit(m_infoView);
    m_creditsTextView->setObjectName(QStringLiteral("creditsTextView"));
    m_creditsTextView->setMinimumSize(360, 160);
    infoLayout->addWidget(m_creditsTextView, 1);

    // The acknowledgments view.
    m_acknowledgmentsView = new QWidget(window.get());
    m_acknowledgmentsView->setObjectName(QStringLiteral("acknowledgmentsView"));
    m_acknowledgmentsView->hide();
    auto* acknowledgmentsLayout = new QVBoxLayout(m_acknowledgmentsView);
    m_acknowledgmentsTextView = new QTextEdit(m_acknowledgmentsView);
    m_acknowledgmentsTextView->setObjectName(QStringLiteral("acknowledgmentsTextView"));
    m_acknowledgmentsTextView->setPlainText(m_acknowledgmentsString);
    acknowledgmentsLayout->addWidget(m_acknowledgmentsTextView);

    // The buttons stay below whichever view is shown.
    auto* buttons = new QHBoxLayout;
    m_acknowledgmentsButton = new QPushButton(QStringLiteral("Acknowledgments"), window.get());
    m_acknowledgmentsButton->setObjectName(QStringLiteral("acknowledgmentsButton"));
    m_visitWebsiteButton = new QPushButton(window.get());
    m_visitWebsiteButton->setObjectName(QStringLiteral("visitWebsiteButton"));
    m_feedbackButton = new QPushButton(QStringLiteral("Send Feedback"), window.get());
    m_feedbackButton->setObjectName(QStringLiteral("feedbackButton"));
    m_privacyPolicyButton = new QPushButton(QStringLiteral("Privacy Policy"), window.get());
    m_privacyPolicyButton->setObjectName(QStringLiteral("privacyPolicyButton"));
    buttons->addWidget(m_acknowledgmentsButton);
    buttons->addStretch(1);
    buttons->addWidget(m_feedbackButton);
    buttons->addWidget(m_privacyPolicyButton);
    buttons->addWidget(m_visitWebsiteButton);
    windowLayout->addLayout(buttons);

    connect(m_visitWebsiteButton, &QPushButton::clicked, this, &ZIDAboutWindowController::visitWebsite);
    connect(m_feedbackButton, &QPushButton::clicked, this, &ZIDAboutWindowController::visitFeedback);
    connect(m_privacyPolicyButton, &QPushButton::clicked, this, &ZIDAboutWindowController::visitPrivacyPolicy);
    connect(m_acknowledgmentsButton, &QPushButton::clicked, this, &ZIDAboutWindowController::showAcknowledgments);

    m_window = std::move(window);
    windowDidLoad();
    // Made here, once the window exists, so the credits follow every later
    // change between light and dark.
    observeAppearance();
}

void ZIDAboutWindowController::windowDidLoad()
{
    if (!m_appName)
        m_appName = platform::Bundle::name();
    if (!m_appVersion)
        m_appVersion = QStringLiteral("Version %1 (Build %2)")
                           .arg(platform::Bundle::shortVersion(), platform::Bundle::buildVersion());
    if (!m_appCopyright)
        m_appCopyright = QString(); // the resources carry no copyright line; the owner sets one
    m_window->setWindowTitle(QStringLiteral("About %1").arg(*m_appName));
    showInfoTexts();

    if (m_visitWebsiteTitle && m_visitWebsiteTitle->isEmpty())
        m_visitWebsiteButton->hide();
    else if (m_visitWebsiteTitle)
        m_visitWebsiteButton->setText(*m_visitWebsiteTitle);
    else
        m_visitWebsiteButton->setText(QStringLiteral("Visit %1 Website").arg(makerWebsiteName()));

    m_acknowledgmentsButton->setText(QStringLiteral("Acknowledgments"));

    if (!m_acknowledgmentsPath) {
        const QString path = platform::Bundle::pathForResource(QStringLiteral("Acknowledgments"), creditsResourceType());
        if (!path.isEmpty())
            m_acknowledgmentsPath = path;
    }

    if (!m_appCredits)
        m_appCredits = findAllCredits();
    if (!m_disableAppCreditsTextColorAutoFitAppearance)
        changeTextColorForAppCredits();
    setCachedAppCreditsForDisplay(*m_appCredits);

    if (m_privacyPolicyTitle) {
        if (m_privacyPolicyTitle->isEmpty())
            m_privacyPolicyButton->hide();
        else
            m_privacyPolicyButton->setText(*m_privacyPolicyTitle);
    }

    if (m_feedbackButton) {
        if (m_feedbackTitle && m_feedbackTitle->isEmpty()) {
            m_feedbackButton->hide();
        } else {
            m_feedbackButton->setText(m_feedbackTitle.value_or(m_feedbackButton->text()));
            m_feedbackButton->setFlat(true);
            m_feedbackButton->setCursor(Qt::PointingHandCursor);
            m_feedbackButton->setStyleSheet(QStringLiteral(
                "QPushButton { color: palette(link); text-decoration: underline; border: none; "
                "background: transparent; text-align: center; }"));
            m_feedbackButton->adjustSize();
        }
    }

    m_creditsTextView->setReadOnly(true);
    m_acknowledgmentsTextView->setReadOnly(true);
}

void ZIDAboutWindowController::showInfoTexts()
{
    if (m_appNameLabel)
        m_appNameLabel->setText(m_appName.value_or(QString()));
    if (m_appVersionLabel)
        m_appVersionLabel->setText(m_appVersion.value_or(QString()));
    if (m_appCopyrightLabel)
        m_appCopyrightLabel->setText(m_appCopyright.value_or(QString()));
}

void ZIDAboutWindowController::setAppName(const std::optional<QString>& name)
{
    m_appName = name;
    showInfoTexts();
}

void ZIDAboutWindowController::setAppVersion(const std::optional<QString>& version)
{
    m_appVersion = version;
    showInfoTexts();
}

void ZIDAboutWindowController::setAppCopyright(const std::optional<QString>& copyright)
{
    m_appCopyright = copyright;
    showInfoTexts();
}

void ZIDAboutWindowController::setAcknowledgmentsString(const QString& text)
{
    m_acknowledgmentsString = text;
    if (m_acknowledgmentsTextView)
        m_acknowledgmentsTextView->setPlainText(text);
}

void ZIDAboutWindowController::setCachedAppCreditsForDisplay(const QTextDocumentFragment& credits)
{
    m_cachedAppCreditsForDisplay = credits;
    if (!m_creditsTextView)
        return;
    m_creditsTextView->clear();
    QTextCursor(m_creditsTextView->document()).insertFragment(credits);
    m_creditsTextView->moveCursor(QTextCursor::Start);
}

void ZIDAboutWindowController::showWindow()
{
    QWidget* shown = window();
    shown->show();
    shown->raise();
    shown->activateWindow();
    showView(m_infoView);
}

void ZIDAboutWindowController::followLink(ZIDAboutWindowControllerDelegate::Method method, const QUrl& url,
                                          const QString& missingUrlLog)
{
    if (m_aboutDelegate && (m_aboutDelegate->respondedMethods() & method)) {
        switch (method) {
        case ZIDAboutWindowControllerDelegate::VisitWebsiteMethod:
            m_aboutDelegate->aboutWindowControllerVisitWebsiteButtonDidClick(this);
            break;
        case ZIDAboutWindowControllerDelegate::FeedbackMethod:
            m_aboutDelegate->aboutWindowControllerFeedbackButtonDidClick(this);
            break;
        case ZIDAboutWindowControllerDelegate::PrivacyPolicyMethod:
            m_aboutDelegate->aboutWindowControllerPrivacyPolicyButtonDidClick(this);
            break;
        }
        return;
    }
    if (!url.isEmpty())
        QDesktopServices::openUrl(url);
    else
        platform::nsLog(missingUrlLog);
}

void ZIDAboutWindowController::visitWebsite()
{
    followLink(ZIDAboutWindowControllerDelegate::VisitWebsiteMethod, m_appWebsiteURL,
               QStringLiteral("Error: please set the appWebsiteURL property on the about window"));
}

void ZIDAboutWindowController::visitFeedback()
{
    followLink(ZIDAboutWindowControllerDelegate::FeedbackMethod, m_feedbackURL,
               QStringLiteral("Error: please set the feedbackURL property on the about window."));
}

void ZIDAboutWindowController::visitPrivacyPolicy()
{
    followLink(ZIDAboutWindowControllerDelegate::PrivacyPolicyMethod, m_privacyPolicyURL,
               QStringLiteral("Error: please set the privacyPolicyURL property on the about window."));
}

void ZIDAboutWindowController::showAcknowledgments()
{
    if (!m_useTextViewForAcknowledgments) {
        if (m_acknowledgmentsPath)
            QDesktopServices::openUrl(QUrl::fromLocalFile(*m_acknowledgmentsPath));
        else
            platform::nsLog(QStringLiteral("Error: couldn't load the acknowledgments file"));
        return;
    }
    if (m_activeView == m_infoView) {
        showView(m_acknowledgmentsView);
        if (m_acknowledgmentsButton)
            m_acknowledgmentsButton->setText(QStringLiteral("Credits"));
    } else {
        showView(m_infoView);
        if (m_acknowledgmentsButton)
            m_acknowledgmentsButton->setText(QStringLiteral("Acknowledgments"));
    }
}

void ZIDAboutWindowController::showView(QWidget* view)
{
    if (!view || view == m_activeView)
        return;
    if (m_activeView) {
        if (m_placeHolderView && m_placeHolderView->layout())
            m_placeHolderView->layout()->removeWidget(m_activeView);
        m_activeView->hide();
        m_activeView->setParent(m_window.get()); // the window keeps it for later
    }

    if (m_placeHolderView) {
        view->setParent(m_placeHolderView);
        view->setGeometry(m_placeHolderView->rect());
        if (m_placeHolderView->layout())
            m_placeHolderView->layout()->addWidget(view);
    } else {
        view->setGeometry(QRect());
    }

    // A thin system-grey line along the view's lower edge: the frame of the
    // border reaches one pixel past the other three edges.
    view->setAutoFillBackground(false);
    auto* border = view->findChild<QFrame*>(QLatin1String(kBorderLayerName), Qt::FindDirectChildrenOnly);
    if (!border) {
        border = new QFrame(view);
        border->setObjectName(QLatin1String(kBorderLayerName));
        border->setAttribute(Qt::WA_TransparentForMouseEvents);
        border->setStyleSheet(QStringLiteral("QFrame#%1 { border: 1px solid %2; background: transparent; }")
                                  .arg(QLatin1String(kBorderLayerName), kSystemGray.name()));
        view->installEventFilter(this);
    }
    placeBorderLayer(view, border);
    view->show();
    m_activeView = view;
}

bool ZIDAboutWindowController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get()
        && (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)) {
        if (!m_disableAppCreditsTextColorAutoFitAppearance)
            changeTextColorForAppCredits();
    } else if (event->type() == QEvent::Resize) {
        if (auto* view = qobject_cast<QWidget*>(watched)) {
            if (auto* border = view->findChild<QFrame*>(QLatin1String(kBorderLayerName), Qt::FindDirectChildrenOnly))
                placeBorderLayer(view, border);
        }
    }
    return QObject::eventFilter(watched, event);
}

std::optional<QTextDocumentFragment> ZIDAboutWindowController::creditsContentsInBundle(const QString& bundlePath)
{
    QFile file(QDir(bundlePath).filePath(QStringLiteral("Credits.") + creditsResourceType()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(file.readAll()));
    // A rich-text file ends its last paragraph; the HTML reader drops that.
    QTextCursor end(&document);
    end.movePosition(QTextCursor::End);
    end.insertBlock();
    return QTextDocumentFragment(&document);
}

QTextDocumentFragment ZIDAboutWindowController::findAllCredits() const
{
    QTextDocument all;
    QTextCursor cursor(&all);
    if (auto mainCredits = creditsContentsInBundle(platform::Bundle::resourceDirectory()))
        cursor.insertFragment(*mainCredits);

    const QDir frameworks(privateFrameworksPath());
    if (frameworks.exists()) {
        const QFileInfoList entries = frameworks.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo& entry : entries) {
            if (!entry.isDir())
                continue;
            if (!entry.isReadable() || !entry.isExecutable()) {
                platform::nsLog(QStringLiteral("**ERROR**: cannot create framework-bundle at:%1")
                                    .arg(entry.absoluteFilePath()));
                continue;
            }
            if (auto credits = creditsContentsInBundle(entry.absoluteFilePath()))
                cursor.insertFragment(*credits);
        }
    }
    return QTextDocumentFragment(&all);
}

void ZIDAboutWindowController::changeTextColorForAppCredits()
{
    const QPalette palette = m_window ? m_window->palette() : QApplication::palette();
    if (m_appCredits) {
        QTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertFragment(*m_appCredits);
        cursor.select(QTextCursor::Document);
        QTextCharFormat colour;
        colour.setForeground(palette.color(QPalette::Text));
        cursor.mergeCharFormat(colour);
        m_appCredits = QTextDocumentFragment(&document);
    }
    if (m_creditsTextView) {
        QPalette viewPalette = m_creditsTextView->palette();
        viewPalette.setColor(QPalette::Base, palette.color(QPalette::Base));
        m_creditsTextView->setPalette(viewPalette);
    }
    setCachedAppCreditsForDisplay(m_appCredits.value_or(QTextDocumentFragment()));
}

QUrl ZIDAboutWindowController::simpleFeedbackURLWithSubject(const std::optional<QString>& subject,
                                                            const std::optional<QString>& additionalBody,
                                                            const std::optional<QString>& author,
                                                            const std::optional<QString>& email)
{
    const QString name = platform::Bundle::name();
    const QString mailSubject = subject.value_or(QStringLiteral("%1 Feedback").arg(name));

    const QScreen* screen = QGuiApplication::primaryScreen();
    QString body = QStringLiteral("Hi %1,").arg(author.value_or(QString()));
    body += QStringLiteral("\n\n\n\n\n\n");
    body += QStringLiteral("App Name:%1\n").arg(name);
    body += QStringLiteral("App Version:%1\n").arg(platform::Bundle::shortVersion());
    body += QStringLiteral("macOS System:%1\n").arg(QSysInfo::prettyProductName());
    body += QString::asprintf("Screen Scale:%g\n", screen ? screen->devicePixelRatio() : 1.0);
    body += QStringLiteral("Screen Dimensions:%1\n").arg(rectText(screen ? QRectF(screen->geometry()) : QRectF()));
    body += additionalBody.value_or(QString()) + QLatin1Char('\n');

    const QString query = QStringLiteral("subject=") + percentEncoded(mailSubject) + QStringLiteral("&body=")
                          + percentEncoded(body);
    return QUrl(QStringLiteral("mailto:") + email.value_or(QString()) + QLatin1Char('?') + query);
}
