#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

// Reads a whole resource, blocking the calling thread (never the main
// one): an "http" or "https" address (redirects followed, certificates
// checked) or a local regular file. Bounded: a read gives up after its
// time-out, after ten redirects, and past kMaxBytes.
class MyPushAdURLReader {
public:
    // The most of an ad description read from any source: a few pages of
    // HTML in some languages are far below it.
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    static constexpr int kMaxRedirects = 10;

    // Nothing when the resource could not be read or the server did not
    // answer with success (2xx).
    static std::optional<QByteArray> read(const QUrl& url, double timeoutSeconds = 60.0);
};
