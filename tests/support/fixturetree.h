#pragma once

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

// A private copy of the delivered run-time tree in a temporary directory,
// made the working directory while the fixture lives. Tests never touch the
// source tree or the build output.
class FixtureTree
{
public:
    FixtureTree();
    ~FixtureTree();

    QString path() const { return dir.path(); }
    // Copies the delivered tree to `modules` (owner-only permissions).
    static void copyDeliveredTree(const QString& modules);
    // Changes a key of the global file before the program reads it.
    void setGlobal(const QString& key, const QVariant& value);
    // Replaces the device table of the global file.
    void setDeviceTable(const QList<QMap<QString, QString>>& devices);

private:
    QTemporaryDir dir;
    QString previousDir;
};
