#pragma once
// The main window procedure: cycle messages, media events, keys, the transfer
// progress bar and the 15-second supervision timer.

#include <cstdint>

#include "core/Messages.h"

namespace led {

class Player;

int64_t MainWndProc(Player& player, const Message& message);

// The counters the file copy keeps; message 1026 draws the bar from them.
void SetCopyProgressCounters(Player& player, uint64_t copied, uint64_t total);

}  // namespace led
