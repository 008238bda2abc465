// The main window's side of the capture: the keyboard and mouse callbacks
// reach the main document's detectKeyboard and detectMouse queued, and the
// copy-data handler shows its warning with the window's title. The warning
// box is swapped for a recorder, so no modal dialog blocks the test.
#include "fixturetree.h"
#include "inputhooks.h"
#include "myqquickview.h"
#include "widget.h"

#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Shown
{
    QString title, text;
};
QList<Shown> shown;

void recordWarning(const QString& title, const QString& text)
{
    shown.append({title, text});
}

} // namespace

class WindowCallbacksTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keysReachTheDocumentQueued();
    void buttonsReachTheDocumentQueued();
    void nullContextDoesNothing();
    void copyDataShowsTheWarningWithTheTitle();
    void registeredWithTheHooks();

private:
    std::unique_ptr<FixtureTree> tree;
    WarningBoxFunction savedWarningBox = nullptr;
};

void WindowCallbacksTest::init()
{
    tree = std::make_unique<FixtureTree>();
    tree->setGlobal(QStringLiteral("common/name"), QStringLiteral("Kestrel Orbit"));
    savedWarningBox = showWarningBox;
    showWarningBox = &recordWarning;
    shown.clear();
}

void WindowCallbacksTest::cleanup()
{
    showWarningBox = savedWarningBox;
    tree.reset();
}

void WindowCallbacksTest::keysReachTheDocumentQueued()
{
    Widget window;
    QQuickItem* root = window.view()->rootObject();
    QVERIFY(root);
    QSignalSpy keys(root, SIGNAL(msg_KB(bool,int)));
    Widget::keyboardEvent(0x04, true, &window);
    Widget::keyboardEvent(0xE5, false, &window);
    // Nothing happens inside the hook itself.
    QCOMPARE(keys.size(), 0);
    QTRY_COMPARE(keys.size(), 2);
    QCOMPARE(keys[0], (QVariantList{true, 4}));
    QCOMPARE(keys[1], (QVariantList{false, 0xE5}));
}

void WindowCallbacksTest::buttonsReachTheDocumentQueued()
{
    Widget window;
    QQuickItem* root = window.view()->rootObject();
    QVERIFY(root);
    QSignalSpy buttons(root, SIGNAL(msg_MS(bool,int,int,int)));
    Widget::mouseEvent(0xF0, true, 100, 200, &window);
    Widget::mouseEvent(0xF0, false, 100, 200, &window);
    // Screens left of or above the primary one have negative coordinates.
    Widget::mouseEvent(0xF1, true, -1920, -5, &window);
    QCOMPARE(buttons.size(), 0);
    QTRY_COMPARE(buttons.size(), 3);
    QCOMPARE(buttons[0], (QVariantList{true, 240, 100, 200}));
    QCOMPARE(buttons[1], (QVariantList{false, 240, 100, 200}));
    QCOMPARE(buttons[2], (QVariantList{true, 241, -1920, -5}));
}

void WindowCallbacksTest::nullContextDoesNothing()
{
    Widget window;
    QQuickItem* root = window.view()->rootObject();
    QSignalSpy keys(root, SIGNAL(msg_KB(bool,int)));
    QSignalSpy buttons(root, SIGNAL(msg_MS(bool,int,int,int)));
    Widget::keyboardEvent(0x04, true, nullptr);
    Widget::mouseEvent(0xF0, true, 1, 2, nullptr);
    const char hi[] = "Hi";
    const CopyDataRecord record{9487, 2, hi};
    Widget::copyDataReceived(&record, nullptr);
    // Whatever the callbacks queued runs before a call queued after them.
    bool drained = false;
    QMetaObject::invokeMethod(&window, [&drained] { drained = true; }, Qt::QueuedConnection);
    QTRY_VERIFY(drained);
    QCOMPARE(keys.size(), 0);
    QCOMPARE(buttons.size(), 0);
    QVERIFY(shown.isEmpty());
}

void WindowCallbacksTest::copyDataShowsTheWarningWithTheTitle()
{
    Widget window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrel Orbit"));
    const char hi[] = "Hi";
    const CopyDataRecord two{9487, 2, hi};
    const CopyDataRecord three{9487, 3, hi};
    const CopyDataRecord otherId{1, 2, hi};
    Widget::copyDataReceived(&three, &window);
    Widget::copyDataReceived(&otherId, &window);
    Widget::copyDataReceived(nullptr, &window);
    QVERIFY(shown.isEmpty());
    Widget::copyDataReceived(&two, &window);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].title, QStringLiteral("Kestrel Orbit"));
    QCOMPARE(shown[0].text, QStringLiteral("Hi"));
    // UTF-8 arrives as the text it encodes.
    const QByteArray umlaut = QStringLiteral("Grüße").toUtf8();
    const CopyDataRecord utf8{9487, std::uint32_t(umlaut.size()), umlaut.constData()};
    Widget::copyDataReceived(&utf8, &window);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[1].text, QStringLiteral("Grüße"));
}

void WindowCallbacksTest::registeredWithTheHooks()
{
    // As start-up registers them: events fed to the hooks end in the document.
    Widget window;
    QQuickItem* root = window.view()->rootObject();
    QSignalSpy keys(root, SIGNAL(msg_KB(bool,int)));
    QSignalSpy buttons(root, SIGNAL(msg_MS(bool,int,int,int)));
    InputHooks hooks{std::unique_ptr<InputEventSource>()};
    hooks.init(false);
    hooks.setKeyboardCallback(&Widget::keyboardEvent, &window);
    hooks.setMouseCallback(&Widget::mouseEvent, &window);
    hooks.setCopyDataHandler(&Widget::copyDataReceived, &window);
    hooks.handleKeyEvent(0, 0x100, 0x1C, 0x01);
    hooks.handleKeyEvent(0, 0x100, 0x1C, 0x01);
    hooks.handleKeyEvent(0, 0x101, 0x1C, 0x81);
    hooks.handleMouseEvent(0x201, 100, 200);
    hooks.handleMouseEvent(0x203, 100, 200);
    hooks.handleMouseEvent(0x202, 100, 200);
    const char hi[] = "Hi";
    const CopyDataRecord record{9487, 2, hi};
    std::intptr_t result = 0;
    QVERIFY(hooks.handleNativeMessage(74, &record, &result));
    QCOMPARE(result, std::intptr_t(1));
    QTRY_COMPARE(buttons.size(), 2);
    QCOMPARE(keys.size(), 2);
    QCOMPARE(keys[0], (QVariantList{true, 0x58}));
    QCOMPARE(keys[1], (QVariantList{false, 0x58}));
    QCOMPARE(buttons[0], (QVariantList{true, 240, 100, 200}));
    QCOMPARE(buttons[1], (QVariantList{false, 240, 100, 200}));
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("Hi"));
}

QTEST_MAIN(WindowCallbacksTest)
#include "tst_windowcallbacks.moc"
