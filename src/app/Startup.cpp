#include "app/Startup.h"

#include <spdlog/spdlog.h>

#include <cstdio>
#include <filesystem>

#include "app/AreaBodyTable.h"
#include "app/BootScreen.h"
#include "app/Hooks.h"
#include "app/MainWindow.h"
#include "app/Monitors.h"
#include "clock/SensorPolling.h"
#include "core/Player.h"
#include "core/ScreenText.h"
#include "core/WorkerThread.h"
#include "net/NetworkThreads.h"
#include "platform/display/Preview.h"
#include "platform/image/PngWriter.h"
#include "platform/system/Threads.h"
#include "platform/text/Fonts.h"
#include "program/PlaylistReader.h"
#include "program/PowerSchedule.h"
#include "program/RemoteWindow.h"
#include "program/Scheduler.h"
#include "screen/CardLink.h"
#include "screen/Schedules.h"
#include "storage/Files.h"
#include "storage/PlayerType.h"
#include "storage/RunMode.h"
#include "storage/SettingsFiles.h"
#include "usb/UsbDisk.h"
#include "video/MediaEvents.h"
#include "video/VolumeSchedule.h"

namespace led {
namespace {

// The worker threads in start order. A thread whose switch file exists is not
// started; a thread with a marker file only runs when the file exists.
struct ThreadRow {
    const char* name;
    int priority;
    const char* offSwitch;  // presence turns the thread off
    const char* onSwitch;   // presence turns the thread on
    void (*body)(Player&);
    WorkerThread* Player::Threads::*kept;
};

constexpr ThreadRow kFirstGroup[] = {
    {"brightness", 3, files::kBrightThreadOff, nullptr, BrightnessScheduleThread, nullptr},
    {"volume", 4, files::kVolumeThreadOff, nullptr, VolumeThread, nullptr},
    {"power", 4, files::kPowerThreadOff, nullptr, PowerScheduleThread, nullptr},
    {"restart", 3, nullptr, nullptr, ScheduledRestartThread, nullptr},
    {"sensors", 3, files::kMiscThreadOff, nullptr, SensorPollingThread, nullptr},
    {"watchdog", 3, nullptr, nullptr, KeepAliveThread, nullptr},
    {"udp-config", 3, nullptr, nullptr, UdpConfigServerThread, nullptr},
    {"remote", 3, files::kRemoteThreadOff, nullptr, RemoteWindowThread,
     &Player::Threads::remoteWindowThread},
};

constexpr ThreadRow kSecondGroup[] = {
    {"server-link", 3, nullptr, nullptr, ServerLinkThread, &Player::Threads::serverLinkThread},
    {"tcp-5002", 3, nullptr, nullptr, TcpAcceptLoop, nullptr},
    {"tcp-5005", 3, nullptr, nullptr, TextAcceptLoop, nullptr},
    {"normal-sched", 3, nullptr, nullptr, NormalSchedulerThread,
     &Player::Threads::normalSchedulerThread},
    {"osd-sched", 3, nullptr, nullptr, OsdSchedulerThread, nullptr},
    {"usb-disk", 3, files::kUsbThreadOff, nullptr, UsbDiskThread, nullptr},
    {"mem-monitor", 3, nullptr, files::kMemDisp, MemoryMonitorThread, nullptr},
};

void StartThreads(Player& player, std::span<const ThreadRow> rows) {
    for (const auto& row : rows) {
        if (row.offSwitch && player.fs.Exists(row.offSwitch)) {
            spdlog::info("thread {} switched off by {}", row.name, row.offSwitch);
            continue;
        }
        if (row.onSwitch && !player.fs.Exists(row.onSwitch)) continue;
        auto body = row.body;
        auto thread = std::make_unique<WorkerThread>(row.name, row.priority,
                                                     [&player, body] { body(player); });
        thread->Start();
        player.events.Emit("thread-start", {{"thread", row.name}});
        if (row.kept) player.threads.*(row.kept) = thread.get();
        player.threads.workers.push_back(std::move(thread));
    }
}

Size ParseSize(const std::string& text, Size fallback) {
    int w = 0, h = 0;
    char x = 0;
    if (std::sscanf(text.c_str(), "%d%c%d", &w, &x, &h) == 3 && (x == 'x' || x == 'X') && w > 0 &&
        h > 0 && w <= kMaxWindowSide && h <= kMaxWindowSide)
        return {w, h};
    return fallback;
}

bool CreateMainWindow(Player& player) {
    Size screen = ParseSize(player.settings.size, {1920, 1080});
    player.output.windowSize = DecideWindowSize(player.fs, screen);
    KeyHandler onKey = [&player](int code) {
        player.queue.Post({msg::kKeyDown, uint64_t(code), 0});
    };
    if (!player.OpenDisplay(player.output.windowSize, onKey)) {
        spdlog::warn("display backend could not open; continuing headless");
        player.ResetBackend(MakeHeadlessBackend());
        if (!player.OpenDisplay(player.output.windowSize, onKey)) return false;
    }
    player.output.mainWindow = player.output.display->CreateWindow(
        "J7 Application", {0, 0, player.output.windowSize.width, player.output.windowSize.height},
        false);
    MainWndProc(player, {msg::kCreate, 0, 0});
    spdlog::info("main window {}x{} on the {} backend", player.output.windowSize.width,
                 player.output.windowSize.height, player.output.display->BackendName());
    return true;
}

void RemoveAllPrograms(Player& player) {
    if (!player.fs.Exists(files::kRemoveAll) && !player.fs.Exists(files::kRemoveAllHdd)) return;
    player.fs.Remove(player.Storage()->paths.playlist);
    player.fs.Remove(files::kRemoveAll);
    player.fs.Remove(files::kRemoveAllHdd);
    spdlog::info("removeallfile: playlist deleted");
}

void FirstStartOfInstallation(Player& player) {
    if (player.fs.Exists(files::kVer)) return;
    player.fs.Remove("\\Storage Card 1_0\\xml\\playlist.xml");
    player.fs.Remove("\\Storage Card\\xml\\playlist.xml");
    auto bytes = VersionBytes(kVersionString);
    player.fs.WriteFile(files::kVer, bytes.data(), bytes.size());
    spdlog::info("first start of this installation: playlists discarded");
}

void LoadPlaylistAtStart(Player& player) {
    const auto storage = player.Storage();
    const StoragePaths& p = storage->paths;
    auto size = player.fs.FileSize(p.playlist);
    if (!size || *size < 41) {
        if (player.fs.CopyFile(p.backupPlaylist, p.playlist))
            spdlog::info("playlist restored from {}", p.backupPlaylist);
    }
    // After the restore: the backup may hold inserted programs too, and they
    // never survive a restart.
    RemoveInsertedPrograms(player, p.playlist);
    ReadPlaylist(player, p.playlist);
    player.SleepOrStop(1000);
}

// Missing file: the defaults (account "guest", no server host).
void ReadNetInfo(Player& player) {
    if (auto text = player.fs.ReadText(files::kNetInfo, 260))
        player.network.SetInfo(ParseNetInfo(*text));
}

// What a snapshot holds: the raster, or with display.preview = screen only
// what the display shows of it, enlarged to stay within a full-HD image.
Surface Snapshot(Player& player) {
    Display& display = *player.output.display;
    Surface raster = display.CaptureRaster();
    if (player.settings.preview != "screen") return raster;
    return Enlarge(raster, FitPreview(raster.GetSize(), display.Shown(), {1920, 1080}));
}

}  // namespace

bool StartUp(Player& player) {
    auto& fs = player.fs;
    // A missing device root is created with its built-in flash volume; the
    // storage volumes stay as they are, since their absence is a state the
    // player reports.
    fs.CreateVolume("nand");
    RegisterAreaBodies(player.areaBodies);
    FillUpperHooks(player);

    // 1-2
    player.system->RunAtStart(files::kStartupProgram);
    if (!CreateMainWindow(player)) {
        spdlog::error("the main window cannot be created");
        return false;
    }
    // 3-4
    player.boot.chinese = ReadLanguageChinese(fs);
    player.boot.adapter = player.system->ReadAdapter(player.settings.networkInterface);
    // 5
    if (auto msyh = fs.Resolve(files::kFontMsyh); msyh && fs.Exists(files::kFontMsyh))
        Fonts::AddFontFile(msyh->string());
    // 6-7
    player.boot.testLog.Enable(fs.Exists(files::kTestLogSwitch));
    // The storage choice is published as each part of it is known.
    StorageSetup storage;
    storage.runMode = DecideRunMode(fs);
    storage.paths = BuildStoragePaths(storage.runMode);
    player.SetStorage(std::make_shared<const StorageSetup>(storage));
    // 8-9
    if (auto pairs = fs.ReadFile(files::kSetSwitch)) SaveSwitchSettings(player, *pairs);
    // 10-11
    RemoveAllPrograms(player);
    if (auto up = fs.ReadFile(files::kUpPoint, 1); up && !up->empty() && (*up)[0] == '1')
        player.device.upPointFlag = false;
    // 12-14
    CreateStandardDirectories(fs, storage.paths);
    fs.Remove(files::kChannel);
    FirstStartOfInstallation(player);
    // 15-16
    OpenCardLink(player);
    storage.playerType = ParsePlayerType(ReadBoardModel(player), player.boot.chinese);
    player.SetStorage(std::make_shared<const StorageSetup>(storage));
    player.events.Emit("player-type", {{"type", storage.playerType.text},
                                       {"width", storage.playerType.rasterBounds.width},
                                       {"height", storage.playerType.rasterBounds.height}});
    // 17
    if (fs.Exists(files::kPointEnable)) SendPointEnable(player);
    // 18
    player.device.brightness = ReadManualBrightness(fs);
    SendBrightness(player, player.device.brightness);
    player.SleepOrStop(50);
    SendCardInitCommand(player);
    player.SleepOrStop(50);
    LoadSchedules(player);
    SetCameraSwitch(player.video, player.events, false);
    ReadDialUpSettings(player);
    player.device.volume = ReadVolume(fs, 100);
    // 19-21
    FillBlack(*player.output.mainWindow);
    if (fs.Exists(files::kConfigShow))
        fs.Remove(files::kConfigShow);
    else
        ShowBootScreen(player);
    CheckRunModeStorage(player);
    // 22-23
    StartThreads(player, kFirstGroup);
    auto version = VersionBytes(kVersionString);
    fs.WriteFile(files::kVersion, version.data(), version.size());
    // 24-26
    LoadPlaylistAtStart(player);
    ReadNetInfo(player);
    StartThreads(player, kSecondGroup);
    // 27
    player.boot.testLog.Append(files::kRebootRec, "board boot staring ...", player.clock.Now());
    player.events.Emit("started",
                       {{"runMode", storage.runMode == RunMode::Flash ? "flash" : "sd"}});
    NotifySupervisor("READY=1");
    return true;
}

void StartRunHelpers(Player& player) {
    const Settings& s = player.settings;
    if (s.runFor > 0) {
        auto t = std::make_unique<WorkerThread>("run-for", 3, [&player] {
            if (player.SleepOrStop(int64_t(player.settings.runFor * 1000))) {
                spdlog::info("bounded run over");
                player.queue.Quit(0);
                player.BeginShutdown();
            }
        });
        t->Start();
        player.threads.workers.push_back(std::move(t));
    }
    if (s.snapshotEvery > 0 && !s.snapshotDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(s.snapshotDir, ec);
        auto t = std::make_unique<WorkerThread>("snapshots", 4, [&player] {
            const auto period = int64_t(player.settings.snapshotEvery * 1000);
            while (player.SleepOrStop(period)) {
                if (!player.output.display) continue;
                LocalTime now = player.clock.Now();
                char name[40];
                std::snprintf(name, sizeof name, "%04d%02d%02d-%02d%02d%02d.png", now.year,
                              now.month, now.day, now.hour, now.minute, now.second);
                auto path = std::filesystem::path(player.settings.snapshotDir) / name;
                if (WritePng(Snapshot(player), path.string()))
                    player.events.Emit("snapshot", {{"file", path.string()}});
            }
        });
        t->Start();
        player.threads.workers.push_back(std::move(t));
    }
}

int RunMessageLoop(Player& player) {
    if (player.ShuttingDown()) return 0;
    int code = player.queue.Run([&player](const Message& m) { return MainWndProc(player, m); });
    player.BeginShutdown();
    return code;
}

}  // namespace led
