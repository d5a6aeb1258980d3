#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <gtest/gtest.h>

// The screen's scale is fixed when the application starts, so a test at
// two device pixels per logical pixel runs one test of this binary again in
// a child process with QT_SCALE_FACTOR=2. Call it first thing in the test:
// it returns true in that child, which is then to skip.
inline bool isScaledChild() { return qEnvironmentVariableIsSet("QT_SCALE_FACTOR"); }

// Runs the named test (suite.name) in the scaled child and checks that it
// saw the ratio 2 and passed.
inline void runAtTwoDevicePixelsPerPoint(const QString& test, int timeoutMs = 300000)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + test});
    ASSERT_TRUE(child.waitForFinished(timeoutMs));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QLatin1String("device pixel ratio 2"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QLatin1String("[  PASSED  ] 1 test"))) << output.toStdString();
}
