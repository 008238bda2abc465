// The control channel's line protocol. A request is one line of words
// separated by blanks; the answer is zero or more lines, then "ok" or
// "error <text>". Numbers are decimal except where a request says hex; a
// [device] left out means device 0.
//
//   help                    one usage line per request
//   devices                 "<id> <vid>:<pid> <family> plugged|unplugged" per device
//   add [key=value,...]     attach a device (VMOUSE_CONFIG items); answers its id
//   dpi <stage> [device]    the DPI button: stage report 06 07 00 <stage>
//   event <hex> [device]    queue one report on the event interface, e.g. 06070003
//   unplug [device]         the device vanishes (udev "remove" per interface)
//   replug [device]         it comes back (udev "add" per interface)
//   record                  "<timeUs> <kind> <path> <hex data> len=<n> timeout=<ms> result=<r>"
//                           per recorded hidapi call; "-" stands for no path, no data
//   record clear            forget the record
//   state [device]          the firmware memory, "name: value" lines
//   fail <kind> [n]         the n-th next call of that kind fails (kind as in the record)
//   udev                    device notifications: live monitors, delivered, pending
#include "library.h"

#include <charconv>
#include <climits>
#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace vmouse {
namespace {

using detail::sharedHooks;
using Words = std::vector<std::string_view>;

// Thrown by a handler; becomes the "error <text>" line.
struct RequestError {
    std::string text;
};

class Answer {
public:
    void line(const std::string& text) { text_ += text + '\n'; }
    std::string finish(const std::string& last) { return text_ + last + '\n'; }

private:
    std::string text_;
};

Words split(std::string_view line)
{
    Words words;
    std::size_t at = 0;
    while (true) {
        at = line.find_first_not_of(" \t\r\n", at);
        if (at == std::string_view::npos)
            return words;
        const std::size_t end = line.find_first_of(" \t\r\n", at);
        words.push_back(line.substr(at, end - at));
        if (end == std::string_view::npos)
            return words;
        at = end;
    }
}

std::string quoted(std::string_view word) { return "'" + std::string(word) + "'"; }

int number(std::string_view word, const char* what, int min, int max)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size() || value < min || value > max)
        throw RequestError{std::string("bad ") + what + " " + quoted(word)};
    return value;
}

// The optional device argument at `index`, checked against the attached devices.
int deviceAt(const Words& words, std::size_t index)
{
    const int id = words.size() > index ? number(words[index], "device", 0, INT_MAX) : 0;
    if (id >= deviceCount())
        throw RequestError{"no device " + std::to_string(id)};
    return id;
}

std::string hexByte(std::uint8_t byte)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02x", byte);
    return text;
}

// "00 5a a5" with a separator, "005aa5" without; "-" for nothing.
template <typename Range>
std::string hex(const Range& bytes, std::string_view separator)
{
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty())
            text += separator;
        text += hexByte(byte);
    }
    return text.empty() ? "-" : text;
}

Bytes parseHex(std::string_view word)
{
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < word.size(); i += 2) {
        const int high = digit(word[i]), low = digit(word[i + 1]);
        if (high < 0 || low < 0)
            break;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    if (word.empty() || word.size() % 2 != 0 || bytes.size() != word.size() / 2)
        throw RequestError{"bad hex bytes " + quoted(word)};
    return bytes;
}

// A block of bytes as lines of 16 with their offset: "<label> +10: ..".
void dumpBlock(Answer& answer, const std::string& label, const Bytes& bytes)
{
    if (bytes.empty()) {
        answer.line(label + ": -");
        return;
    }
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const std::size_t end = std::min(bytes.size(), at + 16);
        const Bytes row(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                        bytes.begin() + static_cast<std::ptrdiff_t>(end));
        char offset[24];
        std::snprintf(offset, sizeof offset, " +%02zx: ", at);
        answer.line(label + offset + hex(row, " "));
    }
}

// Slots 1..4 of a per-profile setting: "1=3 2=3 3=3 4=3".
std::string bySlot(const std::array<int, 5>& values)
{
    std::string text;
    for (std::size_t slot = 1; slot < values.size(); ++slot)
        text += (slot > 1 ? " " : "") + std::to_string(slot) + "=" + std::to_string(values[slot]);
    return text;
}

void dumpState(Answer& answer, int device)
{
    const DeviceConfig c = config(device);
    const FirmwareState s = state(device);
    const bool is553 = c.family == Family::Fw553;
    answer.line("device: " + std::to_string(device));
    answer.line(std::string("family: ") + (is553 ? "553" : "560"));
    answer.line("valid-commands: " + std::to_string(s.validCommands));
    answer.line("bad-checksums: " + std::to_string(s.badChecksums));
    if (is553) {
        answer.line("keyboard-options: " + hex(s.keyboardOptions553, " "));
        answer.line("report-rate: " + std::to_string(s.reportRate553));
        answer.line("key-matrix: " + std::to_string(s.currentKeyMatrix553));
        answer.line("dpi: " + std::to_string(s.currentDpi553));
        answer.line("dpi-stages: " + std::to_string(s.dpiStageCount553));
        answer.line("dpi-codes: " + hex(s.dpiCodes553, " "));
        answer.line("gun-data: " + hex(s.gunData553, " "));
        answer.line("fixed-led-color: " + hex(s.fixedLedColor553, " "));
        answer.line("rgb-effect: " + hex(s.rgbEffect553, " "));
        answer.line("led-stage-type: " + std::to_string(s.ledStageType553));
        answer.line("led-stage-colors: " + hex(s.ledStageColors553, " "));
    } else {
        answer.line("keyboard-options: " + hex(s.keyboardOptions560, " "));
        answer.line("profile: " + std::to_string(s.currentProfile560));
        answer.line("report-rate: " + bySlot(s.reportRate560));
        answer.line("dpi: " + bySlot(s.currentDpi560));
        for (const auto& [number, block] : s.profiles560)
            dumpBlock(answer, "profile-block " + std::to_string(number), block);
    }
    for (const auto& [number, block] : s.keyMatrices)
        dumpBlock(answer, "key-matrix " + std::to_string(number), block);
    for (const auto& [number, block] : s.macros)
        dumpBlock(answer, "macro " + std::to_string(number), block);
}

constexpr CallKind kAllKinds[] = {
    CallKind::Init, CallKind::Exit, CallKind::Enumerate, CallKind::FreeEnumeration,
    CallKind::Open, CallKind::OpenPath, CallKind::Close, CallKind::SetNonblocking,
    CallKind::SendFeature, CallKind::GetFeature, CallKind::GetInputReport, CallKind::Write,
    CallKind::Read, CallKind::ReadTimeout, CallKind::GetString, CallKind::GetDeviceInfo,
    CallKind::Error, CallKind::Version};

CallKind kindNamed(std::string_view name)
{
    for (const CallKind kind : kAllKinds) {
        if (name == callKindName(kind))
            return kind;
    }
    throw RequestError{"unknown call kind " + quoted(name)};
}

std::string recordLine(const Call& call)
{
    return std::to_string(call.timeUs) + " " + callKindName(call.kind) + " " +
           (call.path.empty() ? "-" : call.path) + " " + hex(call.data, "") +
           " len=" + std::to_string(call.length) + " timeout=" + std::to_string(call.timeoutMs) +
           " result=" + std::to_string(call.result);
}

struct Request {
    std::string_view name;
    std::string_view usage;
    std::size_t minWords, maxWords; // including the name
    void (*run)(const Words& words, Answer& answer);
};

void listRequests(const Words&, Answer& answer);

const Request kRequests[] = {
    {"help", "help", 1, 1, listRequests},
    {"devices", "devices", 1, 1,
     [](const Words&, Answer& answer) {
         const int count = deviceCount();
         for (int id = 0; id < count; ++id) {
             const DeviceConfig c = config(id);
             char text[96];
             std::snprintf(text, sizeof text, "%d %04x:%04x %s %s", id, c.vid, c.pid,
                           c.family == Family::Fw553 ? "553" : "560",
                           isPlugged(id) ? "plugged" : "unplugged");
             answer.line(text);
         }
     }},
    {"add", "add [key=value,...]", 1, 2,
     [](const Words& words, Answer& answer) {
         DeviceConfig c;
         std::string bad;
         if (words.size() > 1 && !detail::deviceFromText(words[1], c, bad))
             throw RequestError{"bad device item " + quoted(bad)};
         answer.line(std::to_string(addDevice(c)));
     }},
    {"dpi", "dpi <stage> [device]", 2, 3,
     [](const Words& words, Answer&) {
         const int stage = number(words[1], "stage", 0, 255);
         pressDpiButton(deviceAt(words, 2), stage);
     }},
    {"event", "event <hex bytes> [device]", 2, 3,
     [](const Words& words, Answer&) {
         const Bytes report = parseHex(words[1]);
         pushEvent(deviceAt(words, 2), report);
     }},
    {"unplug", "unplug [device]", 1, 2,
     [](const Words& words, Answer&) { unplug(deviceAt(words, 1)); }},
    {"replug", "replug [device]", 1, 2,
     [](const Words& words, Answer&) { replug(deviceAt(words, 1)); }},
    {"record", "record [clear]", 1, 2,
     [](const Words& words, Answer& answer) {
         if (words.size() == 2) {
             if (words[1] != "clear")
                 throw RequestError{"usage: record [clear]"};
             clearRecord();
             return;
         }
         for (const Call& call : record())
             answer.line(recordLine(call));
     }},
    {"state", "state [device]", 1, 2,
     [](const Words& words, Answer& answer) { dumpState(answer, deviceAt(words, 1)); }},
    {"fail", "fail <kind> [n]", 2, 3,
     [](const Words& words, Answer&) {
         const CallKind kind = kindNamed(words[1]);
         failCall(kind, words.size() > 2 ? number(words[2], "count", 1, INT_MAX) : 1);
     }},
    {"udev", "udev", 1, 1,
     [](const Words&, Answer& answer) {
         const auto status = sharedHooks().udevStatus;
         if (!status)
             throw RequestError{"no device notifications in this build (only in libvmouse.so)"};
         for (const std::string& line : status())
             answer.line(line);
     }},
};

void listRequests(const Words&, Answer& answer)
{
    for (const Request& request : kRequests)
        answer.line(std::string(request.usage));
}

} // namespace

std::string controlRequest(const std::string& line)
{
    Answer answer;
    const Words words = split(line);
    if (words.empty())
        return answer.finish("error empty request");
    for (const Request& request : kRequests) {
        if (request.name != words[0])
            continue;
        if (words.size() < request.minWords || words.size() > request.maxWords)
            return answer.finish("error usage: " + std::string(request.usage));
        try {
            request.run(words, answer);
        } catch (const RequestError& e) {
            return Answer().finish("error " + e.text);
        } catch (const std::out_of_range& e) {
            // A device that went away between the checks (a concurrent reset).
            return Answer().finish(std::string("error ") + e.what());
        }
        return answer.finish("ok");
    }
    return answer.finish("error unknown request " + quoted(words[0]) + " (try help)");
}

} // namespace vmouse
