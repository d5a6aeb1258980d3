#pragma once

#include <QString>
#include <QWebEnginePage>

#include <functional>

namespace platform {

// A page that asks before every navigation, in the main frame or in any
// frame of it, and learns which element a click came from through a script
// it adds to every document. A link leaves for nothing but the web (http,
// https) and the store; no page of ours reads local files.
class WebEnginePage : public QWebEnginePage {
    Q_OBJECT
public:
    using Decider = std::function<bool(const QUrl& url, const QString& elementId)>;

    WebEnginePage(QWebEngineProfile* profile, QObject* parent);
    void setDecider(Decider decider) { m_decider = std::move(decider); }

    // The marker the script writes to the console before a click's id.
    static QString clickMarker();


protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                  const QString& source) override;

private:
    Decider m_decider;
    QString m_clickedElementId;
};

} // namespace platform
