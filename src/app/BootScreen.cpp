#include "app/BootScreen.h"

#include <spdlog/spdlog.h>

#include <cstdio>

#include "core/Player.h"
#include "core/ScreenText.h"
#include "platform/text/Fonts.h"
#include "storage/Files.h"
#include "storage/RunMode.h"
#include "storage/SettingsFiles.h"

namespace led {
namespace {

// The board adds "\nand\font\SIMSUN" to the system while it draws these texts.
class SimsunFont {
public:
    explicit SimsunFont(const Player& player) {
        auto path = player.fs.Resolve(files::kFontSimsun);
        if (path && player.fs.Exists(files::kFontSimsun) && Fonts::AddFontFile(path->string()))
            path_ = path->string();
    }
    ~SimsunFont() {
        if (!path_.empty()) Fonts::RemoveFontFile(path_);
    }
    SimsunFont(const SimsunFont&) = delete;
    SimsunFont& operator=(const SimsunFont&) = delete;

private:
    std::string path_;
};

void DrawLine(Player& player, int line, const std::string& text) {
    int top = line * 20;
    DrawMessageText(*player.output.mainWindow, 0, top, 250, top + 20, text);
}

}  // namespace

void ShowBootScreen(Player& player) {
    const bool zh = player.boot.chinese;
    const auto& mac = player.boot.adapter.mac;
    const auto& ip = player.boot.adapter.ip;
    char macLine[96], ipLine[64];
    std::snprintf(
        macLine, sizeof macLine,
        zh ? "MAC地址:%02X:%02X:%02X:%02X:%02X:%02X" : "MAC:%02X:%02X:%02X:%02X:%02X:%02X", mac[0],
        mac[1], mac[2], mac[3], mac[4], mac[5]);
    std::snprintf(ipLine, sizeof ipLine, zh ? "IP 地址:%d.%d.%d.%d" : "IP :%d.%d.%d.%d", ip[0],
                  ip[1], ip[2], ip[3]);
    {
        SimsunFont font(player);
        DrawLine(player, 0, zh ? "LED全彩多媒体视频播放器启动中..." : "LED HD mediaPlayer boot...");
        DrawLine(player, 1, macLine);
        DrawLine(player, 2, ipLine);
        DrawLine(player, 3, RunModeScreenName(player.Storage()->runMode, zh));
    }
    player.events.Emit("boot-screen", {{"mac", macLine}, {"ip", ipLine}});
    player.SleepOrStop(5000);
}

void CheckRunModeStorage(Player& player) {
    if (player.Storage()->runMode == RunMode::Flash) {
        if (player.fs.VolumeExists("\\Storage Card\\")) {
            player.fs.Remove(files::kEmmcFail);
            return;
        }
        {
            SimsunFont font(player);
            FillBlack(*player.output.mainWindow);
            DrawMessageText(
                *player.output.mainWindow, 0, 0, 250, 20,
                player.boot.chinese ? "存储异常,修复中..." : "memory erro,repairing...");
        }
        spdlog::warn("the Flash volume \\Storage Card\\ is missing");
        player.SleepOrStop(5000);
        int count = ReadEmmcFailCount(player.fs) + 1;
        WriteEmmcFailCount(player.fs, count);
        if (count < 4)
            player.system->RequestReboot("Flash volume missing (attempt " + std::to_string(count) +
                                         ")");
        return;
    }
    if (!player.fs.VolumeExists("\\Storage Card 1_0\\")) {
        {
            SimsunFont font(player);
            FillBlack(*player.output.mainWindow);  // not over the boot screen
            DrawMessageText(*player.output.mainWindow, 0, 0, 250, 20,
                            player.boot.chinese ? "请插SD卡" : "Insert SD card");
        }
        spdlog::warn("the SD card \\Storage Card 1_0\\ is missing");
        player.SleepOrStop(5000);
    }
}

}  // namespace led
