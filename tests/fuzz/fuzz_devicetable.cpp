// The device table of the global settings file, as any text.
#include "fuzzsupport.h"
#include "scrambling.h"

#include <QSettings>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    const QString path = QStringLiteral("./modules/setting/apConfig.bin");
    fuzz::writeFresh(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QSettings settings(path, QSettings::IniFormat);
    const DeviceList list = readDeviceTable(settings);
    if (list.size() > kMaxDeviceCount)
        __builtin_trap();
    scrambling::SecrecyCode code = {};
    for (const DeviceDescriptor& device : list)
        scrambling::loadSecrecyCode(device.sCode, code);
    return 0;
}
