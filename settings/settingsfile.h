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

    QVariant value(const QString& key, const QVariant& defaultValue = {}) const;
    void setValue(const QString& key, const QVariant& value);
    bool contains(const QString& key) const;
    void remove(const QString& key);
    QStringList childKeys(const QString& group) const;
    void sync();
    QString fileName() const;
    QSettings::Status status() const;

    // The list a value stands for: its elements when it is a list, else empty.
    // (QVariant would otherwise turn a string into a list of characters.)
    static QVariantList toList(const QVariant& value);

private:
    mutable QSettings settings;
    // Values whose stored form differs from the type they were set with.
    QHash<QString, QVariant> setThisRun;
};
