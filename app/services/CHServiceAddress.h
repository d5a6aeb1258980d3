#pragma once

#include <QString>
#include <QUrl>

// Where the online services live: a base address kept in the settings under
// "VelumoServiceAddress". The shipped default names a host that never
// resolves, so nothing is fetched until the address is set.
class CHServiceAddress {
public:
    static QString settingKey();      // "VelumoServiceAddress"
    static QString defaultAddress();  // "https://services.velumo.invalid"
    static QString baseAddress();
    // The base address followed by path (which starts with "/").
    static QUrl urlForPath(const QString& path);
};
