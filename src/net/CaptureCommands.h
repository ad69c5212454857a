#pragma once
// The capture hook of the TCP session: code 93 runs here before dispatch.

#include "net/Command.h"

namespace led {

void OnCaptureToCamera(Request& r);

}  // namespace led
