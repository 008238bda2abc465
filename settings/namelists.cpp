#include "namelists.h"

#include "macrolibrary.h"
#include "settingsfile.h"
#include "settingsstores.h"

#include <QFile>

namespace namelists {

namespace {

// The profiles the pages offer; the others are never shown and keep their references.
constexpr int kPageProfiles = 6;

QString keyOf(const QVariant& type)
{
    bool ok = false;
    const uint n = type.toUInt(&ok);
    // A value that is not a number must not fall through to type 0 and
    // overwrite the macro list.
    if (!ok)
        return {};
    switch (n) {
    case 0: return QStringLiteral("macro/macroName");
    case 1: return QStringLiteral("gun/gunName");
    case 2: return QStringLiteral("profile/profileName");
    case 3: return QStringLiteral("gun/selectGun");
    default: return {};
    }
}

} // namespace

QString nameListPath()
{
    return QStringLiteral("./modules/setting/name.bin");
}

bool updataNameList(const QVariant& type, QStringList nameList)
{
    const QString key = keyOf(type);
    if (key.isEmpty())
        return true;
    if (nameList.size() == 1)
        nameList.append(QString(kSentinel));
    SettingsFile file(nameListPath());
    if (nameList.isEmpty())
        file.remove(key);
    else
        file.setValue(key, nameList);
    file.sync();
    return file.status() == QSettings::NoError;
}

QVariantList getNameList(const QVariant& type)
{
    const QString key = keyOf(type);
    if (key.isEmpty())
        return {};
    SettingsFile file(nameListPath());
    QVariantList result;
    for (const QVariant& name : SettingsFile::toList(file.value(key, 0)))
        result.append(name.toString());
    return result;
}

bool modifyMacroNameUpdateProfile(SettingsStores& stores, const QString& oldname, const QString& newname)
{
    const QString oldPath = macrolibrary::macroPath(oldname);
    const QString newPath = macrolibrary::macroPath(newname);
    if (oldPath.isEmpty() || newPath.isEmpty() || !QFile::exists(oldPath) || QFile::exists(newPath))
        return false;
    // The file moves first: if that fails no profile has been touched, and a
    // reference never points at a name without a macro.
    if (!QFile::rename(oldPath, newPath))
        return false;
    const QString group = QStringLiteral("mouseMacroKey");
    for (int n = 0; n < kPageProfiles; ++n) {
        SettingsFile* store = stores.profile(n);
        if (!store)
            continue;
        bool changed = false;
        for (const QString& key : store->childKeys(group)) {
            const QString full = group + QLatin1Char('/') + key;
            if (store->value(full, QString()).toString() == oldname) {
                store->setValue(full, newname);
                changed = true;
            }
        }
        if (changed)
            store->sync();
    }
    return true;
}

} // namespace namelists
