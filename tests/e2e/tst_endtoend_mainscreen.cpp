// The main screen with the mouse: it follows the mouse's DPI button, its
// unplugging and replugging; the report rate goes out when chosen, a DPI
// stage moved with the slider only on Save, into every profile block; the
// report rate chosen with the keyboard alone.
#include <QElapsedTimer>
#include <QTest>

#include "endtoend.h"

class MainScreen : public EndToEndTest
{
    Q_OBJECT

private slots:
    void followsTheDpiButtonUnplugAndReplug();
    void reportRateAndDpiReachTheMouse();
    void reportRateByKeysOnly();
};

void MainScreen::followsTheDpiButtonUnplugAndReplug()
{
    Program program(screen.name());
    program.start();
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 1")));
    program.vmousectl({QStringLiteral("dpi"), QStringLiteral("3")});
    QVERIFY(program.waitForLine(QStringLiteral("qml: DPI stage 3"), 3000));
    QVERIFY(program.waitForLine(QStringLiteral("Info: DPI Switch to "), 3000));
    screen.shot(QStringLiteral("dpi-stage-3.png"));

    QElapsedTimer timer;
    timer.start();
    program.vmousectl({QStringLiteral("unplug")});
    QVERIFY(program.waitForLine(QStringLiteral("Device removed"), 3000));
    QVERIFY2(program.waitForLine(QStringLiteral("qml: view disabled: device gone"), 3000),
             qPrintable(program.lines().join(QLatin1Char('\n'))));
    QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
    screen.shot(QStringLiteral("removed.png"));

    // Back in: the device-change notice starts discovery about 2 s later.
    program.vmousectl({QStringLiteral("replug")});
    QVERIFY(program.waitForLine(QStringLiteral("Device Connect"), 8000, 2));
    QVERIFY(program.waitForLine(QStringLiteral("qml: view enabled"), 5000));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

void MainScreen::reportRateAndDpiReachTheMouse()
{
    Program program(screen.name());
    QVERIFY(program.startShown());
    program.clearRecord();

    screen.click(scene::reportRateList);
    screen.shot(QStringLiteral("report-rate-open.png"));
    screen.click(scene::listRow(scene::reportRateList, 2));   // "500Hz"
    // The 560 family's 03H writes the rate into the profile slots; a gun
    // mouse has only the first.
    QTRY_COMPARE_WITH_TIMEOUT(featureReports(program), (QStringList{QStringLiteral("0003010200000000f9")}), 5000);
    QVERIFY(program.vmousectl({QStringLiteral("state")}).contains(QStringLiteral("report-rate: 1=2 2=3 3=3 4=3")));

    // Move stage 1 with a press on its track and a drag, then Save.
    program.clearRecord();
    screen.click(scene::dpiStageOneTrack);
    screen.drag(scene::dpiStageOneTrack, scene::dpiStageOneTrack - QPoint(0, 50), 10);
    QCOMPARE(featureReports(program), QStringList());   // nothing is sent before Save
    screen.shot(QStringLiteral("dpi-unsaved.png"));
    screen.click(scene::saveButton);
    // Save sends the blocks in order, each a command and paced packets; the
    // last block's packets end it.
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, QStringLiteral("000c04")).size(), 128, 10000);

    // What Save stored in the profile is what the profile blocks carry:
    // "3360" codes (value / 100 - 1) at 84..91 and the active-stage mask at 100.
    const QString profile = QStringLiteral("modules/setting/p1.bin");
    const auto storedStages = [&] {
        return storedValue(program, profile, QStringLiteral("mouse/dpiValueArray")).split(QLatin1String(", "));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(storedStages()[0].toInt() > 1000, qPrintable(storedStages().join(QLatin1Char(','))), 5000);
    const QStringList values = storedStages();
    const int count = storedValue(program, profile, QStringLiteral("mouse/currentDpiCount")).toInt();
    QCOMPARE(values.size(), 8);
    const QStringList sent = featureReports(program);
    QCOMPARE(sent.size(), 4);   // blocks 1 to 4 on a gun mouse
    QVERIFY(sent[0].startsWith(QLatin1String("000c0180")));
    for (int number = 1; number <= 4; ++number) {
        const QByteArray block = profileBlock(program, number);
        QCOMPARE(block.size(), 128);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(quint8(block[84 + i]), quint8(values[i].toInt() / 100 - 1));
        QCOMPARE(quint8(block[100]), quint8((1 << count) - 1));
    }
    screen.shot(QStringLiteral("dpi-saved.png"));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

// No pointer: Tab through the title bar (profiles, about, minimise, close),
// the key matrix (reset, eight rows) and the editor box (two rows) to the
// report-rate box; Down opens it at 1000Hz, Up points at 500Hz, Enter takes it.
void MainScreen::reportRateByKeysOnly()
{
    Program program(screen.name());
    QVERIFY(program.startShown());
    program.clearRecord();
    screen.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowOf(screen.name())});

    QStringList tabs;
    for (int i = 0; i < 16; ++i)
        tabs << QStringLiteral("Tab");
    screen.keys(tabs);
    screen.shot(QStringLiteral("keys-report-rate-focused.png"));
    screen.keys({QStringLiteral("Down")});
    screen.keys({QStringLiteral("Up")});
    screen.shot(QStringLiteral("keys-report-rate-500.png"));
    QCOMPARE(featureReports(program), QStringList());   // nothing before Enter
    screen.keys({QStringLiteral("Return")});
    QTRY_COMPARE_WITH_TIMEOUT(featureReports(program), (QStringList{QStringLiteral("0003010200000000f9")}), 5000);
    QVERIFY(program.vmousectl({QStringLiteral("state")}).contains(QStringLiteral("report-rate: 1=2 2=3 3=3 4=3")));
    QVERIFY(quit(program, screen));
    QCOMPARE(program.process.exitCode(), 0);
}

QTEST_GUILESS_MAIN(MainScreen)
#include "tst_endtoend_mainscreen.moc"
