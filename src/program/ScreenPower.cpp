#include "program/ScreenPower.h"

#include "core/Player.h"
#include "program/ProgramControl.h"
#include "screen/Brightness.h"
#include "screen/ScheduleFiles.h"
#include "storage/Files.h"

namespace led {

void StopBothLayers(Player& player) {
    StopProgram(player, player.LayerOf(Layer::Normal).areaCount.load(), false);
    StopOSDProgram(player, player.LayerOf(Layer::Osd).areaCount.load());
}

void RestartBothLayers(Player& player) {
    for (Layer layer : {Layer::Normal, Layer::Osd}) {
        LayerState& state = player.LayerOf(layer);
        state.currentIndex = -1;
        state.programFinished = true;
    }
}

void SetScreenPowerState(Player& player, bool on, const char* source) {
    auto& hold = player.playback.hold;
    if (!on) {
        hold.brightnessType = 0;
        StopBothLayers(player);
        player.events.Emit("power", {{"on", false}, {"source", source}});
        return;
    }
    hold.brightnessType = ParseBrightnessType(player.fs.ReadFile(files::kBrightType, 4));
    // The level goes out once before each layer is released, as the card
    // may have missed the first while the screen was dark.
    for (Layer layer : {Layer::Normal, Layer::Osd}) {
        SetCardBrightness(player.ports, player.device.brightness.load(), "power");
        player.LayerOf(layer).currentIndex = -1;
        player.LayerOf(layer).programFinished = true;
    }
    player.events.Emit("power", {{"on", true}, {"source", source}});
}

}  // namespace led
