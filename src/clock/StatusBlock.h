#pragma once
// The 85-byte status block the tool reads with command 52: the auxiliary
// board's last readings and the state the schedules keep. Little-endian:
//
//   offset  size  content
//    0       1    1 while the board answers its polls, else 0
//    1       1    valid bits: 0 temperature A, 1 B, 2 C, 3 humidity A,
//                 4 humidity C, 5 noise, 6 light
//    2       4    temperature A (float, degrees)
//    6       4    temperature B (float)
//   10       4    temperature C (float)
//   14       4    humidity A (float, percent)
//   18       4    humidity C (float)
//   22       4    noise (float, dB)
//   26       4    light (int32)
//   30      32    the board's eight counters (int32 each)
//   62       2    the board's two bytes (fields 49, 50)
//   64       1    brightness level last sent
//   65       1    brightness type (0 off or screen dark, 1 manual, 2 timed, 3 light)
//   66       1    screen power: 1 on, 0 off, 255 not decided yet
//   67       1    relay states asked for, bit n for relay n
//   68       1    light readings kept (0..3)
//   69       4    level last chosen from the light (int32)
//   73      12    zero

#include <array>
#include <cstddef>
#include <cstdint>

namespace led {

class Player;

inline constexpr size_t kStatusBlockSize = 85;

std::array<uint8_t, kStatusBlockSize> StatusBlock(const Player& player);

}  // namespace led
