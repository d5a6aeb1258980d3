#include "CHServerConfigSettings.h"

#include "platform/foundation/UserDefaults.h"

namespace {
const QString kUseBackupDataKey = QStringLiteral("kCHSCUDKeyUseBackupData");
const QString kAdEnableKey = QStringLiteral("kCHSCUDKeyAdEnable");
const QString kAdmobIdKey = QStringLiteral("kCHSCUDKeyAdmobId");

// The settings file keeps every value as text, so a stored Boolean comes
// back as "true", "false" or a number.
bool isStoredBoolean(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return true;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed().toLower();
        bool number = false;
        text.toDouble(&number);
        return number || text == QLatin1String("true") || text == QLatin1String("false");
    }
    default:
        return false;
    }
}
} // namespace

void CHSCSetUseBackupData(bool useBackup)
{
    auto& defaults = platform::UserDefaults::standard();
    defaults.setValue(kUseBackupDataKey, useBackup);
    defaults.synchronize();
}

bool CHSCUseBackupData()
{
    auto& defaults = platform::UserDefaults::standard();
    if (isStoredBoolean(defaults.value(kUseBackupDataKey)))
        return defaults.boolean(kUseBackupDataKey);
    defaults.setValue(kUseBackupDataKey, true);
    defaults.synchronize();
    return true;
}

bool CHSCIsAdEnabled()
{
    const auto& defaults = platform::UserDefaults::standard();
    const QString enabled = defaults.string(kAdEnableKey);
    if (!enabled.isEmpty())
        return defaults.boolean(kAdEnableKey);
    return !defaults.string(kAdmobIdKey).isEmpty();
}

QVariant CHSCAdmobId()
{
    return platform::UserDefaults::standard().value(kAdmobIdKey);
}

void CHSCSetAdEnabled(bool enabled)
{
    auto& defaults = platform::UserDefaults::standard();
    defaults.setValue(kAdEnableKey, enabled ? QStringLiteral("1") : QStringLiteral("0"));
    defaults.synchronize();
}

void CHSCSetAdmobId(const QString& admobId)
{
    auto& defaults = platform::UserDefaults::standard();
    defaults.setValue(kAdmobIdKey, admobId);
    defaults.synchronize();
}
