#pragma once

#include <QStringList>
#include <QVariant>

class SettingsFile;

// The gun records in "./modules/gun/gunData.bin" (group "gunData") and the
// per-profile axis-sensitivity and gun-selection values. The gun file is
// delivered with the program and never created here: without it saves do
// nothing and reads are empty.
namespace gundata {

QString gunDataPath();

// Writes values 0..5 of `src6` (name, trigger key, period, X, Y, shot count)
// under "gunData/" + index. Fewer than six values write nothing.
void mouseSaveGundata(const QVariant& index, const QVariantList& src6);
// Type 0: removes the record named by value 0. Type 1: removes the record
// named by value 6 and writes values 1..5 under the name in value 0. Too few
// values, an empty name or another type change nothing.
void modifyGundata(const QVariant& modifyType, const QVariantList& src6);
QVariantList getGunData(const QVariant& name);
QStringList getGunDataKey();

// On the current profile store; null (no such profile) reads the default
// (4, empty text) and writes nothing.
QVariant getXYSensitive(SettingsFile* currentProfile, const QVariant& index);
void setXYSensitive(SettingsFile* currentProfile, const QVariant& index, const QVariant& xyData);
QVariant getselectGun(SettingsFile* currentProfile, const QVariant& index);
void setSelectGun(SettingsFile* currentProfile, const QVariant& index, const QVariant& xyData);

} // namespace gundata
