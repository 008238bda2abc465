// VMOUSE_CONFIG: devices separated by ';', each a comma list of key=value,
// for example "family=553,pid=a1ef,enc=1,code=123456;family=560,rl=64".
// Numbers of ids and usages are hexadecimal, rl is decimal, flags are 0|1.
#include "library.h"

#include <charconv>
#include <cstdio>
#include <functional>
#include <string_view>

namespace vmouse::detail {
namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> split(std::string_view s, char separator)
{
    std::vector<std::string_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t at = s.find(separator, from);
        parts.push_back(trim(s.substr(from, at - from)));
        if (at == std::string_view::npos)
            return parts;
        from = at + 1;
    }
}

template <typename T>
bool parseNumber(std::string_view text, int base, T& out)
{
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    out = value;
    return true;
}

bool parseFlag(std::string_view text, bool& out)
{
    if (text != "0" && text != "1")
        return false;
    out = text == "1";
    return true;
}

using Setter = std::function<bool(DeviceConfig&, std::string_view)>;

Setter hex16(std::uint16_t DeviceConfig::*field)
{
    return [field](DeviceConfig& c, std::string_view v) { return parseNumber(v, 16, c.*field); };
}

Setter flag(bool DeviceConfig::*field)
{
    return [field](DeviceConfig& c, std::string_view v) { return parseFlag(v, c.*field); };
}

const std::vector<std::pair<std::string_view, Setter>>& setters()
{
    static const std::vector<std::pair<std::string_view, Setter>> table = {
        {"family", [](DeviceConfig& c, std::string_view v) {
             if (v != "553" && v != "560")
                 return false;
             c.family = v == "553" ? Family::Fw553 : Family::Fw560;
             return true;
         }},
        {"vid", hex16(&DeviceConfig::vid)},
        {"pid", hex16(&DeviceConfig::pid)},
        {"rl", [](DeviceConfig& c, std::string_view v) {
             int length = 0;
             if (!parseNumber(v, 10, length) || length < 1)
                 return false;
             c.reportLength = length;
             return true;
         }},
        {"enc", flag(&DeviceConfig::encoded)},
        {"code", [](DeviceConfig& c, std::string_view v) {
             c.secrecyCode = std::string(v);
             return true;
         }},
        {"up", hex16(&DeviceConfig::usagePage)},
        {"u", hex16(&DeviceConfig::usage)},
        {"up2", hex16(&DeviceConfig::usagePage2)},
        {"u2", hex16(&DeviceConfig::usage2)},
        {"event", flag(&DeviceConfig::hasEventInterface)},
        {"command", flag(&DeviceConfig::hasCommandInterface)},
        {"echo", flag(&DeviceConfig::answersEcho)},
    };
    return table;
}

bool apply(DeviceConfig& config, std::string_view item)
{
    const std::size_t eq = item.find('=');
    if (eq == std::string_view::npos)
        return false;
    const std::string_view key = trim(item.substr(0, eq));
    const std::string_view value = trim(item.substr(eq + 1));
    for (const auto& [name, set] : setters()) {
        if (name == key)
            return set(config, value);
    }
    return false;
}

} // namespace

bool deviceFromText(std::string_view entry, DeviceConfig& config, std::string& badItem)
{
    for (std::string_view item : split(entry, ',')) {
        if (!item.empty() && !apply(config, item)) {
            badItem = std::string(item);
            return false;
        }
    }
    return true;
}

// An empty device entry (a stray ';') is skipped; an item that cannot be
// applied is reported and the rest of the device is kept. An empty text
// therefore means "no mouse attached".
std::vector<DeviceConfig> devicesFromText(const std::string& text)
{
    std::vector<DeviceConfig> devices;
    for (std::string_view entry : split(text, ';')) {
        if (entry.empty())
            continue;
        DeviceConfig config;
        for (std::string_view item : split(entry, ',')) {
            if (!item.empty() && !apply(config, item))
                std::fprintf(stderr, "vmouse: VMOUSE_CONFIG: ignored '%.*s'\n",
                             static_cast<int>(item.size()), item.data());
        }
        devices.push_back(config);
    }
    return devices;
}

} // namespace vmouse::detail
