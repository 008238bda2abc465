// The main screen with the mouse: it follows the mouse's DPI button, its
// unplugging and replugging; the report rate goes out when chosen, a DPI
// stage moved with the slider only on Save, into every profile block, on either
// controller family; the report rate chosen with the keyboard alone.
#include <QElapsedTimer>
#include <QTest>

#include "endtoend.h"

class MainScreen : public EndToEndTest
{
    Q_OBJECT

private slots:
    void followsTheDpiButtonUnplugAndReplug();
    void reportRateAndDpiReachTheMouse_data() { mouseModels(); }
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
    QFETCH(MouseModel, model);
    const bool is560 = QLatin1String(model.family) == QLatin1String("560");
    Program program(screen.name(), model);
    QVERIFY(program.startShown());
    program.clearRecord();

    const QPoint reportRateList = scene::reportRateListOf(model);
    screen.click(reportRateList);
    screen.shot(QStringLiteral("report-rate-open-%1.png").arg(model.family));
    screen.click(scene::listRow(reportRateList, 2));   // "500Hz", code 2
    // The 560 family's 03H writes the rate into the profile slots, a gun
    // mouse's first only; the 553 family has the one 01H.
    const QString rateReport = is560 ? QStringLiteral("0003010200000000f9") : QStringLiteral("0001020000000000fc");
    QTRY_COMPARE_WITH_TIMEOUT(featureReports(program), QStringList{rateReport}, 5000);
    QCOMPARE(stateLine(program, QStringLiteral("report-rate")), is560 ? QStringLiteral("1=2 2=3 3=3 4=3") : QStringLiteral("2"));

    // Move stage 1 with a press on its track and a drag, then Save.
    program.clearRecord();
    screen.click(scene::dpiStageOneTrack);
    screen.drag(scene::dpiStageOneTrack, scene::dpiStageOneTrack - QPoint(0, 50), 10);
    QCOMPARE(featureReports(program), QStringList());   // nothing is sent before Save
    screen.shot(QStringLiteral("dpi-unsaved-%1.png").arg(model.family));
    screen.click(scene::saveButton);
    // Save sends the blocks in order, each a command and paced packets; the
    // last block's packets end it. The 553 family's table is 8 bytes, one packet.
    const QString last = is560 ? QStringLiteral("000c04") : QStringLiteral("001104");
    QTRY_COMPARE_WITH_TIMEOUT(bulkAfter(program, last).size(), is560 ? 128 : 32, 10000);

    // What Save stored in the profile is what reached the mouse: "3360"
    // codes (value / 100 - 1) of the four stages in use, at 84..91 of the
    // profile blocks with the active-stage mask 0F at 100, or as 11H's table
    // with 80 for the unused stages.
    const QString profile = QStringLiteral("modules/setting/p1.bin");
    const auto storedStages = [&] {
        return storedValue(program, profile, QStringLiteral("mouse/dpiValueArray")).split(QLatin1String(", "));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(storedStages()[0].toInt() > 1000, qPrintable(storedStages().join(QLatin1Char(','))), 5000);
    const QStringList values = storedStages();
    QCOMPARE(values.mid(1), QStringList({QStringLiteral("800"), QStringLiteral("1600"), QStringLiteral("3200"),
                                          QStringLiteral("4800"), QStringLiteral("6400"), QStringLiteral("8000"),
                                          QStringLiteral("12000")}));
    const int stage1 = values[0].toInt() / 100 - 1;
    QCOMPARE(storedValue(program, profile, QStringLiteral("mouse/currentDpiCount")), QStringLiteral("4"));
    const QStringList sent = featureReports(program);
    if (is560) {
        QCOMPARE(sent.size(), 4);   // blocks 1 to 4 on a gun mouse
        QVERIFY(sent[0].startsWith(QLatin1String("000c0180")));
        for (int number = 1; number <= 4; ++number) {
            const QByteArray block = profileBlock(program, number);
            QCOMPARE(block.size(), 128);
            QCOMPARE(quint8(block[84]), quint8(stage1));
            QCOMPARE(block.mid(85, 7).toHex(' '), QByteArray("07 0f 1f 2f 3f 4f 77"));
            QCOMPARE(quint8(block[100]), quint8(0x0F));
        }
    } else {
        QCOMPARE(sent.size(), 1);
        QVERIFY(sent[0].startsWith(QLatin1String("0011040800")));
        const QByteArray table = bulkAfter(program, QStringLiteral("001104"));
        QCOMPARE(quint8(table[0]), quint8(stage1));
        QCOMPARE(table.mid(1, 7).toHex(' '), QByteArray("07 0f 1f 80 80 80 80"));
    }
    screen.shot(QStringLiteral("dpi-saved-%1.png").arg(model.family));
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
