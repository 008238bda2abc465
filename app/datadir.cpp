#include "datadir.h"

#include "settingsstores.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kModules = QStringLiteral("modules");

// One line per file ever seeded: "<sha256 of what was delivered>  <path>",
// as sha256sum writes it. Lines from earlier builds hold the path alone.
using Manifest = QMap<QString, QByteArray>;   // path -> checksum, empty when unknown

Manifest readManifest(const QString& path)
{
    static const QRegularExpression line(QStringLiteral("^([0-9a-f]{64})  (.+)$"));
    Manifest seen;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return seen;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& entry : lines) {
        const QRegularExpressionMatch match = line.match(entry);
        if (match.hasMatch())
            seen.insert(match.captured(2), match.captured(1).toLatin1());
        else
            seen.insert(entry, QByteArray());
    }
    return seen;
}

bool writeManifest(const QString& path, const Manifest& seen)
{
    QByteArray text;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        text += (it.value().isEmpty() ? it.key() : QString::fromLatin1(it.value()) + QStringLiteral("  ") + it.key())
                    .toUtf8()
                + '\n';
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    file.write(text);
    return file.commit();
}

// Empty when the file cannot be read.
QByteArray checksum(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result().toHex();
}

} // namespace

SeedResult seedTree(const QString& source, const QString& target, const QString& manifest)
{
    SeedResult result;
    Manifest seen = readManifest(manifest);
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
        const QByteArray delivered = checksum(path);
        const QString copy = to.filePath(relative);
        const bool present = QFileInfo::exists(copy);
        const bool known = seen.contains(relative);
        if (known && seen.value(relative) == delivered)
            continue;   // nothing new delivered
        if (known && !present)
            continue;   // the user deleted it: it stays deleted
        // Replaced only where the copy is still what was delivered before (or
        // already is what is delivered now); whatever else is there belongs
        // to the user, even if never seeded, and so does a copy from a build
        // that kept no checksums, since what it delivered is unknown.
        const QByteArray current = present ? checksum(copy) : QByteArray();
        const bool untouched = !present || (known && current == seen.value(relative));
        if (untouched && current != delivered) {
            if (!(to.mkpath(QFileInfo(relative).path()) && replaceFileWithCopy(path, copy))) {
                result.failed.append(relative);
                continue;
            }
            (present ? result.updated : result.copied).append(relative);
        }
        seen.insert(relative, delivered);
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
    if (!seeded.updated.isEmpty())
        qDebug().noquote() << QStringLiteral("Data: %1 files updated in").arg(seeded.updated.size())
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
