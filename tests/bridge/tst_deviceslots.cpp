// The bridge's sending slots, called as the pages call them, on every mouse
// model whose flags change what goes out: the feature reports and bulk bytes
// the virtual mouse receives, worked out by hand. The bridge is built from
// the global file, as in the program, so a flag it copies or passes wrongly,
// or a store it reads from the wrong profile, shows on the wire.
#include "fixturetree.h"
#include "myqquickview.h"
#include "settingsfile.h"
#include "wirerig.h"

#include <QApplication>
#include <QTest>

#include <functional>

using vmouse::CallKind;
using vmouse::Family;

namespace {

struct Mouse
{
    const char* name;
    Family family;
    bool gun;
    bool colourful;
    bool variant55328;
};

const Mouse m553{"553", Family::Fw553, false, false, false};
const Mouse m553Colourful{"553 colourful", Family::Fw553, false, true, false};
const Mouse m553Gun{"553 gun", Family::Fw553, true, false, false};
const Mouse m55328{"553 lighting variant", Family::Fw553, false, false, true};
const Mouse m560{"560", Family::Fw560, false, false, false};
const Mouse m560GunColourful{"560 gun colourful", Family::Fw560, true, true, false};

// The main window's answers to the transport come from the bridge's flags.
class BridgeOwner : public HidOwner
{
public:
    explicit BridgeOwner(const myQQuickView& view) : view(view) {}
    bool isGunDevice() const override { return view.isGun; }
    QString chipFamily() const override { return view.icType; }
    void stageReported(int) override {}
    void deviceLost() override {}

private:
    const myQQuickView& view;
};

// One exchange as text: the plain block, then " | " and the bulk bytes
// padded to whole 32-byte reports, if any went out.
QString exchange(std::initializer_list<uchar> first7, const QByteArray& bulk = {})
{
    QString text = QString::fromLatin1(block(first7).toHex(' '));
    if (!bulk.isEmpty()) {
        QByteArray padded = bulk;
        padded.append(QByteArray((32 - bulk.size() % 32) % 32, '\0'));
        text += QLatin1String(" | ") + QString::fromLatin1(padded.toHex(' '));
    }
    return text;
}

QStringList wire()
{
    QStringList out;
    QByteArray bulk;
    const auto flush = [&] {
        if (!bulk.isEmpty())
            out.last() += QLatin1String(" | ") + QString::fromLatin1(bulk.toHex(' '));
        bulk.clear();
    };
    for (const vmouse::Call& call : vmouse::record()) {
        if (call.kind == CallKind::SendFeature) {
            flush();
            out.append(QString::fromLatin1(bytes(call.plainBlock).toHex(' ')));
        } else if (call.kind == CallKind::Write && !out.isEmpty()) {
            bulk += bytes(call.data).mid(1);   // after the report ID
        }
    }
    flush();
    return out;
}

// The virtual mouse's own content of profile block p, (0xA0 + 0x10 p) XOR i,
// with the bytes at the given offsets replaced.
QByteArray profile(int p, std::initializer_list<std::pair<int, const char*>> changes = {})
{
    QByteArray out(128, '\0');
    for (int i = 0; i < 128; ++i)
        out[i] = char(uchar((0xA0 + 0x10 * p) ^ i));
    for (const auto& [offset, spaced] : changes) {
        const QByteArray values = hex(spaced);
        out.replace(offset, values.size(), values);
    }
    return out;
}

QByteArray zeros(int n)
{
    return QByteArray(n, '\0');
}

// The delivered layout as the pages hand it over (stored form), and the
// same in device form.
QVariantList deliveredLayout()
{
    return {0, 0, 240, 0, 0, 0, 241, 0, 0, 0, 242, 0, 0, 0, 244, 0, 0, 0, 243, 0,
            5, 0, 1, 0, 5, 0, 2, 0, 0, 240, 30, 2, 0, 0, 0, 0, 0, 0, 0, 0,
            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 1, 0, 255, 0, 2, 0};
}

const char* const kDeliveredDeviceForm =
    "01 00 f0 00 01 00 f1 00 01 00 f2 00 01 00 f4 00 01 00 f3 00 07 00 01 00 07 00 02 00 0a f0 1e 02"
    " 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 01 00 00 00 04 00 01 00 04 00 02 00";

// The gun switch with three modes on button 6 (slot 5).
QVariantList gunSwitchLayout()
{
    QVariantList layout = deliveredLayout();
    layout[20] = 8;
    layout[22] = 3;
    return layout;
}

const QVariantList kGunPeriods{40, 55, 70};

// The current profile (profile 3) holds a firmware key matrix of its own:
// slot 1 and slot 5 differ from the factory profile's.
QByteArray currentFirmwareMatrix(std::initializer_list<std::pair<int, const char*>> changes = {})
{
    QByteArray out = hex(kDeliveredDeviceForm);
    out.replace(4, 4, hex("01 00 f2 00"));
    out.replace(20, 4, hex("07 09 01 06"));
    for (const auto& [offset, spaced] : changes)
        out.replace(offset, 4, hex(spaced));
    return out;
}

// The eight colours of the delivered profile, as the lighting page sends them.
QVariantList deliveredColours()
{
    return {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 0, 255, 0, 255, 255, 255, 127, 0, 96, 0, 255, 255, 255, 255};
}

const char* const kDeliveredColours =
    "ff 00 00 00 ff 00 00 00 ff ff 00 ff 00 ff ff ff 7f 00 60 00 ff ff ff ff";

QVariantList withBlackEighthColour(QVariantList colours)
{
    colours[21] = 0;
    colours[22] = 0;
    colours[23] = 0;
    return colours;
}

struct Case
{
    QString name;
    Mouse mouse;
    std::function<void(myQQuickView&)> call;
    QStringList expected;
};

// DPI stages as the DPI page sends them from the delivered profile.
const QVariantList kDeliveredStages{400, 800, 1600, 3200, 4800, 6400, 8000, 12000};
const char* const kDeliveredStageCodes = "03 07 0f 1f 2f 3f 4f 77 03 07 0f 1f 2f 3f 4f 77 0f";

QList<Case> cases()
{
    QList<Case> c;
    // Report rate: the page's 250 Hz entry is 4.
    const auto rate = [](myQQuickView& v) { v.mouseSetReportRate(4); };
    c.append(Case{"report rate", m553, rate, {exchange({0x01, 4, 0, 0, 0, 0, 0})}});
    c.append(Case{"report rate", m560, rate,
              {exchange({0x03, 1, 4, 0, 0, 0, 0}), exchange({0x03, 2, 4, 0, 0, 0, 0}),
               exchange({0x03, 3, 4, 0, 0, 0, 0}), exchange({0x03, 4, 4, 0, 0, 0, 0})}});
    c.append(Case{"report rate", m560GunColourful, rate, {exchange({0x03, 1, 4, 0, 0, 0, 0})}});

    // The current stage as the shell sets it after a connection.
    const auto stage = [](myQQuickView& v) { v.mouseSetCurrentDPI(2); };
    c.append(Case{"current DPI stage", m553Gun, stage, {exchange({0x0B, 2, 0, 0, 0, 0, 0})}});
    c.append(Case{"current DPI stage", m560, stage,
              {exchange({0x04, 1, 2, 0, 0, 0, 0}), exchange({0x04, 2, 2, 0, 0, 0, 0}),
               exchange({0x04, 3, 2, 0, 0, 0, 0}), exchange({0x04, 4, 2, 0, 0, 0, 0})}});
    c.append(Case{"current DPI stage", m560GunColourful, stage, {exchange({0x04, 1, 2, 0, 0, 0, 0})}});

    // The delivered stages, four in use, sensor 3360 (value / 100 - 1).
    const auto dpi = [](myQQuickView& v) { v.mouseSetDpi(4, QStringLiteral("3360"), kDeliveredStages); };
    c.append(Case{"DPI stages", m553, dpi, {exchange({0x11, 4, 8, 0, 0, 0, 0}, hex("03 07 0f 1f 80 80 80 80"))}});
    c.append(Case{"DPI stages", m560, dpi,
              {exchange({0x0C, 1, 0x80, 0, 0, 0, 0}, profile(1, {{84, kDeliveredStageCodes}}))}});
    c.append(Case{"DPI stages", m560GunColourful, dpi,
              {exchange({0x0C, 1, 0x80, 0, 0, 0, 0}, profile(1, {{84, kDeliveredStageCodes}})),
               exchange({0x0C, 2, 0x80, 0, 0, 0, 0}, profile(2, {{84, kDeliveredStageCodes}})),
               exchange({0x0C, 3, 0x80, 0, 0, 0, 0}, profile(3, {{84, kDeliveredStageCodes}})),
               exchange({0x0C, 4, 0x80, 0, 0, 0, 0}, profile(4, {{84, kDeliveredStageCodes}}))}});
    // Sensor 3389 (value / 50): 12800 and more set the stage's high bit.
    c.append(Case{"DPI stages, sensor 3389", m560,
              [](myQQuickView& v) {
                  v.mouseSetDpi(3, QStringLiteral("3389"), {100, 12750, 12800, 400, 800, 1600, 3200, 12799});
              },
              {exchange({0x0C, 1, 0x80, 0, 0, 0, 0},
                        profile(1, {{82, "04 04 02 ff 00 08 10 20 40 ff 02 ff 00 08 10 20 40 ff 07"}}))}});

    // Effects: the page passes effect, speed, brightness.
    c.append(Case{"Static at full brightness", m553Colourful, [](myQQuickView& v) { v.mouseSetRGBEffect(0, 0, 4); },
              {exchange({0x0D, 1, 0xFF, 0, 0, 0, 0})}});
    const auto spotlight = [](myQQuickView& v) { v.mouseSetRGBEffect(10, 2, 3); };
    c.append(Case{"Spotlight", m553Colourful, spotlight, {exchange({0x0D, 10, 0xC0, 24, 0, 0, 0})}});
    const auto breath = [](myQQuickView& v) { v.mouseSetRGBEffect(1, 4, 0); };
    c.append(Case{"Breath", m553, breath, {exchange({0x0D, 2, 5, 2, 0, 0, 0})}});
    c.append(Case{"Breath", m553Gun, breath, {exchange({0x0D, 2, 5, 2, 0, 0, 0})}});
    c.append(Case{"Breath", m55328, breath, {exchange({0x0D, 2, 5, 1, 0, 0, 0})}});
    c.append(Case{"Breath Loop", m55328, [](myQQuickView& v) { v.mouseSetRGBEffect(4, 0, 4); },
              {exchange({0x0D, 2, 1, 3, 0, 0, 0})}});
    c.append(Case{"Neon", m560, [](myQQuickView& v) { v.mouseSetRGBEffect(2, 1, 4); },
              {exchange({0x0C, 1, 0x80, 0, 0, 0, 0}, profile(1, {{71, "03 18 03"}}))}});
    c.append(Case{"Spotlight", m560GunColourful, spotlight,
              {exchange({0x0C, 1, 0x80, 0, 0, 0, 0}, profile(1, {{71, "0a c0 18"}})),
               exchange({0x0C, 2, 0x80, 0, 0, 0, 0}, profile(2, {{71, "0a c0 18"}})),
               exchange({0x0C, 3, 0x80, 0, 0, 0, 0}, profile(3, {{71, "0a c0 18"}})),
               exchange({0x0C, 4, 0x80, 0, 0, 0, 0}, profile(4, {{71, "0a c0 18"}}))}});

    // Colours: type 0 on colourful mice, 1 on the others, as the page sends.
    const QByteArray colours = hex(kDeliveredColours);
    c.append(Case{"colours", m553, [](myQQuickView& v) { v.mouseSetRGBColor(1, deliveredColours()); },
              {exchange({0x10, 1, 24, 0, 0, 0, 0}, colours), exchange({0x10, 1, 24, 0, 0, 0, 0}, colours)}});
    c.append(Case{"colours", m553Colourful, [](myQQuickView& v) { v.mouseSetRGBColor(0, deliveredColours()); },
              {exchange({0x10, 0, 24, 0, 0, 0, 0}, colours), exchange({0x10, 0, 24, 0, 0, 0, 0}, colours)}});
    c.append(Case{"one fixed colour", m55328,
              [](myQQuickView& v) { v.mouseSetRGBColor(1, withBlackEighthColour(deliveredColours())); },
              {exchange({0x0C, 0xFF, 0, 0, 0, 0, 0})}});
    c.append(Case{"colours of the breath loop", m55328, [](myQQuickView& v) { v.mouseSetRGBColor(1, deliveredColours()); },
              {exchange({0x10, 0, 24, 0, 0, 0, 0}, colours)}});
    c.append(Case{"colours", m560, [](myQQuickView& v) { v.mouseSetRGBColor(1, deliveredColours()); },
              {exchange({0x0C, 1, 0x80, 0, 0, 0, 0}, profile(1, {{104, kDeliveredColours}}))}});
    c.append(Case{"colours", m560GunColourful, [](myQQuickView& v) { v.mouseSetRGBColor(0, deliveredColours()); },
              {exchange({0x0C, 0, 0x80, 0, 0, 0, 0}, profile(0, {{24, kDeliveredColours}}))}});

    // Gun data of gun mode 1 (the page's mode 0 + 1): times, X, Y.
    const auto gun1 = [](myQQuickView& v) { v.mouseSendGundata(1, {0, 0, 10}); };
    c.append(Case{"gun data", m553, gun1, {}});
    c.append(Case{"gun data", m553Gun, gun1,
              {exchange({0x83, 0, 0, 0, 0, 0, 0}), exchange({0x04, 0, 0, 0, 10, 0, 0})}});
    const auto gun3 = [](myQQuickView& v) { v.mouseSendGundata(3, {5, 2, 20}); };
    c.append(Case{"gun data", m560, gun3, {}});
    // Block 4's byte 65 is E0 ^ 41 = A1: bit 2 already clear.
    c.append(Case{"gun data", m560GunColourful, gun3,
              {exchange({0x0C, 4, 0x80, 0, 0, 0, 0}, profile(4, {{78, "f0 05 02 14"}}))}});

    // Press A, release A, repeat count 1, for button 3 (slot 2).
    const QVariantList macro{0, 1, 1, 4, 0x81, 4, 0, 0};
    const QByteArray macroBlock = hex("00 01 01 04 81 04 00 00") + zeros(120);
    c.append(Case{"macro", m553, [macro](myQQuickView& v) { v.mouseSendMacroData(macro, 2); },
              {exchange({0x13, 3, 0x80, 0, 0, 0, 0}, macroBlock)}});
    c.append(Case{"macro", m560GunColourful, [macro](myQQuickView& v) { v.mouseSendMacroData(macro, 2); },
              {exchange({0x0F, 3, 0x80, 0, 0, 0, 0}, macroBlock)}});

    // The delivered layout: matrix 1 alone, in device form.
    const auto layout = [](myQQuickView& v) { v.mouseSetKeyMatrix(deliveredLayout(), true, kGunPeriods); };
    const QByteArray deviceForm = hex(kDeliveredDeviceForm);
    c.append(Case{"key matrix", m553, layout, {exchange({0x12, 1, 0x40, 0x08, 0, 0, 0}, deviceForm)}});
    c.append(Case{"key matrix", m560GunColourful, layout,
              {exchange({0x0D, 1, 0x80, 0, 0, 0, 0}, deviceForm + zeros(64))}});

    // A gun switch of three modes: the gun matrices start from the current
    // profile's firmware matrix; slot 0 carries the gun periods.
    const auto gunLayout = [](myQQuickView& v) { v.mouseSetKeyMatrix(gunSwitchLayout(), true, kGunPeriods); };
    QByteArray matrix1For553 = deviceForm;
    matrix1For553.replace(20, 4, hex("08 00 01 01"));
    c.append(Case{"key matrices with a gun switch", m553Gun, gunLayout,
              {exchange({0x12, 1, 0x40, 0x08, 0, 0, 0}, matrix1For553),
               exchange({0x12, 2, 0x40, 0x08, 0, 0, 0}, currentFirmwareMatrix({{0, "0b 00 28 00"}, {20, "08 00 01 02"}})),
               exchange({0x12, 3, 0x40, 0x08, 0, 0, 0}, currentFirmwareMatrix({{0, "0b 01 37 00"}, {20, "08 00 01 03"}})),
               exchange({0x12, 4, 0x40, 0x08, 0, 0, 0}, currentFirmwareMatrix({{0, "0b 02 46 00"}, {20, "08 00 01 00"}})),
               exchange({0x02, 1, 0, 0, 0, 0, 0})}});
    QByteArray matrix1For560 = deviceForm;
    matrix1For560.replace(20, 4, hex("08 00 01 00"));
    c.append(Case{"key matrices with a gun switch", m560GunColourful, gunLayout,
              {exchange({0x0C, 0, 0x80, 0, 0, 0, 0}, profile(0, {{2, "1f"}})),
               exchange({0x0D, 1, 0x80, 0, 0, 0, 0}, matrix1For560 + zeros(64)),
               exchange({0x0D, 2, 0x80, 0, 0, 0, 0},
                        currentFirmwareMatrix({{0, "0b 00 28 00"}, {20, "08 09 03 06"}}) + zeros(64)),
               exchange({0x0D, 3, 0x80, 0, 0, 0, 0},
                        currentFirmwareMatrix({{0, "0b 01 37 00"}, {20, "08 09 03 06"}}) + zeros(64)),
               exchange({0x0D, 4, 0x80, 0, 0, 0, 0},
                        currentFirmwareMatrix({{0, "0b 02 46 00"}, {20, "08 09 00 06"}}) + zeros(64)),
               exchange({0x02, 1, 0, 0, 0, 0, 0})}});

    // Restoring the gun matrices: the current profile's firmware matrix as it is.
    const auto reset = [](myQQuickView& v) { v.mouseResetKeyMatrix(); };
    c.append(Case{"gun matrices restored", m553Gun, reset,
              {exchange({0x12, 2, 0x40, 0x08, 0, 0, 0}, currentFirmwareMatrix()),
               exchange({0x12, 3, 0x40, 0x08, 0, 0, 0}, currentFirmwareMatrix()),
               exchange({0x12, 4, 0x40, 0x08, 0, 0, 0}, currentFirmwareMatrix())}});
    c.append(Case{"gun matrices restored", m560GunColourful, reset,
              {exchange({0x0D, 2, 0x80, 0, 0, 0, 0}, currentFirmwareMatrix() + zeros(64)),
               exchange({0x0D, 3, 0x80, 0, 0, 0, 0}, currentFirmwareMatrix() + zeros(64)),
               exchange({0x0D, 4, 0x80, 0, 0, 0, 0}, currentFirmwareMatrix() + zeros(64))}});

    // Whole profile blocks, and the 553 keyboard options on either family.
    c.append(Case{"profile block", m560GunColourful, [](myQQuickView& v) { v.mouseSetProfile(3); },
              {exchange({0x0C, 3, 0x80, 0, 0, 0, 0}, profile(3))}});
    c.append(Case{"keyboard options", m560, [](myQQuickView& v) { v.mouseSetKeyboardoption(1, 2, 3, 0x44); },
              {exchange({0x03, 1, 2, 3, 0x44, 0, 0})}});
    return c;
}

} // namespace

class DeviceSlots : public QObject
{
    Q_OBJECT

private slots:
    void sentAsWorkedOut_data();
    void sentAsWorkedOut();
};

void DeviceSlots::sentAsWorkedOut_data()
{
    QTest::addColumn<int>("index");
    const QList<Case> all = cases();
    for (int i = 0; i < all.size(); ++i)
        QTest::newRow(qPrintable(all[i].name + QLatin1String(", ") + QLatin1String(all[i].mouse.name))) << i;
}

void DeviceSlots::sentAsWorkedOut()
{
    QFETCH(int, index);
    const Case test = cases().at(index);
    FixtureTree tree;
    tree.setGlobal(QStringLiteral("mouse/icType"),
                   test.mouse.family == Family::Fw560 ? QStringLiteral("560") : QStringLiteral("553"));
    tree.setGlobal(QStringLiteral("mouse/isGun"), test.mouse.gun);
    tree.setGlobal(QStringLiteral("mouse/isColorful"), test.mouse.colourful);
    tree.setGlobal(QStringLiteral("mouse/is55328"), test.mouse.variant55328);
    vmouse::DeviceConfig config;
    config.family = test.mouse.family;
    WireRig rig(config);
    myQQuickView view;
    BridgeOwner owner(view);
    rig.hid.owner = &owner;
    view.transport = &rig.hid;

    // Profile 3 is the current one; its firmware key matrix is its own.
    view.setCurrentProfile(2);
    view.setData(QStringLiteral("mouseFwKeyMatrix/1"), QVariantList{1, 0, 242, 0});
    view.setData(QStringLiteral("mouseFwKeyMatrix/5"), QVariantList{7, 9, 1, 6});
    // The blocks as a connection reads them.
    if (test.mouse.family == Family::Fw560)
        for (uint p = 0; p < 5; ++p)
            view.mouseReadProfile(p);
    vmouse::clearRecord();

    test.call(view);
    // The exchanges may end after the call returns: wait for them, with a bound.
    const bool ended = QTest::qWaitFor([&] { return wire() == test.expected && rig.hid.linkIdle; }, 2000);
    QCOMPARE(wire(), test.expected);
    QVERIFY2(ended, "the gate was not released");
}

QTEST_MAIN(DeviceSlots)
#include "tst_deviceslots.moc"
