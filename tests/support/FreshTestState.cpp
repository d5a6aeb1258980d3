#include "FreshTestState.h"

#include "platform/appkit/Alert.h"
#include "platform/appkit/Pasteboard.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ImageFileLoader.h"

#include <QFile>

FreshTestState::FreshTestState()
{
    // Between tests (and before the first) values go to a file nobody
    // reads, never to the user's own settings.
    platform::UserDefaults::standard().useSettingsFile(betweenTestsFile());
}

QString FreshTestState::betweenTestsFile() const
{
    return m_folder.filePath(QStringLiteral("between-tests.ini"));
}

void FreshTestState::OnTestStart(const ::testing::TestInfo&)
{
    auto& defaults = platform::UserDefaults::standard();
    m_registered = defaults.registeredDefaults();
    m_current = m_folder.filePath(QStringLiteral("test-%1.ini").arg(++m_serial));
    defaults.useSettingsFile(m_current);
    platform::Pasteboard::general().clearContents();
    platform::Alert::setTestResponder(nullptr);
    platform::ImageFileLoader::dropReadAhead();
}

void FreshTestState::OnTestEnd(const ::testing::TestInfo&)
{
    auto& defaults = platform::UserDefaults::standard();
    QFile::remove(betweenTestsFile());
    defaults.useSettingsFile(betweenTestsFile());
    defaults.setRegisteredDefaults(m_registered);
    QFile::remove(m_current);
    m_current.clear();
    platform::Alert::setTestResponder(nullptr);
    platform::ImageFileLoader::dropReadAhead();
}
