// What a request does with the answer: header, charset, cookies, keep-alive,
// redirects, the body to memory, to the listener or to a file, and the end
// of the exchange.
#include "VNHTTPRequest.h"

#include "VNDataDecompressor.h"
#include "VNCookieModule.h"
#include "VNHTTPCookieStorage.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUuid>

namespace {
QString temporaryPath()
{
    return QDir::temp().filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

// An unsigned decimal number and nothing else; anything else is no length.
std::optional<quint64> parseLength(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 19)
        return std::nullopt;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const quint64 value = t.toULongLong(&ok);
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

bool sameOrigin(const QUrl& a, const QUrl& b)
{
    const auto defaultPort = [](const QUrl& u) { return u.scheme().toLower() == QStringLiteral("https") ? 443 : 80; };
    return a.scheme().toLower() == b.scheme().toLower() && a.host().toLower() == b.host().toLower()
        && a.port(defaultPort(a)) == b.port(defaultPort(b));
}
} // namespace

// ---- results ----

bool VNHTTPRequest::isResponseCompressed() const
{
    return m_responseHeaders.value(QStringLiteral("Content-Encoding")).contains(QStringLiteral("gzip"), Qt::CaseInsensitive);
}

QByteArray VNHTTPRequest::responseData() const
{
    std::lock_guard lock(m_lock);
    if (!isResponseCompressed() || !m_shouldWaitToInflateCompressedResponses)
        return m_rawResponseData;
    // Inflated once and kept: a bomb is not set off again on every call.
    if (m_inflatedFromSize != m_rawResponseData.size()) {
        VNError error;
        m_inflatedResponseData = VNDataDecompressor::uncompressData(m_rawResponseData, &error, m_maxResponseBodySize,
            MaximumInflationRatio, InflationRatioFloor);
        m_inflationError.reset();
        if (!m_inflatedResponseData && !error.domain.isEmpty())
            m_inflationError = error;
        m_inflatedFromSize = m_rawResponseData.size();
    }
    return m_inflatedResponseData.value_or(QByteArray());
}

QString VNHTTPRequest::responseString() const
{
    const QByteArray data = responseData();
    if (data.isEmpty())
        return QString();
    QStringDecoder decoder(m_responseEncoding.isEmpty() ? m_defaultResponseEncoding.constData() : m_responseEncoding.constData());
    if (!decoder.isValid())
        return QString();
    const QString text = decoder.decode(data);
    return decoder.hasError() ? QString() : text;
}

void VNHTTPRequest::parseMimeType(const QString& contentType, QString* mimeType, QByteArray* charset)
{
    if (contentType.isEmpty())
        return;
    const qsizetype semicolon = contentType.indexOf(QLatin1Char(';'));
    if (mimeType)
        *mimeType = contentType.left(semicolon).trimmed();
    if (semicolon < 0 || !charset)
        return;
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("charset=\\s*\"?([^;\"\\s]+)"),
        QRegularExpression::CaseInsensitiveOption).match(contentType, semicolon);
    if (!match.hasMatch())
        return;
    const QByteArray name = match.captured(1).toLatin1();
    if (QStringDecoder(name.constData()).isValid())
        *charset = name;
}

// ---- dates ----

std::optional<QDateTime> VNHTTPRequest::expiryDateForRequest(const VNHTTPRequest& request, double maxAge, const QDateTime& now)
{
    if (maxAge != 0)
        return now.addMSecs(qint64(maxAge * 1000));
    const QString cacheControl = request.responseHeaders().value(QStringLiteral("Cache-Control")).toLower();
    const QRegularExpressionMatch age = QRegularExpression(QStringLiteral("max-age\\s*=\\s*(\\d+)")).match(cacheControl);
    if (age.hasMatch() && age.captured(1).toLongLong() != 0)
        return now.addSecs(age.captured(1).toLongLong());
    const QString expires = request.responseHeaders().value(QStringLiteral("Expires"));
    if (expires.isEmpty())
        return std::nullopt;
    return dateFromRFC1123String(expires);
}

std::optional<QDateTime> VNHTTPRequest::dateFromRFC1123String(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\s*(?:[A-Za-z]{3},\\s*)?(\\d{1,2})\\s+([A-Za-z]{3})\\s+(\\d{4})\\s+(\\d{2}):(\\d{2})(?::(\\d{2}))?\\s+(GMT|UTC|UT|Z|[+-]\\d{4})\\s*$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    static const QStringList months { QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mar"), QStringLiteral("apr"),
        QStringLiteral("may"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("aug"), QStringLiteral("sep"),
        QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dec") };
    const int month = int(months.indexOf(m.captured(2).toLower())) + 1;
    const QDate date(m.captured(3).toInt(), month, m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
    if (month == 0 || !date.isValid() || !time.isValid())
        return std::nullopt;
    QDateTime result(date, time, Qt::UTC);
    const QString zone = m.captured(7);
    if (zone.startsWith(QLatin1Char('+')) || zone.startsWith(QLatin1Char('-'))) {
        const int minutes = zone.mid(1, 2).toInt() * 60 + zone.mid(3, 2).toInt();
        result = result.addSecs((zone.startsWith(QLatin1Char('+')) ? -60 : 60) * minutes);
    }
    return result;
}

// ---- the header ----

void VNHTTPRequest::readResponseHeaders()
{
    m_authenticationNeeded = 0;
    if (!m_readStream)
        return;
    const platform::HTTPMessage header = m_readStream->responseHeader();
    if (!header.isHeaderComplete())
        return;
    m_haveReadResponseHeaders = true;
    m_responseHeaders = header.headerFields();
    m_responseStatusCode = header.statusCode();
    m_responseStatusMessage = header.statusLine();
    if (useCacheForResponse())
        return;
    // A 407 from the server itself is its answer, not a proxy's challenge:
    // proxy credentials never go to a server.
    if (m_responseStatusCode == 401)
        m_authenticationNeeded = 1;
    else if (m_responseStatusCode == 407 && answeredByProxy())
        m_authenticationNeeded = 2;
    else if (m_responseStatusCode != 407)
        rememberCredentialsSentBeforeChallenge();

    QByteArray charset;
    parseMimeType(m_responseHeaders.value(QStringLiteral("Content-Type")), nullptr, &charset);
    m_responseEncoding = charset.isEmpty() ? m_defaultResponseEncoding : charset;

    const auto cookies = VNHTTPCookieStorage::parseSetCookieValues(m_responseHeaders.values(QStringLiteral("Set-Cookie")), m_url);
    // Without the cookie module the cookies would be dropped unseen and the
    // next request would go out without them: the request fails instead.
    if (!cookies || (m_useCookiePersistence && !VNHTTPCookieStorage::shared().setCookies(*cookies, m_url))) {
        m_connectionCanBeReused = false;
        cancelLoad();
        failWithError(requestError(UnhandledExceptionError,
            QStringLiteral("Cookies cannot be read: %1 could not be loaded").arg(VNCookieModule::fileName())));
        return;
    }
    m_responseCookies = *cookies;
    if (m_useCookiePersistence && !m_responseCookies.isEmpty()) {
        for (const VNHTTPCookie& cookie : m_responseCookies)
            addSessionCookie(cookie);
    }

    if (!willRedirect()) {
        auto main = m_mainRequest.lock();
        VNHTTPRequest& receiver = main ? *main : *this;
        // The totals grow by what this answer announces; a HEAD companion's
        // length is its main request's.
        const bool resetTotal = m_showAccurateProgress && m_shouldResetDownloadProgress;
        if (const auto length = parseLength(m_responseHeaders.value(QStringLiteral("Content-Length")))) {
            if (main && m_allowCompressedResponse && *length == 20 && resetTotal) {
                // The length of an empty compressed body: the real one is unknown.
                main->m_showAccurateProgress = false;
                main->incrementDownloadSizeBy(1);
            } else {
                receiver.m_contentLength = *length;
                if (resetTotal)
                    receiver.incrementDownloadSizeBy(qint64(receiver.m_contentLength + receiver.m_partialDownloadSize));
            }
        } else if (resetTotal) {
            receiver.m_showAccurateProgress = false;
            receiver.incrementDownloadSizeBy(1);
        }
        updateProgressIndicators();
    }
    applyKeepAlive();
    sendHeadersReceivedCallback();
}

void VNHTTPRequest::applyKeepAlive()
{
    if (!m_shouldAttemptPersistentConnection)
        return;
    const QString connection = m_responseHeaders.value(QStringLiteral("Connection")).toLower();
    const bool version10 = m_readStream && m_readStream->responseHeader().version() == platform::HTTPMessage::Version1_0;
    if ((version10 && connection != QStringLiteral("keep-alive")) || connection == QStringLiteral("close"))
        return;
    const QString keepAlive = m_responseHeaders.value(QStringLiteral("Keep-Alive"));
    if (keepAlive.isEmpty()) {
        m_connectionCanBeReused = true;
        return;
    }
    const auto number = [&](const QString& key) {
        const QRegularExpressionMatch m = QRegularExpression(key + QStringLiteral("\\s*=\\s*(\\d+)"), QRegularExpression::CaseInsensitiveOption).match(keepAlive);
        return m.hasMatch() ? m.captured(1).toInt() : 0;
    };
    const int timeout = number(QStringLiteral("timeout"));
    const int max = number(QStringLiteral("max"));
    // A server about to close after a few more exchanges is not worth keeping.
    if (max > 5) {
        m_connectionCanBeReused = true;
        m_persistentConnectionTimeoutSeconds = timeout;
    }
}

// ---- redirects ----

bool VNHTTPRequest::willRedirect()
{
    const int status = m_responseStatusCode;
    if (!m_shouldRedirect || !m_responseHeaders.contains(QStringLiteral("Location"))
        || (status != 301 && status != 302 && status != 303 && status != 307))
        return false;
    sendRedirectedCallback();
    if (status == 303 || ((status == 301 || status == 302) && !m_shouldUseRFC2616RedirectBehaviour)) {
        // The new request is a plain GET: no body of any kind goes along.
        m_postBody.clear();
        m_compressedPostBody.clear();
        m_postLength = 0;
        if (m_didCreateTemporaryPostDataFile) {
            removeTemporaryUploadFile();
            removeTemporaryCompressedUploadFile();
            m_didCreateTemporaryPostDataFile = false;
        }
        m_postBodyFilePath.clear();
        m_compressedPostBodyFilePath.clear();
        m_shouldStreamPostDataFromDisk = false;
        setRequestMethod(QStringLiteral("GET"));
        platform::HTTPHeaderFields kept;
        for (const QString& name : { QStringLiteral("User-Agent"), QStringLiteral("Accept") }) {
            if (m_requestHeaders.contains(name))
                kept.set(name, m_requestHeaders.value(name));
        }
        m_requestHeaders = kept;
        m_haveBuiltRequestHeaders = false;
    }
    m_redirectURL = m_url.resolved(QUrl(m_responseHeaders.value(QStringLiteral("Location")).trimmed()));
    m_needsRedirect = true;
    m_requestCookies.clear();
    return true;
}

bool VNHTTPRequest::willAskDelegateToConfirmRedirect()
{
    std::lock_guard lock(m_lock);
    auto delegate = m_delegate.lock();
    if (!(delegate && delegate->wantsToConfirmRedirects()) && !(m_queue && m_queue->wantsToConfirmRedirects()))
        return false;
    const QUrl target = m_redirectURL;
    m_redirectURL = QUrl();
    sendWillRedirectCallback(target);
    return true;
}

void VNHTTPRequest::redirectToURL(const QUrl& url)
{
    {
        std::lock_guard lock(m_lock);
        m_redirectURL = url;
    }
    auto self = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    performOnRequestThread([self] { self->performRedirect(); });
}

void VNHTTPRequest::performRedirect()
{
    std::lock_guard lock(m_lock);
    if (m_cancelled || m_error)
        return;
    guarded([this] {
        const QUrl target = m_redirectURL;
        const QString scheme = target.scheme().toLower();
        if (!target.isValid() || target.host().isEmpty() || (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))) {
            failWithError(requestError(UnableToCreateRequestErrorType, QStringLiteral("Unable to create request (bad url?)")));
            return;
        }
        // Credentials go only to the origin they were given for or learned
        // from, and cookies are those of the new address, never the old one's.
        if (!sameOrigin(target, m_url))
            dropCredentialsForOtherOrigin();
        m_requestHeaders.remove(QStringLiteral("Cookie"));
        setURL(target);
        m_complete = true;
        m_needsRedirect = false;
        ++m_redirectCount;
        // Each hop may meet a kept-alive connection its server closed.
        m_retriedOnNewConnection = false;
        if (m_redirectCount >= 6) {
            failWithError(requestError(TooMuchRedirectionErrorType, QStringLiteral("The request failed because it redirected too many times")));
            m_complete = true;
            return;
        }
        if (m_haveBuiltRequestHeaders)
            applyCookieHeader();
        runMain();
    });
}

// ---- the body ----

void VNHTTPRequest::handleBytesAvailable()
{
    if (!m_haveReadResponseHeaders)
        readResponseHeaders();
    if (m_complete || !m_readStream)
        return;
    // A body announced larger than memory may hold is refused before any
    // of it is read.
    if (!m_needsRedirect && m_downloadDestinationPath.isEmpty() && !wantsReceivedData()
        && m_contentLength > m_maxResponseBodySize) {
        failResponseTooLarge();
        return;
    }
    const bool inflateNow = isResponseCompressed() && !m_shouldWaitToInflateCompressedResponses;
    while (!m_complete && m_readStream && m_readStreamIsScheduled && m_readStream->hasBytesAvailable()) {
        const qint64 size = throttledReadLength(m_contentLength > 262144 ? 262144 : m_contentLength > 65536 ? 65536 : 16384);
        const QByteArray chunk = m_readStream->read(size);
        if (chunk.isEmpty())
            break;
        countBytesRead(chunk.size());
        QByteArray inflated;
        if (inflateNow) {
            if (!m_dataDecompressor) {
                m_dataDecompressor = VNDataDecompressor::decompressor();
                if (m_downloadDestinationPath.isEmpty() && !wantsReceivedData())
                    m_dataDecompressor->setMaximumOutputLength(m_maxResponseBodySize);
                m_dataDecompressor->setMaximumRatio(MaximumInflationRatio, InflationRatioFloor);
            }
            VNError error;
            const auto out = m_dataDecompressor->uncompressBytes(chunk.constData(), chunk.size(), &error);
            if (!out && !error.domain.isEmpty()) {
                m_connectionCanBeReused = false;
                cancelLoad();
                failWithError(error);
                return;
            }
            inflated = out.value_or(QByteArray());
        }
        // The stretch is judged as bytes come, not only on the status
        // timer: a drip must not pass for a stream in bursts.
        if (transferTooSlow()) {
            m_connectionCanBeReused = false;
            failWithError(requestError(RequestTimedOutErrorType, QStringLiteral("The request timed out")));
            cancelLoad();
            m_complete = true;
            return;
        }
        m_totalBytesRead += quint64(chunk.size());
        m_lastActivityTime = now();
        countTransferredBytes(quint64(chunk.size()));
        // Over the shared budget: the rest waits for the wake-up time.
        performThrottling();
        // The body of a redirect answer is not the resource.
        if (m_needsRedirect)
            continue;
        const QByteArray& data = inflateNow ? inflated : chunk;
        if (wantsReceivedData()) {
            if (!data.isEmpty())
                sendDataReceivedCallback(data);
            continue;
        }
        if (m_downloadDestinationPath.isEmpty()) {
            if (quint64(m_rawResponseData.size()) + quint64(data.size()) > m_maxResponseBodySize) {
                failResponseTooLarge();
                return;
            }
            m_rawResponseData.append(data);
            continue;
        }
        if (!m_fileDownloadOutputStream && !openDownloadFiles())
            return;
        const bool written = m_fileDownloadOutputStream->write(chunk) == chunk.size()
            && (!inflateNow || m_inflatedFileDownloadOutputStream->write(inflated) == inflated.size());
        if (!written) {
            m_connectionCanBeReused = false;
            cancelLoad();
            failWithError(requestError(FileManagementError,
                QStringLiteral("Failed to write to file at path '%1'").arg(m_downloadDestinationPath)));
            return;
        }
    }
    updateProgressIndicators();
}

void VNHTTPRequest::failResponseTooLarge()
{
    const platform::NetworkError why = platform::NetworkError::network(platform::NetworkError::ResponseTooLarge,
        QStringLiteral("The response body is larger than the %1 bytes the request keeps in memory").arg(m_maxResponseBodySize));
    VNError error = requestError(ConnectionFailureErrorType, QStringLiteral("A connection failure occurred"));
    error.userInfo.insert(QStringLiteral("NSLocalizedFailureReason"), why.description);
    error.underlyingError = std::make_shared<VNError>(VNError::make(why.domain, why.code, why.description));
    m_connectionCanBeReused = false;
    m_rawResponseData.clear();
    cancelLoad();
    failWithError(error);
}

bool VNHTTPRequest::openDownloadFiles()
{
    bool append = false;
    if (m_temporaryFileDownloadPath.isEmpty()) {
        m_temporaryFileDownloadPath = temporaryPath();
    } else if (m_allowResumeForFileDownloads && m_partialDownloadSize > 0) {
        // Only an answer that continues exactly where the file ends may be
        // appended; anything else replaces what was there.
        const QRegularExpressionMatch range = QRegularExpression(QStringLiteral("^\\s*bytes\\s+(\\d+)-"))
                                                  .match(m_responseHeaders.value(QStringLiteral("Content-Range")));
        append = m_responseStatusCode == 206 && range.hasMatch() && range.captured(1).toULongLong() == m_partialDownloadSize;
        if (!append)
            m_partialDownloadSize = 0;
    }
    const auto mode = append ? (QIODevice::WriteOnly | QIODevice::Append) : (QIODevice::WriteOnly | QIODevice::Truncate);
    m_fileDownloadOutputStream = std::make_unique<QFile>(m_temporaryFileDownloadPath);
    bool opened = m_fileDownloadOutputStream->open(mode);
    if (opened && isResponseCompressed() && !m_shouldWaitToInflateCompressedResponses) {
        if (m_temporaryUncompressedDataDownloadPath.isEmpty())
            m_temporaryUncompressedDataDownloadPath = temporaryPath();
        m_inflatedFileDownloadOutputStream = std::make_unique<QFile>(m_temporaryUncompressedDataDownloadPath);
        opened = m_inflatedFileDownloadOutputStream->open(mode);
    }
    if (!opened) {
        m_connectionCanBeReused = false;
        cancelLoad();
        failWithError(requestError(FileManagementError,
            QStringLiteral("Failed to open file at path '%1'").arg(m_temporaryFileDownloadPath)));
    }
    return opened;
}

void VNHTTPRequest::updatePartialDownloadSize()
{
    if (!m_allowResumeForFileDownloads || m_downloadDestinationPath.isEmpty() || m_temporaryFileDownloadPath.isEmpty())
        return;
    const QFileInfo info(m_temporaryFileDownloadPath);
    if (info.exists())
        m_partialDownloadSize = quint64(info.size());
}

// ---- the end ----

void VNHTTPRequest::handleStreamComplete()
{
    stopStatusTimer();
    m_downloadComplete = true;
    if (!m_haveReadResponseHeaders)
        readResponseHeaders();
    if (m_didUseCachedResponse)
        return;
    if (!m_haveReadResponseHeaders) {
        handleStreamError();
        return;
    }
    // The header itself may have ended the request (cookies it could not read).
    if (!m_readStream)
        return;
    m_lastBytesSent = m_totalBytesSent;
    m_totalBytesSent = quint64(std::max<qint64>(m_readStream->requestBytesWritten(), 0));
    m_complete = true;
    if (m_contentLength == 0)
        m_contentLength = m_totalBytesRead;
    updateProgressIndicators();
    m_dataDecompressor.reset();
    if (m_didCreateTemporaryPostDataFile && m_authenticationNeeded == 0) {
        removeTemporaryUploadFile();
        removeTemporaryCompressedUploadFile();
        m_didCreateTemporaryPostDataFile = false;
    }

    std::optional<VNError> completionError;
    if (!m_downloadDestinationPath.isEmpty() && !m_needsRedirect && m_authenticationNeeded == 0) {
        if (m_fileDownloadOutputStream)
            m_fileDownloadOutputStream->close();
        if (m_inflatedFileDownloadOutputStream)
            m_inflatedFileDownloadOutputStream->close();
        const bool wroteAny = bool(m_fileDownloadOutputStream);
        m_fileDownloadOutputStream.reset();
        m_inflatedFileDownloadOutputStream.reset();
        const auto moveFailed = [&](const QString& from) {
            return requestError(FileManagementError, QStringLiteral("Failed to move file from '%1' to '%2'").arg(from, m_downloadDestinationPath));
        };
        VNError error;
        if (!wroteAny && m_partialDownloadSize == 0 && wantsReceivedData()) {
            // The listener took the body; there is no file to make.
        } else if (!wroteAny && m_partialDownloadSize == 0) {
            // An empty body still makes the (empty) file asked for.
            if (!removeFileAtPath(m_downloadDestinationPath, &error))
                completionError = error;
            else {
                QFile empty(m_downloadDestinationPath);
                if (!empty.open(QIODevice::WriteOnly))
                    completionError = moveFailed(m_temporaryFileDownloadPath);
            }
        } else if (isResponseCompressed() && m_shouldWaitToInflateCompressedResponses) {
            if (!removeFileAtPath(m_downloadDestinationPath, &error))
                completionError = error;
            else if (!VNDataDecompressor::uncompressDataFromFile(m_temporaryFileDownloadPath, m_downloadDestinationPath, &error, 0,
                         MaximumInflationRatio, InflationRatioFloor)) {
                completionError = error;
                // What was inflated before the failure is no download.
                QFile::remove(m_downloadDestinationPath);
            }
            removeTemporaryDownloadFile();
        } else if (isResponseCompressed()) {
            if (!removeFileAtPath(m_downloadDestinationPath, &error))
                completionError = error;
            else if (!QFile::rename(m_temporaryUncompressedDataDownloadPath, m_downloadDestinationPath))
                completionError = moveFailed(m_temporaryUncompressedDataDownloadPath);
            m_temporaryUncompressedDataDownloadPath.clear();
            removeTemporaryDownloadFile();
        } else {
            if (!removeFileAtPath(m_downloadDestinationPath, &error))
                completionError = error;
            else if (!QFile::rename(m_temporaryFileDownloadPath, m_downloadDestinationPath))
                completionError = moveFailed(m_temporaryFileDownloadPath);
            else
                m_temporaryFileDownloadPath.clear();
        }
    }

    // A body kept compressed is inflated now, once: one that cannot be
    // (corrupt, or a bomb) fails the request instead of passing for an
    // empty success.
    if (!completionError && m_downloadDestinationPath.isEmpty() && !m_needsRedirect && m_authenticationNeeded == 0
        && !m_rawResponseData.isEmpty() && isResponseCompressed() && m_shouldWaitToInflateCompressedResponses) {
        responseData();
        if (m_inflationError)
            completionError = *m_inflationError;
    }
    if (!completionError)
        storeResponseInCache();
    if (m_connectionInfo) {
        if (!m_connectionCanBeReused)
            unscheduleReadStream();
        VNConnectionPool::shared().release(m_connectionInfo, m_persistentConnectionTimeoutSeconds);
    }
    if (m_authenticationNeeded == 0)
        destroyReadStream();
    if (!m_needsRedirect && m_authenticationNeeded == 0) {
        if (completionError)
            failWithError(*completionError);
        else
            requestFinished();
        markAsFinished();
    }
}
