// The companion's command line and its requests on the channel: what runs,
// what is a usage error (so that nothing is sent), what the channel refuses,
// and how the stored profile list is read.
#include "ctlrequest.h"

#include <QTest>

using ctl::Command;
using ctl::Parsed;

Q_DECLARE_METATYPE(Parsed::Kind)
Q_DECLARE_METATYPE(Command)

class CtlRequestTest : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void channel_data();
    void channel();
    void storedProfileList();
    void outcomeTravels();
};

void CtlRequestTest::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Parsed::Kind>("kind");
    QTest::addColumn<Command>("command");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");   // the profile, file, or the error's start
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("json");

    const auto S = Command::Status;
    QTest::newRow("nothing") << QStringList{} << Parsed::UsageError << S << 0 << "no command given" << "" << false;
    QTest::newRow("help wins") << QStringList{"status", "-V", "--help"} << Parsed::Help << S << 0 << "" << "" << false;
    QTest::newRow("version") << QStringList{"--version"} << Parsed::Version << S << 0 << "" << "" << false;
    QTest::newRow("status") << QStringList{"status"} << Parsed::Run << S << 0 << "" << "" << false;
    QTest::newRow("json anywhere") << QStringList{"profile", "list", "--json"} << Parsed::Run << Command::ProfileList
                                   << 0 << "" << "" << true;
    QTest::newRow("status extra") << QStringList{"status", "now"} << Parsed::UsageError << S << 0
                                  << "status takes no arguments" << "" << false;
    QTest::newRow("unknown command") << QStringList{"reboot"} << Parsed::UsageError << S << 0
                                     << "unknown command 'reboot'" << "" << false;
    QTest::newRow("unknown option") << QStringList{"--quiet", "status"} << Parsed::UsageError << S << 0
                                    << "unknown option '--quiet'" << "" << false;
    QTest::newRow("rate 125") << QStringList{"rate", "125"} << Parsed::Run << Command::Rate << 125 << "" << "" << false;
    QTest::newRow("rate 1000") << QStringList{"rate", "1000"} << Parsed::Run << Command::Rate << 1000 << "" << "" << false;
    QTest::newRow("rate 300") << QStringList{"rate", "300"} << Parsed::UsageError << S << 0
                              << "report rate '300' is not" << "" << false;
    QTest::newRow("rate 1e3") << QStringList{"rate", "1e3"} << Parsed::UsageError << S << 0
                              << "report rate '1e3' is not" << "" << false;
    QTest::newRow("rate -125") << QStringList{"rate", "-125"} << Parsed::UsageError << S << 0
                               << "unknown option '-125'" << "" << false;
    QTest::newRow("rate none") << QStringList{"rate"} << Parsed::UsageError << S << 0 << "rate takes" << "" << false;
    QTest::newRow("stage 1") << QStringList{"dpi-stage", "1"} << Parsed::Run << Command::DpiStage << 1 << "" << "" << false;
    QTest::newRow("stage 8") << QStringList{"dpi-stage", "8"} << Parsed::Run << Command::DpiStage << 8 << "" << "" << false;
    QTest::newRow("stage 0") << QStringList{"dpi-stage", "0"} << Parsed::UsageError << S << 0
                             << "DPI stage '0' is out of range" << "" << false;
    QTest::newRow("stage 9") << QStringList{"dpi-stage", "9"} << Parsed::UsageError << S << 0
                             << "DPI stage '9' is out of range" << "" << false;
    QTest::newRow("switch name") << QStringList{"profile", "switch", "Racing car"} << Parsed::Run
                                 << Command::ProfileSwitch << 0 << "Racing car" << "" << false;
    QTest::newRow("switch none") << QStringList{"profile", "switch"} << Parsed::UsageError << S << 0
                                 << "profile switch takes" << "" << false;
    QTest::newRow("profile alone") << QStringList{"profile"} << Parsed::UsageError << S << 0
                                   << "profile needs list" << "" << false;
    QTest::newRow("profile delete") << QStringList{"profile", "delete", "1"} << Parsed::UsageError << S << 0
                                    << "unknown profile command 'delete'" << "" << false;
    QTest::newRow("export") << QStringList{"profile", "export", "3", "out.pf"} << Parsed::Run << Command::ProfileExport
                            << 3 << "out.pf" << "" << false;
    QTest::newRow("export 10") << QStringList{"profile", "export", "10", "out.pf"} << Parsed::UsageError << S << 0
                               << "unknown profile number '10'" << "" << false;
    QTest::newRow("export no file") << QStringList{"profile", "export", "1"} << Parsed::UsageError << S << 0
                                    << "profile export takes" << "" << false;
    QTest::newRow("import") << QStringList{"profile", "import", "in.pf"} << Parsed::Run << Command::ProfileImport << 0
                            << "in.pf" << "" << false;
    QTest::newRow("import named") << QStringList{"profile", "import", "in.pf", "Night"} << Parsed::Run
                                  << Command::ProfileImport << 0 << "in.pf" << "Night" << false;
    QTest::newRow("name of 32") << QStringList{"profile", "import", "in.pf", QString(32, 'n')} << Parsed::Run
                                << Command::ProfileImport << 0 << "in.pf" << QString(32, 'n') << false;
    QTest::newRow("name of 33") << QStringList{"profile", "import", "in.pf", QString(33, 'n')} << Parsed::UsageError
                                << S << 0 << "a profile name has 1 to 32" << "" << false;
    QTest::newRow("name with newline") << QStringList{"profile", "import", "in.pf", "a\nb"} << Parsed::UsageError
                                       << S << 0 << "a profile name has" << "" << false;
}

void CtlRequestTest::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(Parsed::Kind, kind);
    QFETCH(Command, command);
    QFETCH(int, number);
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(bool, json);

    const Parsed parsed = ctl::parseArguments(arguments);
    QCOMPARE(parsed.kind, kind);
    if (kind == Parsed::UsageError) {
        QVERIFY2(parsed.error.startsWith(text), qPrintable(parsed.error));
        return;
    }
    if (kind != Parsed::Run)
        return;
    QCOMPARE(parsed.request.command, command);
    QCOMPARE(parsed.request.number, number);
    QCOMPARE(command == Command::ProfileSwitch ? parsed.request.profile : parsed.request.file, text);
    QCOMPARE(parsed.request.name, name);
    QCOMPARE(parsed.request.json, json);
}

void CtlRequestTest::channel_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("error");   // empty: accepted

    const QString prefix = QLatin1String(ctl::kRequestPrefix);
    QTest::newRow("request") << prefix + R"(["--json","rate","500"])" << "";
    QTest::newRow("absolute file") << prefix + R"(["profile","import","/home/a/in.pf","Night"])" << "";
    QTest::newRow("no prefix") << R"(["rate","500"])" << "not a request";
    QTest::newRow("restore message") << "" << "not a request";
    QTest::newRow("object") << prefix + R"({"rate":500})" << "malformed request";
    QTest::newRow("number") << prefix + R"(["rate",500])" << "malformed request";
    QTest::newRow("cut off") << prefix + R"(["rate","50)" << "malformed request";
    QTest::newRow("nine words") << prefix + R"(["a","b","c","d","e","f","g","h","i"])" << "malformed request";
    QTest::newRow("relative file") << prefix + R"(["profile","export","0","out.pf"])"
                                   << "a file must be given with its absolute path";
    QTest::newRow("help") << prefix + R"(["--help"])" << "not a request";
    QTest::newRow("usage") << prefix + R"(["rate","501"])" << "report rate '501' is not";
    QTest::newRow("oversized") << prefix + R"(["status"])" + QString(ctl::kMaxRequestChars, ' ') << "request too long";
}

void CtlRequestTest::channel()
{
    QFETCH(QString, message);
    QFETCH(QString, error);
    const Parsed parsed = ctl::decodeRequest(message);
    if (error.isEmpty())
        QCOMPARE(parsed.kind, Parsed::Run);
    else
        QVERIFY2(parsed.kind == Parsed::UsageError && parsed.error.startsWith(error), qPrintable(parsed.error));
}

void CtlRequestTest::storedProfileList()
{
    const auto rows = [](const QVariantList& stored) {
        QStringList out;
        for (const ctl::ProfileRow& row : ctl::profileRows(stored))
            out.append(row.name + QLatin1Char('=') + QString::number(row.number));
        return out.join(QLatin1Char(' '));
    };
    QCOMPARE(rows({"Standard0", "loaderzephyr"}), QStringLiteral("Standard=0"));
    QCOMPARE(rows({"Standard0", "profile_01", "Racing3"}), QStringLiteral("Standard=0 profile_0=1 Racing=3"));
    // Entries that cannot select a profile file are no rows; none at all
    // still leaves the standard profile.
    QCOMPARE(rows({"Standard0", "broken", QStringLiteral("x\u0663"), ""}), QStringLiteral("Standard=0"));
    QCOMPARE(rows({}), QStringLiteral("=0"));

    // A name first, then a number: a row named "3" hides profile 3 from "3".
    const QList<ctl::ProfileRow> list = ctl::profileRows({"30", "Racing3", "x 12"});
    QCOMPARE(ctl::findRow(list, QStringLiteral("3")), 0);
    QCOMPARE(ctl::findRow(list, QStringLiteral("Racing")), 1);
    QCOMPARE(ctl::findRow(list, QStringLiteral("2")), 2);
    QCOMPARE(ctl::findRow(list, QStringLiteral("02")), 2);
    QCOMPARE(ctl::findRow(list, QStringLiteral("racing")), -1);
    QCOMPARE(ctl::findRow(list, QStringLiteral("7")), -1);
}

void CtlRequestTest::outcomeTravels()
{
    // Every request travels as absolute paths with its words intact.
    ctl::Request import;
    import.command = Command::ProfileImport;
    import.file = QStringLiteral("/home/a b/\u00e9t\u00e9 \"x\".pf");
    import.name = QStringLiteral("Night, \u591c");
    import.json = true;
    const Parsed back = ctl::decodeRequest(ctl::encodeRequest(import));
    QCOMPARE(back.kind, Parsed::Run);
    QCOMPARE(back.request.file, import.file);
    QCOMPARE(back.request.name, import.name);
    QVERIFY(back.request.json);

    const ctl::Outcome outcome{ctl::Failed, QStringLiteral("{\"error\":\"no mouse found\"}"), QStringLiteral("no mouse found")};
    const std::optional<ctl::Outcome> decoded = ctl::decodeOutcome(ctl::encodeOutcome(outcome));
    QVERIFY(decoded);
    QCOMPARE(decoded->code, 1);
    QCOMPARE(decoded->out, outcome.out);
    QCOMPARE(decoded->error, outcome.error);
    QVERIFY(!ctl::decodeOutcome(QStringLiteral("{\"code\":7}")));
    QVERIFY(!ctl::decodeOutcome(QStringLiteral("[]")));
    QCOMPARE(ctl::failure(ctl::Usage, QStringLiteral("unknown profile 'x\"'"), true).out,
             QStringLiteral("{\"error\":\"unknown profile 'x\\\"'\"}"));
}

QTEST_GUILESS_MAIN(CtlRequestTest)
#include "tst_ctlrequest.moc"
