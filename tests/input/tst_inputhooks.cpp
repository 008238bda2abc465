// The platform-neutral capture: the two maps and the layout flag, key edge
// detection with its two overrides, the button table, installing and
// removing both hooks, and the copy-data rule. Events go in as the Windows
// hooks deliver them; a fake source stands for the platform.
#include "copydata.h"
#include "inputhooks.h"

#include <QTest>

#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t KeyDown = 0x100, KeyUp = 0x101, SysKeyDown = 0x104, SysKeyUp = 0x105;
constexpr std::uint32_t Extended = 0x01, AltDown = 0x20, Up = 0x80;

struct Key
{
    int usage;
    bool down;
    void* context;
    bool operator==(const Key&) const = default;
};

struct Button
{
    int code;
    bool down;
    int x, y;
    void* context;
    bool operator==(const Button&) const = default;
};

std::vector<Key> keys;
std::vector<Button> buttons;

void recordKey(unsigned char usage, bool down, void* context)
{
    keys.push_back({usage, down, context});
}

void recordButton(unsigned char code, bool down, int x, int y, void* context)
{
    buttons.push_back({code, down, x, y, context});
}

// Stands for the platform: installs as told and records what was asked of it.
struct FakeSource final : InputEventSource
{
    struct State
    {
        bool keyboardWorks = true, mouseWorks = true;
        bool keyboardOn = false, mouseOn = false;
        std::vector<QString> calls;
    };
    explicit FakeSource(State& state)
        : s(state)
    {
    }
    bool installKeyboard(InputEventSink&) override
    {
        s.calls.push_back(QStringLiteral("install keyboard"));
        s.keyboardOn = s.keyboardWorks;
        return s.keyboardWorks;
    }
    bool installMouse(InputEventSink&) override
    {
        s.calls.push_back(QStringLiteral("install mouse"));
        s.mouseOn = s.mouseWorks;
        return s.mouseWorks;
    }
    void removeKeyboard() override
    {
        s.calls.push_back(QStringLiteral("remove keyboard"));
        s.keyboardOn = false;
    }
    void removeMouse() override
    {
        s.calls.push_back(QStringLiteral("remove mouse"));
        s.mouseOn = false;
    }
    State& s;
};

// Hooks with both maps built and the recording callbacks set.
struct Capture
{
    explicit Capture(bool layoutFlag = false)
        : hooks(std::make_unique<FakeSource>(state))
    {
        keys.clear();
        buttons.clear();
        hooks.init(layoutFlag);
        hooks.setKeyboardCallback(&recordKey, this);
        hooks.setMouseCallback(&recordButton, this);
    }
    void press(std::uint32_t scan, std::uint32_t flags = 0) { hooks.handleKeyEvent(0, KeyDown, scan, flags); }
    void release(std::uint32_t scan, std::uint32_t flags = 0) { hooks.handleKeyEvent(0, KeyUp, scan, flags | Up); }
    // One press and release; the usage reported for it, or -1 for none.
    int tap(std::uint32_t scan, std::uint32_t flags = 0)
    {
        const std::size_t before = keys.size();
        press(scan, flags);
        release(scan, flags);
        if (keys.size() == before)
            return -1;
        if (keys.size() != before + 2 || keys[before].usage != keys[before + 1].usage || !keys[before].down
            || keys[before + 1].down)
            return -2;   // not one clean down and up
        return keys[before].usage;
    }

    FakeSource::State state;
    InputHooks hooks;
};

std::optional<std::string> rule(std::uintptr_t identifier, std::uint32_t byteCount, const void* data)
{
    const CopyDataRecord record{identifier, byteCount, data};
    return copyDataWarningText(&record);
}

std::vector<std::string> copyDataTexts;
void recordCopyData(const CopyDataRecord* record, void* context)
{
    if (auto text = copyDataWarningText(record))
        copyDataTexts.push_back(*text);
    QVERIFY(context != nullptr);
}

} // namespace

class InputHooksTest : public QObject
{
    Q_OBJECT

private slots:
    void mapsHaveTheirRows();
    void layoutFlagSelectsTheBackslashUsage();

    void heldKeyGivesOneDownAndOneUp();
    void onlyAnActionWithKeyDownCountsAsDown();
    void releaseNeverSeenPressedIsNotReported();
    void stateFollowsKeysEvenWithoutCallback();
    void enterKeys();
    void altPrintScreenAndCtrlBreak();
    void shiftKeysAndTheExtendedFlag();
    void keysWithoutRowsAreNotReported();
    void scanCodesAboveAByteDoNotAlias();

    void clickGivesDownAndUpWithCoordinates();
    void doubleClicksAndOtherMessagesAreNeverReported();
    void buttonsHaveNoEdgeDetection();

    void installsBothHooksOrNone();
    void reinstallingUnhooksFirst();
    void removesKeyboardThenMouse();

    void copyDataMessageGoesToTheHandler();
    void copyDataRule();
};

// ---- maps ---------------------------------------------------------------------

void InputHooksTest::mapsHaveTheirRows()
{
    const auto scan = InputHooks::buildScanCodeMap();
    const auto vk = InputHooks::buildVirtualKeyMap(false);
    QCOMPARE(scan.size(), std::size_t(106));
    QCOMPARE(vk.size(), std::size_t(121));

    // The rows that differ from a plain set-1 table.
    QCOMPARE(scan.at(0x1C01), 0x0E);   // keypad Enter: a code of its own
    QCOMPARE(scan.at(0x1C00), 0x0D);
    QCOMPARE(scan.at(0x3601), 0xA1);   // right Shift only with the flag
    QCOMPARE(scan.count(0x3600), std::size_t(0));
    QCOMPARE(scan.at(0x4500), 0x13);   // Pause
    QCOMPARE(scan.at(0x4501), 0x90);   // Num Lock
    QCOMPARE(scan.at(0x3701), 0x2C);   // Print Screen
    QCOMPARE(scan.at(0x6E00), 0x86);
    QCOMPARE(scan.at(0x5B01), 0x5B);   // left Windows key
    QCOMPARE(scan.at(0x5C01), 0x5C);   // right Windows key, like its twin
    QCOMPARE(scan.count(0x5C00), std::size_t(0));
    QCOMPARE(vk.at(0x0E), 0x58);
    QCOMPARE(vk.at(0xC1), 0x87);
    QCOMPARE(vk.at(0xC2), 0x85);
    QCOMPARE(vk.at(0xEB), 0x8B);
    QCOMPARE(vk.at(0xFF), 0x66);

    // Every key the first map knows reaches a usage through the second.
    for (const auto& [key, code] : scan)
        QVERIFY2(vk.count(code) && vk.at(code) != 0, qPrintable(QString::number(key, 16)));

    // Both are built by init, not before.
    FakeSource::State state;
    InputHooks hooks(std::make_unique<FakeSource>(state));
    QVERIFY(hooks.scanCodeMap().empty());
    hooks.init(false);
    QCOMPARE(hooks.scanCodeMap(), scan);
    QCOMPARE(hooks.virtualKeyMap(), vk);
}

void InputHooksTest::layoutFlagSelectsTheBackslashUsage()
{
    const auto us = InputHooks::buildVirtualKeyMap(false);
    const auto other = InputHooks::buildVirtualKeyMap(true);
    QCOMPARE(us.at(0xDC), 0x31);
    QCOMPARE(other.at(0xDC), 0x32);
    QCOMPARE(other.size(), us.size());
    auto rest = other;
    rest[0xDC] = 0x31;
    QCOMPARE(rest, us);   // nothing else changes

    Capture flagged(true);
    QVERIFY(flagged.hooks.layoutFlag());
    QCOMPARE(flagged.tap(0x2B), 0x32);
    // A later init with the flag cleared builds the map again.
    flagged.hooks.init(false);
    QVERIFY(!flagged.hooks.layoutFlag());
    QCOMPARE(flagged.tap(0x2B), 0x31);
}

// ---- keys ---------------------------------------------------------------------

void InputHooksTest::heldKeyGivesOneDownAndOneUp()
{
    Capture capture;
    for (int repeat = 0; repeat < 5; ++repeat)
        capture.press(0x1E);
    QCOMPARE(keys, (std::vector<Key>{{0x04, true, &capture}}));
    QVERIFY(capture.hooks.keyState(0x04));
    capture.release(0x1E);
    QCOMPARE(keys, (std::vector<Key>{{0x04, true, &capture}, {0x04, false, &capture}}));
    QVERIFY(!capture.hooks.keyState(0x04));
    // The next press is a new edge.
    capture.press(0x1E);
    QCOMPARE(keys.size(), std::size_t(3));
}

void InputHooksTest::onlyAnActionWithKeyDownCountsAsDown()
{
    Capture capture;
    // System-key messages (Alt held) press and release like the others.
    capture.hooks.handleKeyEvent(0, SysKeyDown, 0x1E, AltDown);
    capture.hooks.handleKeyEvent(0, SysKeyUp, 0x1E, AltDown | Up);
    QCOMPARE(keys, (std::vector<Key>{{0x04, true, &capture}, {0x04, false, &capture}}));

    // A key-down with a hook code other than 0 is no action: it counts as up.
    keys.clear();
    capture.press(0x30);
    capture.hooks.handleKeyEvent(3, KeyDown, 0x30, 0);
    QCOMPARE(keys, (std::vector<Key>{{0x05, true, &capture}, {0x05, false, &capture}}));
    // So does any other message.
    keys.clear();
    capture.press(0x2E);
    capture.hooks.handleKeyEvent(0, 0x102, 0x2E, 0);
    QCOMPARE(keys, (std::vector<Key>{{0x06, true, &capture}, {0x06, false, &capture}}));
}

void InputHooksTest::releaseNeverSeenPressedIsNotReported()
{
    Capture capture;
    capture.release(0x1E);
    capture.release(0x1E);
    QVERIFY(keys.empty());
}

void InputHooksTest::stateFollowsKeysEvenWithoutCallback()
{
    Capture capture;
    capture.hooks.setKeyboardCallback(nullptr, nullptr);
    capture.press(0x1E);
    QVERIFY(capture.hooks.keyState(0x04));
    capture.hooks.setKeyboardCallback(&recordKey, &capture);
    capture.press(0x1E);   // still held: no new edge
    QVERIFY(keys.empty());
    capture.release(0x1E);
    QCOMPARE(keys, (std::vector<Key>{{0x04, false, &capture}}));
}

void InputHooksTest::enterKeys()
{
    Capture capture;
    QCOMPARE(capture.tap(0x1C, Extended), 0x58);   // keypad Enter
    QCOMPARE(capture.tap(0x1C), 0x28);             // Enter
    // Separate keys: holding one does not hide the other.
    capture.press(0x1C, Extended);
    QCOMPARE(capture.tap(0x1C), 0x28);
}

void InputHooksTest::altPrintScreenAndCtrlBreak()
{
    Capture capture;
    QCOMPARE(capture.tap(0x54, AltDown), 0x46);   // Alt+Print Screen
    QCOMPARE(capture.tap(0x54), -1);              // 0x54 without Alt has no row
    QCOMPARE(capture.tap(0x37, Extended), 0x46);  // Print Screen alone
    QCOMPARE(capture.tap(0x46, Extended), 0x48);  // Ctrl+Break
    QCOMPARE(capture.tap(0x46), 0x47);            // Scroll Lock
    QCOMPARE(capture.tap(0x45), 0x48);            // Pause
    QCOMPARE(capture.tap(0x45, Extended), 0x53);  // Num Lock
}

void InputHooksTest::shiftKeysAndTheExtendedFlag()
{
    Capture capture;
    QCOMPARE(capture.tap(0x36, Extended), 0xE5);
    QCOMPARE(capture.tap(0x36), -1);
    QCOMPARE(capture.tap(0x2A), 0xE1);
    // The flag picks the key, whatever other flag bits are set.
    QCOMPARE(capture.tap(0x1D, Extended | 0x10), 0xE4);   // right Ctrl, injected
    QCOMPARE(capture.tap(0x1D, 0x10), 0xE0);
    // The Windows keys, both extended: left GUI and right GUI.
    QCOMPARE(capture.tap(0x5B, Extended), 0xE3);
    QCOMPARE(capture.tap(0x5C, Extended), 0xE7);
    QCOMPARE(capture.tap(0x5C), -1);
}

void InputHooksTest::keysWithoutRowsAreNotReported()
{
    Capture capture;
    QCOMPARE(capture.tap(0x20, Extended), -1);   // Mute
    QCOMPARE(capture.tap(0x64), -1);             // F13
    QCOMPARE(capture.tap(0), -1);
    QVERIFY(keys.empty());
}

void InputHooksTest::scanCodesAboveAByteDoNotAlias()
{
    Capture capture;
    QCOMPARE(capture.tap(0x11E), -1);            // not A (0x1E)
    QCOMPARE(capture.tap(0x136, Extended), -1);  // not right Shift
    QVERIFY(keys.empty());
}

// ---- buttons ------------------------------------------------------------------

void InputHooksTest::clickGivesDownAndUpWithCoordinates()
{
    Capture capture;
    capture.hooks.handleMouseEvent(0x201, 100, 200);
    capture.hooks.handleMouseEvent(0x202, 100, 200);
    capture.hooks.handleMouseEvent(0x204, -1920, 5);   // a screen left of the primary one
    capture.hooks.handleMouseEvent(0x205, -1920, 5);
    capture.hooks.handleMouseEvent(0x207, 0, 0);
    capture.hooks.handleMouseEvent(0x208, 0, 0);
    QCOMPARE(buttons, (std::vector<Button>{{0xF0, true, 100, 200, &capture},
                                           {0xF0, false, 100, 200, &capture},
                                           {0xF1, true, -1920, 5, &capture},
                                           {0xF1, false, -1920, 5, &capture},
                                           {0xF2, true, 0, 0, &capture},
                                           {0xF2, false, 0, 0, &capture}}));
}

void InputHooksTest::doubleClicksAndOtherMessagesAreNeverReported()
{
    Capture capture;
    for (std::uint32_t message : {0x203u, 0x206u, 0x209u, 0x200u, 0x20Au, 0x20Bu, 0x20Cu, 0x20Du, 0x20Eu, 0x1FFu,
                                  0u, 0x100u, 0xFFFFFFFFu})
        capture.hooks.handleMouseEvent(message, 1, 2);
    QVERIFY(buttons.empty());
    // And without a callback nothing is called.
    capture.hooks.setMouseCallback(nullptr, nullptr);
    capture.hooks.handleMouseEvent(0x201, 1, 2);
    QVERIFY(buttons.empty());
}

void InputHooksTest::buttonsHaveNoEdgeDetection()
{
    Capture capture;
    capture.hooks.handleMouseEvent(0x201, 1, 1);
    capture.hooks.handleMouseEvent(0x201, 2, 2);
    capture.hooks.handleMouseEvent(0x202, 3, 3);
    capture.hooks.handleMouseEvent(0x202, 4, 4);
    QCOMPARE(buttons.size(), std::size_t(4));
    QCOMPARE(buttons[1], (Button{0xF0, true, 2, 2, &capture}));
    QCOMPARE(buttons[3], (Button{0xF0, false, 4, 4, &capture}));
}

// ---- installing ---------------------------------------------------------------

void InputHooksTest::installsBothHooksOrNone()
{
    {
        FakeSource::State state;
        InputHooks hooks(std::make_unique<FakeSource>(state));
        QVERIFY(hooks.init(false));
        QVERIFY(hooks.keyboardHookInstalled() && hooks.mouseHookInstalled());
        QVERIFY(state.keyboardOn && state.mouseOn);
        QCOMPARE(state.calls, (std::vector<QString>{"install keyboard", "install mouse"}));
    }
    {
        // The mouse hook fails: the keyboard hook does not stay behind.
        FakeSource::State state;
        state.mouseWorks = false;
        InputHooks hooks(std::make_unique<FakeSource>(state));
        QVERIFY(!hooks.init(false));
        QVERIFY(!hooks.keyboardHookInstalled() && !hooks.mouseHookInstalled());
        QVERIFY(!state.keyboardOn && !state.mouseOn);
        // The maps are built all the same.
        QCOMPARE(hooks.scanCodeMap().size(), std::size_t(106));
    }
    {
        FakeSource::State state;
        state.keyboardWorks = false;
        InputHooks hooks(std::make_unique<FakeSource>(state));
        QVERIFY(!hooks.installHooks());
        QVERIFY(!state.keyboardOn && !state.mouseOn);
        QVERIFY(!hooks.keyboardHookInstalled() && !hooks.mouseHookInstalled());
    }
    {
        // Destroying the hooks removes them: nothing may call into a dead object.
        FakeSource::State state;
        {
            InputHooks hooks(std::make_unique<FakeSource>(state));
            QVERIFY(hooks.installHooks());
        }
        QVERIFY(!state.keyboardOn && !state.mouseOn);
    }
}

void InputHooksTest::reinstallingUnhooksFirst()
{
    FakeSource::State state;
    InputHooks hooks(std::make_unique<FakeSource>(state));
    QVERIFY(hooks.installHooks());
    state.calls.clear();
    QVERIFY(hooks.installHooks());
    QCOMPARE(state.calls,
             (std::vector<QString>{"remove keyboard", "remove mouse", "install keyboard", "install mouse"}));
}

void InputHooksTest::removesKeyboardThenMouse()
{
    FakeSource::State state;
    InputHooks hooks(std::make_unique<FakeSource>(state));
    hooks.installHooks();
    state.calls.clear();
    hooks.removeHooks();
    QCOMPARE(state.calls, (std::vector<QString>{"remove keyboard", "remove mouse"}));
    QVERIFY(!hooks.keyboardHookInstalled() && !hooks.mouseHookInstalled());
    // Removing again asks nothing of the source.
    hooks.removeHooks();
    QCOMPARE(state.calls.size(), std::size_t(2));
}

// ---- copy data ----------------------------------------------------------------

void InputHooksTest::copyDataMessageGoesToTheHandler()
{
    Capture capture;
    copyDataTexts.clear();
    const char text[] = "Hi";
    const CopyDataRecord record{9487, 2, text};
    std::intptr_t result = 42;

    // No handler yet: the message is left alone.
    QVERIFY(!capture.hooks.handleNativeMessage(74, &record, &result));
    QCOMPARE(result, std::intptr_t(42));

    capture.hooks.setCopyDataHandler(&recordCopyData, &capture);
    QVERIFY(!capture.hooks.handleNativeMessage(0x112, &record, &result));   // not WM_COPYDATA
    QVERIFY(copyDataTexts.empty());
    QVERIFY(capture.hooks.handleNativeMessage(74, &record, &result));
    QCOMPARE(result, std::intptr_t(1));
    QCOMPARE(copyDataTexts, (std::vector<std::string>{"Hi"}));

    // A request the handler does not show is still taken.
    const CopyDataRecord withNul{9487, 3, text};
    result = 0;
    QVERIFY(capture.hooks.handleNativeMessage(74, &withNul, &result));
    QCOMPARE(result, std::intptr_t(1));
    QCOMPARE(copyDataTexts.size(), std::size_t(1));
}

void InputHooksTest::copyDataRule()
{
    const char hi[] = "Hi";
    QCOMPARE(rule(9487, 2, hi).value_or("<none>"), std::string("Hi"));
    // The terminator counted in: the decoded text is one byte short.
    QVERIFY(!rule(9487, 3, hi));
    QVERIFY(!rule(9488, 2, hi));
    QVERIFY(!rule(0, 2, hi));

    // Bytes past the count belong to nothing: they are never part of the text.
    const char longer[] = {'H', 'i', 'X', 'Y'};
    QCOMPARE(rule(9487, 2, longer).value_or("<none>"), std::string("Hi"));
    // A NUL inside the count ends the text early.
    const char inner[] = {'H', '\0', 'i'};
    QVERIFY(!rule(9487, 3, inner));

    // The count is in bytes of UTF-8, not in characters.
    const char umlaut[] = "Gr\xc3\xbc\xc3\x9f" "e";   // "Grüße", 7 bytes
    QCOMPARE(rule(9487, 7, umlaut).value_or("<none>"), std::string(umlaut));
    QVERIFY(!rule(9487, 5, umlaut));   // cut inside ß
    QVERIFY(!rule(9487, 3, umlaut));   // cut inside ü
    // Not UTF-8 at all: decoding would change it, so nothing is shown.
    QVERIFY(!rule(9487, 2, "\xff\xfe"));
    QVERIFY(!rule(9487, 3, "\xe0\x80\xaf"));   // overlong "/"
    QVERIFY(!rule(9487, 3, "\xed\xa0\x80"));   // a lone surrogate

    // No data behind a count, or no record at all: nothing is read.
    QVERIFY(!rule(9487, 2, nullptr));
    QVERIFY(!copyDataWarningText(nullptr));
}

QTEST_GUILESS_MAIN(InputHooksTest)
#include "tst_inputhooks.moc"
