#include "settingsfile.h"

#include <QDebug>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

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

SettingsFile::~SettingsFile()
{
    sync();
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
        scheduleSync();
        return;
    }
    setThisRun.remove(key);
    settings.setValue(key, value);
    scheduleSync();
}

bool SettingsFile::contains(const QString& key) const
{
    return setThisRun.contains(key) || settings.contains(key);
}

void SettingsFile::remove(const QString& key)
{
    setThisRun.remove(key);
    settings.remove(key);
    scheduleSync();
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
    // QSettings keeps changes it could not write and tries them again at
    // every later sync; its status stays AccessError from the first failure
    // on, so that failure is the one reported.
    if (settings.status() != QSettings::AccessError || writeFailing)
        return;
    writeFailing = true;
    const QFileInfo file(fileName());
    const bool readOnly = !QFileInfo(file.absolutePath()).isWritable() || (file.exists() && !file.isWritable());
    qDebug().noquote() << QStringLiteral("Settings not saved: %1: %2")
                              .arg(fileName(), readOnly ? QStringLiteral("the file or its folder is read-only")
                                                        : QStringLiteral("the write failed (disk full?)"));
}

void SettingsFile::scheduleSync()
{
    if (syncScheduled)
        return;
    syncScheduled = true;
    QTimer::singleShot(0, this, [this] {
        syncScheduled = false;
        sync();
    });
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
