#include "gundatastore.h"

#include "settingsfile.h"

#include <QFile>

namespace gundata {

namespace {

// An empty name would address the group itself ("gunData/" is "gunData"),
// and removing that would wipe every record.
QString recordKey(const QVariant& name)
{
    const QString text = name.toString();
    return text.isEmpty() ? QString() : QStringLiteral("gunData/") + text;
}

} // namespace

QString gunDataPath()
{
    return QStringLiteral("./modules/gun/gunData.bin");
}

void mouseSaveGundata(const QVariant& index, const QVariantList& src6)
{
    const QString key = recordKey(index);
    // A short list would leave a record the gun page and the device transfer
    // cannot use; keeping the old record is the safe outcome.
    if (key.isEmpty() || src6.size() < 6 || !QFile::exists(gunDataPath()))
        return;
    SettingsFile file(gunDataPath());
    file.setValue(key, src6.mid(0, 6));
    file.sync();
}

void modifyGundata(const QVariant& modifyType, const QVariantList& src6)
{
    bool ok = false;
    const int type = modifyType.toInt(&ok);
    if (!ok || !QFile::exists(gunDataPath()))
        return;
    if (type == 0) {
        const QString key = src6.isEmpty() ? QString() : recordKey(src6.at(0));
        if (key.isEmpty())
            return;
        SettingsFile file(gunDataPath());
        file.remove(key);
        file.sync();
    } else if (type == 1) {
        if (src6.size() < 7)
            return;
        const QString newKey = recordKey(src6.at(0));
        const QString oldKey = recordKey(src6.at(6));
        if (newKey.isEmpty() || oldKey.isEmpty())
            return;
        SettingsFile file(gunDataPath());
        file.remove(oldKey);
        file.setValue(newKey, src6.mid(1, 5));
        file.sync();
    }
}

QVariantList getGunData(const QVariant& name)
{
    const QString key = recordKey(name);
    if (key.isEmpty() || !QFile::exists(gunDataPath()))
        return {};
    SettingsFile file(gunDataPath());
    return SettingsFile::toList(file.value(key, 0));
}

QStringList getGunDataKey()
{
    if (!QFile::exists(gunDataPath()))
        return {};
    SettingsFile file(gunDataPath());
    return file.childKeys(QStringLiteral("gunData"));
}

QVariant getXYSensitive(SettingsFile* currentProfile, const QVariant& index)
{
    const QString key = QStringLiteral("XYSensitive/") + index.toString();
    return currentProfile ? currentProfile->value(key, 4) : QVariant(4);
}

void setXYSensitive(SettingsFile* currentProfile, const QVariant& index, const QVariant& xyData)
{
    if (currentProfile)
        currentProfile->setValue(QStringLiteral("XYSensitive/") + index.toString(), xyData);
}

QVariant getselectGun(SettingsFile* currentProfile, const QVariant& index)
{
    const QString key = QStringLiteral("selectGun/") + index.toString();
    return currentProfile ? currentProfile->value(key, QString()) : QVariant(QString());
}

void setSelectGun(SettingsFile* currentProfile, const QVariant& index, const QVariant& xyData)
{
    if (currentProfile)
        currentProfile->setValue(QStringLiteral("selectGun/") + index.toString(), xyData);
}

} // namespace gundata
