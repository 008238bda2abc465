#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

// Lays out a private copy of the program in `target`: the executable and the
// delivered modules/ tree side by side, as the program expects them.
inline void copyProgram(const QString& binDir, const QString& target)
{
    // The program and, where built, its command-line companion beside it.
    for (const QString& name : {QStringLiteral("kestrel-orbit"), QStringLiteral("kestrel-orbit-ctl")}) {
        const QString executable = target + QLatin1Char('/') + name;
        if (!QFile::copy(binDir + QLatin1Char('/') + name, executable))
            continue;
        QFile(executable).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    const QString modules = binDir + QStringLiteral("/modules");
    QDirIterator it(modules, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString copy = target + QStringLiteral("/modules") + file.mid(modules.size());
        QDir().mkpath(QFileInfo(copy).absolutePath());
        QFile::copy(file, copy);
    }
}
