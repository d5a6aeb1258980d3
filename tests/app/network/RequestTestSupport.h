#pragma once

#include "VNHTTPRequest.h"

#include "platform/network/MainThread.h"

#include <QCoreApplication>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

#include <chrono>
#include <functional>
#include <mutex>

// Serves the main thread's events until done() holds or the deadline
// passes; answers done(). The deadline is generous: it only keeps a broken
// request from hanging the test.
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = std::chrono::seconds(60))
{
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!done() && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Lets callbacks already queued for the main thread run.
inline void drainMainThread()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Records what a request tells its delegate, in order, and whether each
// call came on the main thread.
class RecordingDelegate : public VNHTTPRequestDelegate {
public:
    void requestStarted(VNHTTPRequest&) override { note(QStringLiteral("started")); }
    void requestDidReceiveResponseHeaders(VNHTTPRequest&, const platform::HTTPHeaderFields&) override { note(QStringLiteral("headers")); }
    void requestFinished(VNHTTPRequest&) override
    {
        finishedAt = std::chrono::steady_clock::now();
        note(QStringLiteral("finished"));
    }
    void requestFailed(VNHTTPRequest& request) override
    {
        failedAt = std::chrono::steady_clock::now();
        const auto error = request.error();
        note(QStringLiteral("failed %1").arg(error ? error->code : 0));
    }
    void requestRedirected(VNHTTPRequest&) override { note(QStringLiteral("redirected")); }
    bool wantsToConfirmRedirects() const override { return confirmRedirects; }
    void requestWillRedirect(VNHTTPRequest& request, const QUrl& url) override
    {
        note(QStringLiteral("will redirect"));
        request.redirectToURL(url);
    }
    bool wantsReceivedData() const override { return takeData; }
    void requestDidReceiveData(VNHTTPRequest& request, const QByteArray& data) override
    {
        std::lock_guard lock(m_lock);
        received += data;
        if (onData)
            onData(request);
    }

    QStringList events() const
    {
        std::lock_guard lock(m_lock);
        return m_events;
    }
    bool ended() const
    {
        const QStringList e = events();
        return e.contains(QStringLiteral("finished")) || !e.filter(QStringLiteral("failed")).isEmpty();
    }
    int count(const QString& prefix) const { return int(events().filter(QRegularExpression(QLatin1Char('^') + prefix)).size()); }

    bool confirmRedirects = false;
    bool takeData = false;
    std::function<void(VNHTTPRequest&)> onData;
    QByteArray received;
    bool allOnMainThread = true;
    std::chrono::steady_clock::time_point finishedAt, failedAt;

private:
    void note(const QString& event)
    {
        std::lock_guard lock(m_lock);
        if (!platform::MainThread::isCurrent())
            allOnMainThread = false;
        m_events.append(event);
    }
    mutable std::recursive_mutex m_lock;
    QStringList m_events;
};

// The request line and header fields of an /echo answer, by name (lower case).
struct EchoedRequest {
    QString requestLine;
    QMap<QString, QString> fields;
    QByteArray body;

    static EchoedRequest parse(const QByteArray& echoed)
    {
        EchoedRequest r;
        const qsizetype split = echoed.indexOf("\r\n\r\n");
        const QList<QByteArray> lines = echoed.left(split).split('\n');
        r.requestLine = QString::fromUtf8(lines.value(0).trimmed());
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                r.fields.insert(QString::fromUtf8(lines[i].left(colon)).toLower(), QString::fromUtf8(lines[i].mid(colon + 1).trimmed()));
        }
        r.body = split < 0 ? QByteArray() : echoed.mid(split + 4);
        return r;
    }
};

// Keeps a test's requests off any proxy the machine's environment names.
inline void clearProxyEnvironment()
{
    for (const char* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "no_proxy", "NO_PROXY" })
        qunsetenv(name);
}
