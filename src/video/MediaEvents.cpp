#include "video/MediaEvents.h"

namespace led {

void SetCameraSwitch(Player&, bool) {}
void HandleGraphEvent(Player&, Layer) {}

}  // namespace led
