// Who the player is and where it keeps things: the device description,
// network settings, storage space and place, language, clock, restart and the
// storage reset.

#include <spdlog/spdlog.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "core/Player.h"
#include "core/ScreenText.h"
#include "net/Frame.h"
#include "net/Handlers.h"
#include "program/PlaylistReader.h"
#include "program/ScreenPower.h"
#include "storage/Files.h"
#include "storage/RunMode.h"
#include "storage/SettingsFiles.h"

namespace led {
namespace {

// `text` into a zero-padded field of `size` bytes (cut when longer).
void PutField(std::vector<uint8_t>& out, std::string_view text, size_t size) {
    size_t n = std::min(text.size(), size);
    out.insert(out.end(), text.begin(), text.begin() + ptrdiff_t(n));
    out.insert(out.end(), size - n, 0);
}

std::string FileText(const DeviceFs& fs, const char* path, size_t maxBytes) {
    auto text = fs.ReadText(path, maxBytes);
    if (!text) return {};
    return text->substr(0, text->find('\0'));
}

// Addresses, version, player type and account: the part both descriptions share.
std::vector<uint8_t> DescriptionFields(Player& player) {
    const AdapterInfo& a = player.boot.adapter;
    std::vector<uint8_t> out;
    out.insert(out.end(), a.ip.begin(), a.ip.end());
    out.insert(out.end(), a.netmask.begin(), a.netmask.end());
    out.insert(out.end(), a.gateway.begin(), a.gateway.end());
    out.insert(out.end(), a.mac.begin(), a.mac.end());
    auto version = VersionBytes(kVersionString);
    out.insert(out.end(), version.begin(), version.end());
    PutField(out, FileText(player.fs, files::kPlayerTypeFile, 10), 10);
    PutField(out, player.network.Info()->account, 16);
    return out;
}

std::string BoardSupportText(Player& player) {
    if (auto text = player.fs.ReadText(files::kBspVersion, 16))
        return text->substr(0, text->find('\0'));
    return ReadLanguageChinese(player.fs) ? "\xCD\xA8\xD3\xC3"
                                            "BSP"
                                          : "General BSP";
}

// The payload of SetClock and SyncClock: 32-bit year (low 16 bits used),
// month, day, hour, minute, second.
std::optional<LocalTime> ClockPayload(const Request& r) {
    if (r.payload.size() < 9) return std::nullopt;
    LocalTime t;
    t.year = int(ReadLe32(r.payload.data()) & 0xFFFF);
    t.month = r.payload[4];
    t.day = r.payload[5];
    t.hour = r.payload[6];
    t.minute = r.payload[7];
    t.second = r.payload[8];
    // Only a real calendar time is set: Parse refuses 31 February or hour 25.
    auto checked = LocalTime::Parse(t.Format());
    if (!checked || checked->Format() != t.Format()) return std::nullopt;
    return checked;
}

bool SetClockTo(Player& player, const LocalTime& t, const Request& r) {
    bool system = player.system->SetSystemTime(t.Format());
    bool virtualClock = player.clock.SetLocalTime(t);
    player.events.Emit("clock-set", {{"time", t.Format()},
                                     {"code", int(r.code)},
                                     {"system", system},
                                     {"virtual", virtualClock}});
    return system || virtualClock;
}

// Run mode and storage paths decided again from storeplace.txt, playback
// restarted on the new volume's playlist.
void SwitchRunMode(Player& player, RunMode mode) {
    auto& hold = player.playback.hold;
    hold.busy[0] = 1;
    StopBothLayers(player);
    auto setup = std::make_shared<StorageSetup>(*player.Storage());
    setup->runMode = mode;
    setup->paths = BuildStoragePaths(mode);
    CreateStandardDirectories(player.fs, setup->paths);
    std::string playlist = setup->paths.playlist;
    player.SetStorage(std::move(setup));
    ReadPlaylist(player, playlist);
    player.events.Emit("run-mode", {{"mode", mode == RunMode::Flash ? "flash" : "sd"}});
    auto lists = player.Programs();
    if (lists->normal.empty() && lists->osd.empty()) {
        if (player.output.mainWindow)
            DrawMessageText(*player.output.mainWindow, 0, 0, 128, 32, "No Program");
        player.events.Emit("message", {{"text", "No Program"}});
    }
    hold.busy[0] = 0;
}

RunMode ModeOfPlace(uint8_t place) { return place == 0 ? RunMode::Flash : RunMode::SdCard; }

}  // namespace

void OnGetDeviceInfo(Request& r) {
    if (r.transport == Transport::Tcp) {
        r.Data(DescriptionFields(r.player));  // 48 bytes
        return;
    }
    // UDP: only lengths 0 (answered to the whole segment) and 1 (to the sender).
    if (r.length > 1) return;
    std::vector<uint8_t> out = {'*', '#', 4, 20, 0, 0, 0};  // receivers take fields by position
    auto fields = DescriptionFields(r.player);
    out.insert(out.end(), fields.begin(), fields.end());
    PutField(out, BoardSupportText(r.player), 16);
    out.push_back('#');
    out.push_back('*');
    if (r.length == 0) {
        auto broadcast = Endpoint::ParseAddress(r.player.settings.broadcastAddress);
        if (!r.replies.SendTo(out, {broadcast.value_or(0xFFFFFFFF), r.peer.port}))
            spdlog::debug("discovery answer to {} not sent", r.player.settings.broadcastAddress);
        r.answered = "data";
    } else {
        r.Send(out, "data");
    }
    r.Pause(20);
}

void OnSetNetInfo(Request& r) {
    auto& fs = r.player.fs;
    if (!fs.WriteFile(files::kNetInfo, r.payload.data(), r.payload.size())) {
        spdlog::error("control 41: {} cannot be written", files::kNetInfo);
        return;
    }
    r.Ack();
    auto text = fs.ReadText(files::kNetInfo, 260);
    r.player.network.SetInfo(ParseNetInfo(text.value_or("")));
    fs.CopyFile(files::kNetInfo, files::kNetInfoBackup);
    auto info = r.player.network.Info();
    r.player.events.Emit("netinfo", {{"account", info->account},
                                     {"server-host", info->serverHost},
                                     {"server-port", info->serverPort}});
    r.Pause(1);
}

void OnGetNetInfo(Request& r) {
    auto info = r.player.network.Info();
    std::string text = info->account.substr(0, 32) + "," + info->serverHost + "," +
                       std::to_string(info->serverPort);
    r.Data(text);
}

void OnGetStorageSpace(Request& r) {
    auto storage = r.player.Storage();
    auto space = r.player.fs.SpaceOf(storage->paths.root);
    if (!space) spdlog::warn("control 44: the size of {} is unknown", storage->paths.root);
    std::vector<uint8_t> payload(9, 0);
    payload[0] = storage->runMode == RunMode::SdCard ? 1 : 0;
    auto megabytes = [](uint64_t bytes) {
        return uint32_t(std::min<uint64_t>(bytes >> 20, UINT32_MAX));
    };
    WriteLe32(&payload[1], space ? megabytes(space->total) : 0);
    WriteLe32(&payload[5], space ? megabytes(space->available) : 0);
    r.Data(payload);
    r.Pause(50);
}

void OnSetLanguage(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control 117: no language byte");
        return;
    }
    if (!r.player.fs.WriteFile(files::kLanguage, r.payload.data(), 1)) {
        spdlog::error("control 117: {} cannot be written", files::kLanguage);
        return;
    }
    r.Ack();
}

void OnSetClock(Request& r) {
    auto time = ClockPayload(r);
    if (!time) {
        spdlog::warn("control {}: {} payload bytes are no calendar time, clock unchanged",
                     int(r.code), r.payload.size());
        return;
    }
    // Over TCP SyncClock is obeyed only when the clock-sync switch is on.
    if (!(r.code == 87 && r.transport == Transport::Tcp && r.player.settings.clockSync != 1))
        SetClockTo(r.player, *time, r);
    if (r.code == 24 && r.transport == Transport::Udp) {
        static constexpr char kTimeAdjust[] = "FPGA_CMD_TIMEADJUST";  // sent with its zero
        r.Send(Request::AsBytes({kTimeAdjust, sizeof kTimeAdjust}), "data");
    } else {
        r.Ack();
    }
}

void OnReboot(Request& r) {
    r.Ack();
    r.Pause(100);
    r.player.system->RequestReboot("control command 101 from " + r.peer.ToString());
}

void OnResetStorage(Request& r) {
    auto& fs = r.player.fs;
    if (r.transport == Transport::Tcp) {
        fs.RemoveTree("\\Storage Card 1_0\\table\\");
        return;
    }
    if (r.payload.empty() || r.payload[0] > 1) {
        spdlog::warn("control 0: mode {} is not a reset mode",
                     r.payload.empty() ? -1 : int(r.payload[0]));
        return;
    }
    int mode = r.payload[0];
    r.Ack();
    StopBothLayers(r.player);
    r.player.SetPrograms(std::make_shared<ProgramLists>());
    auto paths = r.player.Storage()->paths;
    for (const auto& dir : {paths.xml, paths.video}) fs.RemoveTree(dir);
    if (mode == 0) {
        fs.RemoveTree("\\nand\\table\\");
        for (const char* f : {files::kVersion, files::kNetInfo, files::kStorePlace,
                              files::kPlayerTypeFile, "\\nand\\exelist.dat", files::kUpPoint})
            fs.Remove(f);
    } else {
        fs.RemoveTree(paths.videotemp);
    }
    CreateStandardDirectories(fs, paths);
    if (mode == 0) {
        std::string line = r.player.clock.Now().Format() + " remove all files\r\n";
        fs.AppendFile(files::kRemoveAll, line.data(), line.size());
    }
    r.player.events.Emit("storage-reset", {{"mode", mode}});
    r.player.system->RequestReboot("storage reset (mode " + std::to_string(mode) + ")");
}

void OnSetStoragePlace(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control 34: no place byte");
        return;
    }
    uint8_t place = r.payload[0];
    auto& fs = r.player.fs;
    if (r.transport == Transport::Udp && place == 0) {
        fs.Remove(files::kStorePlace);
    } else {
        const uint8_t bytes[2] = {place, 0};
        if (!fs.WriteFile(files::kStorePlace, bytes, 2)) {
            spdlog::error("control 34: {} cannot be written", files::kStorePlace);
            return;
        }
    }
    if (r.transport == Transport::Udp) {
        r.Ack();
        r.player.system->RequestReboot("storage place changed");
        return;
    }
    SwitchRunMode(r.player, DecideRunMode(fs));
}

void OnSetExportPlace(Request& r) {
    if (r.payload.empty()) {
        spdlog::warn("control 65: no place byte");
        return;
    }
    if (r.transport == Transport::Udp) {
        // The program channel belongs to the transfer of programs.
        spdlog::info("control 65: program channel {} (program channels are not part of this build)",
                     int(r.payload[0]));
        r.Ack10();
        return;
    }
    const uint8_t bytes[2] = {r.payload[0], 0};
    if (!r.player.fs.WriteFile(files::kExportPlace, bytes, 2)) {
        spdlog::error("control 65: {} cannot be written", files::kExportPlace);
        return;
    }
    r.Ack();
    SwitchRunMode(r.player, ModeOfPlace(r.payload[0]));
}

}  // namespace led
