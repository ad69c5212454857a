#pragma once
// Conditions under which the schedulers leave playback alone. Other parts of
// the player write them (uploads, configuration, the power schedule, USB
// import); the schedulers only read them.

#include <atomic>
#include <cstdint>

namespace led {

struct PlaybackHold {
    // Suspend: the schedulers reset the completion counters and skip passes.
    std::atomic<uint8_t> suspend[2] = {0, 0};
    // Busy: the schedulers skip passes (a playlist is being replaced).
    std::atomic<uint8_t> busy[2] = {0, 0};
    // 0 while the power schedule keeps the screen off.
    std::atomic<int32_t> brightnessType{1};
    std::atomic<int32_t> holdWord{0};
    // While set, a matching brightness time-table window sends full brightness
    // instead of its own level.
    std::atomic<uint8_t> brightnessHold{0};
    // 1 while a test pattern is to run: the pattern thread draws only while
    // it is set, and the schedulers make no switch.
    std::atomic<uint8_t> testPattern{0};
    // 1 while a USB disk's programs are being imported.
    std::atomic<uint8_t> usbImport{0};

    bool Suspended() const { return suspend[0] || suspend[1]; }
    bool Busy() const {
        return busy[0] || busy[1] || brightnessType == 0 || holdWord != 0 || testPattern != 0 ||
               usbImport != 0;
    }
};

}  // namespace led
