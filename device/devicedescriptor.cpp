#include "devicedescriptor.h"

#include <QDebug>
#include <QFileInfo>
#include <QSet>
#include <QSettings>

#include <algorithm>

namespace {

// The table stores ids as bare hex digits ("04d9", "4d9"); text that does not
// convert reads as 0, and only the low 16 bits fit the field.
int hexValue(const QSettings& settings, const QString& key, const QString& fallback)
{
    bool ok = false;
    const int value = settings.value(key, fallback).toString().toInt(&ok, 16);
    return ok ? value : 0;
}

quint16 hex16(const QSettings& settings, const QString& key)
{
    bool ok = false;
    const qulonglong value = settings.value(key, QStringLiteral("0")).toString().toULongLong(&ok, 16);
    return ok ? quint16(value & 0xffff) : 0;
}

bool encodeFlag(const QSettings& settings, const QString& key)
{
    const QString text = settings.value(key, QStringLiteral("false")).toString();
    return !(text.isEmpty() || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0
             || text == QLatin1String("0"));
}

} // namespace

DeviceDescriptor readDeviceDescriptor(QSettings& settings, int index)
{
    const QString group = QString::number(index) + QLatin1Char('/');
    DeviceDescriptor d;
    d.type = hexValue(settings, group + QLatin1String("type"), QStringLiteral("-1"));
    d.vid = hex16(settings, group + QLatin1String("vid"));
    d.pid = hex16(settings, group + QLatin1String("pid"));
    d.usagePage = hex16(settings, group + QLatin1String("usagePage"));
    d.usage = hex16(settings, group + QLatin1String("usage"));
    d.usagePage2 = hex16(settings, group + QLatin1String("usagePage2"));
    d.usage2 = hex16(settings, group + QLatin1String("usage2"));
    d.reportLength = settings.value(group + QLatin1String("reportLength"), 32).toString().toInt();
    d.isEncode = encodeFlag(settings, group + QLatin1String("isEncode"));
    d.sCode = settings.value(group + QLatin1String("sCode"), QStringLiteral("507326")).toString();
    return d;
}

DeviceList readDeviceTable(QSettings& settings)
{
    const int count = settings.value(QStringLiteral("common/deviceCount"), 0).toInt();
    if (count <= 0) {
        // Discovery would never find the mouse, and nothing else would say
        // why: name the file, once per file and run.
        static QSet<QString> reported;
        const QString file = QFileInfo(settings.fileName()).absoluteFilePath();
        if (!reported.contains(file)) {
            reported.insert(file);
            qDebug().noquote() << QStringLiteral("No device table in %1 (common/deviceCount missing or 0): no device can be found")
                                      .arg(file);
        }
    }
    DeviceList list;
    // A damaged count must not make discovery read for hours.
    for (int i = 0; i < std::min(count, kMaxDeviceCount); ++i)
        list.append(readDeviceDescriptor(settings, i));
    return list;
}
