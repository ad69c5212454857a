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
        case graph_event::kNeedRestart:
            // The event may be older than the item now playing: it ends only
            // the run that raised it.
            if (!video.graph->StopRun(event->run)) {
                spdlog::debug("media ({}): event {} of an ended run", LayerName(layer),
                              event->code);
                break;
            }
            player.video.camera->Stop();
            SetCameraSwitch(player.video, player.events, false);
            // A graph that lost its clock cannot go on either: the area moves
            // on to its next item instead of showing black until its play time.
            video.EndItemOfRun(event->run);
            player.clock.Sleep(1);
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
