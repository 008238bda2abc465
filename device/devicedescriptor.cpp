#include "devicedescriptor.h"

#include <QSettings>

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
    DeviceList list;
    for (int i = 0; i < count; ++i)
        list.append(readDeviceDescriptor(settings, i));
    return list;
}
