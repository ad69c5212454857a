#pragma once
// The picture area (type 4): each file brought in with its entry effect, held
// for its remain time and, on the OSD layer, taken out with its exit effect.

#include "core/AreaContext.h"

namespace led {

void RunPictureArea(const AreaContext& context);

}  // namespace led
