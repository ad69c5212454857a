#include "net/Playback.h"

#include "core/Player.h"
#include "program/ProgramControl.h"
#include "screen/Brightness.h"

namespace led {

void StopBothLayers(Player& player) {
    StopProgram(player, player.LayerOf(Layer::Normal).areaCount.load(), false);
    StopOSDProgram(player, player.LayerOf(Layer::Osd).areaCount.load());
}

void SetScreenPowerState(Player& player, bool on) {
    auto& hold = player.playback.hold;
    if (!on) {
        hold.brightnessType = 0;
        StopBothLayers(player);
        player.events.Emit("screen-power", {{"on", false}});
        return;
    }
    auto type = player.fs.ReadFile("\\nand\\table\\brighttype.dat", 4);
    int32_t value = 1;
    if (type && type->size() >= 4)
        value = int32_t(uint32_t((*type)[0]) | uint32_t((*type)[1]) << 8 |
                        uint32_t((*type)[2]) << 16 | uint32_t((*type)[3]) << 24);
    else if (type && !type->empty())
        value = (*type)[0];
    hold.brightnessType = value;
    SetCardBrightness(player.ports, player.device.brightness.load());
    for (Layer layer : {Layer::Normal, Layer::Osd}) {
        player.LayerOf(layer).currentIndex = -1;
        player.LayerOf(layer).programFinished = true;
    }
    player.events.Emit("screen-power", {{"on", true}});
}

}  // namespace led
