#pragma once

#include "wirerig.h"

#include <QByteArray>
#include <QString>

// What one exchange must look like on the wire, derived from the protocol,
// independently of how the transport is written.
struct ExpectedExchange
{
    QByteArray plainBlock;     // 8 bytes
    bool encoded = false;
    std::string code;          // the firmware's key, to scramble the expected block
    int reportLength = 32;
    QByteArray bulkOut;        // payload of the output reports (before zero fill)
    int bulkInReports = 0;     // input reports of a bulk read
    bool read = false;         // a reply is read with get-feature
    bool settle = false;
    qint64 startMs = 0;
};

// Checks the calls of one exchange starting at `from` in `calls`; returns the
// index after it, or -1 after a failed check (QTest records the failure).
int checkExchange(const std::vector<vmouse::Call>& calls, int from, const ExpectedExchange& expected);

// The wire form of a block: report ID 0, then the block, scrambled if asked.
QByteArray wireReport(const QByteArray& plainBlock, bool encoded, const std::string& code);
