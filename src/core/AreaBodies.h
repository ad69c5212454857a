#pragma once
// Which body plays an area of a given type on a given layer.

#include "program/LayerState.h"
#include "render/AreaContext.h"

namespace led {

using AreaBody = void (*)(const AreaContext&);

struct AreaBodyChoice {
    AreaBody body;
    const char* name;  // for logs and events
    int priority;      // the board's scale: 4 below normal; video runs at 3
};

// The NULL area for any type without a body on that layer.
AreaBodyChoice ChooseAreaBody(int type, Layer layer);

}  // namespace led
