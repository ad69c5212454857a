#include "video/MediaEvents.h"

#include <spdlog/spdlog.h>

#include <cstdio>

#include "core/Player.h"

namespace led {

void SetCameraSwitch(VideoState& video, EventLog& events, bool on) {
    GpioLine& line = *video.cameraSwitch;
    int before = line.Level();
    line.Set(!on);
    if (before != line.Level()) events.Emit("camera-switch", {{"on", on}});
}

void HandleGraphEvent(Player& player, Layer layer) {
    VideoLayer& video = player.video.Of(layer);
    std::optional<GraphEvent> event = video.graph->TakeEvent();
    if (!event) return;
    player.events.Emit("graph-event", {{"layer", LayerName(layer)}, {"code", event->code}});
    switch (event->code) {
        case graph_event::kComplete:
            video.graph->Stop();
            video.graph->Release();
            SetCameraSwitch(player.video, player.events, false);
            video.videoPlaying = false;
            player.clock.Sleep(1);
            break;
        case graph_event::kNeedRestart:
            video.graph->Stop();
            video.graph->Release();
            SetCameraSwitch(player.video, player.events, false);
            break;
        case graph_event::kErrorAbort:
            spdlog::debug("media ({}): {}", LayerName(layer), event->detail);
            std::printf("erro\n");
            std::fflush(stdout);
            break;
        default: break;
    }
}

}  // namespace led
