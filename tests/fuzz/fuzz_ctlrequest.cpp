// The command-line companion's requests as the running program receives
// them, as any bytes: decoded with their size limits, and an accepted one
// encoded again must decode to the same request; the stored profile list
// the checks read, as any entries.
#include "ctlrequest.h"
#include "fuzzsupport.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // Framed by the channel as a text; half the inputs get the prefix, so
    // the parser behind it is reached.
    QString message = QString::fromUtf8(bytes);
    if (size % 2 == 0)
        message.prepend(QLatin1String(ctl::kRequestPrefix));
    const ctl::Parsed parsed = ctl::decodeRequest(message);
    if (parsed.kind == ctl::Parsed::Run) {
        const ctl::Parsed again = ctl::decodeRequest(ctl::encodeRequest(parsed.request));
        if (again.kind != ctl::Parsed::Run || again.request.command != parsed.request.command
            || again.request.number != parsed.request.number || again.request.file != parsed.request.file
            || again.request.name != parsed.request.name || again.request.profile != parsed.request.profile)
            std::abort();
    }
    (void)ctl::decodeOutcome(QString::fromUtf8(bytes));

    QVariantList stored;
    for (const QByteArray& entry : bytes.split(','))
        stored.append(QString::fromUtf8(entry));
    const QList<ctl::ProfileRow> rows = ctl::profileRows(stored);
    if (rows.isEmpty())
        std::abort();
    (void)ctl::findRow(rows, QString::fromUtf8(bytes.left(40)));
    return 0;
}
