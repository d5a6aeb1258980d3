#include "WebEnginePage.h"

#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

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
    const QString elementId = type == NavigationTypeLinkClicked ? m_clickedElementId : QString();
    m_clickedElementId.clear();
    if (!isMainFrame || !m_decider)
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
