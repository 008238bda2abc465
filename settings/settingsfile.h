#pragma once

#include <QHash>
#include <QObject>
#include <QSettings>
#include <QVariant>

// One INI-syntax settings file with the text format the stored files rely on:
// a single value is text, a list is its elements joined by ", ", and a list
// of exactly one element is written like a single value, so it reads back as
// a plain string after a restart. Within a run every value reads back exactly
// as it was set (a number stays a number, a one-element list stays a list).
class SettingsFile : public QObject
{
    Q_OBJECT

public:
    explicit SettingsFile(const QString& fileName, QObject* parent = nullptr);
    // Writes what is still pending (and says so on the debug channel if it cannot).
    ~SettingsFile() override;

    QVariant value(const QString& key, const QVariant& defaultValue = {}) const;
    void setValue(const QString& key, const QVariant& value);
    bool contains(const QString& key) const;
    void remove(const QString& key);
    QStringList childKeys(const QString& group) const;
    // Writes pending changes now. A write that fails (a read-only or full
    // folder) keeps the changes in memory for the next attempt; the first
    // failure writes "Settings not saved: <file>: <reason>" to the debug channel.
    void sync();
    QString fileName() const;
    QSettings::Status status() const;

    // The list a value stands for: its elements when it is a list, else empty.
    // (QVariant would otherwise turn a string into a list of characters.)
    static QVariantList toList(const QVariant& value);

private:
    // Changes are written at the next pass of the event loop, as QSettings
    // would by itself, but through sync(), so that a failure is reported.
    void scheduleSync();

    mutable QSettings settings;
    bool syncScheduled = false;
    bool writeFailing = false;
    // Values whose stored form differs from the type they were set with.
    QHash<QString, QVariant> setThisRun;
};
