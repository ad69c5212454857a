#include "screen/ScreenTables.h"

#include <spdlog/spdlog.h>

#include "core/Player.h"
#include "screen/CardAck.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"
#include "screen/CardSenders.h"
#include "screen/Schedules.h"
#include "storage/Files.h"

namespace led {
namespace {

constexpr const char* kWorkingDirectory = "\\nand\\tabletemp";
constexpr const char* kTableDirectory = "\\nand\\table";
constexpr const char* kGammaFiles[] = {"GammaRed.dat", "GammaGreen.dat", "GammaBlue.dat"};
constexpr const char* kWhiteBalanceFile = "writebalance.dat";
constexpr const char* kColourFile = "color.dat";
constexpr size_t kGammaCommandBytes = 1045;
constexpr size_t kColourBytes = 48;
// The largest payload a control frame carries: nothing longer can come from
// the tool, so a longer table is a caller's mistake.
constexpr size_t kMaxTableBytes = 4096;

std::string_view AsText(std::span<const uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Table files are named by the handlers; a name that could reach outside the
// working directory is refused.
bool IsPlainFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("\\/\0:", 4)) == std::string_view::npos;
}

bool EnsureTableDirectories(const DeviceFs& fs) {
    bool table = fs.CreateDirectory(kTableDirectory);
    bool working = fs.CreateDirectory(kWorkingDirectory);
    if (!table || !working) spdlog::warn("screen tables: cannot create the table directories");
    return table && working;
}

bool WriteWorkingCopy(const DeviceFs& fs, std::string_view name, std::string_view bytes) {
    std::string path = JoinBoardPath(kWorkingDirectory, std::string(name));
    if (fs.WriteFile(path, bytes.data(), bytes.size())) return true;
    spdlog::warn("screen tables: cannot write {}", path);
    return false;
}

// Sends one table command and waits for the card's acknowledgement, all under
// the port's lock. `afterAck` runs under the same lock once acknowledged.
template <typename AfterAck>
bool SendTable(CardPorts& ports, std::string_view command, AfterAck afterAck) {
    auto lock = ports.cardPort.LockExchange();
    if (!RunExchangeLocked(ports, PortRole::Card, Exchange(command), lock).written) return false;
    if (!WaitCardAck(ports, lock)) return false;
    afterAck(lock);
    return true;
}

bool SendTable(CardPorts& ports, std::string_view command) {
    return SendTable(ports, command, [](const SerialPort::ExchangeLock&) {});
}

// Reads what else the card says after an acknowledgement; not examined, only
// kept out of the next command's answer and logged.
void DrainAnswer(CardPorts& ports, int waitMs, size_t maxBytes) {
    ports.deviceClock.Sleep(waitMs);
    std::string rest(maxBytes, '\0');
    size_t got = ports.cardPort.Read(reinterpret_cast<uint8_t*>(rest.data()), maxBytes);
    if (got > 0) LogCardReply(ports, PortRole::Card, std::string_view(rest.data(), got));
}

void MoveWorkingTables(const DeviceFs& fs) {
    for (const std::string& name : fs.List(kWorkingDirectory)) {
        std::string from = JoinBoardPath(kWorkingDirectory, name);
        if (fs.IsDirectory(from)) continue;
        std::string to = JoinBoardPath(kTableDirectory, name);
        fs.Remove(to);  // the saved copy of the same name gives way
        if (!fs.MoveFile(from, to)) spdlog::warn("screen tables: cannot move {} to {}", from, to);
    }
}

bool IsStoredGammaCommand(const std::vector<uint8_t>& bytes, GammaColour colour) {
    if (bytes.size() != kGammaCommandBytes) return false;
    std::string_view text = AsText(bytes);
    // The same head as any curve of this colour.
    std::string head = GammaCommand(colour, 10).substr(0, 19);
    return text.starts_with(head) && text.ends_with("#*");
}

}  // namespace

bool ApplyRawTable(Player& player, std::span<const uint8_t> bytes, std::string_view fileName,
                   RawTableKind kind) {
    if (!IsPlainFileName(fileName)) {
        spdlog::warn("screen tables: refused table file name \"{}\"", PrintableBytes(fileName));
        return false;
    }
    if (bytes.empty() || bytes.size() > kMaxTableBytes) {
        spdlog::warn("screen tables: {} of {} bytes refused (1 to {} bytes)", fileName,
                     bytes.size(), kMaxTableBytes);
        return false;
    }
    if (!EnsureTableDirectories(player.fs)) return false;
    const std::string_view command = AsText(bytes);
    if (kind == RawTableKind::Plain) {
        // Kept whether or not the card takes it: the copy records what was sent.
        if (!WriteWorkingCopy(player.fs, fileName, command)) return false;
        return SendTable(player.ports, command);
    }
    // The module table is kept only once the card has taken it; the card
    // follows its acknowledgement with more that nobody reads.
    bool acked = SendTable(player.ports, command, [&](const SerialPort::ExchangeLock&) {
        DrainAnswer(player.ports, 10, 100);
    });
    return acked && WriteWorkingCopy(player.fs, fileName, command);
}

bool ApplyGamma(Player& player, GammaColour colour, int gammaTimesTen) {
    if (gammaTimesTen < 0 || gammaTimesTen > 255) {
        spdlog::warn("screen tables: gamma {} out of range", gammaTimesTen);
        return false;
    }
    EnsureTableDirectories(player.fs);
    const std::string command = GammaCommand(colour, gammaTimesTen);
    CardPorts& ports = player.ports;
    bool acked;
    {
        auto lock = ports.cardPort.LockExchange();
        // The red curve comes first of the three: give the card a moment
        // after whatever went before.
        if (colour == GammaColour::Red) ports.deviceClock.Sleep(10);
        acked = RunExchangeLocked(ports, PortRole::Card, Exchange(command), lock).written &&
                WaitCardAck(ports, lock);
        if (!acked) return false;
        // The value is the card's from its acknowledgement on; what follows
        // it on the line is read but decides nothing (a card answers a write
        // once, and that answer has been taken).
        player.device.gamma[size_t(colour)] = gammaTimesTen;
        DrainAnswer(ports, 14, 30);
    }
    // The card already has the curve; without its working copy the save
    // would lose it, so the tool is told of failure.
    return WriteWorkingCopy(player.fs, kGammaFiles[int(colour)], command);
}

bool ApplyWhiteBalance(Player& player, std::span<const uint8_t> rgb) {
    if (rgb.size() < 3) {
        spdlog::warn("screen tables: white balance needs 3 bytes, got {}", rgb.size());
        return false;
    }
    if (!EnsureTableDirectories(player.fs) ||
        !WriteWorkingCopy(player.fs, kWhiteBalanceFile, AsText(rgb.first(3))))
        return false;
    return SendTable(player.ports, WhiteBalanceCommand(rgb[0], rgb[1], rgb[2]));
}

bool ApplyColourCorrection(Player& player, std::span<const uint8_t> received) {
    auto command = ColourCorrectionCommand(received);
    if (!command) {
        spdlog::warn("screen tables: colour correction needs {} bytes, got {}", kColourBytes,
                     received.size());
        return false;
    }
    if (!EnsureTableDirectories(player.fs) ||
        !WriteWorkingCopy(player.fs, kColourFile, AsText(received.first(kColourBytes))))
        return false;
    return SendTable(player.ports, *command);
}

void SaveTables(Player& player, int flag) {
    CardPorts& ports = player.ports;
    const Clock& deviceTime = ports.deviceClock;
    if (flag == 1) {
        // C400 on for two seconds: the card stores its own set meanwhile.
        deviceTime.Sleep(100);
        SetCardSwitchC400(ports, true);
        deviceTime.Sleep(10);
        deviceTime.Sleep(2000);
        SetCardSwitchC400(ports, false);
        if (EnsureTableDirectories(player.fs)) MoveWorkingTables(player.fs);
    }
    deviceTime.Sleep(50);
    SetCardSwitchC800(ports, false);
    player.fs.Remove(files::kBrightAdj);
    player.fs.Remove(files::kPowerOnOff);
    LoadSchedules(player);
}

bool SendStoredGammaTables(Player& player) {
    bool allAcknowledged = true;
    for (GammaColour colour : {GammaColour::Red, GammaColour::Green, GammaColour::Blue}) {
        std::string path = JoinBoardPath(kTableDirectory, kGammaFiles[int(colour)]);
        if (!player.fs.Exists(path)) continue;
        auto bytes = player.fs.ReadFile(path, kGammaCommandBytes + 1);
        // Only a whole curve of this colour goes to the card: a damaged file
        // would write its bytes into another register.
        if (!bytes || !IsStoredGammaCommand(*bytes, colour)) {
            spdlog::warn("screen tables: {} is no gamma command of its colour; not sent", path);
            allAcknowledged = false;
            continue;
        }
        if (colour == GammaColour::Red) player.ports.deviceClock.Sleep(10);
        if (!SendTable(player.ports, AsText(*bytes))) allAcknowledged = false;
    }
    return allAcknowledged;
}

}  // namespace led
