#pragma once

#include <QVariant>
#include <QVariantList>

// Values from the UI documents and the settings files arrive as variants
// (numbers within a run, text after a restart). The device takes their low
// byte. Lists may be shorter than an operation expects: a missing value
// reads as 0 rather than indexing past the end.
namespace variantbytes {

inline uchar lowByte(const QVariant& value)
{
    return uchar(value.toLongLong() & 0xFF);
}

inline uchar byteAt(const QVariantList& list, qsizetype index)
{
    return index >= 0 && index < list.size() ? lowByte(list.at(index)) : uchar(0);
}

} // namespace variantbytes
