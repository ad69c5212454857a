#pragma once
// Deciding the run mode at start-up and creating its directories.

#include "core/StoragePaths.h"

namespace led {

class DeviceFs;

// Two bytes of "\nand\storeplace.txt": unreadable means Flash; a first byte 0
// deletes the file and means Flash; anything else means SD card.
RunMode DecideRunMode(const DeviceFs& fs);
// The standard directories, created when missing, in the board's order.
void CreateStandardDirectories(const DeviceFs& fs, const StoragePaths& paths);
const char* RunModeScreenName(RunMode mode, bool chinese);

}  // namespace led
