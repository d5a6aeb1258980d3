#include "CloudContainer.h"

#include "platform/foundation/UserDefaults.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

QString CloudContainer::settingKey()
{
    return QStringLiteral("VelumoCloudDirectory");
}

QString CloudContainer::rootDirectory()
{
    const QString configured = UserDefaults::standard().string(settingKey());
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/velumo/cloud");
}

std::shared_ptr<CloudContainer> CloudContainer::containerWithIdentifier(const QString& identifier)
{
    if (identifier.isEmpty() || identifier == QLatin1String(".") || identifier == QLatin1String("..") ||
        identifier.contains(QLatin1Char('/')) || identifier.contains(QChar(0)))
        return nullptr;
    return std::make_shared<CloudContainer>(identifier);
}

std::shared_ptr<CloudDatabase> CloudContainer::publicCloudDatabase() const
{
    return std::make_shared<CloudDatabase>(rootDirectory() + QLatin1Char('/') + m_identifier + QStringLiteral("/public"));
}

} // namespace platform
