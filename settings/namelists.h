#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <QVariant>

class SettingsStores;

// The name lists in "./modules/setting/name.bin", selected by type:
// 0 macro names, 1 gun names, 2 profile entries, 3 selected-gun names.
// A one-element list is stored with the sentinel as its second element, since
// the file format cannot tell a one-element list from a single value.
namespace namelists {

inline constexpr QLatin1String kSentinel("loaderzephyr");

QString nameListPath();

// Replaces the list of `type` (an empty list removes its key). An unknown
// type writes nothing. False only when the file could not be written.
bool updataNameList(const QVariant& type, QStringList nameList);
// The stored list of `type`, sentinel included; empty for an unknown type.
QVariantList getNameList(const QVariant& type);

// Renames the macro file of `oldname` to `newname` and points the macro
// references of profiles 0..5 ("mouseMacroKey" group) at the new name.
// Nothing changes unless both names are safe, the old macro exists and the
// new name is free.
bool modifyMacroNameUpdateProfile(SettingsStores& stores, const QString& oldname, const QString& newname);

} // namespace namelists
