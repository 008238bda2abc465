#include "settingsstores.h"

#include "settingsfile.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

SettingsFile* openIni(const QString& path, QObject* parent)
{
    return new SettingsFile(path, parent);
}

} // namespace

SettingsStores::SettingsStores(QObject* parent)
    : QObject(parent)
{
    globalStore = openIni(globalPath(), this);
    defaultProfileStore = openIni(defaultProfilePath(), this);
    for (int n = 0; n < kProfileCount; ++n)
        profileStores.append(openIni(profilePath(n), this));
    currentProfileIndex = 0;
    isColorful = globalStore->value(QStringLiteral("mouse/isColorful")).toBool();
    isGun = globalStore->value(QStringLiteral("mouse/isGun")).toBool();
    icType = globalStore->value(QStringLiteral("mouse/icType")).toString();
    is55328 = globalStore->value(QStringLiteral("mouse/is55328")).toBool();
}

QString SettingsStores::globalPath()
{
    return QStringLiteral("./modules/setting/apConfig.bin");
}

QString SettingsStores::factoryGlobalPath()
{
    return QStringLiteral("./modules/setting/apConfigD.bin");
}

QString SettingsStores::defaultProfilePath()
{
    return QStringLiteral("./modules/setting/pD.bin");
}

QString SettingsStores::profilePath(int profile)
{
    return QStringLiteral("./modules/setting/p%1.bin").arg(profile + 1);
}

SettingsFile* SettingsStores::profile(int profile) const
{
    return profile >= 0 && profile < profileStores.size() ? profileStores.at(profile) : nullptr;
}

SettingsFile* SettingsStores::profileStore(bool isRecovery) const
{
    return isRecovery ? defaultProfileStore : profile(currentProfileIndex);
}

void SettingsStores::resetApconfig()
{
    const QString fileName = globalStore->fileName();
    // Flush what the old store still holds, so its deferred write cannot land
    // on the factory copy after the replacement.
    globalStore->sync();
    globalStore->deleteLater();
    replaceFileWithCopy(factoryGlobalPath(), fileName);
    globalStore = openIni(globalPath(), this);
}

bool SettingsStores::replaceProfile(int profile, const QString& sourceFile)
{
    SettingsFile* old = this->profile(profile);
    if (!old)
        return false;
    const QString fileName = old->fileName();
    // Pending writes of the old store go to disk now: when the copy fails the
    // store stays in use with nothing lost, and when it succeeds a late write
    // from the old store cannot land on the new content.
    old->sync();
    if (!replaceFileWithCopy(sourceFile, fileName))
        return false;
    profileStores[profile] = openIni(fileName, this);
    old->deleteLater();
    return true;
}

bool replaceFileWithCopy(const QString& source, const QString& target)
{
    // Nothing reaches the user; the debug channel says which copy failed and why.
    const auto failed = [&](const QFileDevice& file) {
        qDebug().noquote() << QStringLiteral("Copy failed: %1 -> %2: %3").arg(source, target, file.errorString());
        return false;
    };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failed(in);
    const QFileInfo before(target);
    const qint64 oldSize = before.exists() ? before.size() : -1;
    const QDateTime oldTime = before.lastModified();
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return failed(out);
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return failed(in);
    if (out.write(data) != data.size()) {
        failed(out);
        out.cancelWriting();
        return false;
    }
    if (!out.commit())
        return failed(out);
    // The settings layer keeps parsed files cached and re-reads one only when
    // its size or modification time changed; a same-size copy made within the
    // same millisecond would otherwise read back as the old content.
    const QFileInfo after(target);
    if (after.size() == oldSize && after.lastModified() == oldTime) {
        QFile file(target);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(oldTime.addSecs(1), QFileDevice::FileModificationTime);
    }
    return true;
}
