#include "settingsfile.h"

#include <QStringList>

namespace {

bool isList(const QVariant& value)
{
    const int type = value.metaType().id();
    return type == QMetaType::QVariantList || type == QMetaType::QStringList;
}

} // namespace

SettingsFile::SettingsFile(const QString& fileName, QObject* parent)
    : QObject(parent)
    , settings(fileName, QSettings::IniFormat)
{
}

QVariant SettingsFile::value(const QString& key, const QVariant& defaultValue) const
{
    const auto it = setThisRun.constFind(key);
    if (it != setThisRun.constEnd())
        return *it;
    return settings.value(key, defaultValue);
}

void SettingsFile::setValue(const QString& key, const QVariant& value)
{
    if (isList(value) && value.toList().size() == 1) {
        // Stored as a one-element string list, which the INI writer puts down
        // as a bare value; the caller keeps seeing its list until the restart.
        settings.setValue(key, QStringList{value.toList().constFirst().toString()});
        setThisRun.insert(key, value);
        return;
    }
    setThisRun.remove(key);
    settings.setValue(key, value);
}

bool SettingsFile::contains(const QString& key) const
{
    return setThisRun.contains(key) || settings.contains(key);
}

void SettingsFile::remove(const QString& key)
{
    setThisRun.remove(key);
    settings.remove(key);
}

QStringList SettingsFile::childKeys(const QString& group) const
{
    settings.beginGroup(group);
    const QStringList keys = settings.childKeys();
    settings.endGroup();
    return keys;
}

void SettingsFile::sync()
{
    settings.sync();
}

QString SettingsFile::fileName() const
{
    return settings.fileName();
}

QSettings::Status SettingsFile::status() const
{
    return settings.status();
}

QVariantList SettingsFile::toList(const QVariant& value)
{
    return isList(value) ? value.toList() : QVariantList{};
}
