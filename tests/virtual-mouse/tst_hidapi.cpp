// The hidapi surface: enumeration, opening, strings, unplugging, failure
// injection, the call record and its timestamps, the VMOUSE_CONFIG text.
#include "library.h"
#include "wire.h"

#include <QtTest>

#include <thread>

using namespace testing;
using vmouse::CallKind;

namespace {

struct Listed {
    std::string path;
    unsigned vid, pid, usagePage, usage;
    int interface;
    std::wstring product, serial;
    hid_bus_type bus;
};

std::vector<Listed> enumerate(unsigned short vid, unsigned short pid)
{
    std::vector<Listed> out;
    hid_device_info* list = hid_enumerate(vid, pid);
    for (hid_device_info* i = list; i; i = i->next)
        out.push_back({i->path, i->vendor_id, i->product_id, i->usage_page, i->usage,
                       i->interface_number, i->product_string, i->serial_number, i->bus_type});
    hid_free_enumeration(list);
    return out;
}

QStringList paths(const std::vector<Listed>& listed)
{
    QStringList out;
    for (const Listed& l : listed)
        out << QString::fromStdString(l.path);
    return out;
}

std::vector<vmouse::Call> callsOf(CallKind kind)
{
    std::vector<vmouse::Call> out;
    for (const vmouse::Call& c : vmouse::record())
        if (c.kind == kind)
            out.push_back(c);
    return out;
}

vmouse::DeviceConfig second553()
{
    vmouse::DeviceConfig c;
    c.family = vmouse::Family::Fw553;
    c.pid = 0xa1ef;
    c.usagePage = 0xff02;
    c.usage = 0xff03;
    c.hasEventInterface = false;
    c.product = L"Second";
    return c;
}

} // namespace

class TestHidapi : public QObject {
    Q_OBJECT
private slots:
    void init() { vmouse::reset(); vmouse::clearClock(); }
    void cleanupTestCase() { vmouse::clearClock(); }

    void enumerationListsEachInterface();
    void enumerationFiltersAndSkipsUnplugged();
    void openPathRefusesWhatIsNotThere_data();
    void openPathRefusesWhatIsNotThere();
    void openByIdsTakesCommandInterface();
    void unplugKillsHandlesForGood();
    void stringsInfoAndVersion();
    void featureReportsOnlyOnCommandInterface();
    void injectedFailuresHitTheNthCall();
    void injectedFailureLeavesDeviceUntouched();
    void recordHoldsEveryCall();
    void installedClockStampsAndAdvances();
    void realClockStampsInMicroseconds();
    void configTextParses();
    void resetForgetsEverything();
};

void TestHidapi::enumerationListsEachInterface()
{
    vmouse::addDevice({});
    vmouse::addDevice(second553());
    const auto all = enumerate(0, 0);
    QCOMPARE(paths(all), QStringList({"vmouse:0:0", "vmouse:0:1", "vmouse:0:2",
                                       "vmouse:1:0", "vmouse:1:1"}));
    const unsigned pages[] = {0x0001, 0xff00, 0xff01, 0x0001, 0xff02};
    const unsigned usages[] = {0x0002, 0xff00, 0xff01, 0x0002, 0xff03};
    const int interfaces[] = {0, 1, 2, 0, 1};
    for (std::size_t i = 0; i < all.size(); ++i) {
        QCOMPARE(all[i].usagePage, pages[i]);
        QCOMPARE(all[i].usage, usages[i]);
        QCOMPARE(all[i].interface, interfaces[i]);
        QCOMPARE(all[i].bus, HID_API_BUS_USB);
        QCOMPARE(all[i].vid, 0x04d9u);
    }
    QCOMPARE(all[0].pid, 0xa1eeu);
    QCOMPARE(all[4].pid, 0xa1efu);
    QVERIFY(all[1].product == L"Virtual Gaming Mouse");
    QVERIFY(all[4].product == L"Second");
    QVERIFY(all[0].serial != all[3].serial);
    QCOMPARE(callsOf(CallKind::Enumerate).back().result, 5);
}

void TestHidapi::enumerationFiltersAndSkipsUnplugged()
{
    vmouse::addDevice({});
    vmouse::addDevice(second553());
    QCOMPARE(paths(enumerate(0x04d9, 0xa1ee)), QStringList({"vmouse:0:0", "vmouse:0:1", "vmouse:0:2"}));
    QCOMPARE(paths(enumerate(0, 0xa1ef)), QStringList({"vmouse:1:0", "vmouse:1:1"}));
    QCOMPARE(enumerate(0x04d9, 0).size(), std::size_t{5});
    QVERIFY(hid_enumerate(0x1234, 0) == nullptr);

    vmouse::unplug(0);
    QVERIFY(!vmouse::isPlugged(0));
    QVERIFY(hid_enumerate(0x04d9, 0xa1ee) == nullptr);
    QCOMPARE(paths(enumerate(0, 0)), QStringList({"vmouse:1:0", "vmouse:1:1"}));
    vmouse::replug(0);
    QCOMPARE(enumerate(0, 0).size(), std::size_t{5});

    const auto enumerations = callsOf(CallKind::Enumerate);
    QCOMPARE(enumerations[1].vid, 0u);
    QCOMPARE(enumerations[1].pid, 0xa1efu);
}

void TestHidapi::openPathRefusesWhatIsNotThere_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("real device path") << "/dev/hidraw0";
    QTest::newRow("no interface") << "vmouse:0";
    QTest::newRow("trailing junk") << "vmouse:0:1x";
    QTest::newRow("unknown device") << "vmouse:7:1";
    QTest::newRow("unknown interface") << "vmouse:0:3";
    QTest::newRow("absent event interface") << "vmouse:1:2";
    QTest::newRow("empty") << "";
}

void TestHidapi::openPathRefusesWhatIsNotThere()
{
    QFETCH(QString, path);
    vmouse::addDevice({});
    vmouse::addDevice(second553());
    QVERIFY(hid_open_path(path.toLatin1().constData()) == nullptr);
    QCOMPARE(callsOf(CallKind::OpenPath).back().result, 0);
    QVERIFY(std::wcslen(hid_error(nullptr)) > 0);
    QVERIFY(std::wstring(hid_error(nullptr)) != L"Success");
}

void TestHidapi::openByIdsTakesCommandInterface()
{
    auto noCommand = vmouse::DeviceConfig{};
    noCommand.hasCommandInterface = false;
    vmouse::addDevice(noCommand);
    vmouse::addDevice({});
    vmouse::addDevice({});

    hid_device* dev = hid_open(0x04d9, 0xa1ee, nullptr);
    QVERIFY(dev);
    QCOMPARE(callsOf(CallKind::Open).back().path, std::string("vmouse:1:1"));
    hid_close(dev);

    dev = hid_open(0x04d9, 0xa1ee, L"vmouse-2");
    QVERIFY(dev);
    QCOMPARE(callsOf(CallKind::Open).back().path, std::string("vmouse:2:1"));
    hid_close(dev);

    QVERIFY(!hid_open(0x04d9, 0xa1ee, L"vmouse-0"));
    QVERIFY(!hid_open(0x04d9, 0x0001, nullptr));
    // Real hidapi needs the exact pair here; 0 is no wildcard.
    QVERIFY(!hid_open(0, 0, nullptr));
}

void TestHidapi::unplugKillsHandlesForGood()
{
    const int id = vmouse::addDevice({});
    Wire wire(id);
    hid_device* events = hid_open_path(eventPath(id).c_str());
    QVERIFY(wire.isOpen() && events);
    QCOMPARE(wire.send(reference::command(0x02, {3})), 9);

    vmouse::unplug(id);
    QCOMPARE(wire.send(reference::command(0x02, {4})), -1);
    wire.reply();
    QCOMPARE(wire.lastResult, -1);
    unsigned char buf[33] = {0};
    QCOMPARE(hid_write(wire.handle(), buf, sizeof buf), -1);
    QCOMPARE(hid_read_timeout(events, buf, 4, 0), -1);
    QCOMPARE(hid_set_nonblocking(events, 1), -1);
    QVERIFY(!hid_open_path(commandPath(id).c_str()));

    vmouse::replug(id);
    // A handle from before the unplug stays dead, like a hidraw descriptor.
    QCOMPARE(wire.send(reference::command(0x02, {4})), -1);
    Wire again(id);
    QVERIFY(again.isOpen());
    QCOMPARE(vmouse::state(id).currentProfile560, 3); // firmware kept its state
    QCOMPARE(again.send(reference::command(0x02, {4})), 9);
    QCOMPARE(vmouse::state(id).currentProfile560, 4);
    hid_close(events);
}

void TestHidapi::stringsInfoAndVersion()
{
    auto c = vmouse::DeviceConfig{};
    c.product = L"A rather long product name";
    const int id = vmouse::addDevice(c);
    Wire wire(id);
    wchar_t text[64];
    QCOMPARE(hid_get_product_string(wire.handle(), text, 64), 0);
    QVERIFY(std::wstring(text) == c.product);
    QCOMPARE(hid_get_product_string(wire.handle(), text, 7), 0); // cut, terminated
    QVERIFY(std::wstring(text) == L"A rath");
    QCOMPARE(hid_get_serial_number_string(wire.handle(), text, 64), 0);
    QVERIFY(std::wstring(text) == L"vmouse-0");
    QCOMPARE(hid_get_manufacturer_string(wire.handle(), text, 64), 0);
    QVERIFY(std::wcslen(text) > 0);
    QCOMPARE(hid_get_indexed_string(wire.handle(), 1, text, 64), -1);
    QCOMPARE(callsOf(CallKind::GetString).size(), std::size_t{5});

    hid_device_info* info = hid_get_device_info(wire.handle());
    QVERIFY(info);
    QCOMPARE(QString(info->path), QString("vmouse:0:1"));
    QCOMPARE(info->usage_page, 0xff00);
    QCOMPARE(info->interface_number, 1);
    QVERIFY(hid_get_device_info(wire.handle()) == info); // owned by the handle

    const hid_api_version* v = hid_version();
    QCOMPARE(v->major, 0);
    QCOMPARE(v->minor, 13);
    QCOMPARE(v->patch, 1);
    QCOMPARE(QString(hid_version_str()), QString("0.13.1"));
}

void TestHidapi::featureReportsOnlyOnCommandInterface()
{
    const int id = vmouse::addDevice({});
    hid_device* mouse = hid_open_path("vmouse:0:0");
    hid_device* events = hid_open_path(eventPath(id).c_str());
    unsigned char report[9] = {0, 0x02, 3, 0, 0, 0, 0, 0, 0};
    report[8] = reference::checksum({0x02, 3, 0, 0, 0, 0, 0, 0});
    QCOMPARE(hid_send_feature_report(mouse, report, 9), -1);
    QCOMPARE(hid_send_feature_report(events, report, 9), -1);
    QCOMPARE(hid_write(events, report, 9), -1);
    QCOMPARE(vmouse::state(id).validCommands, 0);

    Wire wire(id);
    QCOMPARE(hid_send_feature_report(wire.handle(), report, 8), -1); // short
    report[0] = 1;                                                    // other report id
    QCOMPARE(hid_send_feature_report(wire.handle(), report, 9), -1);
    QCOMPARE(vmouse::state(id).validCommands, 0);
    QCOMPARE(hid_get_input_report(wire.handle(), report, 9), -1);
    hid_close(mouse);
    hid_close(events);
}

void TestHidapi::injectedFailuresHitTheNthCall()
{
    const int id = vmouse::addDevice({});
    Wire wire(id);
    vmouse::failCall(CallKind::SendFeature, 2);
    vmouse::failCall(CallKind::SendFeature, 4);
    QList<int> results;
    QList<bool> reportedInjected;
    for (std::uint8_t profile = 1; profile <= 5; ++profile) {
        results << wire.send(reference::command(0x02, {profile}));
        reportedInjected << (std::wstring(hid_error(wire.handle())) == L"vmouse: injected failure");
    }
    QCOMPARE(results, QList<int>({9, -1, 9, -1, 9}));
    QCOMPARE(reportedInjected, QList<bool>({false, true, false, true, false}));
    QCOMPARE(vmouse::state(id).validCommands, 3);
    QCOMPARE(vmouse::state(id).currentProfile560, 5);

    vmouse::failCall(CallKind::OpenPath);
    QVERIFY(!hid_open_path(commandPath(id).c_str()));
    QVERIFY(Wire(id).isOpen());

    vmouse::failCall(CallKind::Enumerate);
    QVERIFY(!hid_enumerate(0, 0));
    QCOMPARE(enumerate(0, 0).size(), std::size_t{3});

    vmouse::failCall(CallKind::Open);
    QVERIFY(!hid_open(0x04d9, 0xa1ee, nullptr));

    for (CallKind kind : {CallKind::Init, CallKind::Exit}) {
        vmouse::failCall(kind);
        QCOMPARE(kind == CallKind::Init ? hid_init() : hid_exit(), -1);
        QCOMPARE(kind == CallKind::Init ? hid_init() : hid_exit(), 0);
    }
}

// A failed read leaves its report queued, a failed write delivers nothing,
// a failed get-feature leaves the reply in place.
void TestHidapi::injectedFailureLeavesDeviceUntouched()
{
    const int id = vmouse::addDevice({});
    hid_device* events = hid_open_path(eventPath(id).c_str());
    vmouse::pressDpiButton(id, 2);
    vmouse::failCall(CallKind::ReadTimeout);
    unsigned char buf[4];
    QCOMPARE(hid_read_timeout(events, buf, 4, 0), -1);
    QCOMPARE(hid_read_timeout(events, buf, 4, 0), 4);
    QCOMPARE(buf[3], 2);
    hid_close(events);

    Wire wire(id);
    QCOMPARE(wire.send(reference::command(0x0F, {3, 0x80})), 9);
    vmouse::failCall(CallKind::Write, 2);
    const Bytes macro = pattern(128, 9);
    QCOMPARE(wire.writeBulk(macro), -1); // the second of four reports failed
    QVERIFY(!vmouse::state(id).macros.contains(3));

    wire.exchange(reference::command(0x82));
    vmouse::failCall(CallKind::GetFeature);
    wire.reply();
    QCOMPARE(wire.lastResult, -1);
    QCOMPARE(wire.reply()[0], 0x82);
    QCOMPARE(wire.lastResult, 9);
}

void TestHidapi::recordHoldsEveryCall()
{
    auto c = vmouse::DeviceConfig{};
    c.encoded = true;
    c.secrecyCode = "Kq93xZ";
    const int id = vmouse::addDevice(c);
    vmouse::clearRecord();

    hid_init();
    hid_free_enumeration(hid_enumerate(0x04d9, 0xa1ee));
    hid_device* dev = hid_open_path(commandPath(id).c_str());
    hid_set_nonblocking(dev, 0);
    const reference::Block plain = reference::command(0x00, {0x11, 0x22, 0x33, 0x44});
    const reference::Block wireBlock = reference::encipher(plain, c.secrecyCode);
    unsigned char report[9] = {0};
    std::copy(wireBlock.begin(), wireBlock.end(), report + 1);
    hid_send_feature_report(dev, report, 9);
    unsigned char reply[12] = {0};
    QCOMPARE(hid_get_feature_report(dev, reply, sizeof reply), 9);
    hid_close(dev);
    hid_exit();

    const auto calls = vmouse::record();
    QStringList kinds;
    for (const auto& call : calls)
        kinds << vmouse::callKindName(call.kind);
    QCOMPARE(kinds, QStringList({"hid_init", "hid_enumerate", "hid_free_enumeration",
                                 "hid_open_path", "hid_set_nonblocking",
                                 "hid_send_feature_report", "hid_get_feature_report",
                                 "hid_close", "hid_exit"}));
    QCOMPARE(calls[1].result, 3);
    QCOMPARE(calls[1].vid, 0x04d9u);
    QCOMPARE(calls[3].path, std::string("vmouse:0:1"));
    QCOMPARE(calls[3].device, id);
    QCOMPARE(calls[3].iface, 1);
    QCOMPARE(calls[3].result, 1);
    QCOMPARE(calls[4].data, Bytes{0});

    const vmouse::Call& send = calls[5];
    QCOMPARE(send.data, Bytes(report, report + 9));
    QCOMPARE(send.plainBlock, Bytes(plain.begin(), plain.end()));
    QCOMPARE(send.length, std::size_t{9});
    QCOMPARE(send.result, 9);
    QCOMPARE(send.iface, 1);

    const vmouse::Call& get = calls[6];
    QCOMPARE(get.length, sizeof reply);
    QCOMPARE(get.data, Bytes(reply, reply + 9));
    reference::Block answer;
    std::copy(reply + 1, reply + 9, answer.begin());
    QCOMPARE(reference::decipher(answer, c.secrecyCode), plain); // echo, same checksum
    QCOMPARE(calls[7].path, std::string("vmouse:0:1"));
    QCOMPARE(calls[0].device, -1);
    QCOMPARE(calls[0].path, std::string());
    for (std::size_t i = 1; i < calls.size(); ++i)
        QVERIFY(calls[i].timeUs >= calls[i - 1].timeUs);
}

void TestHidapi::installedClockStampsAndAdvances()
{
    ManualClock clock;
    vmouse::setClock(clock.hooks());
    const int id = vmouse::addDevice({});
    Wire wire(id);
    clock.us = 5'000'000;
    wire.send(reference::command(0x82));
    clock.us += 128'000;
    wire.reply();
    unsigned char buf[33];
    QCOMPARE(hid_read_timeout(wire.handle(), buf, sizeof buf, 250), 0);
    QCOMPARE(hid_read(wire.handle(), buf, sizeof buf), 0);
    QCOMPARE(clock.advancedMs.load(), 250 + 1000);
    wire.send(reference::command(0x82));

    const auto calls = vmouse::record();
    const std::size_t n = calls.size();
    QCOMPARE(calls[n - 5].timeUs, std::int64_t{5'000'000});
    QCOMPARE(calls[n - 4].timeUs, std::int64_t{5'128'000});
    QCOMPARE(calls[n - 3].timeUs, std::int64_t{5'128'000}); // stamped on entry
    QCOMPARE(calls[n - 3].timeoutMs, 250);
    QCOMPARE(calls[n - 2].timeUs, std::int64_t{5'378'000});
    QCOMPARE(calls[n - 2].timeoutMs, -1);
    QCOMPARE(calls[n - 1].timeUs, std::int64_t{6'378'000});

    vmouse::reset(); // the clock survives a reset
    hid_init();
    QCOMPARE(vmouse::record().front().timeUs, std::int64_t{6'378'000});
}

void TestHidapi::realClockStampsInMicroseconds()
{
    hid_init();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    hid_init();
    const auto calls = vmouse::record();
    const std::int64_t gap = calls[1].timeUs - calls[0].timeUs;
    QVERIFY2(gap >= 30'000 && gap < 2'000'000, QByteArray::number(qlonglong(gap)));
}

void TestHidapi::configTextParses()
{
    const auto devices = vmouse::detail::devicesFromText(
        "family=553, vid=1b1c, pid=A1EF, rl=64, enc=1, code=Zx81ab, up=ff10, u=ff11, "
        "up2=ff12, u2=ff13, event=0, command=1, echo=0;;family=560,rl=0,bogus=1,enc=2");
    QCOMPARE(devices.size(), std::size_t{2});
    const vmouse::DeviceConfig& a = devices[0];
    QCOMPARE(a.family, vmouse::Family::Fw553);
    QCOMPARE(a.vid, 0x1b1c);
    QCOMPARE(a.pid, 0xa1ef);
    QCOMPARE(a.reportLength, 64);
    QVERIFY(a.encoded);
    QCOMPARE(a.secrecyCode, std::string("Zx81ab"));
    QCOMPARE(a.usagePage, 0xff10);
    QCOMPARE(a.usage, 0xff11);
    QCOMPARE(a.usagePage2, 0xff12);
    QCOMPARE(a.usage2, 0xff13);
    QVERIFY(!a.hasEventInterface && a.hasCommandInterface && !a.answersEcho);
    // Bad items are ignored one by one; the device keeps its defaults there.
    const vmouse::DeviceConfig& b = devices[1];
    QCOMPARE(b.family, vmouse::Family::Fw560);
    QCOMPARE(b.reportLength, 32);
    QVERIFY(!b.encoded);
    QVERIFY(vmouse::detail::devicesFromText("").empty());
}

void TestHidapi::resetForgetsEverything()
{
    const int id = vmouse::addDevice({});
    hid_device* old = hid_open_path(commandPath(id).c_str());
    vmouse::failCall(CallKind::Init);
    vmouse::reset();
    QVERIFY(vmouse::record().empty());
    QVERIFY(!hid_enumerate(0, 0));
    QCOMPARE(hid_init(), 0); // the pending failure went too
    QCOMPARE(vmouse::addDevice({}), 0);
    unsigned char report[9] = {0, 0x02, 3, 0, 0, 0, 0, 0, 0};
    report[8] = reference::checksum({0x02, 3, 0, 0, 0, 0, 0, 0});
    QCOMPARE(hid_send_feature_report(old, report, 9), -1); // not the new device 0
    QCOMPARE(vmouse::state(0).validCommands, 0);
    hid_close(old);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, vmouse::state(1));
}

QTEST_APPLESS_MAIN(TestHidapi)
#include "tst_hidapi.moc"
