// SIGTERM and SIGINT become a signal on the GUI thread, also when they come
// before the program is ready to quit, and the default handling is back once
// the catcher goes. Wired to the quit action's slot as start-up wires it, a
// signal ends the event loop with 0 and the settings changed just before
// reach the disk.
#include "fixturetree.h"
#include "myqquickview.h"
#include "terminationsignals.h"
#include "widget.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

class TerminationSignalsTest : public QObject
{
    Q_OBJECT

private slots:
    void signalReachesTheLoop_data();
    void signalReachesTheLoop();
    void quitKeepsWhatWasJustSet();
};

void TerminationSignalsTest::signalReachesTheLoop_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM (logout)") << int(SIGTERM);
    QTest::newRow("SIGINT (Ctrl+C)") << int(SIGINT);
    QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP);
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

void TerminationSignalsTest::quitKeepsWhatWasJustSet()
{
    FixtureTree tree;
    QCOMPARE(QSettings(QStringLiteral("modules/setting/p1.bin"), QSettings::IniFormat).value(QStringLiteral("mouse/reportRate")),
             QVariant(QStringLiteral("3")));
    int code = -1;
    {
        Widget window;
        TerminationSignals termination;
        connect(&termination, &TerminationSignals::received, &window, &Widget::exitSYS);
        // The page stores a value; the signal comes before the event loop
        // had a pass to write it.
        window.view()->setData(QStringLiteral("mouse/reportRate"), 1);
        QCOMPARE(::raise(SIGTERM), 0);
        QTimer::singleShot(0, &termination, &TerminationSignals::start);
        code = QCoreApplication::exec();
    }
    QCOMPARE(code, 0);
    QCOMPARE(QSettings(QStringLiteral("modules/setting/p1.bin"), QSettings::IniFormat).value(QStringLiteral("mouse/reportRate")),
             QVariant(QStringLiteral("1")));
}

QTEST_MAIN(TerminationSignalsTest)
#include "tst_terminationsignals.moc"
