#pragma once

#include "platform/display/Surface.h"

namespace led {

// The player's predefined bitmaps by number, drawn once on first use; none for
// an unknown number. 138: the 64 x 16 "copying" label shown under the
// transfer progress bar.
const Surface* ResourceBitmap(int number);

}  // namespace led
