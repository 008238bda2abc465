#include "importcheck.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace importcheck {

QString refusal(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())   // also a link whose target is gone, or a link loop
        return QStringLiteral("no such file");
    // isFile() follows links: a link to a folder, a device or a pipe is refused
    // here, before anything opens it (a pipe would block the open).
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    if (info.size() == 0)
        return QStringLiteral("empty");
    if (info.size() > kMaxBytes)
        return QStringLiteral("larger than %1 bytes").arg(kMaxBytes);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read (%1)").arg(file.errorString());
    const QByteArray data = file.read(kMaxBytes + 1);
    if (data.isEmpty())
        return QStringLiteral("cannot be read (%1)").arg(file.errorString());
    if (data.size() > kMaxBytes)
        return QStringLiteral("larger than %1 bytes").arg(kMaxBytes);
    // Settings files are text; a NUL byte marks anything else.
    if (data.contains('\0'))
        return QStringLiteral("not a settings file (binary data)");
    const QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || settings.allKeys().isEmpty())
        return QStringLiteral("not a settings file (no keys)");
    return {};
}

bool accept(const QString& path)
{
    const QString reason = refusal(path);
    if (reason.isEmpty())
        return true;
    qDebug().noquote() << QStringLiteral("Import refused: %1: %2").arg(path, reason);
    return false;
}

} // namespace importcheck
