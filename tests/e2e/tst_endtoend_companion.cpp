// The command-line companion, kestrel-orbit-ctl, beside a copy of the
// program: its exit codes and messages, each command done alone on the
// virtual mouse and sent to the running program, the same reports on the
// wire as the clicks they stand for, and a request that comes while a
// profile switch runs waiting its turn.
#include <QTest>

#include "endtoend.h"

namespace {

struct Result
{
    int code = -1;
    QString out;
    QString err;
};

enum class Mode { ToProgram, Alone, AloneWithoutMouse };

// The companion of `program`'s copy. Alone, it has the virtual mouse
// preloaded (none plugged in, for AloneWithoutMouse), which leaves its
// record and state in `record` when the process ends.
Result companion(Program& program, Mode mode, const QStringList& arguments, const QString& record = QString())
{
    QProcessEnvironment env = program.environment;
    env.remove(QStringLiteral("VMOUSE_CONTROL"));
    if (mode == Mode::ToProgram)
        env.remove(QStringLiteral("LD_PRELOAD"));
    if (!record.isEmpty())
        env.insert(QStringLiteral("VMOUSE_RECORD_AT_EXIT"), record);
    if (mode == Mode::AloneWithoutMouse)
        env.insert(QStringLiteral("VMOUSE_CONFIG"), QString());
    QProcess ctl;
    ctl.setProcessEnvironment(env);
    ctl.setWorkingDirectory(QDir::tempPath());
    ctl.start(program.file(QStringLiteral("kestrel-orbit-ctl")), arguments);
    Result result;
    if (!ctl.waitForFinished(20000))
        return result;
    result.code = ctl.exitStatus() == QProcess::NormalExit ? ctl.exitCode() : -1;
    result.out = QString::fromUtf8(ctl.readAllStandardOutput());
    result.err = QString::fromUtf8(ctl.readAllStandardError());
    return result;
}

// The feature reports of a record left at exit, as hex, in order.
QStringList recordedReports(const QString& record)
{
    QFile file(record);
    QStringList out;
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() > 3 && words[1] == QLatin1String("hid_send_feature_report"))
            out.append(words[3]);
    }
    return out;
}

// The wire record once it has stopped growing for 1.5 s: what a click set
// off, all of it (a drop-down's slide comes first, a bulk packet's pause
// is 120 ms).
QStringList settledReports(Program& program)
{
    QStringList last = featureReports(program);
    for (int i = 0, unchanged = 0; i < 30 && unchanged < 3; ++i) {
        QTest::qWait(500);
        const QStringList now = featureReports(program);
        unchanged = !now.isEmpty() && now == last ? unchanged + 1 : 0;
        last = now;
    }
    return last;
}

QString describe(const Result& result)
{
    return QStringLiteral("exit %1\nstdout: %2\nstderr: %3").arg(result.code).arg(result.out, result.err);
}

const QString kStatus = QStringLiteral(
    "connected: yes\nfamily: 560\ngun: yes\nprofile: 0 Standard\ndpi stage: 1\nreport rate: 1000 Hz\n");

} // namespace

class Companion : public EndToEndTest
{
    Q_OBJECT

private slots:
    void refusedWithNothingSent_data();
    void refusedWithNothingSent();
    void aloneSendsWhatTheClicksSend();
    void runningProgramCarriesItOut();
};

void Companion::refusedWithNothingSent_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString tryHelp = QStringLiteral("\nTry 'kestrel-orbit-ctl --help'.\n");
    const int alone = int(Mode::Alone);
    QTest::newRow("version") << alone << QStringList{"--version"} << 0
                             << QStringLiteral("kestrel-orbit-ctl " KESTREL_VERSION "\n") << "";
    QTest::newRow("unknown command") << alone << QStringList{"reboot"} << 2 << ""
                                     << "kestrel-orbit-ctl: unknown command 'reboot'" + tryHelp;
    QTest::newRow("rate out of range") << alone << QStringList{"rate", "300"} << 2 << ""
                                       << "kestrel-orbit-ctl: report rate '300' is not one of 125, 250, 500, 1000" + tryHelp;
    QTest::newRow("json usage") << alone << QStringList{"--json", "dpi-stage", "9"} << 2
                                << "{\"error\":\"DPI stage '9' is out of range (1 to 8)\"}\n"
                                << "kestrel-orbit-ctl: DPI stage '9' is out of range (1 to 8)" + tryHelp;
    // Checked against the stores before the mouse is looked for.
    QTest::newRow("unknown profile") << alone << QStringList{"profile", "switch", "Racing"} << 2 << ""
                                     << "kestrel-orbit-ctl: unknown profile 'Racing'\n";
    QTest::newRow("stage not in use") << alone << QStringList{"dpi-stage", "5"} << 2 << ""
                                      << "kestrel-orbit-ctl: DPI stage 5 is out of range (1 to 4)\n";
    QTest::newRow("no mouse") << int(Mode::AloneWithoutMouse) << QStringList{"rate", "500"} << 1 << ""
                              << "kestrel-orbit-ctl: no mouse found\n";
    QTest::newRow("no mouse, json") << int(Mode::AloneWithoutMouse) << QStringList{"status", "--json"} << 1
                                    << "{\"connected\":false}\n" << "kestrel-orbit-ctl: no mouse found\n";
    QTest::newRow("unreadable import") << alone << QStringList{"profile", "import", "/nonexistent/x.pf"} << 1 << ""
                                       << "kestrel-orbit-ctl: cannot import /nonexistent/x.pf: no such file\n";
}

void Companion::refusedWithNothingSent()
{
    QFETCH(int, mode);
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);

    Program program(xvfb.name());
    const QString record = program.file(QStringLiteral("record.txt"));
    const QString before = storedValue(program, QStringLiteral("modules/setting/p1.bin"), QStringLiteral("mouse/reportRate"));
    const Result result = companion(program, Mode(mode), arguments, record);
    QVERIFY2(result.code == code && result.out == out && result.err == err, qPrintable(describe(result)));
    if (arguments.contains(QLatin1String("import")))
        return;   // it did look for the mouse: an unreadable file is a failure, not a usage error
    // Nothing sent and nothing stored.
    QCOMPARE(recordedReports(record), QStringList());
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/p1.bin"), QStringLiteral("mouse/reportRate")), before);
}

// Alone, a command connects as the program's start does and then sends
// what the matching click sends: the record of `rate 500` is the record of
// `status` (connecting only) followed by the click's reports.
void Companion::aloneSendsWhatTheClicksSend()
{
    Program alone(xvfb.name());
    const QString record = alone.file(QStringLiteral("record.txt"));
    const Result status = companion(alone, Mode::Alone, {QStringLiteral("status")}, record);
    QVERIFY2(status.code == 0 && status.out == kStatus && status.err.isEmpty(), qPrintable(describe(status)));
    const QStringList connecting = recordedReports(record);
    QVERIFY(!connecting.isEmpty());

    const Result rate = companion(alone, Mode::Alone, {QStringLiteral("rate"), QStringLiteral("500")}, record);
    QVERIFY2(rate.code == 0 && rate.out == QLatin1String("report rate 500 Hz\n"), qPrintable(describe(rate)));
    const QStringList rateRecord = recordedReports(record);
    QCOMPARE(storedValue(alone, QStringLiteral("modules/setting/p1.bin"), QStringLiteral("mouse/reportRate")),
             QStringLiteral("2"));

    // Export, import under a name, list, switch: the stores as the pages leave them.
    const QString exported = alone.file(QStringLiteral("standard.pf"));
    const Result exportResult = companion(alone, Mode::Alone, {"profile", "export", "0", exported}, record);
    QVERIFY2(exportResult.code == 0, qPrintable(describe(exportResult)));
    QFile exportedFile(exported), profileFile(alone.file(QStringLiteral("modules/setting/p1.bin")));
    QVERIFY(exportedFile.open(QIODevice::ReadOnly) && profileFile.open(QIODevice::ReadOnly));
    QCOMPARE(exportedFile.readAll(), profileFile.readAll());
    const Result import = companion(alone, Mode::Alone, {"--json", "profile", "import", exported, "Racing"}, record);
    QVERIFY2(import.code == 0 && import.out == QLatin1String("{\"imported\":{\"name\":\"Racing\",\"number\":1}}\n"),
             qPrintable(describe(import)));
    QCOMPARE(storedValue(alone, QStringLiteral("modules/setting/name.bin"), QStringLiteral("profile/profileName")),
             QStringLiteral("Standard0, Racing1"));
    const Result list = companion(alone, Mode::Alone, {"profile", "list"}, record);
    QVERIFY2(list.code == 0 && list.out == QLatin1String("* 0 Standard\n  1 Racing\n"), qPrintable(describe(list)));
    const Result switched = companion(alone, Mode::Alone, {"profile", "switch", "1"}, record);
    QVERIFY2(switched.code == 0 && switched.out == QLatin1String("profile 1 Racing active\n"), qPrintable(describe(switched)));
    QCOMPARE(storedValue(alone, QStringLiteral("modules/setting/apConfig.bin"), QStringLiteral("mouse/profileNo")),
             QStringLiteral("1"));
    const Result stage = companion(alone, Mode::Alone, {"dpi-stage", "3"}, record);
    QVERIFY2(stage.code == 0 && stage.out == QLatin1String("dpi stage 3\n"), qPrintable(describe(stage)));

    // The click, in the window of a fresh copy.
    Program program(xvfb.name());
    QVERIFY(program.startShown());
    program.clearRecord();
    screen.click(scene::reportRateList);
    screen.click(scene::listRow(scene::reportRateList, 2));   // "500Hz"
    const QStringList click = settledReports(program);
    QVERIFY2(!click.isEmpty(), qPrintable(program.lines().join(QLatin1Char('\n'))));
    // The link check opens both with a challenge of its moment; the rest is equal.
    QCOMPARE(rateRecord.size(), connecting.size() + click.size());
    QVERIFY(rateRecord[0].startsWith(QLatin1String("0000")) && connecting[0].startsWith(QLatin1String("0000")));
    QCOMPARE(rateRecord.mid(1), (connecting + click).mid(1));
    QVERIFY(quit(program, screen));
}

// With the program running, the companion's requests are carried out in
// its window: the same reports as the clicks, the title bar and the stores
// updated, and a request during a profile switch waits for its end.
void Companion::runningProgramCarriesItOut()
{
    Program program(xvfb.name());
    QVERIFY(program.startShown());
    const Result status = companion(program, Mode::ToProgram, {QStringLiteral("status")});
    QVERIFY2(status.code == 0 && status.out == kStatus && status.err.isEmpty(), qPrintable(describe(status)));
    QVERIFY(program.waitForLine(QStringLiteral("Companion request: status")));

    // The report rate: the click's reports, then the companion's, from the same state.
    program.clearRecord();
    screen.click(scene::reportRateList);
    screen.click(scene::listRow(scene::reportRateList, 2));   // "500Hz"
    const QStringList rateClick = settledReports(program);
    QVERIFY(!rateClick.isEmpty());
    screen.click(scene::reportRateList);
    screen.click(scene::listRow(scene::reportRateList, 3));   // back to "1000Hz"
    QTest::qWait(500);
    program.clearRecord();
    const Result rate = companion(program, Mode::ToProgram, {QStringLiteral("rate"), QStringLiteral("500")});
    QVERIFY2(rate.code == 0 && rate.out == QLatin1String("report rate 500 Hz\n"), qPrintable(describe(rate)));
    QCOMPARE(featureReports(program), rateClick);

    // A second profile, then the title bar's switch and the companion's.
    const QString exported = program.file(QStringLiteral("standard.pf"));
    QCOMPARE(companion(program, Mode::ToProgram, {"profile", "export", "0", exported}).code, 0);
    const Result import = companion(program, Mode::ToProgram, {"profile", "import", exported, "Racing"});
    QVERIFY2(import.code == 0 && import.out == QLatin1String("imported as profile 1 Racing\n"), qPrintable(describe(import)));
    program.clearRecord();
    screen.click(scene::titleProfileList);
    screen.click(scene::listRow(scene::titleProfileList, 1));   // "Racing"
    const QStringList switchClick = settledReports(program);
    QCOMPARE(storedValue(program, QStringLiteral("modules/setting/apConfig.bin"), QStringLiteral("mouse/profileNo")),
             QStringLiteral("1"));
    QCOMPARE(companion(program, Mode::ToProgram, {"profile", "switch", "Standard"}).code, 0);
    program.clearRecord();
    const Result switched = companion(program, Mode::ToProgram, {"profile", "switch", "Racing"});
    QVERIFY2(switched.code == 0 && switched.out == QLatin1String("profile 1 Racing active\n"), qPrintable(describe(switched)));
    QCOMPARE(featureReports(program), switchClick);
    screen.shot(QStringLiteral("companion-switched.png"));

    // The DPI stage, as the button would: the window shows it. Racing is
    // the export of Standard at 500 Hz.
    QCOMPARE(companion(program, Mode::ToProgram, {"dpi-stage", "3"}).code, 0);
    const Result after = companion(program, Mode::ToProgram, {"--json", "status"});
    QCOMPARE(after.out, QStringLiteral("{\"connected\":true,\"dpiStage\":3,\"family\":\"560\",\"gun\":true,"
                                       "\"profile\":{\"name\":\"Racing\",\"number\":1},\"reportRateHz\":500}\n"));

    // A switch and then a rate, one after the other; then again, the rate
    // sent while the switch runs: the same reports in the same order.
    program.clearRecord();
    QCOMPARE(companion(program, Mode::ToProgram, {"profile", "switch", "Standard"}).code, 0);
    QCOMPARE(companion(program, Mode::ToProgram, {"rate", "250"}).code, 0);
    const QStringList oneAfterTheOther = featureReports(program);
    QCOMPARE(companion(program, Mode::ToProgram, {"rate", "500"}).code, 0);   // Standard's rate again
    QCOMPARE(companion(program, Mode::ToProgram, {"profile", "switch", "Racing"}).code, 0);
    program.clearRecord();
    QProcessEnvironment env = program.environment;
    env.remove(QStringLiteral("LD_PRELOAD"));
    QProcess switching;
    switching.setProcessEnvironment(env);
    // By number this time: its own line in the log.
    switching.start(program.file(QStringLiteral("kestrel-orbit-ctl")), {"profile", "switch", "0"});
    QVERIFY(program.waitForLine(QStringLiteral("Companion request: profile switch 0")));
    const Result during = companion(program, Mode::ToProgram, {"rate", "250"});
    QVERIFY(switching.waitForFinished(20000));
    QCOMPARE(switching.exitCode(), 0);
    QVERIFY2(during.code == 0, qPrintable(describe(during)));
    QCOMPARE(featureReports(program), oneAfterTheOther);
    // The rate came while the switch ran, and went after it.
    QVERIFY(program.waitForLine(QStringLiteral("Companion done: rate 250 0"), 10000, 2));
    const QStringList log = program.lines().filter(QStringLiteral("Companion"));
    QCOMPARE(log.mid(log.size() - 4),
             QStringList({"Companion request: profile switch 0", "Companion request: rate 250",
                          "Companion done: profile switch 0 0", "Companion done: rate 250 0"}));

    // A report the mouse does not take: a failure, said so.
    program.vmousectl({QStringLiteral("fail"), QStringLiteral("hid_send_feature_report")});
    const Result failed = companion(program, Mode::ToProgram, {"rate", "125"});
    QVERIFY2(failed.code == 1 && failed.out.isEmpty() && failed.err == QLatin1String("kestrel-orbit-ctl: the mouse stopped answering\n"),
             qPrintable(describe(failed)));
    QVERIFY(quit(program, screen));
}

QTEST_GUILESS_MAIN(Companion)
#include "tst_endtoend_companion.moc"
