#include "app/Hooks.h"

#include "capture/ScreenCapture.h"
#include "core/Player.h"

namespace led {

void FillUpperHooks(Player& player) {
    player.hooks.captureToCamera = [&player] { CaptureToCamera(player); };
    player.hooks.captureScreenFile = [&player] { return CaptureScreenFile(player); };
}

}  // namespace led
