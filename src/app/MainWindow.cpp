#include "app/MainWindow.h"

#include <spdlog/spdlog.h>

#include "core/Player.h"
#include "core/ScreenText.h"
#include "core/WorkerThread.h"
#include "storage/SettingsFiles.h"
#include "usb/UsbDisk.h"
#include "video/MediaEvents.h"
#include "video/VideoItems.h"

namespace led {
namespace {

void SuperviseThreads(Player& player) {
    for (WorkerThread* t :
         {player.threads.serverLinkThread, player.threads.normalSchedulerThread}) {
        if (!t || t->IsRunning() || player.ShuttingDown()) continue;
        spdlog::warn("thread {} has ended; starting it again", t->Name());
        player.events.Emit("thread-restart", {{"thread", t->Name()}});
        t->Start();
    }
}

void ChangeVolume(Player& player, int delta) {
    int volume = AdjustVolume(player.device.volume.load(), delta);
    player.device.volume = volume;
    int wave = volume * 65535 / 100;
    player.video.waveOut->SetWaveVolume(uint32_t(wave));
    // The graphs follow the volume adjustment: a window of the volume
    // schedule that holds now keeps its own level until it ends.
    LocalTime now = player.clock.Now();
    int adjustment = ScheduledVolume(player.fs, now.hour, now.minute, now.second, volume);
    SetVideoVolume(player, adjustment);
    WriteVolume(player.fs, volume);
    player.events.Emit("volume", {{"volume", volume},
                                  {"wave", wave},
                                  {"graph", GraphVolume(adjustment)},
                                  {"source", "keys"}});
}

void CountCycleMessage(Player& player, Layer layer, int64_t lParam) {
    if (lParam == 1 || lParam == 2) player.LayerOf(layer).cycleMessageCount.fetch_add(1);
    if (player.device.videoState.load() != 2) HandleGraphEvent(player, layer);
}

const char* DialUpStateName(uint64_t state) {
    switch (state) {
        case 0: return "opening port";
        case 1: return "port opened";
        case 2: return "connecting device";
        case 8192: return "connected";
        case 8193: return "disconnected";
        default: return "unknown";
    }
}

}  // namespace

void SetCopyProgressCounters(Player& player, uint64_t copied, uint64_t total) {
    player.copy.copiedBytes = copied;
    player.copy.totalBytes = total;
}

int64_t MainWndProc(Player& player, const Message& m) {
    switch (m.code) {
        case msg::kCreate:
            if (++player.output.windowCreations == 1)
                player.queue.SetTimer(kSupervisionTimer, kSupervisionPeriodMs);
            return 0;
        case msg::kDestroy: player.queue.Quit(0); return 0;
        case msg::kTimer:
            if (m.wParam == kSupervisionTimer) SuperviseThreads(player);
            return 0;
        case msg::kDeviceChange: return UsbDeviceChangeNotice(player, m.wParam, m.lParam);
        case msg::kKeyDown:
            switch (int(m.wParam)) {
                case key::kNextProgram: player.playback.normal.nextRequested = true; break;
                case key::kPreviousProgram: player.playback.normal.previousRequested = true; break;
                case key::kVolumeUp: ChangeVolume(player, 10); break;
                case key::kVolumeDown: ChangeVolume(player, -10); break;
                default: break;
            }
            return 0;
        case msg::kCopyProgress: {
            uint64_t total = player.copy.totalBytes.load();
            if (total == 0 || !player.output.mainWindow) return 0;
            uint64_t done = player.copy.copiedBytes.load() + m.wParam * 65536;
            int length = int(std::min<uint64_t>(64 * done / total, 64));
            DrawBar(*player.output.mainWindow, 0, 0, 64, 12, 1, length, Colour{0xff0000});
            DrawResourceBitmap(*player.output.mainWindow, 0, 16, 64, 16, 138);
            return 0;
        }
        case msg::kNormalCycle: CountCycleMessage(player, Layer::Normal, m.lParam); return 0;
        case msg::kOsdCycle: CountCycleMessage(player, Layer::Osd, m.lParam); return 0;
        case msg::kDialUpEvent: spdlog::info("dial-up: {}", DialUpStateName(m.wParam)); return 0;
        default: return 0;
    }
}

}  // namespace led
