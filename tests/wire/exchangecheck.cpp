#include "exchangecheck.h"

#include <QTest>

using vmouse::Call;
using vmouse::CallKind;

namespace {

// Every report goes out on a freshly opened path: close the previous handle,
// open by path, switch to blocking mode (0). Returns false on a mismatch.
bool checkReopen(const std::vector<Call>& calls, int& i, bool closeFirst, qint64 atMs)
{
    if (closeFirst) {
        if (i >= int(calls.size()) || calls[i].kind != CallKind::Close)
            return false;
        ++i;
    }
    if (i + 1 >= int(calls.size()) || calls[i].kind != CallKind::OpenPath
        || calls[i + 1].kind != CallKind::SetNonblocking || calls[i + 1].data != vmouse::Bytes{0})
        return false;
    if (calls[i].timeUs != atMs * 1000)
        return false;
    i += 2;
    return true;
}

} // namespace

QByteArray wireReport(const QByteArray& plainBlock, bool encoded, const std::string& code)
{
    QByteArray block = plainBlock;
    if (encoded)
        vmouse::encipherBlock(reinterpret_cast<std::uint8_t*>(block.data()), code);
    return QByteArray(1, '\0') + block;
}

int checkExchange(const std::vector<Call>& calls, int from, const ExpectedExchange& e)
{
    int i = from;
    const auto fail = [&](const char* what) {
        QString seen = QStringLiteral("end of record");
        if (i < int(calls.size()))
            seen = QStringLiteral("%1 at %2 us").arg(QLatin1String(vmouse::callKindName(calls[i].kind))).arg(calls[i].timeUs);
        QTest::qFail(qPrintable(QStringLiteral("%1 at call %2 (%3)").arg(QLatin1String(what)).arg(i).arg(seen)),
                     __FILE__, __LINE__);
        return -1;
    };
    qint64 t = e.startMs;

    if (!checkReopen(calls, i, false, t))
        return fail("first open");
    if (!checkReopen(calls, i, true, t))
        return fail("reopen before the command block");
    if (i >= int(calls.size()) || calls[i].kind != CallKind::SendFeature)
        return fail("feature report missing");
    const Call& send = calls[i++];
    if (bytes(send.data) != wireReport(e.plainBlock, e.encoded, e.code) || send.length != 9)
        return fail("feature report bytes");
    if (bytes(send.plainBlock) != e.plainBlock)
        return fail("block as the firmware read it");
    if (send.timeUs != t * 1000)
        return fail("feature report time");

    if (e.read) {
        if (!checkReopen(calls, i, true, t))
            return fail("reopen before the reply");
        if (i >= int(calls.size()) || calls[i].kind != CallKind::GetFeature || calls[i].length != 9)
            return fail("reply read missing");
        ++i;
        for (int r = 0; r < e.bulkInReports; ++r) {
            if (!checkReopen(calls, i, true, t))
                return fail("reopen before a bulk read");
            if (i >= int(calls.size()) || calls[i].kind != CallKind::ReadTimeout
                || calls[i].length != size_t(e.reportLength + 1))
                return fail("bulk read");
            ++i;
        }
    } else {
        if (e.settle)
            t += 128;
        const int packets = (e.bulkOut.size() + e.reportLength - 1) / e.reportLength;
        QByteArray payload;
        for (int p = 0; p < packets; ++p) {
            if (!checkReopen(calls, i, true, t))
                return fail("reopen before a bulk packet");
            if (i >= int(calls.size()) || calls[i].kind != CallKind::Write)
                return fail("bulk packet missing");
            const Call& write = calls[i++];
            if (write.length != size_t(e.reportLength + 1) || write.data.size() != write.length
                || write.data[0] != 0x00)
                return fail("bulk packet framing");
            if (write.timeUs != t * 1000)
                return fail("bulk packet time");
            payload += bytes(write.data).mid(1);
            t += 120;
        }
        QByteArray expectedPayload = e.bulkOut;
        expectedPayload.append(QByteArray(packets * e.reportLength - e.bulkOut.size(), '\0'));
        if (payload != expectedPayload)
            return fail("bulk payload");
        if (e.settle && packets > 0)
            t += 128;
    }
    if (i >= int(calls.size()) || calls[i].kind != CallKind::Close)
        return fail("final close");
    if (calls[i].timeUs != t * 1000)
        return fail("final close time");
    return i + 1;
}
