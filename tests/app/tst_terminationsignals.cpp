// SIGTERM and SIGINT become a signal on the GUI thread, also when they come
// before the program is ready to quit, and the default handling is back once
// the catcher goes.
#include "terminationsignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

class TerminationSignalsTest : public QObject
{
    Q_OBJECT

private slots:
    void signalReachesTheLoop_data();
    void signalReachesTheLoop();
};

void TerminationSignalsTest::signalReachesTheLoop_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM (logout)") << int(SIGTERM);
    QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
}

void TerminationSignalsTest::signalReachesTheLoop()
{
    QFETCH(int, signalNumber);
    {
        TerminationSignals catcher;
        QSignalSpy received(&catcher, &TerminationSignals::received);
        // During start-up: caught, but held until the program can quit.
        QCOMPARE(::raise(signalNumber), 0);
        QTest::qWait(50);
        QCOMPARE(received.count(), 0);
        catcher.start();
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.at(0).at(0).toInt(), signalNumber);
        // A second one (an impatient user) is delivered too.
        QCOMPARE(::raise(signalNumber), 0);
        QTRY_COMPARE(received.count(), 2);
    }
    struct sigaction now = {};
    QCOMPARE(::sigaction(signalNumber, nullptr, &now), 0);
    QVERIFY(now.sa_handler == SIG_DFL);
}

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "tst_terminationsignals.moc"
