#pragma once

#include "CHServerConfigFetcher.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

// Serves a prepared outcome for every fetch, on the next event-loop turn
// as a request would, and remembers the addresses asked for.
class FakeConfigFetcher : public CHServerConfigFetcher {
public:
    explicit FakeConfigFetcher(Result result, QList<QUrl>* asked = nullptr)
        : m_result(std::move(result))
        , m_asked(asked)
    {
    }

    static Result body(const QByteArray& data) { return Result{std::nullopt, data}; }
    static Result file(const QString& name)
    {
        QFile f(qEnvironmentVariable("VELUMO_TEST_DATA") + QStringLiteral("/services/") + name);
        return body(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    }

    void fetch(const QUrl& url, Completion completion) override
    {
        if (m_asked)
            m_asked->append(url);
        QTimer::singleShot(0, QCoreApplication::instance(),
                           [result = m_result, completion = std::move(completion)] { completion(result); });
    }

private:
    Result m_result;
    QList<QUrl>* m_asked;
};
