// The script engine for proxy auto-configuration is a module that the
// first script loads: a process that never runs one never maps it or the
// script engine's libraries.
#include "VNPACScriptRunner.h"

#include "FreshProcessRun.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
QByteArray mappedFiles()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
}

const char* const kScriptEngineFiles[] = {"libVelumoPACScript.so", "libQt6Qml.so"};
} // namespace

// Other tests of this binary run scripts: the engine's arrival is seen in
// a process of its own.
TEST(PACScriptRunner, TheScriptEngineLoadsWithTheFirstScriptOnly)
{
    if (!isFreshProcessChild()) {
        runInFreshProcess(QStringLiteral("PACScriptRunner.TheScriptEngineLoadsWithTheFirstScriptOnly"));
        return;
    }
    const QByteArray before = mappedFiles();
    ASSERT_FALSE(before.isEmpty());
    for (const char* file : kScriptEngineFiles)
        EXPECT_FALSE(before.contains(file)) << file;

    // Refused before it would run: still nothing loaded.
    EXPECT_FALSE(VNPACScriptRunner::proxiesForURL(QString(), QUrl(QStringLiteral("http://10.0.0.1/")), 1000ms));
    for (const char* file : kScriptEngineFiles)
        EXPECT_FALSE(mappedFiles().contains(file)) << file;

    const auto proxies = VNPACScriptRunner::proxiesForURL(
        QStringLiteral("function FindProxyForURL(u, h) { return isPlainHostName(h) ? 'DIRECT' : 'PROXY p.test:3128; DIRECT'; }"),
        QUrl(QStringLiteral("http://a.test/x")), 5000ms);
    ASSERT_TRUE(proxies);
    ASSERT_EQ(proxies->size(), 2);
    EXPECT_EQ(proxies->at(0), (VNProxy{QStringLiteral("p.test"), 3128, VNProxy::TypeHTTP}));
    EXPECT_TRUE(proxies->at(1).isDirect());
    const QByteArray after = mappedFiles();
    for (const char* file : kScriptEngineFiles)
        EXPECT_TRUE(after.contains(file)) << file;
}
