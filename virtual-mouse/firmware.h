// The firmware behind the command interface of one emulated device: it takes
// command blocks (feature reports) and bulk data (output reports), keeps the
// FirmwareState, prepares reply blocks and queues bulk input reports.
// Not thread-safe on its own; the library serialises every call.
#pragma once

#include "virtual_mouse.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace vmouse::detail {

using Block = std::array<std::uint8_t, 8>;

// The block checksum: bitwise NOT of the 8-bit sum of bytes 0..6.
std::uint8_t blockChecksum(const std::uint8_t* block);

// The initial content of the 560 profile blocks 0..4 (see firmware.cpp).
Bytes initialProfile560(int profile);

// What a command handler sees and may change.
struct Exchange {
    FirmwareState& state;
    const DeviceConfig& config;
    const Block& request;   // the plain block
    const Bytes& bulk;      // bulk bytes of a set command, complete
    Block& reply;           // bytes 1..6 for a read command
    Bytes& toHost;          // bulk bytes a read command streams back
};

struct Command {
    std::uint8_t code;
    int bulkLength;         // bytes expected after the block; kNamedLength: block byte 2
    bool read;              // prepares a reply block
    void (*run)(Exchange&);
};

class Firmware {
public:
    explicit Firmware(const DeviceConfig& config);

    // One command block as it came in on the wire (enciphered when the
    // device is encoded). Returns the block as the firmware deciphered it.
    Block receiveBlock(const std::uint8_t* wire);
    // The payload bytes of one output report.
    void receiveOutput(const std::uint8_t* payload, std::size_t length);
    // The reply block as the device hands it out (enciphered when encoded).
    const Block& wireReply() const { return wireReply_; }

    std::optional<Bytes> takeInputReport();
    bool hasInputReport() const { return !input_.empty(); }
    void withholdInputReports(int count) { withheld_ = count; }
    // Unplugging loses transfers in flight.
    void dropTransfers();

    FirmwareState state;

private:
    struct PendingBulk {
        const Command* command;
        Block request;
        std::size_t expected;
        Bytes data;
    };

    const Command& find(std::uint8_t code) const;
    void run(const Command& command, const Block& request, const Bytes& bulk);
    void setReply(Block plain);
    void queueInput(const Bytes& data);

    DeviceConfig config_;
    Block wireReply_{};
    std::optional<PendingBulk> pending_;
    std::deque<Bytes> input_;
    int withheld_ = 0;
};

} // namespace vmouse::detail
