#pragma once
// The main window procedure: cycle messages, media events, keys, the transfer
// progress bar and the 15-second supervision timer.

#include <cstdint>

#include "platform/messages/MessageQueue.h"

namespace led {

class Player;

namespace msg {
inline constexpr uint32_t kCopyProgress = kUser + 2;     // 1026
inline constexpr uint32_t kNormalCycle = kUser + 107;    // 1131
inline constexpr uint32_t kOsdCycle = kUser + 301;       // 1325
inline constexpr uint32_t kDialUpEvent = 52429;
}  // namespace msg

// Key codes of WM_KEYDOWN.
namespace key {
inline constexpr int kNextProgram = 2;
inline constexpr int kPreviousProgram = 4;
inline constexpr int kVolumeUp = 37;
inline constexpr int kVolumeDown = 62;
}  // namespace key

inline constexpr uint32_t kSupervisionTimer = 1000;
inline constexpr int64_t kSupervisionPeriodMs = 15000;

int64_t MainWndProc(Player& player, const Message& message);

// The counters the file copy keeps; message 1026 draws the bar from them.
void SetCopyProgressCounters(Player& player, uint64_t copied, uint64_t total);

}  // namespace led
