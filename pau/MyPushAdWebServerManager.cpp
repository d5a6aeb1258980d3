#include "MyPushAdWebServerManager.h"

#include "MyPushAdClock.h"
#include "MyPushAdDownloadDelegate.h"
#include "MyPushAdURLReader.h"

#include "platform/network/MainThread.h"

#include <QPointer>
#include <QStringDecoder>
#include <QUrl>

#include <optional>
#include <thread>

namespace {
// The whole body as UTF-8 text; nothing when it is not UTF-8.
std::optional<QString> utf8Text(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
} // namespace

std::unique_ptr<MyPushAdWebServerManager> MyPushAdWebServerManager::createInstanceWithFileURLString(const QString& fileUrlString)
{
    auto source = std::make_unique<MyPushAdWebServerManager>();
    source->setFileUrlString(fileUrlString);
    return source;
}

MyPushAdWebServerManager::~MyPushAdWebServerManager()
{
    MyPushAdClock::clock().cancel(m_retry);
}

QString MyPushAdWebServerManager::errorDomain()
{
    return QStringLiteral("Custom Error: MyWebServer download file failed");
}

void MyPushAdWebServerManager::downloadAdFileAsync()
{
    // The thread owns copies of what it needs; the result comes back to
    // this source only while it lives.
    QPointer<MyPushAdWebServerManager> self(this);
    const QString address = m_fileUrlString;
    std::thread([self, address] {
        std::optional<QString> text;
        const QUrl url(address, QUrl::StrictMode);
        if (!address.isEmpty() && url.isValid() && !url.isRelative()) {
            if (const auto bytes = MyPushAdURLReader::read(url))
                text = utf8Text(*bytes);
        }
        platform::MainThread::perform([self, text] {
            // Without an event loop any more (the program is ending) the
            // work would run here, off the main thread: it is dropped.
            if (!platform::MainThread::isCurrent() || !self)
                return;
            if (text)
                self->handleWithFetchedString(*text);
            else
                self->handleWithError(MyPushAdError{errorDomain(), 1, errorDomain()});
        });
    }).detach();
}

void MyPushAdWebServerManager::retryDownloadAdFileWithDelay(double seconds)
{
    platform::Clock& clock = MyPushAdClock::clock();
    clock.cancel(m_retry);
    m_retry = clock.schedule(seconds, [this] {
        m_retry = 0;
        downloadAdFileAsync();
    });
}

void MyPushAdWebServerManager::handleWithFetchedString(const QString& text)
{
    if (m_delegate)
        m_delegate->downloadSuccessfullyWithString(text);
}

void MyPushAdWebServerManager::handleWithError(const MyPushAdError& error)
{
    if (m_delegate)
        m_delegate->downloadFailedWithError(error);
}
