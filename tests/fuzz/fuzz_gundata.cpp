// The gun data file, as any bytes: its keys and every record.
#include "fuzzsupport.h"
#include "gundatastore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    fuzz::writeFresh(gundata::gunDataPath(), QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QStringList keys = gundata::getGunDataKey();
    for (const QString& key : keys.mid(0, 64))
        (void)gundata::getGunData(key);
    for (int index = -1; index < 8; ++index)
        (void)gundata::getGunData(index);
    return 0;
}
