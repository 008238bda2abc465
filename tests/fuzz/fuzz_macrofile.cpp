// A macro file (or an imported ".mc"), as any bytes: the import check, the
// loader, and the loaded texts handed on as the editor's variant list.
#include "deviceflags.h"
#include "fuzzsupport.h"
#include "importcheck.h"
#include "macrolibrary.h"
#include "macrotransfer.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    const QString name = QStringLiteral("fuzzed");
    const QString path = macrolibrary::macroPath(name);
    fuzz::writeFresh(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    (void)importcheck::refusal(path);
    const QStringList loaded = macrolibrary::loadMacroIni(name);
    QVariantList actions;
    for (const QString& action : loaded)
        actions.append(action);
    Hid_Thread hid;
    fuzz::connect(hid, false, 32);
    DeviceFlags flags;
    flags.family560 = size % 2;
    macrotransfer::sendMacroData(hid, flags, actions, QVariant(int(size % 14)));
    return 0;
}
