#pragma once
// The messages the area threads, the media graphs and the transfers send to
// the main window, the key codes it handles, and its supervision timer.

#include <cstdint>

#include "platform/messages/MessageQueue.h"

namespace led {

namespace msg {
inline constexpr uint32_t kCopyProgress = kUser + 2;   // 1026
inline constexpr uint32_t kNormalCycle = kUser + 107;  // 1131
inline constexpr uint32_t kOsdCycle = kUser + 301;     // 1325
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

}  // namespace led
