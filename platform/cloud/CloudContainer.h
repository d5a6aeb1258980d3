#pragma once

#include "CloudDatabase.h"

#include <QString>

#include <memory>

namespace platform {

// A container of cloud data, by its identifier. No cloud service is
// reached: a container is a folder named after its identifier below the
// cloud folder (the setting "VelumoCloudDirectory", else "velumo/cloud" in
// the user's data folder), and its public database the folder "public"
// inside it.
class CloudContainer {
public:
    static QString settingKey(); // "VelumoCloudDirectory"
    static QString rootDirectory();

    // Null for an identifier that cannot name a folder (empty, ".", "..",
    // or holding a "/").
    static std::shared_ptr<CloudContainer> containerWithIdentifier(const QString& identifier);

    QString identifier() const { return m_identifier; }
    std::shared_ptr<CloudDatabase> publicCloudDatabase() const;

    explicit CloudContainer(const QString& identifier)
        : m_identifier(identifier)
    {
    }

private:
    QString m_identifier;
};

} // namespace platform
