// What a screen reader's side sees: the real program on a bus of the test's
// own (a session bus and the accessibility bus under it), read with an
// AT-SPI client, in English and Simplified Chinese; a dialog opened through
// the bus shows its named controls too.
#include <QStandardPaths>
#include <QTest>

#include "endtoend.h"

class Accessibility : public EndToEndTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyControlIsNamedOnTheBus_data();
    void everyControlIsNamedOnTheBus();

private:
    // role, name and states of every showing control, one a line.
    QStringList seen(const QStringList& arguments = {});

    QProcess bus;
    QProcess atspi;
    QString address;
};

void Accessibility::init()
{
    const QString launcher = QStringLiteral("/usr/libexec/at-spi-bus-launcher");
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() || !QFile::exists(launcher)
        || QProcess::execute(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import pyatspi")}) != 0)
        QSKIP("needs dbus-daemon, at-spi2-core and python3-pyatspi (scripts/setup.sh installs them)");
    bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                              QStringLiteral("--print-address=1")});
    QVERIFY(bus.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(bus.canReadLine(), 5000);
    address = QString::fromUtf8(bus.readLine()).trimmed();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    env.insert(QStringLiteral("DISPLAY"), screen.name());
    atspi.setProcessEnvironment(env);
    atspi.start(launcher, {QStringLiteral("--launch-immediately")});
    QVERIFY(atspi.waitForStarted(5000));
}

void Accessibility::cleanup()
{
    stopServer(atspi);
    stopServer(bus);
}

QStringList Accessibility::seen(const QStringList& arguments)
{
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    env.insert(QStringLiteral("DISPLAY"), screen.name());
    client.setProcessEnvironment(env);
    client.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral(KESTREL_E2E_DIR "/atspi_controls.py")} + arguments);
    client.waitForFinished(60000);
    return QString::fromUtf8(client.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void Accessibility::everyControlIsNamedOnTheBus_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("reportRate");
    QTest::addColumn<QString>("systemSetting");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("close");
    QTest::newRow("English") << "English" << "Report Rate" << "System setting" << "System Setting" << "Close";
    QTest::newRow("Chinese") << "ChineseSimplified" << "回报率" << "系统设置" << "系统设置" << "关闭";
}

void Accessibility::everyControlIsNamedOnTheBus()
{
    QFETCH(QString, language);
    QFETCH(QString, reportRate);
    QFETCH(QString, systemSetting);
    QFETCH(QString, dialog);
    QFETCH(QString, close);
    Program program(screen.name());
    program.environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    program.environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    QVERIFY(program.startShown(language));

    const auto unnamed = [](const QStringList& lines) {
        QStringList out;
        for (const QString& line : lines) {
            if (line.section(QLatin1Char('\t'), 1, 1).trimmed().isEmpty())
                out << line;
        }
        return out;
    };
    const QStringList main = seen();
    QVERIFY2(main.size() >= 40, qPrintable(main.join(QLatin1Char('\n'))));   // keys, pages, bars, title
    QCOMPARE(unnamed(main), QStringList());
    QVERIFY(main.contains(QStringLiteral("combo box\t") + reportRate + QLatin1Char('\t')));
    QVERIFY(main.contains(QStringLiteral("push button\t") + close + QLatin1Char('\t')));
    QVERIFY(main.filter(QRegularExpression(QStringLiteral("^slider\t.+\t[0-9]+\\.\\.[0-9]+$"))).size() >= 4);

    // Pressed through the bus as a client would: the dialog and its
    // controls, the radio buttons with their state.
    const QStringList opened = seen({QStringLiteral("--press"), systemSetting});
    QCOMPARE(unnamed(opened), QStringList());
    QVERIFY2(opened.contains(QStringLiteral("dialog\t") + dialog + QLatin1Char('\t')), qPrintable(opened.join(QLatin1Char('\n'))));
    QCOMPARE(opened.filter(QRegularExpression(QStringLiteral("^radio button\t.*\t(checked|unchecked)$"))).size(), 2);
    QCOMPARE(opened.filter(QStringLiteral("\tchecked")).filter(QStringLiteral("radio button")).size(), 1);
    QVERIFY(quit(program, screen));
}

QTEST_GUILESS_MAIN(Accessibility)
#include "tst_endtoend_accessibility.moc"
