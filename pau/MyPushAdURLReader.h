#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

// Reads a whole resource, blocking the calling thread (never the main
// one): an "http" or "https" address (redirects followed, certificates
// checked) or a local file. Bounded: a read gives up after its time-out,
// after ten redirects, and past kMaxBytes.
class MyPushAdURLReader {
public:
    static constexpr qint64 kMaxBytes = 16 * 1024 * 1024;
    static constexpr int kMaxRedirects = 10;

    // Nothing when the resource could not be read or the server did not
    // answer with success (2xx).
    static std::optional<QByteArray> read(const QUrl& url, double timeoutSeconds = 60.0);
};
