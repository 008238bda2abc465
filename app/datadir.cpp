#include "datadir.h"

#include "settingsstores.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

namespace {

const QString kModules = QStringLiteral("modules");

QSet<QString> readManifest(const QString& path)
{
    QSet<QString> seen;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        seen = QSet<QString>(lines.begin(), lines.end());
    }
    return seen;
}

bool writeManifest(const QString& path, QSet<QString> seen)
{
    QStringList lines(seen.begin(), seen.end());
    lines.sort();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return file.commit();
}

} // namespace

SeedResult seedTree(const QString& source, const QString& target, const QString& manifest)
{
    SeedResult result;
    QSet<QString> seen = readManifest(manifest);
    const QDir from(source);
    const QDir to(target);
    to.mkpath(QStringLiteral("."));
    QDirIterator it(source, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    bool changed = false;
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = from.relativeFilePath(path);
        if (it.fileInfo().isDir()) {
            // Folders come along even when empty: importing a macro needs macro/.
            to.mkpath(relative);
            continue;
        }
        if (seen.contains(relative))
            continue;
        // Whatever is there already belongs to the user, even if never seeded.
        const QString copy = to.filePath(relative);
        const bool present = QFileInfo::exists(copy);
        if (!present && !(to.mkpath(QFileInfo(relative).path()) && replaceFileWithCopy(path, copy))) {
            result.failed.append(relative);
            continue;
        }
        if (!present)
            result.copied.append(relative);
        seen.insert(relative);
        changed = true;
    }
    if (changed && !writeManifest(manifest, seen))
        qDebug().noquote() << QStringLiteral("Data: cannot write") << manifest;
    return result;
}

QString prepareDataDir(const DataLocations& where)
{
    const QFileInfo local(QDir(where.exeDir).filePath(kModules));
    QString source;
    if (local.isDir()) {
        if (local.isWritable())
            return where.exeDir;
        source = local.absoluteFilePath();
    } else if (QFileInfo(where.deliveredTree).isDir()) {
        source = where.deliveredTree;
    } else {
        return where.exeDir;
    }

    const QDir user(where.userDir);
    if (where.userDir.isEmpty() || !user.mkpath(kModules)) {
        // Nowhere to write: read the delivered tree as it is.
        qDebug().noquote() << QStringLiteral("Data: cannot create") << user.filePath(kModules);
        return QFileInfo(source).absolutePath();
    }
    const SeedResult seeded =
        seedTree(source, user.filePath(kModules), user.filePath(QStringLiteral(".delivered-files")));
    if (!seeded.copied.isEmpty())
        qDebug().noquote() << QStringLiteral("Data: %1 files copied into").arg(seeded.copied.size())
                           << user.filePath(kModules);
    for (const QString& file : seeded.failed)
        qDebug().noquote() << QStringLiteral("Data: cannot copy") << file << QStringLiteral("into")
                           << user.filePath(kModules);
    return user.absolutePath();
}

DataLocations installedLocations()
{
    // Cut at the last "/" of the executable's path, as start-up always has.
    QString exeDir = QCoreApplication::applicationFilePath();
    exeDir.truncate(exeDir.lastIndexOf(QLatin1Char('/')));
    return {exeDir, QDir::cleanPath(exeDir + QLatin1Char('/') + QStringLiteral(KESTREL_DELIVERED_TREE)),
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)};
}
