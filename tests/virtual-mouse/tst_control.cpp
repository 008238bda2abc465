// The control channel inside one process: the line protocol (requests,
// their arguments, the exact answer formats) and the socket server (several
// lines and clients, slow and vanishing clients, stale and foreign files at
// the path, permissions, stopping).
#include "control_client.h"
#include "wire.h"

#include <QtTest>

#include <fstream>
#include <sys/stat.h>

using namespace testing;
using reference::command;

namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(text.substr(from, end - from));
    if (from != text.size())
        lines.push_back(text.substr(from) + "<no newline>");
    return lines;
}

std::vector<std::string> ask(const std::string& request)
{
    return splitLines(vmouse::controlRequest(request));
}

// The answer's last line, after checking that it is the only final line.
std::string verdict(const std::string& request)
{
    const auto lines = ask(request);
    if (lines.empty())
        return "<nothing>";
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (isFinalLine(lines[i]))
            return "<final line before the end: " + lines[i] + ">";
    }
    return lines.back();
}

bool contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t countStartingWith(const std::vector<std::string>& lines, const std::string& prefix)
{
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
}

Bytes readEvent(int device)
{
    hid_device* dev = hid_open_path(eventPath(device).c_str());
    if (!dev)
        return {0xEE};
    Bytes data(64, 0);
    const int n = hid_read_timeout(dev, data.data(), data.size(), 0);
    hid_close(dev);
    data.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return data;
}

// A socket file nobody listens on, as a crashed server leaves it.
bool makeStaleSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

} // namespace

class TestControl : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        vmouse::stopControl();
        vmouse::reset();
        vmouse::clearClock();
    }
    void cleanup()
    {
        vmouse::stopControl();
        vmouse::clearClock();
    }

    // --- the protocol ---
    void everyRequestEndsInOneVerdict_data();
    void everyRequestEndsInOneVerdict();
    void helpNamesOnlyKnownRequests();
    void devicesListsIdsFamiliesAndPlugState();
    void addTakesDeviceItemsAndRefusesBadOnes();
    void dpiAndEventReachTheChosenDevice();
    void unplugAndReplugByRequest();
    void recordLinesHaveTheDocumentedFields();
    void recordClearForgetsCalls();
    void stateDumps560Memory();
    void stateDumps553Memory();
    void failArmsTheNthCallOfAKind();
    void udevNeedsTheSharedLibrary();

    // --- the socket server ---
    void socketIsPrivateToTheUser();
    void severalLinesOnOneConnectionAnswerInOrder();
    void lastLineWithoutNewlineIsAnswered();
    void idleClientHoldsUpNobody();
    void overlongRequestIsRefusedAndClosed();
    void largeAnswerArrivesWhole();
    void clientLeavingBeforeItsAnswerHarmsNothing();
    void staleSocketIsReplaced();
    void liveSocketIsLeftAlone();
    void otherFileIsLeftAlone();
    void badPathsAreRefused();
    void oneServerAtATime();
    void stopClosesClientsAndRemovesTheSocket();

private:
    QString socketPath() const { return dir.filePath("control.sock"); }
    std::string path() const { return socketPath().toStdString(); }
    void serve()
    {
        std::string error;
        QVERIFY2(vmouse::serveControl(path(), &error), error.c_str());
    }

    QTemporaryDir dir;
};

// --- the protocol -------------------------------------------------------------

void TestControl::everyRequestEndsInOneVerdict_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("expected"); // the last line, or the start of an error

    QTest::newRow("empty") << "" << "error empty request";
    QTest::newRow("blanks") << " \t " << "error empty request";
    QTest::newRow("unknown") << "dance" << "error unknown request 'dance' (try help)";
    QTest::newRow("case matters") << "DEVICES" << "error unknown request 'DEVICES' (try help)";
    QTest::newRow("devices") << "devices" << "ok";
    QTest::newRow("carriage return") << "devices\r" << "ok";
    QTest::newRow("devices extra") << "devices 0" << "error usage: devices";
    QTest::newRow("dpi no stage") << "dpi" << "error usage: dpi <stage> [device]";
    QTest::newRow("dpi too many") << "dpi 1 0 0" << "error usage: dpi <stage> [device]";
    QTest::newRow("dpi stage text") << "dpi x" << "error bad stage 'x'";
    QTest::newRow("dpi stage over") << "dpi 256" << "error bad stage '256'";
    QTest::newRow("dpi stage negative") << "dpi -1" << "error bad stage '-1'";
    QTest::newRow("dpi stage suffix") << "dpi 3x" << "error bad stage '3x'";
    QTest::newRow("dpi top stage") << "dpi 255" << "ok";
    QTest::newRow("dpi no device") << "dpi 1 1" << "error no device 1";
    QTest::newRow("dpi bad device") << "dpi 1 -1" << "error bad device '-1'";
    QTest::newRow("event odd hex") << "event 060" << "error bad hex bytes '060'";
    QTest::newRow("event not hex") << "event 0g" << "error bad hex bytes '0g'";
    QTest::newRow("event prefix") << "event 0x06" << "error bad hex bytes '0x06'";
    QTest::newRow("event upper case") << "event 0A0B" << "ok";
    QTest::newRow("unplug no device") << "unplug 3" << "error no device 3";
    QTest::newRow("replug no device") << "replug 3" << "error no device 3";
    QTest::newRow("state no device") << "state 1" << "error no device 1";
    QTest::newRow("record other word") << "record all" << "error usage: record [clear]";
    QTest::newRow("fail unknown kind") << "fail hid_dance" << "error unknown call kind 'hid_dance'";
    QTest::newRow("fail zero") << "fail hid_read 0" << "error bad count '0'";
    QTest::newRow("fail no kind") << "fail" << "error usage: fail <kind> [n]";
    QTest::newRow("add bad item") << "add family=554" << "error bad device item 'family=554'";
    QTest::newRow("add two words") << "add family=553 pid=1" << "error usage: add [key=value,...]";
}

void TestControl::everyRequestEndsInOneVerdict()
{
    QFETCH(QString, request);
    QFETCH(QString, expected);
    vmouse::addDevice({});
    QCOMPARE(QString::fromStdString(verdict(request.toStdString())), expected);
}

void TestControl::helpNamesOnlyKnownRequests()
{
    const auto lines = ask("help");
    QCOMPARE(lines.back(), std::string("ok"));
    QCOMPARE(lines.size(), std::size_t{12}); // 11 requests
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string name = lines[i].substr(0, lines[i].find(' '));
        QVERIFY2(!verdict(name).starts_with("error unknown request"), lines[i].c_str());
    }
}

void TestControl::devicesListsIdsFamiliesAndPlugState()
{
    QCOMPARE(ask("devices"), std::vector<std::string>{"ok"}); // reset: no device at all
    vmouse::addDevice({});
    vmouse::DeviceConfig other;
    other.family = vmouse::Family::Fw553;
    other.vid = 0x1a2b;
    other.pid = 0x000c;
    vmouse::addDevice(other);
    vmouse::unplug(1);
    QCOMPARE(ask("devices"), (std::vector<std::string>{"0 04d9:a1ee 560 plugged",
                                                       "1 1a2b:000c 553 unplugged", "ok"}));
}

void TestControl::addTakesDeviceItemsAndRefusesBadOnes()
{
    QCOMPARE(ask("add"), (std::vector<std::string>{"0", "ok"}));
    QCOMPARE(ask("add family=553,pid=b001,event=0"), (std::vector<std::string>{"1", "ok"}));
    QVERIFY(verdict("add pid=b002,colour=red").starts_with("error bad device item 'colour=red'"));
    QCOMPARE(vmouse::deviceCount(), 2);
    const vmouse::DeviceConfig added = vmouse::config(1);
    QCOMPARE(added.family, vmouse::Family::Fw553);
    QCOMPARE(added.pid, std::uint16_t{0xb001});
    QVERIFY(!added.hasEventInterface);
}

void TestControl::dpiAndEventReachTheChosenDevice()
{
    vmouse::addDevice({});
    vmouse::addDevice({});
    QCOMPARE(verdict("dpi 3"), std::string("ok"));
    QCOMPARE(verdict("event 0605010209 1"), std::string("ok"));
    QCOMPARE(verdict("dpi 8 1"), std::string("ok"));
    QCOMPARE(readEvent(0), (Bytes{0x06, 0x07, 0x00, 0x03}));
    QCOMPARE(readEvent(0), Bytes{});
    QCOMPARE(readEvent(1), (Bytes{0x06, 0x05, 0x01, 0x02, 0x09}));
    QCOMPARE(readEvent(1), (Bytes{0x06, 0x07, 0x00, 0x08}));
    QCOMPARE(verdict("event FF"), std::string("ok"));
    QCOMPARE(readEvent(0), Bytes{0xff});
}

void TestControl::unplugAndReplugByRequest()
{
    vmouse::addDevice({});
    vmouse::addDevice({});
    QCOMPARE(verdict("unplug 1"), std::string("ok"));
    QVERIFY(vmouse::isPlugged(0));
    QVERIFY(!vmouse::isPlugged(1));
    QCOMPARE(verdict("unplug"), std::string("ok"));
    QVERIFY(!vmouse::isPlugged(0));
    QCOMPARE(verdict("unplug"), std::string("ok")); // already out: nothing to do
    QCOMPARE(verdict("replug 1"), std::string("ok"));
    QVERIFY(vmouse::isPlugged(1));
    QVERIFY(!vmouse::isPlugged(0));
}

void TestControl::recordLinesHaveTheDocumentedFields()
{
    vmouse::addDevice({});
    ManualClock clock;
    vmouse::setClock(clock.hooks());
    hid_device* dev = hid_open_path(commandPath(0).c_str());
    QVERIFY(dev);
    const auto echo = command(0x00, {0x5a, 0xa5, 0x01, 0xfe});
    unsigned char report[9] = {0};
    std::copy(echo.begin(), echo.end(), report + 1);
    QCOMPARE(hid_send_feature_report(dev, report, sizeof report), 9);
    unsigned char reply[9] = {0};
    QCOMPARE(hid_get_feature_report(dev, reply, sizeof reply), 9);
    unsigned char buffer[33];
    QCOMPARE(hid_read_timeout(dev, buffer, sizeof buffer, 5), 0); // advances the clock 5 ms
    hid_close(dev);
    hid_free_enumeration(hid_enumerate(0x04d9, 0));
    QCOMPARE(hid_open_path("vmouse:7:1"), nullptr);

    QCOMPARE(ask("record"),
             (std::vector<std::string>{
                 "1000000 hid_open_path vmouse:0:1 - len=0 timeout=0 result=1",
                 "1000000 hid_send_feature_report vmouse:0:1 00005aa501fe000001 len=9 timeout=0 result=9",
                 "1000000 hid_get_feature_report vmouse:0:1 00005aa501fe000001 len=9 timeout=0 result=9",
                 "1000000 hid_read_timeout vmouse:0:1 - len=33 timeout=5 result=0",
                 "1005000 hid_close vmouse:0:1 - len=0 timeout=0 result=0",
                 "1005000 hid_enumerate - - len=0 timeout=0 result=3",
                 "1005000 hid_free_enumeration - - len=0 timeout=0 result=0",
                 "1005000 hid_open_path vmouse:7:1 - len=0 timeout=0 result=0",
                 "ok"}));
}

void TestControl::recordClearForgetsCalls()
{
    vmouse::addDevice({});
    hid_free_enumeration(hid_enumerate(0, 0));
    QCOMPARE(ask("record").size(), std::size_t{3});
    QCOMPARE(ask("record clear"), std::vector<std::string>{"ok"});
    QCOMPARE(ask("record"), std::vector<std::string>{"ok"});
    QVERIFY(vmouse::record().empty());
}

void TestControl::stateDumps560Memory()
{
    vmouse::addDevice({});
    {
        Wire wire(0);
        QVERIFY(wire.isOpen());
        QCOMPARE(wire.send(command(0x01, {0x12, 0x34})), 9); // keyboard options
        QCOMPARE(wire.send(command(0x03, {2, 1})), 9);       // report rate of slot 2
        QCOMPARE(wire.send(command(0x04, {4, 6})), 9);       // DPI stage of slot 4
        QCOMPARE(wire.send(command(0x02, {3})), 9);          // profile slot
    }
    const auto lines = ask("state");
    QCOMPARE(lines.back(), std::string("ok"));
    QVERIFY(contains(lines, "device: 0"));
    QVERIFY(contains(lines, "family: 560"));
    QVERIFY(contains(lines, "valid-commands: 4"));
    QVERIFY(contains(lines, "bad-checksums: 0"));
    QVERIFY(contains(lines, "keyboard-options: 12 34"));
    QVERIFY(contains(lines, "profile: 3"));
    QVERIFY(contains(lines, "report-rate: 1=3 2=1 3=3 4=3"));
    QVERIFY(contains(lines, "dpi: 1=1 2=1 3=1 4=6"));
    // Five initial blocks of 128 bytes, 16 to a line: byte i of block p is
    // (0xa0 + 0x10 p) ^ i.
    QCOMPARE(countStartingWith(lines, "profile-block "), std::size_t{40});
    QVERIFY(contains(lines, "profile-block 1 +00: b0 b1 b2 b3 b4 b5 b6 b7 b8 b9 ba bb bc bd be bf"));
    QVERIFY(contains(lines, "profile-block 4 +70: 90 91 92 93 94 95 96 97 98 99 9a 9b 9c 9d 9e 9f"));
    QCOMPARE(countStartingWith(lines, "key-matrix "), std::size_t{0});
}

void TestControl::stateDumps553Memory()
{
    vmouse::DeviceConfig c;
    c.family = vmouse::Family::Fw553;
    vmouse::addDevice({});
    vmouse::addDevice(c);
    vmouse::FirmwareState s = vmouse::state(1);
    s.keyboardOptions553 = {1, 2, 3, 4};
    s.dpiStageCount553 = 2;
    s.dpiCodes553 = {0x10, 0x20};
    s.keyMatrices[2] = pattern(20, 0);
    vmouse::setState(1, s);

    const auto lines = ask("state 1");
    QCOMPARE(lines.back(), std::string("ok"));
    QVERIFY(contains(lines, "family: 553"));
    QVERIFY(contains(lines, "keyboard-options: 01 02 03 04"));
    QVERIFY(contains(lines, "report-rate: 3"));
    QVERIFY(contains(lines, "dpi-stages: 2"));
    QVERIFY(contains(lines, "dpi-codes: 10 20"));
    QVERIFY(contains(lines, "led-stage-type: -1"));
    QVERIFY(contains(lines, "led-stage-colors: -"));
    // A block that is not a multiple of 16 ends in a short line.
    QVERIFY(contains(lines, "key-matrix 2 +00: 01 04 07 0a 0d 10 13 16 19 1c 1f 22 25 28 2b 2e"));
    QVERIFY(contains(lines, "key-matrix 2 +10: 31 34 37 3a"));
    QCOMPARE(countStartingWith(lines, "profile-block"), std::size_t{0});
}

void TestControl::failArmsTheNthCallOfAKind()
{
    vmouse::addDevice({});
    QCOMPARE(verdict("fail hid_open_path 2"), std::string("ok"));
    hid_device* first = hid_open_path(commandPath(0).c_str());
    QVERIFY(first);
    QCOMPARE(hid_open_path(commandPath(0).c_str()), nullptr);
    hid_device* third = hid_open_path(commandPath(0).c_str());
    QVERIFY(third);
    QCOMPARE(verdict("fail hid_send_feature_report"), std::string("ok"));
    unsigned char report[9] = {0};
    QCOMPARE(hid_send_feature_report(first, report, sizeof report), -1);
    QCOMPARE(hid_send_feature_report(first, report, sizeof report), 9);
    hid_close(first);
    hid_close(third);
}

void TestControl::udevNeedsTheSharedLibrary()
{
    QVERIFY(verdict("udev").starts_with("error no device notifications in this build"));
}

// --- the socket server ----------------------------------------------------------

void TestControl::socketIsPrivateToTheUser()
{
    const mode_t previous = umask(0); // the server must not rely on the umask
    std::string error;
    const bool served = vmouse::serveControl(path(), &error);
    umask(previous);
    QVERIFY2(served, error.c_str());
    struct stat st {};
    QCOMPARE(lstat(path().c_str(), &st), 0);
    QVERIFY(S_ISSOCK(st.st_mode));
    QCOMPARE(st.st_mode & 0777, mode_t{0600});
    QCOMPARE(st.st_uid, getuid());
}

void TestControl::severalLinesOnOneConnectionAnswerInOrder()
{
    vmouse::addDevice({});
    serve();
    ControlClient client(path());
    QVERIFY(client.connected());
    QVERIFY(client.send("devices\nbogus\ndpi 2\r\n"));
    QCOMPARE(client.readAnswers(3), (std::vector<std::string>{
                                        "0 04d9:a1ee 560 plugged", "ok",
                                        "error unknown request 'bogus' (try help)", "ok"}));
    QCOMPARE(readEvent(0), (Bytes{0x06, 0x07, 0x00, 0x02}));
    // The connection stays open for more.
    QVERIFY(client.send("unplug\ndevices\n"));
    QCOMPARE(client.readAnswers(2),
             (std::vector<std::string>{"ok", "0 04d9:a1ee 560 unplugged", "ok"}));
}

void TestControl::lastLineWithoutNewlineIsAnswered()
{
    vmouse::addDevice({});
    serve();
    ControlClient client(path());
    QVERIFY(client.send("dpi 4\ndpi 5"));
    client.finishSending();
    QCOMPARE(client.readAnswers(2), (std::vector<std::string>{"ok", "ok"}));
    QVERIFY(client.waitClosed());
    QCOMPARE(readEvent(0), (Bytes{0x06, 0x07, 0x00, 0x04}));
    QCOMPARE(readEvent(0), (Bytes{0x06, 0x07, 0x00, 0x05}));
}

void TestControl::idleClientHoldsUpNobody()
{
    vmouse::addDevice({});
    serve();
    ControlClient silent(path());
    ControlClient halfway(path());
    QVERIFY(silent.connected());
    QVERIFY(halfway.send("dev"));
    ControlClient other(path());
    QVERIFY(other.send("devices\n"));
    QCOMPARE(other.readAnswers(1), (std::vector<std::string>{"0 04d9:a1ee 560 plugged", "ok"}));
    QVERIFY(halfway.send("ices\n"));
    QCOMPARE(halfway.readAnswers(1), (std::vector<std::string>{"0 04d9:a1ee 560 plugged", "ok"}));
}

void TestControl::overlongRequestIsRefusedAndClosed()
{
    serve();
    ControlClient client(path());
    // No newline: the server must not buffer without bound. It may close
    // before taking everything, so the send result is not asserted.
    client.send(std::string(70 * 1024, 'a'));
    QCOMPARE(client.readAnswers(1), std::vector<std::string>{"error request longer than 65536 bytes"});
    QVERIFY(client.waitClosed());
    ControlClient next(path());
    QVERIFY(next.send("devices\n"));
    QCOMPARE(next.readAnswers(1), std::vector<std::string>{"ok"});
}

// More answer than the socket buffers and the server's own limit hold: the
// server waits for the client to read rather than dropping or blocking.
void TestControl::largeAnswerArrivesWhole()
{
    constexpr int kCalls = 40000; // about 1.5 MB of record lines
    for (int i = 0; i < kCalls; ++i)
        hid_error(nullptr);
    serve();
    ControlClient client(path());
    QVERIFY(client.send("record\n"));
    const auto lines = client.readAnswers(1, 20000);
    QCOMPARE(lines.size(), std::size_t{kCalls + 1});
    QCOMPARE(lines.back(), std::string("ok"));
    QVERIFY(lines[kCalls - 1].ends_with(" hid_error - - len=0 timeout=0 result=0"));
}

void TestControl::clientLeavingBeforeItsAnswerHarmsNothing()
{
    for (int i = 0; i < 40000; ++i)
        hid_error(nullptr);
    serve();
    for (int round = 0; round < 3; ++round) {
        ControlClient client(path());
        QVERIFY(client.send("record\nrecord\n"));
    } // closed unread: the server's writes fail (no SIGPIPE may end this process)
    ControlClient next(path());
    QVERIFY(next.send("record clear\ndevices\n"));
    QCOMPARE(next.readAnswers(2), (std::vector<std::string>{"ok", "ok"}));
}

void TestControl::staleSocketIsReplaced()
{
    QVERIFY(makeStaleSocket(path()));
    serve();
    ControlClient client(path());
    QVERIFY(client.send("devices\n"));
    QCOMPARE(client.readAnswers(1), std::vector<std::string>{"ok"});
}

void TestControl::liveSocketIsLeftAlone()
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path().c_str());
    const int owner = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QCOMPARE(bind(owner, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    QCOMPARE(listen(owner, 4), 0);

    std::string error;
    QVERIFY(!vmouse::serveControl(path(), &error));
    QVERIFY2(error.find("served by another process") != std::string::npos, error.c_str());
    // The other owner still gets its clients.
    ControlClient client(path());
    QVERIFY(client.connected());
    pollfd p{owner, POLLIN, 0};
    QCOMPARE(poll(&p, 1, 2000), 1);
    const int accepted = accept(owner, nullptr, nullptr);
    QVERIFY(accepted >= 0);
    close(accepted);
    close(owner);
    unlink(path().c_str());
}

void TestControl::otherFileIsLeftAlone()
{
    {
        std::ofstream file(path());
        file << "keep me\n";
    }
    std::string error;
    QVERIFY(!vmouse::serveControl(path(), &error));
    QVERIFY2(error.find("is not a socket") != std::string::npos, error.c_str());
    std::ifstream file(path());
    std::string text;
    std::getline(file, text);
    QCOMPARE(text, std::string("keep me"));
    QFile::remove(socketPath());
}

void TestControl::badPathsAreRefused()
{
    std::string error;
    QVERIFY(!vmouse::serveControl("", &error));
    QVERIFY(!vmouse::serveControl(dir.path().toStdString() + "/" + std::string(120, 'x'), &error));
    QVERIFY2(error.find("too long") != std::string::npos, error.c_str());
    QVERIFY(!vmouse::serveControl(dir.path().toStdString() + "/no/such/dir/control.sock", &error));
    QVERIFY2(error.find("cannot") != std::string::npos, error.c_str());
    // A refusal leaves the slot free.
    serve();
}

void TestControl::oneServerAtATime()
{
    serve();
    std::string error;
    const std::string second = dir.filePath("second.sock").toStdString();
    QVERIFY(!vmouse::serveControl(second, &error));
    QCOMPARE(error, "already serving " + path());
    QVERIFY(!QFile::exists(QString::fromStdString(second)));
}

void TestControl::stopClosesClientsAndRemovesTheSocket()
{
    serve();
    ControlClient waiting(path());
    QVERIFY(waiting.connected());
    QVERIFY(waiting.send("devices\n"));
    QCOMPARE(waiting.readAnswers(1), std::vector<std::string>{"ok"});
    vmouse::stopControl();
    QVERIFY(waiting.waitClosed());
    QVERIFY(!QFile::exists(socketPath()));
    ControlClient late(path());
    QVERIFY(!late.connected());
    QCOMPARE(late.connectError(), ENOENT);
    vmouse::stopControl(); // twice is harmless
    serve();               // and the same path serves again
    ControlClient again(path());
    QVERIFY(again.send("devices\n"));
    QCOMPARE(again.readAnswers(1), std::vector<std::string>{"ok"});
}

QTEST_APPLESS_MAIN(TestControl)
#include "tst_control.moc"
