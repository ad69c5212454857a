// The card's firmware update (code 78 over TCP), after the firmware file was
// uploaded with typed transfer 67. The session that received the file puts
// back its own transfer directories; this part only reads the file.

#include <spdlog/spdlog.h>

#include <algorithm>
#include <cstdio>

#include "core/Player.h"
#include "net/CardMaintenance.h"
#include "net/CardTestHold.h"
#include "platform/text/HexDigits.h"
#include "screen/CardAck.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"

namespace led {
namespace {

constexpr const char* kFirmwareCopy = "\\nand\\fpgafile.upr";
// Typed transfer 67 receives into the storage root's videotemp65.
constexpr const char* kReceivingDirectory = "videotemp65\\";
constexpr size_t kFirmwareBlockBytes = 256;
// Block numbers travel as four hex digits.
constexpr size_t kMaxFirmwareBlocks = 0xFFFF;
// Answered with the number of the block the card has taken.
constexpr std::string_view kReadBlockNumber = "*#RL 0038 0002#*";
// The card erases its flash before the first block.
constexpr int kEraseWaitMs = 10000;

// "*#WL CC00 0208 2dd2", the block as 512 hex digits (a short last block filled
// up with F), the block number as four, "#*": 537 bytes.
std::string FirmwareBlockCommand(std::span<const uint8_t> block, unsigned number) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string command = "*#WL CC00 0208 2dd2";
    command.reserve(537);
    for (uint8_t byte : block) {
        command += kDigits[byte >> 4];
        command += kDigits[byte & 0xf];
    }
    command.append(2 * (kFirmwareBlockBytes - block.size()), 'F');
    char tail[8];
    std::snprintf(tail, sizeof tail, "%04X#*", number & 0xffff);
    return command + tail;
}

// Characters 8, 9, 11 and 12 of the read answer ("%#RL#%*#00&01&#*" gives 1).
std::optional<unsigned> BlockNumberOf(std::string_view reply) {
    if (reply.size() < 13) return std::nullopt;
    unsigned value = 0;
    for (size_t at : {8, 9, 11, 12}) {
        int d = HexDigitValue(static_cast<unsigned char>(reply[at]));
        if (d < 0) return std::nullopt;
        value = value * 16 + unsigned(d);
    }
    return value;
}

std::optional<std::string> FirstReceivedFile(const Player& player) {
    const std::string directory = player.Storage()->paths.root + kReceivingDirectory;
    std::vector<std::string> names = player.fs.List(directory);
    std::sort(names.begin(), names.end());  // the same file every time
    for (const std::string& name : names) {
        std::string path = JoinBoardPath(directory, name);
        if (!player.fs.IsDirectory(path)) return path;
    }
    return std::nullopt;
}

// Switches the card's output off again, lets go of the card and gives
// playback back.
bool EndUpdate(Player& player, int offWaitMs, bool completed) {
    RunExchange(player.ports, PortRole::Card, Exchange(kSwitchC800Long.off).Wait(offWaitMs));
    player.device.cardTest = false;
    player.ports.deviceClock.Sleep(500);
    ResumePlaybackAfterCard(player);
    player.events.Emit("card-firmware-end", {{"completed", completed}});
    return completed;
}

bool Abort(Player& player, const char* why) {
    spdlog::warn("firmware update aborted: {}", why);
    return EndUpdate(player, 0, false);
}

}  // namespace

bool FpgaUpdate(Player& player) {
    auto received = FirstReceivedFile(player);
    if (!received) {
        spdlog::warn("firmware update: no file received");
        return false;
    }
    if (!player.fs.CopyFile(*received, kFirmwareCopy)) {
        spdlog::warn("firmware update: cannot copy {} to {}", *received, kFirmwareCopy);
        return false;
    }
    auto firmware = player.fs.ReadFile(kFirmwareCopy);
    // Checked before the screen goes dark: an empty file or one with more
    // blocks than their numbers can count would leave the card half written.
    if (!firmware || firmware->empty() ||
        firmware->size() > kMaxFirmwareBlocks * kFirmwareBlockBytes) {
        spdlog::warn("firmware update: {} bytes of firmware refused (1 to {})",
                     firmware ? firmware->size() : 0, kMaxFirmwareBlocks * kFirmwareBlockBytes);
        return false;
    }

    HoldPlaybackForCard(player);
    player.device.cardTest = true;
    CardPorts& ports = player.ports;
    RunExchange(ports, PortRole::Card, Exchange(kSwitchC800Long.off).Wait(100));
    if (!WriteCardAndWaitAck(ports, kSwitchC800Long.on, kLongAckWait))
        return Abort(player, "the card did not answer the output switch");
    if (RunExchange(ports, PortRole::Card, Exchange(kReadBlockNumber).Wait(20).Reply(100))
            .reply.empty())
        return Abort(player, "the card did not answer the block register");
    ports.deviceClock.Sleep(kEraseWaitMs);

    const std::span<const uint8_t> bytes(*firmware);
    unsigned number = 0;
    for (size_t at = 0; at < bytes.size(); at += kFirmwareBlockBytes) {
        ++number;
        auto block = bytes.subspan(at, std::min(kFirmwareBlockBytes, bytes.size() - at));
        std::string command = FirmwareBlockCommand(block, number);
        if (!WriteCardAndWaitAck(ports, command, kLongAckWait))
            return Abort(player, "the card did not answer a block");
        auto check =
            RunExchange(ports, PortRole::Card, Exchange(kReadBlockNumber).Wait(20).Reply(100));
        auto taken = BlockNumberOf(check.reply);
        if (!taken || *taken != number) {
            spdlog::warn("firmware update: block {} sent, the card reports {}", number,
                         taken ? int(*taken) : -1);
            return Abort(player, "the card lost count of the blocks");
        }
        DrawFirmwareProgress(player, int(number), int(std::min(number / 13, 99u)));
    }
    return EndUpdate(player, 100, true);
}

}  // namespace led
