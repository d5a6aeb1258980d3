#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <gtest/gtest.h>

// Some objects exist once per process and are never freed (the online
// services' singletons): a test of how they come to be must see them made
// for the first time, whichever tests ran before it in this binary. Such a
// test runs itself again, alone, in a child process of this binary:
//
//     if (!isFreshProcessChild()) {
//         runInFreshProcess("Suite.Name");
//         return;
//     }
//     ... the test itself ...
inline bool isFreshProcessChild()
{
    return qEnvironmentVariableIsSet("VELUMO_FRESH_PROCESS_TEST");
}

inline void runInFreshProcess(const QString& test, int timeoutMs = 300000)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELUMO_FRESH_PROCESS_TEST"), test);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + test});
    ASSERT_TRUE(child.waitForStarted(timeoutMs));
    const bool finished = child.waitForFinished(timeoutMs);
    const QString output = QString::fromLocal8Bit(child.readAll());
    if (!finished) {
        child.kill();
        child.waitForFinished(10000);
    }
    ASSERT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QLatin1String("[  PASSED  ] 1 test"))) << output.toStdString();
}
