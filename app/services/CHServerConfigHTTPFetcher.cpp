#include "CHServerConfigFetcher.h"

#include <QCoreApplication>
#include <QTimer>

namespace {
// The program has no HTTP client yet: every fetch fails, as a request that
// could not be created would, and reports so on the next event-loop turn.
class CHServerConfigHTTPFetcher : public CHServerConfigFetcher {
public:
    void fetch(const QUrl& url, Completion completion) override
    {
        (void)url;
        QTimer::singleShot(0, QCoreApplication::instance(), [completion = std::move(completion)] {
            Result result;
            result.error = VNError::make(QString::fromLatin1(VNHTTPRequestErrorDomain), 5,
                                         QStringLiteral("Unable to create request (bad url?)"));
            completion(result);
        });
    }
};
} // namespace

std::unique_ptr<CHServerConfigFetcher> CHServerConfigFetcher::makeHTTPFetcher()
{
    return std::make_unique<CHServerConfigHTTPFetcher>();
}
