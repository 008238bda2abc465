// The name lists file, as any bytes, read for every list type and written back.
#include "fuzzsupport.h"
#include "namelists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    fuzz::writeFresh(namelists::nameListPath(), QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const QVariant& type : {QVariant(0), QVariant(1), QVariant(2), QVariant(3), QVariant(-1),
                                 QVariant(QStringLiteral("1")), QVariant(QStringLiteral("x"))}) {
        const QVariantList list = namelists::getNameList(type);
        QStringList names;
        for (const QVariant& name : list)
            names.append(name.toString());
        (void)namelists::updataNameList(type, names);
    }
    return 0;
}
