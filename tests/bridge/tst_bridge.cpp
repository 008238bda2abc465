// The bridge's generic accessors and relays, the profile-block operations
// of the 560 family, and a change that did not reach the mouse becoming the
// window's notice.
#include "debugcapture.h"
#include "fixturetree.h"
#include "myqquickview.h"
#include "settingsfile.h"
#include "ui_controler.h"
#include "wirerig.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QJSEngine>
#include <QQmlContext>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <map>
#include <thread>

using vmouse::CallKind;

namespace {

QByteArray fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class Bridge : public QObject
{
    Q_OBJECT

private slots:
    void accessorsReadTheRightStore();
    void listsAndSingleValues();
    void listsFromADocument();
    void profileIndexOutsideTheTen();
    void rootRelays();
    void rightClickOnAPageMenu_data();
    void rightClickOnAPageMenu();
    void rightClicksOverADialogStayInTheScene();
    void sequencesAndInputWhileTheLinkIsHeld();
    void controllerMovesAndBlocks();
    void profileBlocks();
    void profileBlockOutsideTheFive();
    void activeSlotAndKeyMatrix_data();
    void activeSlotAndKeyMatrix();
    void failedChangeBecomesTheNotice_data();
    void failedChangeBecomesTheNotice();
};

void Bridge::accessorsReadTheRightStore()
{
    FixtureTree tree;
    QFile::remove(QStringLiteral("./modules/setting/p3.bin"));
    myQQuickView view;
    view.setData(QStringLiteral("mouse/reportRate"), 1);
    QCOMPARE(view.getData(QStringLiteral("mouse/reportRate"), false), QVariant(1));   // a number stays a number
    // Recovery reads the factory profile whatever profile is current.
    QCOMPARE(view.getData(QStringLiteral("mouse/reportRate"), true).toString(), QStringLiteral("3"));
    view.setCurrentProfile(2);
    view.setData(QStringLiteral("mouse/reportRate"), 2);
    view.stores.profileStore(false)->sync();
    QVERIFY(fileText(QStringLiteral("./modules/setting/p3.bin")).contains("reportRate=2"));
    view.setCurrentProfile(0);
    QCOMPARE(view.getData(QStringLiteral("mouse/reportRate"), false), QVariant(1));

    // A second argument to the global read is ignored.
    QCOMPARE(view.getGlobalData(QStringLiteral("mouse/minDPI"), true), view.getGlobalData(QStringLiteral("mouse/minDPI")));
    QCOMPARE(view.getGlobalData(QStringLiteral("mouse/minDPI")).toString(), QStringLiteral("200"));
    view.setGlobalData(QStringLiteral("mouse/profileNo"), 4);
    QCOMPARE(view.getGlobalData(QStringLiteral("mouse/profileNo")), QVariant(4));
    QVERIFY(!view.getGlobalData(QStringLiteral("common/nothing")).isValid());
    QVERIFY(!view.getData(QStringLiteral("mouse/nothing"), false).isValid());

    // Capability copies come from the global file as delivered.
    QCOMPARE(view.icType, QStringLiteral("560"));
    QVERIFY(view.isGun);
    QVERIFY(view.isColorful);
    QVERIFY(!view.is55328);
}

void Bridge::listsAndSingleValues()
{
    FixtureTree tree;
    myQQuickView view;
    QCOMPARE(view.getDataList(QStringLiteral("mouse/dpiValueArray"), true).size(), 8);
    // A single text is not a list.
    QCOMPARE(view.getDataList(QStringLiteral("mouse/reportRate"), false), QVariantList{});
    QCOMPARE(view.getDataList(QStringLiteral("mouse/nothing"), false), QVariantList{});
    view.setDataList(QStringLiteral("mouse/lightValue"), QVariantList{3});
    QCOMPARE(view.getDataList(QStringLiteral("mouse/lightValue"), false), QVariantList{3});   // within the run
    view.stores.profileStore(false)->sync();
    QVERIFY(fileText(QStringLiteral("./modules/setting/p1.bin")).contains("lightValue=3\n"));   // a single value on disk
    view.setDataList(QStringLiteral("mouse/lightValue"), QVariantList{1, 2, 3});
    QCOMPARE(view.getDataList(QStringLiteral("mouse/lightValue"), false), (QVariantList{1, 2, 3}));
}

// A script array handed to the generic setters is stored as the list it
// stands for, not as an opaque script value.
void Bridge::listsFromADocument()
{
    FixtureTree tree;
    myQQuickView view;
    QJSEngine engine;
    const QVariant selection = QVariant::fromValue(engine.evaluate(QStringLiteral("[3, 5, 5]")));
    view.setGlobalData(QStringLiteral("mouse/selectGun"), selection);
    view.setData(QStringLiteral("mouse/lightValue"), selection);
    QCOMPARE(view.getGlobalData(QStringLiteral("mouse/selectGun")), QVariant(QVariantList{3, 5, 5}));
    QCOMPARE(view.getDataList(QStringLiteral("mouse/lightValue"), false), (QVariantList{3, 5, 5}));
    view.stores.global()->sync();
    view.stores.profileStore(false)->sync();
    QVERIFY(fileText(QStringLiteral("./modules/setting/apConfig.bin")).contains("selectGun=3, 5, 5\n"));
    QVERIFY(fileText(QStringLiteral("./modules/setting/p1.bin")).contains("lightValue=3, 5, 5\n"));
}

void Bridge::profileIndexOutsideTheTen()
{
    FixtureTree tree;
    myQQuickView view;
    for (int outside : {-1, 10, 77}) {
        view.setCurrentProfile(outside);
        view.setData(QStringLiteral("mouse/reportRate"), 0);
        view.setDataList(QStringLiteral("mouse/lightValue"), {1, 2, 3});
        QVERIFY(!view.getData(QStringLiteral("mouse/reportRate"), false).isValid());
        QCOMPARE(view.getDataList(QStringLiteral("mouse/lightValue"), false), QVariantList{});
        QVERIFY(view.getData(QStringLiteral("mouse/reportRate"), true).isValid());
    }
    view.setCurrentProfile(0);
    QCOMPARE(view.getData(QStringLiteral("mouse/reportRate"), false).toString(), QStringLiteral("3"));
}

void Bridge::rootRelays()
{
    FixtureTree tree;
    myQQuickView view;
    view.setSource(QUrl(QStringLiteral("qrc:modules/qml/main")));
    view.rootContext()->setContextProperty(QStringLiteral("ui_View"), &view);
    QQuickItem* root = view.rootObject();
    QVERIFY(root);
    QCOMPARE(root->width(), 1024.0);
    QCOMPARE(root->height(), 640.0);
    view.setCurrentDPI(3);
    QCOMPARE(root->findChild<QObject*>(QStringLiteral("dpiSettingMain"))->property("currentDPI").toInt(), 2);
    view.setCurrentDPI(0);   // ignored by the document
    QCOMPARE(root->findChild<QObject*>(QStringLiteral("dpiSettingMain"))->property("currentDPI").toInt(), 2);

    // From another thread the call is delivered through this thread's loop.
    std::thread reader([&view] { view.setCurrentDPI(5); });
    reader.join();
    QCOMPARE(root->findChild<QObject*>(QStringLiteral("dpiSettingMain"))->property("currentDPI").toInt(), 2);
    QTRY_COMPARE(root->findChild<QObject*>(QStringLiteral("dpiSettingMain"))->property("currentDPI").toInt(), 4);

    view.setBusy(5000);
    QVERIFY(!view.isEnabled());
    view.setBusy(0);
    QTRY_VERIFY(view.isEnabled());

    // initUI and run are queued, never run inside the caller.
    QVERIFY(!root->isVisible());
    view.initUI();
    QVERIFY(!root->isVisible());
    QTRY_VERIFY(root->isVisible());
}

void Bridge::rightClickOnAPageMenu_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("taken");
    QTest::newRow("on an item with its own menu") << QPoint(50, 50) << int(QContextMenuEvent::Mouse) << true;
    QTest::newRow("on an item for left clicks") << QPoint(120, 50) << int(QContextMenuEvent::Mouse) << false;
    QTest::newRow("on a hidden menu item") << QPoint(180, 50) << int(QContextMenuEvent::Mouse) << false;
    QTest::newRow("from the keyboard") << QPoint(50, 50) << int(QContextMenuEvent::Keyboard) << false;
}

// A right click that an item of the scene takes is not also the window's
// context menu request; every other one goes on to the window.
// Disabling the view opens a sequence on the transport and zeroes the count
// the busy indicator shows; a click or key on the scene during an
// exchange's pause waits until the exchange is over, then arrives.
void Bridge::sequencesAndInputWhileTheLinkIsHeld()
{
    FixtureTree tree;
    QFile scene(QStringLiteral("scene.qml"));
    QVERIFY(scene.open(QIODevice::WriteOnly));
    scene.write("import QtQuick\n"
                "Item { id: scene; width: 200; height: 100; focus: true\n"
                "  property int presses: 0\n  property int keys: 0\n"
                "  property int exchangesSent: 7\n  property bool sequenceFailed: true\n"
                "  Keys.onPressed: function (event) { if (event.key === Qt.Key_A) scene.keys += 1 }\n"
                "  MouseArea { anchors.fill: parent; onClicked: scene.presses += 1 } }\n");
    scene.close();
    WireRig rig;
    myQQuickView view;
    view.transport = &rig.hid;
    QObject::connect(&rig.hid, &Hid_Thread::exchangeStarted, &view, &myQQuickView::countExchange);
    view.setSource(QUrl::fromLocalFile(QFileInfo(scene).absoluteFilePath()));
    QQuickItem* root = view.rootObject();
    QVERIFY(root);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    view.setEnabled(false);
    QVERIFY(rig.hid.linkBusy());
    QCOMPARE(root->property("exchangesSent").toInt(), 0);
    QVERIFY(!root->property("sequenceFailed").toBool());
    rig.hid.hid553_0BH_SetCurrentDPI(2);
    rig.hid.hid553_01H_SetReportRate(1);
    QCOMPARE(root->property("exchangesSent").toInt(), 2);
    view.setEnabled(true);
    QVERIFY(!rig.hid.linkBusy());

    QList<int> inThePause;
    rig.clock.atNextProcessEvents = [&] {
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(50, 50));
        QTest::keyClick(&view, Qt::Key_A);
        inThePause = {root->property("presses").toInt(), root->property("keys").toInt()};
    };
    rig.hid.hid553_0BH_SetCurrentDPI(3);
    QCOMPARE(inThePause, (QList<int>{0, 0}));
    QCOMPARE(root->property("presses").toInt(), 0);
    QTRY_COMPARE(root->property("presses").toInt(), 1);
    QCOMPARE(root->property("keys").toInt(), 1);
    QCOMPARE(rig.calls(vmouse::CallKind::SendFeature).size(), size_t(3));
}

void Bridge::rightClickOnAPageMenu()
{
    QFETCH(QPoint, at);
    QFETCH(int, reason);
    QFETCH(bool, taken);
    FixtureTree tree;
    QFile scene(QStringLiteral("scene.qml"));
    QVERIFY(scene.open(QIODevice::WriteOnly));
    scene.write("import QtQuick\n"
                "Item { width: 200; height: 100\n"
                "  MouseArea { width: 100; height: 100; acceptedButtons: Qt.RightButton }\n"
                "  MouseArea { x: 100; width: 100; height: 100 }\n"
                "  MouseArea { x: 160; width: 40; height: 100; visible: false; acceptedButtons: Qt.RightButton } }\n");
    scene.close();
    myQQuickView view;
    view.setSource(QUrl::fromLocalFile(QFileInfo(scene).absoluteFilePath()));
    QVERIFY(view.rootObject());
    QContextMenuEvent event(QContextMenuEvent::Reason(reason), at, at);
    event.ignore();
    QCoreApplication::sendEvent(&view, &event);
    QCOMPARE(event.isAccepted(), taken);
}

void Bridge::rightClicksOverADialogStayInTheScene()
{
    FixtureTree tree;
    // The window offers its own menu where there is no tray.
    QWidget window;
    window.setContextMenuPolicy(Qt::CustomContextMenu);
    QSignalSpy windowMenu(&window, &QWidget::customContextMenuRequested);
    auto* view = new myQQuickView(&window);
    view->rootContext()->setContextProperty(QStringLiteral("ui_View"), view);
    view->rootContext()->setContextProperty(QStringLiteral("hid"), &window);
    view->rootContext()->setContextProperty(QStringLiteral("ui_Ctl"), &window);
    view->setSource(QUrl(QStringLiteral("qrc:modules/qml/main")));
    QVERIFY(view->rootObject());
    view->rootObject()->setVisible(true);
    const auto rightClick = [view] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(500, 300), QPoint(500, 300));
        QApplication::sendEvent(view, &event);
    };
    rightClick();
    QCOMPARE(windowMenu.size(), 1);
    view->rootObject()->findChild<QObject*>(QStringLiteral("mainMask"))->setProperty("visible", true);
    rightClick();
    QCOMPARE(windowMenu.size(), 1);
}

void Bridge::controllerMovesAndBlocks()
{
    FixtureTree tree;
    QWidget window;
    QObject hid;
    Ui_Controler controller;
    controller.onXChanged(30);   // no window yet: nothing happens
    controller.setupUi(&window, &hid);
    QCOMPARE(window.objectName(), QStringLiteral("Widget"));
    QCOMPARE(window.size(), QSize(1024, 640));
    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrel Orbit"));
    QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(controller.view->objectName(), QStringLiteral("ui_View"));
    QCOMPARE(controller.view->parentWidget(), &window);
    window.move(100, 100);
    controller.onXChanged(30);
    QCOMPARE(window.pos(), QPoint(130, 100));
    controller.onYChanged(10);
    QCOMPARE(window.pos(), QPoint(130, 110));
    controller.setBusy(5000);
    QVERIFY(!controller.view->isEnabled());
    controller.setBusy();   // 0 releases at once
    QTRY_VERIFY(controller.view->isEnabled());
}

void Bridge::profileBlocks()
{
    FixtureTree tree;
    WireRig rig;
    myQQuickView view;
    view.transport = &rig.hid;
    const auto device = vmouse::state(rig.device).profiles560.at(2);
    view.mouseReadProfile(2);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(view.profileBlocks.block(2)), 128), bytes(device));
    // A failed read leaves the block as it was.
    view.profileBlocks.block(2)[10] = 0x55;
    vmouse::failCall(CallKind::SendFeature);
    view.mouseReadProfile(2);
    QCOMPARE(view.profileBlocks.block(2)[10], uchar(0x55));
    // The block goes back whole, with every byte as the bridge holds it.
    vmouse::clearRecord();
    view.mouseSetProfile(2);
    const auto sent = rig.calls(CallKind::SendFeature);
    QCOMPARE(sent.size(), size_t(1));
    QCOMPARE(bytes(sent[0].plainBlock), block({0x0C, 2, 0x80, 0, 0, 0, 0}));
    QByteArray expected = bytes(device);
    expected[10] = char(0x55);
    QCOMPARE(bytes(vmouse::state(rig.device).profiles560.at(2)), expected);
}

void Bridge::profileBlockOutsideTheFive()
{
    FixtureTree tree;
    WireRig rig;
    myQQuickView view;
    view.transport = &rig.hid;
    view.mouseReadProfile(5);
    view.mouseSetProfile(5);
    view.mouseReadProfile(uint(-1));
    QCOMPARE(rig.calls().size(), size_t(0));
    QCOMPARE(view.profileBlocks.block(5), nullptr);
}

void Bridge::activeSlotAndKeyMatrix_data()
{
    QTest::addColumn<QString>("family");
    QTest::newRow("560") << QStringLiteral("560");
    QTest::newRow("553") << QStringLiteral("553");
}

void Bridge::activeSlotAndKeyMatrix()
{
    QFETCH(QString, family);
    FixtureTree tree;
    tree.setGlobal(QStringLiteral("mouse/icType"), family);
    WireRig rig;
    myQQuickView view;
    QCOMPARE(view.mouseReadCurrentProfile(), QVariant(0));   // no transport, no device
    view.transport = &rig.hid;
    vmouse::FirmwareState state = vmouse::state(rig.device);
    state.currentProfile560 = 3;
    vmouse::setState(rig.device, state);
    // The profile operations always speak the 560 commands.
    QCOMPARE(view.mouseReadCurrentProfile(), QVariant(3));
    vmouse::clearRecord();
    view.mouseSwitchKeyMatrix(1);
    const auto sent = rig.calls(CallKind::SendFeature);
    QCOMPARE(sent.size(), size_t(1));
    QCOMPARE(bytes(sent[0].plainBlock), family == QLatin1String("560") ? block({0x02, 1, 0, 0, 0, 0, 0})
                                                                        : block({0x02, 0, 0, 0, 0, 0, 0}));
    rig.hid.deviceList[0].commandPath.clear();
    QCOMPARE(view.mouseReadCurrentProfile(), QVariant(0));
    QCOMPARE(view.mouseGetCurrentDPI(), QVariant(0));
}

void Bridge::failedChangeBecomesTheNotice_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("fault");   // "report", "second report", "bulk" (a packet after the block), "gate"
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("page");    // the page left unsaved; empty for none
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("logged");  // the debug line of a busy gate
    QTest::newRow("553 lighting effect") << "553" << "effect" << "report" << "lighting" << "lightControlMain"
                                         << "The lighting change did not reach the mouse." << "";
    QTest::newRow("553 DPI stages") << "553" << "dpi" << "bulk" << "dpi" << "dpiSettingMain"
                                    << "The DPI change did not reach the mouse." << "";
    QTest::newRow("553 key matrix, gate busy") << "553" << "keys" << "gate" << "buttons" << "keyMatrixMain"
                                               << "The button change did not reach the mouse." << "cmd Failed 12";
    QTest::newRow("553 macro") << "553" << "macro" << "bulk" << "macro" << ""
                               << "The macro did not reach the mouse." << "";
    // The 553's gun data reads the keyboard option first.
    QTest::newRow("553 gun data, its read") << "553" << "gun" << "report" << "gun" << "gunControlMain"
                                  << "The gun data did not reach the mouse." << "";
    QTest::newRow("553 report rate") << "553" << "rate" << "report" << "reportRate" << ""
                                     << "The report rate change did not reach the mouse." << "";
    QTest::newRow("560 lighting colour") << "560" << "colour" << "bulk" << "lighting" << "lightControlMain"
                                         << "The lighting change did not reach the mouse." << "";
    QTest::newRow("553 gun data, its set") << "553" << "gun" << "second report" << "gun" << "gunControlMain"
                                           << "The gun data did not reach the mouse." << "";
    QTest::newRow("560 report rate, second slot") << "560" << "rate" << "second report" << "reportRate" << ""
                                                  << "The report rate change did not reach the mouse." << "";
    QTest::newRow("560 gun data") << "560" << "gun" << "report" << "gun" << "gunControlMain"
                                  << "The gun data did not reach the mouse." << "";
    QTest::newRow("560 profile block") << "560" << "profile" << "report" << "profile" << ""
                                       << "The profile did not reach the mouse." << "";
    QTest::newRow("560 DPI stage, gate busy") << "560" << "stage" << "gate" << "dpi" << "dpiSettingMain"
                                              << "The DPI change did not reach the mouse." << "cmd Failed 04";
    QTest::newRow("560 key matrix") << "560" << "keys" << "bulk" << "buttons" << "keyMatrixMain"
                                    << "The button change did not reach the mouse." << "";
}

// A report of a device operation fails on the virtual mouse: the bridge
// says once what did not reach the mouse, the shell shows it and leaves the
// page unsaved; the same operation on a mouse that answers says nothing.
void Bridge::failedChangeBecomesTheNotice()
{
    QFETCH(QString, family);
    QFETCH(QString, operation);
    QFETCH(QString, fault);
    QFETCH(QString, what);
    QFETCH(QString, page);
    QFETCH(QString, notice);
    QFETCH(QString, logged);
    FixtureTree tree;
    tree.setGlobal(QStringLiteral("mouse/icType"), family);
    vmouse::DeviceConfig config;
    config.family = family == QLatin1String("560") ? vmouse::Family::Fw560 : vmouse::Family::Fw553;
    WireRig rig(config);
    rig.owner.family = family;
    rig.owner.gun = false;   // the 560's rate and stage go to all four slots
    myQQuickView view;
    QObject controller;
    view.transport = &rig.hid;
    view.rootContext()->setContextProperty(QStringLiteral("ui_View"), &view);
    view.rootContext()->setContextProperty(QStringLiteral("hid"), &rig.hid);
    view.rootContext()->setContextProperty(QStringLiteral("ui_Ctl"), &controller);
    view.setSource(QUrl(QStringLiteral("qrc:modules/qml/main")));
    QQuickItem* root = view.rootObject();
    QVERIFY(root);
    root->setVisible(true);   // as the first connection leaves it
    QObject* shown = root->findChild<QObject*>(QStringLiteral("failureNotice"));
    QVERIFY(shown);
    QSignalSpy failed(&view, &myQQuickView::changeFailed);

    const QVariantList layout(64, 1);
    const std::map<QString, std::function<void()>> operations{
        {"effect", [&] { view.mouseSetRGBEffect(2, 3, 4); }},
        {"colour", [&] { view.mouseSetRGBColor(1, QVariantList(24, 0x40)); }},
        {"dpi", [&] { view.mouseSetDpi(4, QStringLiteral("3360"), {400, 800, 1600, 3200, 4000, 5000, 5500, 6000}); }},
        {"keys", [&] { view.mouseSetKeyMatrix(layout, true, {40, 55, 70}); }},
        {"macro", [&] { view.mouseSendMacroData(QVariantList(20, 7), 2); }},
        {"gun", [&] { view.mouseSendGundata(1, {7, 8, 9}); }},
        {"rate", [&] { view.mouseSetReportRate(2); }},
        {"profile", [&] { view.mouseSetProfile(2); }},
        {"stage", [&] { view.mouseSetCurrentDPI(3); }},
    };
    const std::function<void()>& run = operations.at(operation);

    // A mouse that takes everything: no notice.
    run();
    QVERIFY(!rig.calls(CallKind::SendFeature).empty());
    QCOMPARE(failed.size(), 0);
    QCOMPARE(rig.hid.failedExchanges(), 0);
    QVERIFY(!shown->property("visible").toBool());

    vmouse::clearRecord();
    if (fault == QLatin1String("gate"))
        rig.hid.linkIdle = false;
    else if (fault == QLatin1String("second report"))
        vmouse::failCall(CallKind::SendFeature, 2);
    else
        vmouse::failCall(fault == QLatin1String("bulk") ? CallKind::Write : CallKind::SendFeature);
    const DebugCapture debug;
    run();
    rig.hid.linkIdle = true;

    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), what);
    QVERIFY(rig.hid.failedExchanges() > 0);   // what a caller without the window reads
    QVERIFY(shown->property("visible").toBool());
    QCOMPARE(shown->property("lines").toStringList(), QStringList{notice});
    if (!page.isEmpty())
        QVERIFY(root->findChild<QObject*>(page)->property("isSave").toBool());
    QStringList failureLines = debug.lines().filter(QStringLiteral("cmd Failed"));
    failureLines.removeDuplicates();   // a busy gate drops every command of the operation
    QCOMPARE(failureLines, logged.isEmpty() ? QStringList{} : QStringList{logged});
    // The 560's rate sends no slot after the one that failed.
    if (operation == QLatin1String("rate") && family == QLatin1String("560"))
        QCOMPARE(rig.calls(CallKind::SendFeature).size(), size_t(2));
}

QTEST_MAIN(Bridge)
#include "tst_bridge.moc"
