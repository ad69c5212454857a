#pragma once

#include "platform/display/Surface.h"

namespace led {

// The player's predefined bitmaps by number, drawn once on first use; none for
// an unknown number. 138 (0x8A): the 64 x 16 "copying" label, shown under
// the copy's progress bar and beside the upload's receiving spinner;
// 0x83, 0x84, 0x86, 0x87: the 16 x 16 steps of that spinner; 0x88 failed,
// 0x89 finished.
const Surface* ResourceBitmap(int number);

}  // namespace led
