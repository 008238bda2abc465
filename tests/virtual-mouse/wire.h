// Test helpers: a clean library per test, a hand-driven clock, and Wire,
// which talks to one device the way the program does (scrambled framing
// from the reference cipher, bulk reports of reportLength + 1 bytes).
#pragma once

#include "reference_cipher.h"
#include "virtual_mouse.h"

#include <hidapi.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace testing {

using vmouse::Bytes;

struct ManualClock {
    std::atomic<std::int64_t> us{1'000'000};
    std::atomic<int> advancedMs{0};

    vmouse::ClockHooks hooks()
    {
        vmouse::ClockHooks h;
        h.ctx = this;
        h.nowUs = [](void* c) { return static_cast<ManualClock*>(c)->us.load(); };
        h.advanceMs = [](void* c, int ms) {
            auto* self = static_cast<ManualClock*>(c);
            self->us += std::int64_t{ms} * 1000;
            self->advancedMs += ms;
        };
        return h;
    }
};

inline std::string commandPath(int device) { return "vmouse:" + std::to_string(device) + ":1"; }
inline std::string eventPath(int device) { return "vmouse:" + std::to_string(device) + ":2"; }

class Wire {
public:
    explicit Wire(int device)
        : config_(vmouse::config(device)), dev_(hid_open_path(commandPath(device).c_str()))
    {
    }
    ~Wire()
    {
        if (dev_)
            hid_close(dev_);
    }
    Wire(const Wire&) = delete;
    Wire& operator=(const Wire&) = delete;

    bool isOpen() const { return dev_ != nullptr; }
    hid_device* handle() const { return dev_; }

    // Sends the block, scrambled with `code` when the device is encoded.
    int send(reference::Block block, const std::string& code)
    {
        if (config_.encoded)
            block = reference::encipher(block, code);
        unsigned char report[9] = {0};
        std::copy(block.begin(), block.end(), report + 1);
        return hid_send_feature_report(dev_, report, sizeof report);
    }
    int send(const reference::Block& block) { return send(block, config_.secrecyCode); }

    // The reply block, unscrambled when the device is encoded.
    reference::Block reply()
    {
        unsigned char report[9] = {0};
        lastResult = hid_get_feature_report(dev_, report, sizeof report);
        reference::Block block;
        std::copy(report + 1, report + 9, block.begin());
        return config_.encoded ? reference::decipher(block, config_.secrecyCode) : block;
    }

    reference::Block exchange(const reference::Block& block)
    {
        send(block);
        return reply();
    }

    // Bulk output: reports of reportLength + 1 bytes, the last zero-filled.
    int writeBulk(const Bytes& data)
    {
        const auto chunk = static_cast<std::size_t>(config_.reportLength);
        int reports = 0;
        for (std::size_t offset = 0; offset < data.size(); offset += chunk) {
            Bytes packet(chunk + 1, 0);
            const std::size_t n = std::min(chunk, data.size() - offset);
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(offset), n, packet.begin() + 1);
            if (hid_write(dev_, packet.data(), packet.size()) != static_cast<int>(packet.size()))
                return -1;
            ++reports;
        }
        return reports;
    }

    int lastResult = 0;

private:
    vmouse::DeviceConfig config_;
    hid_device* dev_;
};

inline Bytes pattern(std::size_t n, std::uint8_t seed)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>(seed + 3 * i + 1);
    return b;
}

} // namespace testing
