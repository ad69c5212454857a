#include "net/CardTestHold.h"

#include <string>

#include "core/Player.h"
#include "core/ScreenText.h"
#include "program/ProgramControl.h"
#include "program/ScreenPower.h"

namespace led {

void HoldPlaybackForCard(Player& player) {
    auto& hold = player.playback.hold;
    // First: a pass between the stops would start the next program.
    hold.suspend[0] = 1;
    hold.suspend[1] = 1;
    StopProgram(player, player.LayerOf(Layer::Normal).areaCount.load(), true);
    StopOSDProgram(player, player.LayerOf(Layer::Osd).areaCount.load());
}

void ResumePlaybackAfterCard(Player& player) {
    RestartBothLayers(player);
    auto& hold = player.playback.hold;
    hold.suspend[0] = 0;
    hold.suspend[1] = 0;
}

void DrawFirmwareProgress(Player& player, int block, int percent) {
    player.events.Emit("card-firmware", {{"block", block}, {"percent", percent}});
    if (!player.output.mainWindow) return;
    Window& window = *player.output.mainWindow;
    DrawMessageText(window, 0, 0, 160, 32, "硬件升级:");
    DrawMessageText(window, 0, 32, 160, 64, std::to_string(percent) + "%");
}

}  // namespace led
