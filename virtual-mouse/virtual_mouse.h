// The virtual mouse: an emulated USB gaming mouse behind the hidapi C API.
//
// The library defines every function of <hidapi/hidapi.h>, so a program that
// calls hidapi can be linked against it (tests) or have it preloaded in place
// of the real library (demo, end-to-end tests). Behind the API sit emulated
// devices with the firmware of both controller families. Every hidapi call is
// recorded with its bytes and a timestamp.
//
// This header is the control side: tests (and the control channel) use it to
// attach devices, press the DPI button, unplug, inject failures and read the
// record. All functions are thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#if defined(_WIN32)
#define VMOUSE_API
#else
#define VMOUSE_API __attribute__((visibility("default")))
#endif

namespace vmouse {

using Bytes = std::vector<std::uint8_t>;

enum class Family { Fw553, Fw560 };

// One emulated device. It enumerates as three interfaces: a plain boot mouse
// (usage page 0x0001, usage 0x0002), the command interface and the event
// interface, in that order, with paths "vmouse:<id>:0", ":1" and ":2".
struct DeviceConfig {
    std::uint16_t vid = 0x04d9;
    std::uint16_t pid = 0xa1ee;
    Family family = Family::Fw560;
    int reportLength = 32;              // payload bytes of one bulk report
    bool encoded = false;               // command and reply blocks scrambled
    std::string secrecyCode = "507326"; // the firmware's own key (6 chars)
    std::uint16_t usagePage = 0xff00, usage = 0xff00;   // command interface
    std::uint16_t usagePage2 = 0xff01, usage2 = 0xff01; // event interface
    bool hasCommandInterface = true;
    bool hasEventInterface = true;
    bool answersEcho = true;            // false: the 00H echo comes back zeroed
    std::wstring product = L"Virtual Gaming Mouse";
};

// What the firmware keeps in its memory. Read it with state(), preset it
// with setState(). Values the program never sent keep their initial content.
struct FirmwareState {
    // both families
    std::map<int, Bytes> keyMatrices;         // 553 12H (64 bytes) / 560 0DH (128 bytes), by matrix number
    std::map<int, Bytes> macros;              // 553 13H / 560 0FH, by macro number, 128 bytes
    int validCommands = 0;                    // blocks with a good checksum
    int badChecksums = 0;                     // blocks dropped for a wrong checksum (or wrong key)
    // 553 family
    std::array<std::uint8_t, 4> keyboardOptions553{0x00, 0x00, 0x00, 0x00};
    int reportRate553 = 3;
    int currentKeyMatrix553 = 0;
    int currentDpi553 = 1;
    int dpiStageCount553 = 0;
    Bytes dpiCodes553;                        // the 8 stage codes of 11H
    std::array<std::uint8_t, 4> gunData553{0, 0, 0, 0};
    std::array<std::uint8_t, 3> fixedLedColor553{0, 0, 0};
    std::array<std::uint8_t, 3> rgbEffect553{0, 0, 0}; // effect, option1, option2
    int ledStageType553 = -1;
    Bytes ledStageColors553;                  // the 4 or 24 bulk bytes of 10H
    // 560 family
    std::array<std::uint8_t, 2> keyboardOptions560{0x00, 0x00};
    int currentProfile560 = 1;
    std::array<int, 5> reportRate560{0, 3, 3, 3, 3};   // by slot 1..4 (index 0 unused)
    std::array<int, 5> currentDpi560{0, 1, 1, 1, 1};   // by slot 1..4 (index 0 unused)
    std::map<int, Bytes> profiles560;         // 0CH / 8CH blocks by profile number, 128 bytes
};

enum class CallKind {
    Init, Exit, Enumerate, FreeEnumeration, Open, OpenPath, Close,
    SetNonblocking, SendFeature, GetFeature, GetInputReport, Write, Read, ReadTimeout,
    GetString, GetDeviceInfo, Error, Version
};

const char* callKindName(CallKind kind) VMOUSE_API;

// One recorded hidapi call.
struct Call {
    std::int64_t timeUs = 0;   // timestamp from the installed clock (see setClock)
    CallKind kind = CallKind::Init;
    std::string path;          // device path of the handle or of hid_open_path; empty otherwise
    int device = -1;           // device id, -1 when none
    int iface = -1;            // 0 boot mouse, 1 command, 2 event; -1 when none
    Bytes data;                // bytes passed in (writes, sends) or handed back (reads, get feature)
    std::size_t length = 0;    // the length argument
    int timeoutMs = 0;         // hid_read_timeout's timeout; -1 for a blocking hid_read
    int result = 0;            // the return value (for opens: 1 = handle, 0 = NULL)
    unsigned vid = 0, pid = 0; // hid_enumerate's arguments
    Bytes plainBlock;          // SendFeature: the 8-byte block as the firmware deciphered it
};

// --- devices --------------------------------------------------------------

// Remove every device, every pending failure and the record. The clock stays.
void reset() VMOUSE_API;
// Attach a device; returns its id (0, 1, ...). It is plugged in at once.
int addDevice(const DeviceConfig& config) VMOUSE_API;
DeviceConfig config(int device) VMOUSE_API;
// Devices attached so far: ids 0 .. deviceCount() - 1.
int deviceCount() VMOUSE_API;
FirmwareState state(int device) VMOUSE_API;
void setState(int device, const FirmwareState& state) VMOUSE_API;

// Unplugging makes the device vanish from enumeration; opens of its paths
// fail and every call on an open handle returns -1. Replugging brings it back
// with its firmware state unchanged.
void unplug(int device) VMOUSE_API;
void replug(int device) VMOUSE_API;
bool isPlugged(int device) VMOUSE_API;

// --- event interface ------------------------------------------------------

// Queue one input report on the event interface (delivered by the next read).
void pushEvent(int device, const Bytes& report) VMOUSE_API;
// The DPI button: queues the stage report 06 07 00 stage.
void pressDpiButton(int device, int stage) VMOUSE_API;

// --- failures -------------------------------------------------------------

// The n-th next call of this kind (n = 1: the very next one) fails: a
// negative result, or NULL for the opens and for hid_enumerate.
// Several failures may be pending at once.
void failCall(CallKind kind, int n = 1) VMOUSE_API;
// The n-th next call of this kind that hands a report back (GetFeature,
// Read, ReadTimeout) succeeds with only its first `bytes` bytes: a short
// report. The rest of that report is lost.
void shortenCall(CallKind kind, int n, int bytes) VMOUSE_API;
// The next bulk transfer from the device (the 8CH profile read) delivers
// `count` fewer input reports than it should. A read that finds no report
// waits for its timeout and returns 0.
void withholdInputReports(int device, int count) VMOUSE_API;

// --- record ---------------------------------------------------------------

std::vector<Call> record() VMOUSE_API;
void clearRecord() VMOUSE_API;

// --- clock ----------------------------------------------------------------

// Without a clock the library stamps calls with a steady real clock
// (microseconds since it was loaded) and blocking reads wait in real time.
//
// With a clock installed, timestamps come from nowUs(ctx). A read on the
// boot-mouse or command interface that finds no report does not wait: it
// calls advanceMs(ctx, timeout) (1000 for a blocking hid_read) and returns 0.
// Reads on the event interface always wait in real time, up to their
// timeout, so that a test thread can push events to a reader thread.
struct ClockHooks {
    std::int64_t (*nowUs)(void* ctx) = nullptr;
    void (*advanceMs)(void* ctx, int ms) = nullptr;
    void* ctx = nullptr;
};
void setClock(const ClockHooks& hooks) VMOUSE_API;
void clearClock() VMOUSE_API;

// --- control channel ------------------------------------------------------

// One request of the line protocol (for example "dpi 3", "unplug 1",
// "record"; "help" lists them all). Returns the answer lines, each ending in
// '\n'; the last one is "ok" or "error <text>".
std::string controlRequest(const std::string& line) VMOUSE_API;

// Serves the line protocol on a Unix-domain stream socket at `path`
// (mode 0600) from a background thread, one answer per request line, any
// number of connections and lines. A socket file nobody listens on is
// replaced; a live socket or any other file is left alone. One server per
// process: false (with the reason in *error) when it cannot serve.
// libvmouse.so starts it by itself on the first hid_* call when the
// environment variable VMOUSE_CONTROL names a path.
bool serveControl(const std::string& path, std::string* error = nullptr) VMOUSE_API;
// Stops the server, drops its connections and removes its socket file.
void stopControl() VMOUSE_API;

// --- firmware-side scrambling (independent of the program's own) -----------

void encipherBlock(std::uint8_t block[8], const std::string& code) VMOUSE_API;
void decipherBlock(std::uint8_t block[8], const std::string& code) VMOUSE_API;

} // namespace vmouse
