#pragma once

#include <QTest>

// A case that cannot run here for want of something in the environment (a
// tool, a device node, a second user). A skip would read as a pass, so where
// every case must run (KESTREL_EVERY_CASE=1, as CI sets it) it fails instead.
#define ENVIRONMENT_SKIP(reason)                                            \
    do {                                                                    \
        if (qEnvironmentVariableIntValue("KESTREL_EVERY_CASE") != 0)        \
            QFAIL(qPrintable(QStringLiteral("cannot run here: ") + (reason))); \
        else                                                                \
            QSKIP(qPrintable(QString(reason)));                             \
    } while (false)
