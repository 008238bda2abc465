#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstring>

namespace fuzz {

int Reader::number()
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | byte();
    return int(value);
}

QByteArray Reader::bytes(std::size_t n)
{
    const std::size_t take = std::min(n, size - std::min(at, size));
    QByteArray out(reinterpret_cast<const char*>(data + at), qsizetype(take));
    at += take;
    return out;
}

QString Reader::text()
{
    return QString::fromUtf8(bytes(byte()));
}

QVariant Reader::variant(int depth)
{
    switch (byte() % 8) {
    case 0: return number();
    case 1: return byte();
    case 2: {
        double value = 0;
        const QByteArray raw = bytes(sizeof value);
        std::memcpy(&value, raw.constData(), size_t(raw.size()));
        return value;
    }
    case 3: return text();
    case 4: return bool(byte() & 1);
    case 5: return depth < 2 ? QVariant(list(8)) : QVariant();
    case 6: return QString::number(number());   // numbers as text, as a settings file hands them
    default: return QVariant();
    }
}

QVariantList Reader::list(int maxLength)
{
    QVariantList out;
    const int length = byte() % (maxLength + 1);
    for (int i = 0; i < length && !empty(); ++i)
        out.append(variant());
    return out;
}

namespace {

NullClock nullClock;

} // namespace

void setUp()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    // In memory where there is such a folder: a disk file rewritten for every
    // input is flushed on every close, which slows the file parsers a hundredfold.
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/kestrel-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/kestrel-fuzz-XXXXXX"));
    QDir(dir.path()).mkpath(QStringLiteral("modules/setting"));
    QDir(dir.path()).mkpath(QStringLiteral("modules/macro"));
    QDir(dir.path()).mkpath(QStringLiteral("modules/i18n"));
    QDir(dir.path()).mkpath(QStringLiteral("modules/gun"));
    QDir::setCurrent(dir.path());
    Clock::install(&nullClock);
}

void writeFresh(const QString& path, const QByteArray& data)
{
    static qint64 stamp = 0;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(data);
    // A new modification time for every input, a second apart.
    file.setFileTime(QDateTime::fromSecsSinceEpoch(1'000'000'000 + ++stamp), QFileDevice::FileModificationTime);
}

void connect(Hid_Thread& hid, bool encoded, int reportLength)
{
    DeviceDescriptor device;
    device.reportLength = reportLength;
    device.isEncode = encoded;
    device.commandPath = QStringLiteral("stub:command");
    device.eventPath = QStringLiteral("stub:event");
    hid.deviceList = {device};
    hid.currentDevice = 0;
}

} // namespace fuzz
