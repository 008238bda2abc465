// The name lists file, as any bytes, read for every list type and one list
// written back.
#include "fuzzsupport.h"
#include "namelists.h"

#include <iterator>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    fuzz::writeFresh(namelists::nameListPath(), QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QVariant types[] = {QVariant(0), QVariant(1), QVariant(2), QVariant(3), QVariant(-1),
                              QVariant(QStringLiteral("1")), QVariant(QStringLiteral("x"))};
    QStringList names;
    for (const QVariant& type : types) {
        names.clear();
        for (const QVariant& name : namelists::getNameList(type))
            names.append(name.toString());
    }
    // One list written back an input: a write costs a hundred reads.
    (void)namelists::updataNameList(types[size % std::size(types)], names);
    return 0;
}
