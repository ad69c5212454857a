#include "usb/UsbDisk.h"

#include <spdlog/spdlog.h>

#include <algorithm>

#include "core/Player.h"
#include "core/ScreenText.h"
#include "platform/fs/DiskWatcher.h"
#include "program/PlaylistReader.h"
#include "program/ScreenPower.h"
#include "storage/Files.h"
#include "usb/UsbImport.h"

namespace led {
namespace {

constexpr int kPassMs = 1000;
constexpr int kNoticeShownMs = 4000;
constexpr int kBeforeCopyMs = 500;
constexpr int kBeforeRereadMs = 300;
constexpr int kFinishedShownMs = 1000;

void TestLog(Player& player, const char* text) {
    player.boot.testLog.Append(files::kRebootRec, text, player.clock.Now());
}

Window* MainWindowOf(Player& player) { return player.output.mainWindow.get(); }

// Both layers start afresh at the schedulers' next passes.
void ResetPlayback(Player& player) {
    for (Layer layer : {Layer::Normal, Layer::Osd}) {
        LayerState& L = player.LayerOf(layer);
        L.currentIndex = -1;
        L.Run()->stopFlag = true;
        player.video.Of(layer).videoPlaying = false;
    }
    player.playback.hold.usbImport = 0;
    for (Layer layer : {Layer::Normal, Layer::Osd}) player.LayerOf(layer).programFinished = true;
    player.usb.usbNotice = 0;
}

void RereadPlaylist(Player& player) {
    if (ReadPlaylist(player, player.Storage()->paths.playlist) != 0)
        spdlog::warn("usb: the playlist cannot be read after the import");
}

void DiskInserted(Player& player) {
    auto& hold = player.playback.hold;
    player.events.Emit("usb", {{"state", "inserted"}});
    hold.usbImport = 1;
    StopBothLayers(player);
    if (Window* main = MainWindowOf(player)) DrawMessageText(*main, 0, 0, 96, 96, "检测U盘");
    player.SleepOrStop(kNoticeShownMs);
    if (Window* main = MainWindowOf(player)) DrawMessageText(*main, 0, 0, 96, 96, "");
    TestLog(player, "usb disk insert...");

    if (!player.fs.IsDirectory(JoinBoardPath(kUsbDisk, "xml"))) {
        player.usb.usbNotice = 0;
        TestLog(player, "usb disk no programs...");
        player.events.Emit("usb", {{"state", "no-programs"}});
        hold.usbImport = 0;
        StopBothLayers(player);
        RereadPlaylist(player);
        ResetPlayback(player);
        return;
    }

    if (Window* main = MainWindowOf(player))
        DrawResourceBitmap(*main, 0, 16, 64, 16, kIconReceiving);
    player.SleepOrStop(kBeforeCopyMs);
    const ImportOutcome outcome = ImportPrograms(player);
    if (outcome.kind == ImportOutcome::Kind::Imported) {
        player.events.Emit(
            "usb", {{"state", "imported"}, {"files", outcome.files}, {"bytes", outcome.bytes}});
    } else {
        // The old set stays and plays again.
        spdlog::error("usb: import failed, the program set is unchanged: {}", outcome.reason);
        TestLog(player, "usb disk copy failed...");
        player.events.Emit("usb", {{"state", "failed"}, {"reason", outcome.reason}});
    }
    player.SleepOrStop(kBeforeRereadMs);
    RereadPlaylist(player);
    if (Window* main = MainWindowOf(player)) {
        DrawResourceBitmap(*main, 0, 16, 64, 16, kIconReceiving);
        player.SleepOrStop(kFinishedShownMs);
        FillBlack(*main);
        player.SleepOrStop(kFinishedShownMs);
        FillBlack(*main);
    }
    player.copy.totalBytes = 0;
    ResetPlayback(player);
}

}  // namespace

int64_t UsbDeviceChangeNotice(Player& player, uint64_t wParam, int64_t) {
    int32_t notice = 0;
    if (wParam == kDeviceArrival) {
        spdlog::info("USBDisk is inserted");
        notice = kUsbInserted;
    } else if (wParam == kDeviceRemoveComplete) {
        spdlog::info("USBDisk is remove");
        notice = kUsbRemoved;
    }
    player.usb.usbNotice = notice;
    return notice;
}

void HandleUsbNotice(Player& player) {
    const int32_t notice = player.usb.usbNotice.load();
    if (notice == kUsbInserted) {
        DiskInserted(player);
    } else if (notice == kUsbRemoved) {
        player.usb.usbNotice = 0;
        player.events.Emit("usb", {{"state", "removed"}});
    }
}

void RunUsbDiskThread(Player& player, DiskWatcher& watcher) {
    while (!player.ShuttingDown()) {
        // The watcher's wait stands in for the pass's sleep, so a disk is
        // seen at once.
        const int64_t passEnd = player.clock.Ticks() + kPassMs;
        const int waitMs = int(std::max<int64_t>(1, player.clock.RealMilliseconds(kPassMs)));
        switch (watcher.Wait(waitMs)) {
            case DiskNotice::Inserted:
                player.queue.Post({msg::kDeviceChange, kDeviceArrival, 0});
                break;
            case DiskNotice::Removed:
                player.queue.Post({msg::kDeviceChange, kDeviceRemoveComplete, 0});
                break;
            case DiskNotice::None: break;
        }
        const int64_t left = passEnd - player.clock.Ticks();
        if (left > 0 && !player.SleepOrStop(left)) return;
        HandleUsbNotice(player);
    }
}

void UsbDiskThread(Player& player) {
    auto directory = player.fs.Resolve(kUsbDisk);
    if (!directory) {
        spdlog::warn("usb: the HDD volume has no directory");
        return;
    }
    auto watcher = MakeDiskWatcher(*directory);
    RunUsbDiskThread(player, *watcher);
}

}  // namespace led
