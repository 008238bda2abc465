// The X key code -> set-1 scan code translation, for every key of a US
// keyboard and a few beyond it. Key codes come from the X server's own key
// names (xkeyboard-config's evdev key codes), expected scan codes are those
// the Windows low-level hook reports, and expected usages are the HID Usage
// Tables' keyboard page: so each row also proves that the translation feeds
// the capture's maps the way a Windows keyboard would.
#include "inputhooks.h"
#include "x11keymap.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString kKeycodesFile = QStringLiteral("/usr/share/X11/xkb/keycodes/evdev");

struct UsKey
{
    const char* name;   // xkb key name
    std::uint16_t scan;
    bool extended;
    int usage;          // -1: the capture reports nothing for it
};

constexpr bool E = true, P = false;

// The 104 keys of a US keyboard, row by row.
constexpr UsKey kUsKeyboard[] = {
    {"ESC", 0x01, P, 0x29},
    {"FK01", 0x3B, P, 0x3A}, {"FK02", 0x3C, P, 0x3B}, {"FK03", 0x3D, P, 0x3C}, {"FK04", 0x3E, P, 0x3D},
    {"FK05", 0x3F, P, 0x3E}, {"FK06", 0x40, P, 0x3F}, {"FK07", 0x41, P, 0x40}, {"FK08", 0x42, P, 0x41},
    {"FK09", 0x43, P, 0x42}, {"FK10", 0x44, P, 0x43}, {"FK11", 0x57, P, 0x44}, {"FK12", 0x58, P, 0x45},
    {"PRSC", 0x37, E, 0x46}, {"SCLK", 0x46, P, 0x47}, {"PAUS", 0x45, P, 0x48},

    {"TLDE", 0x29, P, 0x35},
    {"AE01", 0x02, P, 0x1E}, {"AE02", 0x03, P, 0x1F}, {"AE03", 0x04, P, 0x20}, {"AE04", 0x05, P, 0x21},
    {"AE05", 0x06, P, 0x22}, {"AE06", 0x07, P, 0x23}, {"AE07", 0x08, P, 0x24}, {"AE08", 0x09, P, 0x25},
    {"AE09", 0x0A, P, 0x26}, {"AE10", 0x0B, P, 0x27}, {"AE11", 0x0C, P, 0x2D}, {"AE12", 0x0D, P, 0x2E},
    {"BKSP", 0x0E, P, 0x2A},
    {"INS", 0x52, E, 0x49}, {"HOME", 0x47, E, 0x4A}, {"PGUP", 0x49, E, 0x4B},
    {"NMLK", 0x45, E, 0x53}, {"KPDV", 0x35, E, 0x54}, {"KPMU", 0x37, P, 0x55}, {"KPSU", 0x4A, P, 0x56},

    {"TAB", 0x0F, P, 0x2B},
    {"AD01", 0x10, P, 0x14}, {"AD02", 0x11, P, 0x1A}, {"AD03", 0x12, P, 0x08}, {"AD04", 0x13, P, 0x15},
    {"AD05", 0x14, P, 0x17}, {"AD06", 0x15, P, 0x1C}, {"AD07", 0x16, P, 0x18}, {"AD08", 0x17, P, 0x0C},
    {"AD09", 0x18, P, 0x12}, {"AD10", 0x19, P, 0x13}, {"AD11", 0x1A, P, 0x2F}, {"AD12", 0x1B, P, 0x30},
    {"BKSL", 0x2B, P, 0x31},
    {"DELE", 0x53, E, 0x4C}, {"END", 0x4F, E, 0x4D}, {"PGDN", 0x51, E, 0x4E},
    {"KP7", 0x47, P, 0x5F}, {"KP8", 0x48, P, 0x60}, {"KP9", 0x49, P, 0x61}, {"KPAD", 0x4E, P, 0x57},

    {"CAPS", 0x3A, P, 0x39},
    {"AC01", 0x1E, P, 0x04}, {"AC02", 0x1F, P, 0x16}, {"AC03", 0x20, P, 0x07}, {"AC04", 0x21, P, 0x09},
    {"AC05", 0x22, P, 0x0A}, {"AC06", 0x23, P, 0x0B}, {"AC07", 0x24, P, 0x0D}, {"AC08", 0x25, P, 0x0E},
    {"AC09", 0x26, P, 0x0F}, {"AC10", 0x27, P, 0x33}, {"AC11", 0x28, P, 0x34},
    {"RTRN", 0x1C, P, 0x28},
    {"KP4", 0x4B, P, 0x5C}, {"KP5", 0x4C, P, 0x5D}, {"KP6", 0x4D, P, 0x5E},

    {"LFSH", 0x2A, P, 0xE1},
    {"AB01", 0x2C, P, 0x1D}, {"AB02", 0x2D, P, 0x1B}, {"AB03", 0x2E, P, 0x06}, {"AB04", 0x2F, P, 0x19},
    {"AB05", 0x30, P, 0x05}, {"AB06", 0x31, P, 0x11}, {"AB07", 0x32, P, 0x10}, {"AB08", 0x33, P, 0x36},
    {"AB09", 0x34, P, 0x37}, {"AB10", 0x35, P, 0x38},
    {"RTSH", 0x36, E, 0xE5},
    {"UP", 0x48, E, 0x52},
    {"KP1", 0x4F, P, 0x59}, {"KP2", 0x50, P, 0x5A}, {"KP3", 0x51, P, 0x5B}, {"KPEN", 0x1C, E, 0x58},

    {"LCTL", 0x1D, P, 0xE0}, {"LWIN", 0x5B, E, 0xE3}, {"LALT", 0x38, P, 0xE2}, {"SPCE", 0x39, P, 0x2C},
    {"RALT", 0x38, E, 0xE6}, {"RWIN", 0x5C, E, 0xE7}, {"COMP", 0x5D, E, 0x65}, {"RCTL", 0x1D, E, 0xE4},
    {"LEFT", 0x4B, E, 0x50}, {"DOWN", 0x50, E, 0x51}, {"RGHT", 0x4D, E, 0x4F},
    {"KP0", 0x52, P, 0x62}, {"KPDL", 0x53, P, 0x63},
};

// Keys beyond the US layout that a Windows keyboard also has.
constexpr UsKey kOtherKeys[] = {
    {"LSGT", 0x56, P, 0x64},   // the ISO key between left Shift and Z
    {"KPEQ", 0x59, P, -1},
    {"AB11", 0x73, P, -1},     // Japanese Ro
    {"AE13", 0x7D, P, -1},     // Yen
    {"HENK", 0x79, P, -1},
    {"MUHE", 0x7B, P, -1},
    {"FK13", 0x64, P, -1},
    {"FK23", 0x6E, P, 0x72},   // the scan-code map's 6E row
    {"FK24", 0x76, P, -1},
    {"MUTE", 0x20, E, -1},     // media keys are not reported
};

QHash<QString, unsigned> xKeycodes()
{
    QHash<QString, unsigned> codes;
    QFile file(kKeycodesFile);
    if (!file.open(QIODevice::ReadOnly))
        return codes;
    static const QRegularExpression line(QStringLiteral(R"(^\s*<(\w+)>\s*=\s*(\d+)\s*;)"));
    for (const QString& text : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = line.match(text);
        if (match.hasMatch())
            codes.insert(match.captured(1), match.captured(2).toUInt());
    }
    return codes;
}

// The usage the capture reports for one press of the key, -1 for none.
int usageThroughTheCapture(InputHooks& hooks, PcScanCode scan, std::uint32_t flags = 0)
{
    static int reported;
    reported = -1;
    hooks.setKeyboardCallback([](unsigned char usage, bool down, void*) {
        if (down)
            reported = usage;
    }, nullptr);
    flags |= scan.extended ? 0x01 : 0;
    hooks.handleKeyEvent(0, 0x100, scan.code, flags);
    hooks.handleKeyEvent(0, 0x101, scan.code, flags | 0x80);
    return reported;
}

} // namespace

class X11KeymapTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void usKeyboard_data();
    void usKeyboard();
    void keysBeyondTheUsLayout();
    void modifiedPrintScreenAndPause();
    void codesWithoutKeys();

private:
    QHash<QString, unsigned> keycodes;
    InputHooks hooks{std::unique_ptr<InputEventSource>()};
};

void X11KeymapTest::initTestCase()
{
    keycodes = xKeycodes();
    QVERIFY2(!keycodes.isEmpty(), qPrintable(kKeycodesFile + QStringLiteral(" unreadable (xkb-data)")));
    QVERIFY(!hooks.init(false));   // no source: the maps alone
    QCOMPARE(std::size(kUsKeyboard), std::size_t(104));
}

void X11KeymapTest::usKeyboard_data()
{
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(std::size(kUsKeyboard)); ++i)
        QTest::newRow(kUsKeyboard[i].name) << i;
}

void X11KeymapTest::usKeyboard()
{
    QFETCH(int, row);
    const UsKey& key = kUsKeyboard[row];
    QVERIFY2(keycodes.contains(QLatin1String(key.name)), key.name);
    const PcScanCode scan = scanCodeForX11Key(keycodes.value(QLatin1String(key.name)));
    QCOMPARE(scan, (PcScanCode{key.scan, key.extended}));
    QCOMPARE(usageThroughTheCapture(hooks, scan), key.usage);
}

void X11KeymapTest::keysBeyondTheUsLayout()
{
    for (const UsKey& key : kOtherKeys) {
        QVERIFY2(keycodes.contains(QLatin1String(key.name)), key.name);
        const PcScanCode scan = scanCodeForX11Key(keycodes.value(QLatin1String(key.name)));
        QVERIFY2(scan == (PcScanCode{key.scan, key.extended}), key.name);
        QVERIFY2(usageThroughTheCapture(hooks, scan) == key.usage, key.name);
    }
}

void X11KeymapTest::modifiedPrintScreenAndPause()
{
    const unsigned print = keycodes.value(QStringLiteral("PRSC"));
    const unsigned pause = keycodes.value(QStringLiteral("PAUS"));
    // Alt+Print Screen comes as SysRq, Ctrl+Pause as Break; the capture
    // turns both back into the keys themselves.
    const PcScanCode sysRq = scanCodeForX11Key(print, true, false);
    QCOMPARE(sysRq, (PcScanCode{0x54, false}));
    QCOMPARE(usageThroughTheCapture(hooks, sysRq, 0x20), 0x46);
    const PcScanCode brk = scanCodeForX11Key(pause, false, true);
    QCOMPARE(brk, (PcScanCode{0x46, true}));
    QCOMPARE(usageThroughTheCapture(hooks, brk), 0x48);
    // The other modifier changes nothing.
    QCOMPARE(scanCodeForX11Key(print, false, true), (PcScanCode{0x37, true}));
    QCOMPARE(scanCodeForX11Key(pause, true, false), (PcScanCode{0x45, false}));
    // Nor does either modifier change any other key.
    for (const UsKey& key : kUsKeyboard) {
        const unsigned code = keycodes.value(QLatin1String(key.name));
        if (code == print || code == pause)
            continue;
        QVERIFY2(scanCodeForX11Key(code, true, true) == (PcScanCode{key.scan, key.extended}), key.name);
    }
}

void X11KeymapTest::codesWithoutKeys()
{
    for (unsigned code : {0u, 7u, 8u + 84u, 8u + 85u, 8u + 101u, 8u + 240u, 255u, 256u, 100000u})
        QVERIFY2(scanCodeForX11Key(code).code == 0, qPrintable(QString::number(code)));
    QCOMPARE(scanCodeForEvdev(0).code, std::uint16_t(0));
}

QTEST_GUILESS_MAIN(X11KeymapTest)
#include "tst_x11keymap.moc"
