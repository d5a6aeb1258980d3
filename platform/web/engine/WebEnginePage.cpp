#include "WebEnginePage.h"

#include "platform/web/WebLinkPolicy.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace platform {

namespace {
// Reports the id of the clicked element (or its nearest ancestor with one)
// before the click's default action, so a navigation it starts can be
// judged by it.
const char* const kClickScript = R"(
document.addEventListener('click', function (event) {
    var node = event.target;
    while (node && !(node.id)) node = node.parentElement;
    console.info('%1' + (node ? node.id : ''));
}, true);
)";
} // namespace

QString WebEnginePage::clickMarker()
{
    return QStringLiteral("velumo-clicked-element:");
}

WebEnginePage::WebEnginePage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent)
{
    // Pages come from servers: none may reach the user's files, whatever
    // base they were given.
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings()->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    QWebEngineScript script;
    script.setName(QStringLiteral("velumo-click-reporter"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(QString::fromUtf8(kClickScript).arg(clickMarker()));
    scripts().insert(script);
}

bool WebEnginePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    const bool fromLink = type == NavigationTypeLinkClicked;
    // The click reporter runs in the main frame only: a frame's link has
    // no element id of ours.
    const QString elementId = fromLink && isMainFrame ? m_clickedElementId : QString();
    if (isMainFrame)
        m_clickedElementId.clear();
    // file:, mailto:, smb: and the like are refused here, in every frame.
    if (!WebLinkPolicy::isNavigable(url, fromLink))
        return false;
    // A frame's navigation is judged like the page's, so a store link in a
    // frame opens the store instead of loading inside the frame.
    if (!m_decider)
        return true;
    return m_decider(url, elementId);
}

void WebEnginePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                             const QString& source)
{
    if (message.startsWith(clickMarker())) {
        m_clickedElementId = message.mid(clickMarker().size());
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
}

} // namespace platform
