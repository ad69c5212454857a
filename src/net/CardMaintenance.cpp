#include "net/CardMaintenance.h"

#include <spdlog/spdlog.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "core/Player.h"
#include "net/CardTestHold.h"
#include "platform/text/HexDigits.h"
#include "screen/CardAck.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"
#include "screen/CardSenders.h"
#include "storage/Files.h"

namespace led {
namespace {

// The largest payload a control frame carries.
constexpr size_t kMaxCommandBytes = 4096;
// Numbers travel as four decimal digits in the address and length fields.
constexpr int kMaxFieldValue = 9999;

// Register write (code 73): six data characters, the card address the block
// is meant for, then the 2048-byte block. The block goes to the card's E800
// buffer; the address written to 0039 afterwards tells the card where to put it.
constexpr size_t kBlockAddressChars = 6;
constexpr size_t kBlockBytes = 2048;
constexpr size_t kRegisterWriteBytes = kBlockAddressChars + kBlockBytes;
// Register read (code 74): address and count, each unsigned 16-bit
// little-endian, printed as the decimal digits the card reads as its address.
constexpr size_t kRegisterReadBytes = 4;

// Code 77: a command of this length with one of these at characters 16..19
// switches the card's test display.
constexpr size_t kTestSwitchBytes = 27;
constexpr size_t kTestSwitchField = 16;
// Longer commands are firmware blocks: their number stands at 531..534.
constexpr size_t kFirmwareCommandMin = 501;
constexpr size_t kFirmwareNumberAt = 531;

std::string_view AsText(std::span<const uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool CommandSizeFits(std::span<const uint8_t> payload, const char* what) {
    if (!payload.empty() && payload.size() <= kMaxCommandBytes) return true;
    spdlog::warn("{}: {} bytes refused (1 to {})", what, payload.size(), kMaxCommandBytes);
    return false;
}

uint16_t LittleEndian16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// Hexadecimal value of text[at, at + digits); none unless all are digits.
std::optional<uint32_t> HexAt(std::string_view text, size_t at, size_t digits) {
    if (at + digits > text.size()) return std::nullopt;
    uint32_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        int d = HexDigitValue(static_cast<unsigned char>(text[at + i]));
        if (d < 0) return std::nullopt;
        value = value * 16 + uint32_t(d);
    }
    return value;
}

// The first value of a read answer ("%#RL#%*#05&..." gives 5).
std::optional<uint32_t> FirstReadValue(std::string_view reply) {
    size_t at = reply.find(kReadAnswer);
    if (at == std::string_view::npos) return std::nullopt;
    at += kReadAnswer.size();
    if (reply.substr(at).starts_with("*#")) at += 2;
    size_t end = reply.find('&', at);
    if (end == std::string_view::npos || end == at || end - at > 8) return std::nullopt;
    return HexAt(reply, at, end - at);
}

// The status text of the 4200 block: for each "&", the low bit of the two hex
// digits before it.
std::string StatusBits(std::string_view reply) {
    std::string bits;
    for (size_t at = reply.find('&'); at != std::string_view::npos; at = reply.find('&', at + 1)) {
        auto value = at >= 2 ? HexAt(reply, at - 2, 2) : std::nullopt;
        bits += value && (*value & 1) ? '1' : '0';
    }
    return bits;
}

enum class TestSwitch { None, Mode1, Mode2, Leave };

TestSwitch TestSwitchOf(std::string_view command) {
    if (command.size() != kTestSwitchBytes) return TestSwitch::None;
    std::string_view field = command.substr(kTestSwitchField, 4);
    if (field == "4700") return TestSwitch::Mode1;
    if (field == "0047") return TestSwitch::Mode2;
    if (field == "0000") return TestSwitch::Leave;
    return TestSwitch::None;
}

void LeaveCardTest(Player& player) {
    if (player.device.cardTest.exchange(false)) ResumePlaybackAfterCard(player);
}

}  // namespace

std::optional<std::string> ReadCardModuleData(Player& player) {
    CardPorts& ports = player.ports;
    auto lock = ports.cardPort.LockExchange();
    auto first = RunExchangeLocked(ports, PortRole::Card,
                                   Exchange("*#RL 000f 0080#*").Wait(100).Reply(1024), lock);
    auto count = FirstReadValue(first.reply);
    if (!count) return std::nullopt;
    if (*count * 2 > uint32_t(kMaxFieldValue)) {
        spdlog::warn("card module data: count {} does not fit the read command", *count);
        return std::nullopt;
    }
    char command[32];
    std::snprintf(command, sizeof command, "*#RL 4000 %04d#*", int(*count * 2));
    auto second =
        RunExchangeLocked(ports, PortRole::Card, Exchange(command).Wait(300).Reply(1024), lock);
    if (second.reply.empty()) return std::nullopt;
    return second.reply;
}

bool WriteCardRegister(Player& player, std::span<const uint8_t> payload) {
    if (payload.size() != kRegisterWriteBytes) {
        spdlog::warn("card register write: {} bytes refused (address and block: {})",
                     payload.size(), kRegisterWriteBytes);
        return false;
    }
    std::string_view address = AsText(payload.first(kBlockAddressChars));
    if (!HexAt(address, 0, kBlockAddressChars)) {
        spdlog::warn("card register write: address \"{}\" is not hexadecimal",
                     PrintableBytes(address));
        return false;
    }
    char head[24];
    std::snprintf(head, sizeof head, "*#WL E800 %04d ", int(kBlockBytes));
    std::string block = head;
    block.append(AsText(payload.subspan(kBlockAddressChars)));
    block += "#*";
    char commit[32];
    std::snprintf(commit, sizeof commit, "*#WL %04d %04d 000001#*", 39, 6);
    std::string target = commit;
    target.replace(15, kBlockAddressChars, address);

    CardPorts& ports = player.ports;
    auto lock = ports.cardPort.LockExchange();
    if (!RunExchangeLocked(ports, PortRole::Card,
                           Exchange(block).Wait(20).LogAs("*#WL E800 2048 <block>#*"), lock)
             .written)
        return false;
    return RunExchangeLocked(ports, PortRole::Card, Exchange(target).Wait(10), lock).written;
}

std::optional<std::string> ReadCardRegister(Player& player, std::span<const uint8_t> payload) {
    if (payload.size() != kRegisterReadBytes) {
        spdlog::warn("card register read: {} bytes refused (address and count: {})", payload.size(),
                     kRegisterReadBytes);
        return std::nullopt;
    }
    int address = LittleEndian16(payload.data());
    int count = LittleEndian16(payload.data() + 2);
    if (address > kMaxFieldValue || count > kMaxFieldValue) {
        spdlog::warn("card register read: address {} or count {} beyond four digits", address,
                     count);
        return std::nullopt;
    }
    char command[32];
    std::snprintf(command, sizeof command, "*#RL %04d %04d#*", address, count);
    auto result = RunExchange(player.ports, PortRole::Card,
                              Exchange(command).Wait(100).Reply(kMaxCommandBytes));
    if (result.reply.empty()) return std::nullopt;
    return result.reply;
}

bool SetPointEnable(Player& player, uint8_t enable) {
    const DeviceFs& fs = player.fs;
    bool stored;
    if (enable) {
        fs.CreateDirectory("\\nand\\table");
        stored = fs.WriteFile(files::kPointEnable, &enable, 1);
    } else {
        // Start-up switches the points on whenever the file exists: switched
        // off, it must not.
        fs.Remove(files::kPointEnable);
        stored = !fs.Exists(files::kPointEnable);
    }
    if (!stored) spdlog::warn("point enable: cannot update {}", files::kPointEnable);
    bool sent = SendPointEnable(player.ports, enable != 0) == 1;
    return stored && sent;
}

bool CardTestCommand(Player& player, std::span<const uint8_t> payload) {
    if (!CommandSizeFits(payload, "card test command")) return false;
    const std::string_view command = AsText(payload);
    const TestSwitch testSwitch = TestSwitchOf(command);
    if (testSwitch == TestSwitch::Mode1 || testSwitch == TestSwitch::Mode2) {
        if (!player.device.cardTest.exchange(true)) HoldPlaybackForCard(player);
        player.device.cardTestMode = testSwitch == TestSwitch::Mode1 ? 1 : 2;
    }
    const bool answered = WriteCardAndWaitAck(player.ports, command, kLongAckWait);
    if (!answered) {
        player.device.cardTestMode = 0;
        LeaveCardTest(player);
        return false;
    }
    if (testSwitch == TestSwitch::Leave) LeaveCardTest(player);
    if (command.size() >= kFirmwareCommandMin) {
        if (auto block = HexAt(command, kFirmwareNumberAt, 4))
            DrawFirmwareProgress(player, int(*block), int(std::min<uint32_t>(*block / 13, 99)));
    }
    return true;
}

bool CardPassThrough(Player& player, std::span<const uint8_t> payload) {
    if (!CommandSizeFits(payload, "card pass-through")) return false;
    return WriteCardAndWaitAck(player.ports, AsText(payload));
}

std::vector<uint8_t> GetCardStatusFlags(Player& player) {
    const int count = ReadCardByte000F(player.ports);
    auto result = RunExchange(player.ports, PortRole::Card,
                              Exchange("*#RL 4200 0100#*").Wait(100).Reply(1024));
    const std::string bits = StatusBits(result.reply);
    std::vector<uint8_t> flags(size_t(count), 0);
    for (size_t i = 0; i < flags.size() && i < bits.size(); ++i) flags[i] = bits[i] == '1';
    // The card's own test (mode 1) reports its result in the first flag alone.
    int mode = 1;
    if (player.device.cardTestMode.compare_exchange_strong(mode, 0) && !flags.empty())
        flags.resize(1);
    return flags;
}

}  // namespace led
