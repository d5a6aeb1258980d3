// Entry point of the unit-test binaries: a widget application on the
// offscreen platform, with private settings and data folders so no test
// reads or writes the user's settings or saved credentials, and every test
// starting from the state a fresh process would give it.
#include "TestMain.h"

#include "FreshTestState.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

QString testDataPath(const QString& relative)
{
    return QString::fromLocal8Bit(qgetenv("VELUMO_TEST_DATA")) + "/" + relative;
}

int main(int argc, char** argv)
{
    QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Owned by gtest's listener list from here on.
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshTestState);
    return RUN_ALL_TESTS();
}
