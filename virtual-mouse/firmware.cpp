#include "firmware.h"

#include <algorithm>
#include <numeric>
#include <span>

namespace vmouse::detail {
namespace {

constexpr int kNamedLength = -1;
constexpr std::size_t kProfileBytes = 128;

template <std::size_t N>
void copyParams(std::array<std::uint8_t, N>& to, const Block& from, int first)
{
    std::copy_n(from.begin() + first, N, to.begin());
}

// Profile slots 1..4; anything else is accepted and changes nothing.
void setSlot(std::array<int, 5>& bySlot, const Block& request)
{
    if (request[1] >= 1 && request[1] <= 4)
        bySlot[request[1]] = request[2];
}

// --- handlers shared by both families -------------------------------------

void answerEcho(Exchange& x)
{
    if (x.config.answersEcho)
        std::copy_n(x.request.begin() + 1, 4, x.reply.begin() + 1);
}

// --- 553 family -------------------------------------------------------------
// Flat settings; bulk data by number (key matrices, macros) or whole (DPI
// stage codes, LED stage colours).

const Command k553[] = {
    {0x00, 0, true, answerEcho},
    {0x01, 0, false, [](Exchange& x) { x.state.reportRate553 = x.request[1]; }},
    {0x02, 0, false, [](Exchange& x) { x.state.currentKeyMatrix553 = x.request[1]; }},
    {0x03, 0, false, [](Exchange& x) { copyParams(x.state.keyboardOptions553, x.request, 1); }},
    // The gun data is the one command whose parameters start at byte 2.
    {0x04, 0, false, [](Exchange& x) { copyParams(x.state.gunData553, x.request, 2); }},
    {0x0B, 0, false, [](Exchange& x) { x.state.currentDpi553 = x.request[1]; }},
    {0x0C, 0, false, [](Exchange& x) { copyParams(x.state.fixedLedColor553, x.request, 1); }},
    {0x0D, 0, false, [](Exchange& x) { copyParams(x.state.rgbEffect553, x.request, 1); }},
    {0x10, kNamedLength, false, [](Exchange& x) {
         x.state.ledStageType553 = x.request[1];
         x.state.ledStageColors553 = x.bulk;
     }},
    {0x11, 8, false, [](Exchange& x) {
         x.state.dpiStageCount553 = x.request[1];
         x.state.dpiCodes553 = x.bulk;
     }},
    {0x12, 64, false, [](Exchange& x) { x.state.keyMatrices[x.request[1]] = x.bulk; }},
    {0x13, 128, false, [](Exchange& x) { x.state.macros[x.request[1]] = x.bulk; }},
    {0x83, 0, true, [](Exchange& x) {
         std::copy(x.state.keyboardOptions553.begin(), x.state.keyboardOptions553.end(),
                   x.reply.begin() + 1);
     }},
    {0x8B, 0, true, [](Exchange& x) {
         x.reply[1] = static_cast<std::uint8_t>(x.state.currentDpi553);
     }},
};

// --- 560 family -------------------------------------------------------------
// Settings live in per-profile blocks of 128 bytes; report rate and DPI
// stage are kept per profile slot.

const Command k560[] = {
    {0x00, 0, true, answerEcho},
    {0x01, 0, false, [](Exchange& x) { copyParams(x.state.keyboardOptions560, x.request, 1); }},
    {0x02, 0, false, [](Exchange& x) { x.state.currentProfile560 = x.request[1]; }},
    {0x03, 0, false, [](Exchange& x) { setSlot(x.state.reportRate560, x.request); }},
    {0x04, 0, false, [](Exchange& x) { setSlot(x.state.currentDpi560, x.request); }},
    {0x0C, 128, false, [](Exchange& x) { x.state.profiles560[x.request[1]] = x.bulk; }},
    {0x0D, 128, false, [](Exchange& x) { x.state.keyMatrices[x.request[1]] = x.bulk; }},
    {0x0F, 128, false, [](Exchange& x) { x.state.macros[x.request[1]] = x.bulk; }},
    {0x81, 0, true, [](Exchange& x) {
         std::copy(x.state.keyboardOptions560.begin(), x.state.keyboardOptions560.end(),
                   x.reply.begin() + 1);
     }},
    {0x82, 0, true, [](Exchange& x) {
         x.reply[1] = static_cast<std::uint8_t>(x.state.currentProfile560);
     }},
    {0x84, 0, true, [](Exchange& x) {
         x.reply[1] = x.request[1];
         x.reply[2] = static_cast<std::uint8_t>(x.state.currentDpi560[1]);
     }},
    // The reply echoes the request; the profile block follows as input
    // reports. A profile the device never held streams as zeros.
    {0x8C, 0, true, [](Exchange& x) {
         std::copy_n(x.request.begin() + 1, 6, x.reply.begin() + 1);
         const auto it = x.state.profiles560.find(x.request[1]);
         x.toHost = it != x.state.profiles560.end() ? it->second : Bytes(kProfileBytes, 0);
         x.toHost.resize(kProfileBytes, 0);
     }},
};

// Codes a family does not know are accepted and answered with zeros.
const Command kUnknown{0xFF, 0, false, [](Exchange&) {}};

std::span<const Command> commandsOf(Family family)
{
    if (family == Family::Fw553)
        return k553;
    return k560;
}

} // namespace

std::uint8_t blockChecksum(const std::uint8_t* block)
{
    const unsigned sum = std::accumulate(block, block + 7, 0u);
    return static_cast<std::uint8_t>(~sum);
}

// Byte i of profile p is (0xA0 + 0x10 * p) XOR i: never zero, and different
// in every profile, so a test can tell the device's bytes from a zeroed
// buffer and one profile from another.
Bytes initialProfile560(int profile)
{
    Bytes block(kProfileBytes);
    const auto base = static_cast<std::uint8_t>(0xA0 + 0x10 * profile);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(base ^ i);
    return block;
}

Firmware::Firmware(const DeviceConfig& config) : config_(config)
{
    if (config_.family == Family::Fw560) {
        for (int profile = 0; profile < 5; ++profile)
            state.profiles560[profile] = initialProfile560(profile);
    }
}

const Command& Firmware::find(std::uint8_t code) const
{
    for (const Command& command : commandsOf(config_.family)) {
        if (command.code == code)
            return command;
    }
    return kUnknown;
}

Block Firmware::receiveBlock(const std::uint8_t* wire)
{
    Block plain;
    std::copy_n(wire, plain.size(), plain.begin());
    if (config_.encoded)
        decipherBlock(plain.data(), config_.secrecyCode);

    if (plain[7] != blockChecksum(plain.data())) {
        ++state.badChecksums;
        return plain;
    }
    ++state.validCommands;
    // A new command abandons a bulk transfer that never completed, either
    // way (reports the host never fetched are not handed to the next
    // command), and every valid block replaces the reply; only a read fills
    // it again.
    pending_.reset();
    input_.clear();
    setReply(Block{});

    const Command& command = find(plain[0]);
    const std::size_t bulk = command.bulkLength == kNamedLength
                                 ? plain[2]
                                 : static_cast<std::size_t>(command.bulkLength);
    if (bulk > 0)
        pending_ = PendingBulk{&command, plain, bulk, {}};
    else
        run(command, plain, {});
    return plain;
}

void Firmware::receiveOutput(const std::uint8_t* payload, std::size_t length)
{
    if (!pending_)
        return; // output with no set command waiting for it: dropped
    PendingBulk& p = *pending_;
    const std::size_t take = std::min({p.expected - p.data.size(),
                                       static_cast<std::size_t>(config_.reportLength), length});
    p.data.insert(p.data.end(), payload, payload + take);
    if (p.data.size() < p.expected)
        return;
    const PendingBulk done = std::move(p);
    pending_.reset();
    run(*done.command, done.request, done.data);
}

// A set command with bulk data runs once its data is complete.
void Firmware::run(const Command& command, const Block& request, const Bytes& bulk)
{
    Block reply{};
    Bytes toHost;
    Exchange x{state, config_, request, bulk, reply, toHost};
    command.run(x);
    if (command.read) {
        reply[0] = command.code;
        reply[7] = blockChecksum(reply.data());
        setReply(reply);
    }
    if (!toHost.empty())
        queueInput(toHost);
}

void Firmware::setReply(Block plain)
{
    if (config_.encoded)
        encipherBlock(plain.data(), config_.secrecyCode);
    wireReply_ = plain;
}

// Bulk data to the host goes out as input reports of reportLength bytes,
// the last one zero-filled.
void Firmware::queueInput(const Bytes& data)
{
    const auto chunk = static_cast<std::size_t>(config_.reportLength);
    std::size_t reports = (data.size() + chunk - 1) / chunk;
    reports -= std::min(reports, static_cast<std::size_t>(std::max(withheld_, 0)));
    withheld_ = 0;
    for (std::size_t i = 0; i < reports; ++i) {
        Bytes report(chunk, 0);
        const std::size_t from = i * chunk;
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from),
                    std::min(chunk, data.size() - from), report.begin());
        input_.push_back(std::move(report));
    }
}

std::optional<Bytes> Firmware::takeInputReport()
{
    if (input_.empty())
        return std::nullopt;
    Bytes report = std::move(input_.front());
    input_.pop_front();
    return report;
}

void Firmware::dropTransfers()
{
    pending_.reset();
    input_.clear();
}

} // namespace vmouse::detail
