#include "MyPushAdURLReader.h"

#include "platform/network/HTTPMessage.h"
#include "platform/network/HTTPReadStream.h"
#include "platform/network/RunLoop.h"
#include "platform/foundation/RegularFile.h"

#include <chrono>

namespace {
struct Exchange {
    bool done = false;
    bool failed = false;
    QByteArray body;
    platform::HTTPMessage header;
};

Exchange fetchOnce(const QUrl& url, std::chrono::steady_clock::time_point deadline)
{
    using platform::HTTPReadStream;
    static const QString mode = QStringLiteral("MyPushAdURLReaderMode");
    Exchange result;
    auto stream = HTTPReadStream::create(platform::HTTPMessage::request(QStringLiteral("GET"), url));
    platform::RunLoop& loop = platform::RunLoop::current();
    stream->setClient(HTTPReadStream::HasBytesAvailable | HTTPReadStream::ErrorOccurred | HTTPReadStream::EndEncountered,
                      [&result](HTTPReadStream& s, HTTPReadStream::Event event) {
                          switch (event) {
                          case HTTPReadStream::HasBytesAvailable:
                              while (s.hasBytesAvailable() && !result.failed) {
                                  result.body += s.read(65536);
                                  if (result.body.size() > MyPushAdURLReader::kMaxBytes)
                                      result.failed = true;
                              }
                              break;
                          case HTTPReadStream::EndEncountered:
                              result.done = true;
                              break;
                          case HTTPReadStream::ErrorOccurred:
                              result.failed = true;
                              break;
                          }
                      });
    stream->schedule(loop, mode);
    if (!stream->open())
        result.failed = true;
    while (!result.done && !result.failed) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            result.failed = true;
            break;
        }
        loop.runMode(mode, std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(500)), true);
    }
    result.header = stream->responseHeader();
    stream->unschedule(loop, mode);
    stream->setClient(0, nullptr);
    stream->close();
    return result;
}
} // namespace

std::optional<QByteArray> MyPushAdURLReader::read(const QUrl& address, double timeoutSeconds)
{
    if (!address.isValid() || address.isRelative())
        return std::nullopt;
    if (address.isLocalFile())
        return platform::RegularFile::readAll(address.toLocalFile(), kMaxBytes);
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(qint64(std::max(0.0, timeoutSeconds) * 1000.0));
    QUrl url = address;
    for (int redirects = 0; redirects <= kMaxRedirects; ++redirects) {
        const QString scheme = url.scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return std::nullopt;
        const Exchange answer = fetchOnce(url, deadline);
        if (answer.failed || !answer.done)
            return std::nullopt;
        const int status = answer.header.statusCode();
        if (status >= 200 && status < 300)
            return answer.body;
        const QString location = answer.header.headerField(QStringLiteral("Location"));
        if (status < 300 || status >= 400 || status == 304 || location.isEmpty())
            return std::nullopt;
        url = url.resolved(QUrl(location));
    }
    return std::nullopt;
}
