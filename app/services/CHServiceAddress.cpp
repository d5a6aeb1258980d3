#include "CHServiceAddress.h"

#include "platform/foundation/UserDefaults.h"

QString CHServiceAddress::settingKey()
{
    return QStringLiteral("VelumoServiceAddress");
}

QString CHServiceAddress::defaultAddress()
{
    return QStringLiteral("https://services.velumo.invalid");
}

QString CHServiceAddress::baseAddress()
{
    QString address = platform::UserDefaults::standard().string(settingKey()).trimmed();
    if (address.isEmpty())
        address = defaultAddress();
    while (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    return address;
}

QUrl CHServiceAddress::urlForPath(const QString& path)
{
    return QUrl(baseAddress() + path);
}
