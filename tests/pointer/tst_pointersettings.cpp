// The pointer settings as the bridge uses them: step conversions, the values
// handed to the adapter, and the failure lines when the adapter refuses.
#include "debugcapture.h"
#include "pointersettings.h"

#include <QTest>

#include <climits>
#include <vector>

namespace {

class FakePointerSettings : public PointerSettings
{
public:
    bool accept = true;
    std::vector<unsigned> speeds;
    std::vector<unsigned> wheelLines;
    std::vector<unsigned> doubleClickTimes;

    bool setMouseSpeed(unsigned speed) override
    {
        speeds.push_back(speed);
        return accept;
    }
    bool setWheelScrollLines(unsigned lines) override
    {
        wheelLines.push_back(lines);
        return accept;
    }
    bool setDoubleClickTime(unsigned ms) override
    {
        doubleClickTimes.push_back(ms);
        return accept;
    }
};

} // namespace

class TestPointerSettings : public QObject
{
    Q_OBJECT

    FakePointerSettings fake;

private slots:
    void init()
    {
        fake.accept = true;
        fake.speeds.clear();
        fake.wheelLines.clear();
        fake.doubleClickTimes.clear();
        PointerSettings::install(&fake);
    }
    void cleanup() { PointerSettings::install(nullptr); }

    void cursorSpeedForEveryStep_data()
    {
        QTest::addColumn<unsigned>("step");
        QTest::addColumn<unsigned>("speed");
        const unsigned expected[] = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
        for (unsigned step = 0; step <= 10; ++step)
            QTest::addRow("step %u", step) << step << expected[step];
        QTest::newRow("step 11") << 11u << 20u;
        QTest::newRow("step 100") << 100u << 20u;
        QTest::newRow("largest step") << UINT_MAX << 20u;
    }
    void cursorSpeedForEveryStep()
    {
        QFETCH(unsigned, step);
        QFETCH(unsigned, speed);
        QCOMPARE(cursorSpeedForStep(step), speed);
    }

    void doubleClickTimeForEveryStep_data()
    {
        QTest::addColumn<unsigned>("step");
        QTest::addColumn<unsigned>("ms");
        const unsigned expected[] = {900, 830, 760, 690, 620, 550, 480, 410, 340, 270, 200};
        for (unsigned step = 0; step <= 10; ++step)
            QTest::addRow("step %u", step) << step << expected[step];
        QTest::newRow("step 11") << 11u << 200u;
        QTest::newRow("step 13") << 13u << 200u;   // 900 - 70 * 13 would go below zero
        QTest::newRow("largest step") << UINT_MAX << 200u;
    }
    void doubleClickTimeForEveryStep()
    {
        QFETCH(unsigned, step);
        QFETCH(unsigned, ms);
        QCOMPARE(doubleClickMsForStep(step), ms);
    }

    void cursorStepReachesTheAdapterConverted()
    {
        DebugCapture debug;
        setCursorSpeed(0);
        setCursorSpeed(5);
        setCursorSpeed(10);
        QCOMPARE(fake.speeds, (std::vector<unsigned>{1, 10, 20}));
        QVERIFY(fake.wheelLines.empty());
        QVERIFY(fake.doubleClickTimes.empty());
        QCOMPARE(debug.lines(), QStringList());
    }

    void doubleClickStepReachesTheAdapterAsMilliseconds()
    {
        DebugCapture debug;
        setDoubleClickSpeed(0);
        setDoubleClickSpeed(3);
        setDoubleClickSpeed(10);
        QCOMPARE(fake.doubleClickTimes, (std::vector<unsigned>{900, 690, 200}));
        QVERIFY(fake.speeds.empty());
        QCOMPARE(debug.lines(), QStringList());
    }

    void scrollLinesPassUnchanged()
    {
        DebugCapture debug;
        setVerticalScrollLines(1);
        setVerticalScrollLines(3);
        setVerticalScrollLines(100);
        setVerticalScrollLines(1000);   // one screen per notch
        QCOMPARE(fake.wheelLines, (std::vector<unsigned>{1, 3, 100, 1000}));
        QVERIFY(fake.speeds.empty());
        QVERIFY(fake.doubleClickTimes.empty());
        QCOMPARE(debug.lines(), QStringList());
    }

    void refusedCursorSpeedWritesItsLine()
    {
        fake.accept = false;
        DebugCapture debug;
        setCursorSpeed(0);
        QCOMPARE(fake.speeds, std::vector<unsigned>{1});
        QCOMPARE(debug.lines(), QStringList{QStringLiteral("setCursorSpeed Failed")});
    }

    void refusedScrollLinesWriteTheirLine()
    {
        fake.accept = false;
        DebugCapture debug;
        setVerticalScrollLines(1000);
        QCOMPARE(fake.wheelLines, std::vector<unsigned>{1000});
        QCOMPARE(debug.lines(), QStringList{QStringLiteral("setVerticalScrollLines Failed")});
    }

    void refusedDoubleClickTimeWritesItsLine()
    {
        fake.accept = false;
        DebugCapture debug;
        setDoubleClickSpeed(10);
        QCOMPARE(fake.doubleClickTimes, std::vector<unsigned>{200});
        QCOMPARE(debug.lines(), QStringList{QStringLiteral("setDoubleClickSpeed Failed")});
    }

    void eachRefusalWritesOneLine()
    {
        fake.accept = false;
        DebugCapture debug;
        setCursorSpeed(4);
        setDoubleClickSpeed(4);
        setVerticalScrollLines(4);
        setCursorSpeed(7);
        QCOMPARE(debug.lines(), (QStringList{QStringLiteral("setCursorSpeed Failed"),
                                             QStringLiteral("setDoubleClickSpeed Failed"),
                                             QStringLiteral("setVerticalScrollLines Failed"),
                                             QStringLiteral("setCursorSpeed Failed")}));
    }

    void installingNothingRestoresThePlatform()
    {
        QCOMPARE(&PointerSettings::current(), static_cast<PointerSettings*>(&fake));
        PointerSettings::install(nullptr);
        QCOMPARE(&PointerSettings::current(), &PointerSettings::platform());
        QVERIFY(&PointerSettings::current() != static_cast<PointerSettings*>(&fake));
    }
};

QTEST_GUILESS_MAIN(TestPointerSettings)
#include "tst_pointersettings.moc"
