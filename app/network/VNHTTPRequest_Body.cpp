// Request body, header fields, cookies, the HEAD companion and copies.
#include "VNHTTPRequest.h"

#include "VNDataCompressor.h"
#include "VNDownloadCache.h"
#include "VNHTTPCookieStorage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUuid>

namespace {
std::recursive_mutex& sessionCookiesLock()
{
    static std::recursive_mutex lock;
    return lock;
}
QList<VNHTTPCookie>& sessionCookieList()
{
    static QList<VNHTTPCookie> cookies;
    return cookies;
}
std::mutex& userAgentLock()
{
    static std::mutex lock;
    return lock;
}
std::optional<QString>& userAgent()
{
    static std::optional<QString> agent;
    return agent;
}

QString temporaryPath()
{
    return QDir::temp().filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
}
} // namespace

void VNHTTPRequest::addRequestHeader(const QString& name, const QString& value)
{
    m_requestHeaders.set(name, value);
}

void VNHTTPRequest::setRequestMethod(const QString& method)
{
    std::lock_guard lock(m_lock);
    if (method == m_requestMethod)
        return;
    m_requestMethod = method;
    if (method == QStringLiteral("POST") || method == QStringLiteral("PUT") || !m_postBody.isEmpty() || !m_postBodyFilePath.isEmpty())
        m_shouldAttemptPersistentConnection = false;
}

void VNHTTPRequest::setupPostBody()
{
    if (m_shouldStreamPostDataFromDisk) {
        if (m_postBodyFilePath.isEmpty()) {
            m_postBodyFilePath = temporaryPath();
            m_didCreateTemporaryPostDataFile = true;
        }
        if (!m_postBodyWriteStream) {
            m_postBodyWriteStream = std::make_unique<QFile>(m_postBodyFilePath);
            if (!m_postBodyWriteStream->open(QIODevice::WriteOnly | QIODevice::Truncate))
                m_postBodyWriteFailed = true;
        }
    }
}

void VNHTTPRequest::setPostBody(const QByteArray& body)
{
    m_postBody = body;
}

void VNHTTPRequest::appendPostData(const QByteArray& data)
{
    setupPostBody();
    if (data.isEmpty())
        return;
    if (m_shouldStreamPostDataFromDisk) {
        // A short or failed write would send a shorter body as if whole.
        if (!m_postBodyWriteStream->isOpen() || m_postBodyWriteStream->write(data) != data.size() || !m_postBodyWriteStream->flush())
            m_postBodyWriteFailed = true;
    } else {
        m_postBody.append(data);
    }
}

void VNHTTPRequest::appendPostDataFromFile(const QString& path)
{
    setupPostBody();
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        m_postBodyReadFailed = true;
        return;
    }
    for (;;) {
        const QByteArray piece = input.read(262144);
        if (piece.isEmpty()) {
            if (input.error() != QFileDevice::NoError || !input.atEnd())
                m_postBodyReadFailed = true;
            break;
        }
        appendPostData(piece);
    }
}

void VNHTTPRequest::buildPostBody()
{
    if (m_haveBuiltPostBody)
        return;
    if (m_postBodyWriteFailed || m_postBodyReadFailed) {
        const QString path = m_postBodyFilePath;
        failWithError(requestError(FileManagementError,
            m_postBodyWriteFailed ? QStringLiteral("Failed to write the request body to '%1'").arg(path)
                                  : QStringLiteral("Failed to read the request body")));
        return;
    }
    if (!m_postBodyFilePath.isEmpty()) {
        if (m_postBodyWriteStream) {
            m_postBodyWriteStream->close();
            m_postBodyWriteStream.reset();
        }
        QString sent = m_postBodyFilePath;
        if (m_shouldCompressRequestBody) {
            if (m_compressedPostBodyFilePath.isEmpty()) {
                m_compressedPostBodyFilePath = temporaryPath();
                VNError error;
                if (!VNDataCompressor::compressDataFromFile(m_postBodyFilePath, m_compressedPostBodyFilePath, &error)) {
                    failWithError(error);
                    return;
                }
            }
            sent = m_compressedPostBodyFilePath;
        }
        const QFileInfo info(sent);
        if (!info.exists() || !info.isFile()) {
            VNError error = requestError(FileManagementError, QStringLiteral("Failed to get attributes for file at path '%1'").arg(sent));
            error.underlyingError = std::make_shared<VNError>(VNError::make(QStringLiteral("NSPOSIXErrorDomain"), ENOENT));
            failWithError(error);
            return;
        }
        m_postLength = quint64(info.size());
    } else if (m_shouldCompressRequestBody && !m_postBody.isEmpty()) {
        VNError error;
        const auto compressed = VNDataCompressor::compressData(m_postBody, &error);
        if (!compressed) {
            failWithError(error);
            return;
        }
        m_compressedPostBody = *compressed;
        m_postLength = quint64(m_compressedPostBody.size());
    } else {
        m_postLength = quint64(m_postBody.size());
    }
    if (m_postLength > 0) {
        if (m_requestMethod == QStringLiteral("GET") || m_requestMethod == QStringLiteral("DELETE") || m_requestMethod == QStringLiteral("HEAD"))
            setRequestMethod(QStringLiteral("POST"));
        addRequestHeader(QStringLiteral("Content-Length"), QString::number(m_postLength));
    }
    m_haveBuiltPostBody = true;
}

void VNHTTPRequest::buildRequestHeaders()
{
    if (m_haveBuiltRequestHeaders)
        return;
    m_haveBuiltRequestHeaders = true;
    if (auto main = m_mainRequest.lock()) {
        for (const auto& [name, value] : main->requestHeaders().fields())
            m_requestHeaders.set(name, value);
        return;
    }
    applyCookieHeader();
    if (!m_requestHeaders.contains(QStringLiteral("User-Agent"))) {
        const QString agent = m_userAgentString.isEmpty() ? defaultUserAgentString() : m_userAgentString;
        if (!agent.isEmpty())
            addRequestHeader(QStringLiteral("User-Agent"), agent);
    }
    if (m_allowCompressedResponse)
        addRequestHeader(QStringLiteral("Accept-Encoding"), QStringLiteral("gzip"));
    if (m_shouldCompressRequestBody)
        addRequestHeader(QStringLiteral("Content-Encoding"), QStringLiteral("gzip"));
    updatePartialDownloadSize();
    if (m_partialDownloadSize > 0)
        addRequestHeader(QStringLiteral("Range"), QStringLiteral("bytes=%1-").arg(m_partialDownloadSize));
}

void VNHTTPRequest::applyCookieHeader()
{
    if (m_useCookiePersistence) {
        for (const VNHTTPCookie& cookie : VNHTTPCookieStorage::shared().cookiesForURL(m_url)) {
            if (!m_requestCookies.contains(cookie))
                m_requestCookies.append(cookie);
        }
    }
    auto main = m_mainRequest.lock();
    const QList<VNHTTPCookie> cookies = main ? main->requestCookies() : m_requestCookies;
    if (cookies.isEmpty())
        return;
    QStringList pairs;
    for (const VNHTTPCookie& cookie : cookies)
        pairs.append(QString::fromUtf8(cookie.name()) + QLatin1Char('=') + QString::fromUtf8(cookie.value()));
    addRequestHeader(QStringLiteral("Cookie"), pairs.join(QStringLiteral("; ")));
}

// ---- class operations ----

QString VNHTTPRequest::defaultUserAgentString()
{
    std::lock_guard lock(userAgentLock());
    if (userAgent())
        return *userAgent();
    const QString name = QCoreApplication::applicationName();
    if (name.isEmpty())
        return QString();
    const QString version = QCoreApplication::applicationVersion();
    // The running kernel's three-part version stands for the system's.
    const QRegularExpressionMatch numbers = QRegularExpression(QStringLiteral("^(\\d+)\\.(\\d+)(?:\\.(\\d+))?")).match(QSysInfo::kernelVersion());
    if (!numbers.hasMatch())
        return QString();
    const QString systemVersion = QStringLiteral("%1.%2.%3").arg(numbers.captured(1), numbers.captured(2),
        numbers.captured(3).isEmpty() ? QStringLiteral("0") : numbers.captured(3));
    userAgent() = QStringLiteral("%1 %2 (%3; %4 %5; %6)")
                      .arg(name, version, QStringLiteral("X11"), QStringLiteral("Linux"), systemVersion, QLocale().name());
    return *userAgent();
}

void VNHTTPRequest::setDefaultUserAgentString(const QString& agent)
{
    std::lock_guard lock(userAgentLock());
    if (agent.isEmpty())
        userAgent().reset();
    else
        userAgent() = agent;
}

QList<VNHTTPCookie> VNHTTPRequest::sessionCookies()
{
    std::lock_guard lock(sessionCookiesLock());
    return sessionCookieList();
}

void VNHTTPRequest::setSessionCookies(const QList<VNHTTPCookie>& cookies)
{
    std::lock_guard lock(sessionCookiesLock());
    for (const VNHTTPCookie& cookie : sessionCookieList())
        VNHTTPCookieStorage::shared().deleteCookie(cookie);
    sessionCookieList() = cookies;
}

void VNHTTPRequest::addSessionCookie(const VNHTTPCookie& cookie)
{
    std::lock_guard lock(sessionCookiesLock());
    QList<VNHTTPCookie>& list = sessionCookieList();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].domain() == cookie.domain() && list[i].path() == cookie.path() && list[i].name() == cookie.name()) {
            list.removeAt(i);
            break;
        }
    }
    list.append(cookie);
}

void VNHTTPRequest::clearSession()
{
    // The cached responses belong to the cache, which clears its own; the
    // proxies' credentials outlive the session.
    VNSessionCredentialsStore::shared().clearServers();
    setSessionCookies({});
    if (VNDownloadCache* cache = defaultCache())
        cache->clearCachedResponsesForStoragePolicy(VNDownloadCache::CacheForSessionDurationCacheStoragePolicy);
}

QString VNHTTPRequest::mimeTypeForFileAtPath(const QString& path)
{
    if (!QFileInfo::exists(path))
        return QString();
    const QList<QMimeType> types = QMimeDatabase().mimeTypesForFileName(path);
    return types.isEmpty() ? QStringLiteral("application/octet-stream") : types.first().name();
}

QString VNHTTPRequest::base64forData(const QByteArray& data)
{
    return QString::fromLatin1(data.toBase64());
}

// ---- HEAD companion and copies ----

std::shared_ptr<VNHTTPRequest> VNHTTPRequest::HEADRequest()
{
    auto head = std::make_shared<VNHTTPRequest>(m_url);
    head->m_requestMethod = QStringLiteral("HEAD");
    head->m_mainRequest = std::static_pointer_cast<VNHTTPRequest>(shared_from_this());
    head->m_requestHeaders = m_requestHeaders;
    head->m_requestCookies = m_requestCookies;
    head->m_useCookiePersistence = m_useCookiePersistence;
    head->m_allowCompressedResponse = m_allowCompressedResponse;
    head->m_proxyHost = m_proxyHost;
    head->m_proxyPort = m_proxyPort;
    head->m_proxyType = m_proxyType;
    head->m_timeOutSeconds = m_timeOutSeconds;
    head->m_maxResponseBodySize = m_maxResponseBodySize;
    head->m_useHTTPVersionOne = m_useHTTPVersionOne;
    head->m_validatesSecureCertificate = m_validatesSecureCertificate;
    head->m_clientCertificateChainFile = m_clientCertificateChainFile;
    head->m_clientPrivateKeyFile = m_clientPrivateKeyFile;
    head->m_PACurl = m_PACurl;
    head->m_numberOfTimesToRetryOnTimeout = m_numberOfTimesToRetryOnTimeout;
    head->m_shouldUseRFC2616RedirectBehaviour = m_shouldUseRFC2616RedirectBehaviour;
    head->m_shouldAttemptPersistentConnection = m_shouldAttemptPersistentConnection;
    head->m_persistentConnectionTimeoutSeconds = m_persistentConnectionTimeoutSeconds;
    copyAuthenticationSettingsTo(*head);
    return head;
}

std::shared_ptr<VNHTTPRequest> VNHTTPRequest::copy() const
{
    std::lock_guard lock(m_lock);
    auto r = std::make_shared<VNHTTPRequest>(m_url);
    r->m_delegate = m_delegate;
    r->m_requestMethod = m_requestMethod;
    r->m_postBody = m_postBody;
    r->m_shouldStreamPostDataFromDisk = m_shouldStreamPostDataFromDisk;
    r->m_postBodyFilePath = m_postBodyFilePath;
    r->m_requestHeaders = m_requestHeaders;
    r->m_requestCookies = m_requestCookies;
    r->m_useCookiePersistence = m_useCookiePersistence;
    r->m_allowCompressedResponse = m_allowCompressedResponse;
    r->m_downloadDestinationPath = m_downloadDestinationPath;
    r->m_temporaryFileDownloadPath = m_temporaryFileDownloadPath;
    r->m_proxyHost = m_proxyHost;
    r->m_proxyPort = m_proxyPort;
    r->m_proxyType = m_proxyType;
    r->m_postLength = m_postLength;
    r->m_haveBuiltPostBody = m_haveBuiltPostBody;
    r->m_timeOutSeconds = m_timeOutSeconds;
    r->m_maxResponseBodySize = m_maxResponseBodySize;
    r->m_defaultResponseEncoding = m_defaultResponseEncoding;
    r->m_allowResumeForFileDownloads = m_allowResumeForFileDownloads;
    r->m_userInfo = m_userInfo;
    r->m_tag = m_tag;
    r->m_useHTTPVersionOne = m_useHTTPVersionOne;
    r->m_shouldRedirect = m_shouldRedirect;
    r->m_validatesSecureCertificate = m_validatesSecureCertificate;
    r->m_clientCertificateChainFile = m_clientCertificateChainFile;
    r->m_clientPrivateKeyFile = m_clientPrivateKeyFile;
    r->m_PACurl = m_PACurl;
    r->m_numberOfTimesToRetryOnTimeout = m_numberOfTimesToRetryOnTimeout;
    r->m_shouldUseRFC2616RedirectBehaviour = m_shouldUseRFC2616RedirectBehaviour;
    r->m_shouldAttemptPersistentConnection = m_shouldAttemptPersistentConnection;
    r->m_persistentConnectionTimeoutSeconds = m_persistentConnectionTimeoutSeconds;
    copyAuthenticationSettingsTo(*r);
    r->m_uploadProgressField->set(m_uploadProgressField->get());
    r->m_downloadProgressField->set(m_downloadProgressField->get());
    r->m_showAccurateProgress = m_showAccurateProgress;
    r->m_shouldResetUploadProgress = m_shouldResetUploadProgress;
    r->m_shouldResetDownloadProgress = m_shouldResetDownloadProgress;
    return r;
}
