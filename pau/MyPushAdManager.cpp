#include "MyPushAdManager.h"

#include "MyPushAdCloudManager.h"
#include "MyPushAdLog.h"
#include "MyPushAdOperator.h"
#include "MyPushAdUtil.h"
#include "MyPushAdViewController.h"
#include "MyPushAdWebServerManager.h"

#include "platform/foundation/SystemLog.h"
#include "platform/foundation/UserDefaults.h"

#include <mutex>

namespace {
std::recursive_mutex& classLock()
{
    static std::recursive_mutex lock;
    return lock;
}
bool g_alreadyAllocatedOneInstance = false;
MyPushAdManager* g_shared = nullptr;
} // namespace

MyPushAdManager* MyPushAdManager::sharedPushAdManager()
{
    std::lock_guard<std::recursive_mutex> guard(classLock());
    if (!g_shared)
        g_shared = alloc(); // lives as long as the process
    return g_shared;
}

MyPushAdManager* MyPushAdManager::alloc()
{
    std::lock_guard<std::recursive_mutex> guard(classLock());
    if (g_alreadyAllocatedOneInstance) {
        PAU_LOG(QStringLiteral("***Error***: alloc another object!!! This MACRO only supports really singlton class."));
        return nullptr;
    }
    g_alreadyAllocatedOneInstance = true;
    return new MyPushAdManager;
}

MyPushAdManager::MyPushAdManager() = default;

MyPushAdManager::~MyPushAdManager()
{
    if (m_pushAdSource)
        m_pushAdSource->setDelegate(nullptr);
}

QString MyPushAdManager::defaultAdFileURLString()
{
    QString base = platform::UserDefaults::standard().string(QStringLiteral("VelumoServiceAddress")).trimmed();
    if (base.isEmpty())
        base = QStringLiteral("https://services.velumo.invalid");
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QStringLiteral("/mac/ads/commonad.xml");
}

QString MyPushAdManager::defaultCloudContainerIdentifier()
{
    return QStringLiteral("iCloud.com.vantrell.sharedads");
}

void MyPushAdManager::prepareAndShowAdByUsingDefaultWebServerURLWithHostView(QWidget* hostView)
{
    prepareAndShowAdWithHostView(hostView, WebServerMode, defaultAdFileURLString());
}

void MyPushAdManager::prepareAndShowAdByUsingDefaultCloudKitContainerWithHostView(QWidget* hostView)
{
    prepareAndShowAdWithHostView(hostView, CloudKitMode, defaultCloudContainerIdentifier());
}

void MyPushAdManager::prepareAndShowAdWithHostView(QWidget* hostView, qint64 fileHostMode, const QString& address)
{
    if (!hostView) {
        PAU_FATAL();
        return;
    }
    m_pushAdOperators.push_back(MyPushAdOperator::createInstanceWithHostView(hostView));
    MyPushAdOperator* created = m_pushAdOperators.back().get();

    if (m_solePushAdInfo) {
        created->processShowAdIfNeededWithPushAdInfo(m_solePushAdInfo);
        return;
    }
    if (m_isDownloadFileRequested)
        return; // the operator waits for the download under way

    if (fileHostMode == CloudKitMode)
        m_pushAdSource = MyPushAdCloudManager::createInstanceWithCloudContainerId(address);
    else if (fileHostMode == WebServerMode) {
        m_pushAdSource = MyPushAdWebServerManager::createInstanceWithFileURLString(address);
        MyPushAdViewController::setPageBaseURL(QUrl(address));
    }
    else
        PAU_LOG(MyPushAdLog::fatalErrorGotMessage());
    if (m_pushAdSource)
        m_pushAdSource->setDelegate(this);
    PAU_VERIFY(m_pushAdSource);
    PAU_VERIFY(m_pushAdSource && m_pushAdSource->delegate());
    if (m_pushAdSource)
        m_pushAdSource->downloadAdFileAsync();
    m_isDownloadFileRequested = true;
}

void MyPushAdManager::downloadSuccessfullyWithString(const QString& text)
{
    std::shared_ptr<MyPushAdInfo> info = MyPushAdUtil::parseXMLWithString(text);
    if (!info) {
        PAU_FATAL();
        PAU_LOG(QStringLiteral("PAU OK. but rt"));
        retryLater();
        return;
    }
    m_solePushAdInfo = info;
    // An operator may be added while the others decide: index, not iterators.
    for (std::size_t i = 0; i < m_pushAdOperators.size(); ++i)
        m_pushAdOperators[i]->processShowAdIfNeededWithPushAdInfo(info);
}

void MyPushAdManager::downloadFailedWithError(const MyPushAdError& error)
{
    (void)error;
    PAU_LOG(QStringLiteral("PAU dErrorrt"));
    retryLater();
}

void MyPushAdManager::retryLater()
{
    if (!m_pushAdSource)
        return;
    if (m_retries >= kMaxRetries) {
        PAU_LOG(QStringLiteral("PAU retries used up; no more downloads in this process."));
        return;
    }
    ++m_retries;
    m_pushAdSource->retryDownloadAdFileWithDelay(kRetryDelaySeconds);
}

void MyPushAdManager::showPAUBuildInfo() const
{
    platform::nsLog(QStringLiteral("PAU: Build Info() <=> Internal version:%1, Build on [%2 %3]")
                        .arg(internalVersion(), QStringLiteral(__DATE__), QStringLiteral(__TIME__)));
}

QString MyPushAdManager::fetchPAUBuildInfo()
{
    return QStringLiteral("PAU: Build Info << Internal version:%1, Build on [%2 %3] >>")
        .arg(internalVersion(), QStringLiteral(__DATE__), QStringLiteral(__TIME__));
}
