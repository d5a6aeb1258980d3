#pragma once

#include <QString>
#include <QVariant>

// The remote configuration's stored settings, over the program's settings.

// Whether the data comes from the backup address ("kCHSCUDKeyUseBackupData").
void CHSCSetUseBackupData(bool useBackup);
// The stored flag; when none (or something else) is stored, YES is stored
// and returned.
bool CHSCUseBackupData();

// Ads are on when "kCHSCUDKeyAdEnable" says so ("1"); without that flag,
// when an ad network identifier is stored.
bool CHSCIsAdEnabled();
// The stored ad network identifier; invalid when none.
QVariant CHSCAdmobId();
void CHSCSetAdEnabled(bool enabled);
void CHSCSetAdmobId(const QString& admobId);
