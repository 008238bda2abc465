#include "fixturetree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

FixtureTree::FixtureTree()
{
    copyDeliveredTree(dir.filePath(QStringLiteral("modules")));
    previousDir = QDir::currentPath();
    QDir::setCurrent(dir.path());
}

void FixtureTree::copyDeliveredTree(const QString& target)
{
    const QString source = QStringLiteral(KESTREL_DATA_DIR);
    QDirIterator it(source, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString copy = target + file.mid(source.size());
        QDir().mkpath(QFileInfo(copy).absolutePath());
        QFile::copy(file, copy);
        QFile(copy).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

FixtureTree::~FixtureTree()
{
    QDir::setCurrent(previousDir);
}

void FixtureTree::setGlobal(const QString& key, const QVariant& value)
{
    QSettings global(QStringLiteral("./modules/setting/apConfig.bin"), QSettings::IniFormat);
    global.setValue(key, value);
}

void FixtureTree::setDeviceTable(const QList<QMap<QString, QString>>& devices)
{
    QSettings global(QStringLiteral("./modules/setting/apConfig.bin"), QSettings::IniFormat);
    for (int i = 0; i < 8; ++i)
        global.remove(QString::number(i));
    global.setValue(QStringLiteral("common/deviceCount"), devices.size());
    for (int i = 0; i < devices.size(); ++i)
        for (auto it = devices[i].begin(); it != devices[i].end(); ++it)
            global.setValue(QStringLiteral("%1/%2").arg(i).arg(it.key()), it.value());
}
