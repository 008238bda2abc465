// The Linux pointer settings against real servers and tools: the cursor speed
// on an Xvfb of the test's own, read back over a second connection; the
// desktop settings with no desktop, with a GNOME settings store kept in a
// temporary directory, and with stand-in KDE tools.
//
// The process never reaches the user's own settings: the session bus is
// pointed at nothing and the configuration home is temporary throughout.
#include "debugcapture.h"
#include "environmentskip.h"
#include "pointersettings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "xvfbserver.h"

#include <memory>

#include <optional>

#include <X11/Xlib.h>

namespace {

const char* const kEnvironment[] = {
    "DISPLAY", "XDG_CURRENT_DESKTOP", "PATH", "GSETTINGS_BACKEND", "GSETTINGS_SCHEMA_DIR",
    "XDG_CONFIG_HOME", "DBUS_SESSION_BUS_ADDRESS", "FAKE_TOOL_LOG", "FAKE_TOOL_EXIT",
};

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray runAndRead(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000))
        return "did not finish";
    return process.readAllStandardOutput().trimmed();
}

// The GNOME key the adapter writes, in a schema the test compiles itself so
// the test does not depend on the desktop schemas being installed.
const QByteArray kGnomeMouseSchema = R"(<?xml version="1.0" encoding="UTF-8"?>
<schemalist>
  <schema id="org.gnome.desktop.peripherals.mouse" path="/org/gnome/desktop/peripherals/mouse/">
    <key name="double-click" type="i">
      <default>400</default>
    </key>
  </schema>
</schemalist>
)";

} // namespace

class TestPointerPlatform : public QObject
{
    Q_OBJECT

    std::unique_ptr<XvfbServer> xvfb;
    QByteArray displayName;
    Display* observer = nullptr;   // the second connection that reads the settings back
    QTemporaryDir configHome;
    QList<QPair<QByteArray, std::optional<QByteArray>>> savedEnvironment;

    void pointerControl(int* numerator, int* denominator)
    {
        int threshold = 0;
        XGetPointerControl(observer, numerator, denominator, &threshold);
    }

    // A GNOME session whose settings land in a key file under the temporary
    // configuration home, through the real gsettings tool.
    bool prepareGnomeStore(const QTemporaryDir& schemas)
    {
        if (!writeFile(schemas.filePath(QStringLiteral("org.gnome.desktop.peripherals.mouse.gschema.xml")),
                       kGnomeMouseSchema))
            return false;
        QProcess compile;
        compile.start(QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas")), {schemas.path()});
        if (!compile.waitForFinished(10000) || compile.exitCode() != 0)
            return false;
        qputenv("GSETTINGS_SCHEMA_DIR", schemas.path().toLocal8Bit());
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        return true;
    }

    bool haveGSettingsTools()
    {
        return !QStandardPaths::findExecutable(QStringLiteral("gsettings")).isEmpty()
            && !QStandardPaths::findExecutable(QStringLiteral("glib-compile-schemas")).isEmpty();
    }

    // Stand-ins for KDE's configuration writer: each records its arguments.
    void installFakeKdeTool(const QTemporaryDir& bin)
    {
        const QString tool = bin.filePath(QStringLiteral("kwriteconfig6"));
        QVERIFY(writeFile(tool, "#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"$FAKE_TOOL_LOG\"\nexit \"${FAKE_TOOL_EXIT:-0}\"\n"));
        QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("PATH", bin.path().toLocal8Bit() + ':' + qgetenv("PATH"));
        qputenv("FAKE_TOOL_LOG", bin.filePath(QStringLiteral("calls.log")).toLocal8Bit());
        qputenv("XDG_CURRENT_DESKTOP", "KDE");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(configHome.isValid());
        qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/kestrel-test-bus");
        PointerSettings::install(nullptr);

        // -terminate ends the server when the observer connection closes,
        // even if this test dies.
        xvfb = std::make_unique<XvfbServer>(QStringList{QStringLiteral("-terminate")}, QStringLiteral("640x480x24"));
        QVERIFY2(!xvfb->name().isEmpty(), "Xvfb did not report its display");
        displayName = xvfb->name().toLatin1();
        observer = XOpenDisplay(displayName.constData());
        QVERIFY2(observer, displayName.constData());
    }

    void cleanupTestCase()
    {
        if (observer)
            XCloseDisplay(observer);
        observer = nullptr;
        xvfb.reset();
    }

    void init()
    {
        savedEnvironment.clear();
        for (const char* name : kEnvironment) {
            std::optional<QByteArray> value;
            if (qEnvironmentVariableIsSet(name))
                value = qgetenv(name);
            savedEnvironment.append({QByteArray(name), value});
        }
        qputenv("DISPLAY", displayName);
        qunsetenv("XDG_CURRENT_DESKTOP");
        qunsetenv("GSETTINGS_BACKEND");
        qunsetenv("GSETTINGS_SCHEMA_DIR");
    }

    void cleanup()
    {
        for (const auto& [name, value] : savedEnvironment) {
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }

    void cursorSpeedIsThePointerAcceleration_data()
    {
        QTest::addColumn<unsigned>("step");
        QTest::addColumn<int>("numerator");
        // Rows run in this order; each expects something the previous one
        // did not leave, and the server starts at 2/1.
        QTest::newRow("step 0") << 0u << 1;
        QTest::newRow("step 5") << 5u << 10;
        QTest::newRow("step 10") << 10u << 20;
    }
    void cursorSpeedIsThePointerAcceleration()
    {
        QFETCH(unsigned, step);
        QFETCH(int, numerator);
        DebugCapture debug;
        setCursorSpeed(step);
        QCOMPARE(debug.lines(), QStringList());
        int readNumerator = 0, readDenominator = 0;
        pointerControl(&readNumerator, &readDenominator);
        QCOMPARE(readNumerator, numerator);
        QCOMPARE(readDenominator, 10);
    }

    void speedOutsideTheRangeIsRefusedAndChangesNothing()
    {
        QVERIFY(PointerSettings::platform().setMouseSpeed(7));
        QVERIFY(!PointerSettings::platform().setMouseSpeed(0));
        QVERIFY(!PointerSettings::platform().setMouseSpeed(21));
        int numerator = 0, denominator = 0;
        pointerControl(&numerator, &denominator);
        QCOMPARE(numerator, 7);
        QCOMPARE(denominator, 10);
    }

    void cursorSpeedWithoutDisplayWritesTheLine()
    {
        qunsetenv("DISPLAY");
        DebugCapture debug;
        setCursorSpeed(5);
        QCOMPARE(debug.lines(), QStringList{QStringLiteral("setCursorSpeed Failed")});
    }

    void cursorSpeedWithNoServerWritesTheLine()
    {
        int unused = 5000;
        while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(unused))
               || QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(unused)))
            ++unused;
        qputenv("DISPLAY", ':' + QByteArray::number(unused));
        DebugCapture debug;
        setCursorSpeed(5);
        QCOMPARE(debug.lines(), QStringList{QStringLiteral("setCursorSpeed Failed")});
    }

    void withoutDesktopDoubleClickAndWheelWriteTheirLines()
    {
        DebugCapture debug;
        setDoubleClickSpeed(4);
        setVerticalScrollLines(3);
        setVerticalScrollLines(1000);
        QCOMPARE(debug.lines(), (QStringList{QStringLiteral("setDoubleClickSpeed Failed"),
                                             QStringLiteral("setVerticalScrollLines Failed"),
                                             QStringLiteral("setVerticalScrollLines Failed")}));
    }

    void unknownDesktopWritesTheLines()
    {
        qputenv("XDG_CURRENT_DESKTOP", "NoSuchDesktop");
        DebugCapture debug;
        setDoubleClickSpeed(4);
        setVerticalScrollLines(3);
        QCOMPARE(debug.lines(), (QStringList{QStringLiteral("setDoubleClickSpeed Failed"),
                                             QStringLiteral("setVerticalScrollLines Failed")}));
    }

    void gnomeStoresTheDoubleClickTime()
    {
        if (!haveGSettingsTools())
            ENVIRONMENT_SKIP("gsettings and glib-compile-schemas are not installed");
        QTemporaryDir schemas;
        QVERIFY(prepareGnomeStore(schemas));
        qputenv("GSETTINGS_BACKEND", "keyfile");

        DebugCapture debug;
        setDoubleClickSpeed(6);
        QCOMPARE(debug.lines(), QStringList());
        const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
        QCOMPARE(runAndRead(gsettings, {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.peripherals.mouse"),
                                        QStringLiteral("double-click")}),
                 QByteArray("480"));
        QVERIFY(readFile(configHome.filePath(QStringLiteral("glib-2.0/settings/keyfile"))).contains("double-click=480"));

        setDoubleClickSpeed(0);
        QCOMPARE(runAndRead(gsettings, {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.peripherals.mouse"),
                                        QStringLiteral("double-click")}),
                 QByteArray("900"));
        QCOMPARE(debug.lines(), QStringList());
    }

    void gnomeHasNoWheelLines()
    {
        if (!haveGSettingsTools())
            ENVIRONMENT_SKIP("gsettings and glib-compile-schemas are not installed");
        QTemporaryDir schemas;
        QVERIFY(prepareGnomeStore(schemas));
        qputenv("GSETTINGS_BACKEND", "keyfile");

        DebugCapture debug;
        setVerticalScrollLines(3);
        QCOMPARE(debug.lines(), QStringList{QStringLiteral("setVerticalScrollLines Failed")});
    }

    void gnomeWriteThatIsNotStoredWritesTheLine()
    {
        if (!haveGSettingsTools())
            ENVIRONMENT_SKIP("gsettings and glib-compile-schemas are not installed");
        // The default store (dconf) with no session bus: gsettings accepts the
        // write and exits with 0, yet the value never arrives.
        QTemporaryDir schemas;
        QVERIFY(prepareGnomeStore(schemas));

        DebugCapture debug;
        setDoubleClickSpeed(6);
        QCOMPARE(debug.lines(), QStringList{QStringLiteral("setDoubleClickSpeed Failed")});
    }

    void kdeWritesBothSettingsToItsGlobals()
    {
        QTemporaryDir bin;
        installFakeKdeTool(bin);
        DebugCapture debug;
        setDoubleClickSpeed(6);
        setVerticalScrollLines(1000);
        QCOMPARE(debug.lines(), QStringList());
        QCOMPARE(readFile(bin.filePath(QStringLiteral("calls.log"))),
                 QByteArray("--file kdeglobals --group KDE --key DoubleClickInterval 480\n"
                            "--file kdeglobals --group KDE --key WheelScrollLines 1000\n"));
    }

    void kdeToolThatFailsWritesTheLines()
    {
        QTemporaryDir bin;
        installFakeKdeTool(bin);
        qputenv("FAKE_TOOL_EXIT", "1");
        DebugCapture debug;
        setDoubleClickSpeed(6);
        setVerticalScrollLines(3);
        QCOMPARE(debug.lines(), (QStringList{QStringLiteral("setDoubleClickSpeed Failed"),
                                             QStringLiteral("setVerticalScrollLines Failed")}));
        // The tool was asked, and said no.
        QCOMPARE(readFile(bin.filePath(QStringLiteral("calls.log"))).count('\n'), 2);
    }
};

QTEST_GUILESS_MAIN(TestPointerPlatform)
#include "tst_pointerplatform.moc"
