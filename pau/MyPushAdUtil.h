#pragma once

#include "MyPushAdInfo.h"

#include <QSet>
#include <QString>

#include <memory>

// Reads the ad description and looks at what the user has installed.
class MyPushAdUtil {
public:
    // The ad this program shows, or null when the description is not
    // usable (each reason is logged).
    static std::shared_ptr<MyPushAdInfo> parseXMLWithString(const QString& text);

    // True only for a non-empty set of names all found installed.
    static bool areAllPromoAppsAlreadyInstalled(const QSet<QString>& names);
    // The names (without ".app") of the application packages anywhere
    // below the applications folder, hidden items and package contents
    // left out.
    static QSet<QString> fetchUserInstalledAppNamesSet();

    // The applications folder: the setting "PAUApplicationsDirectory", else
    // "/Applications".
    static QString applicationsDirectorySettingKey();
    static QString applicationsDirectory();

    // The leading integer of a text, as the description's numbers are read:
    // blanks skipped, a sign, digits; 0 when there are none; kept within
    // the 64-bit range.
    static qint64 integerValue(const QString& text);

private:
    static std::shared_ptr<MyPushAdInfo> parseXMLWithStringUnguarded(const QString& text);
};
