#pragma once
// The USB disk thread: a disk arriving at "\HDD\" replaces the program set
// with the disk's, shown on screen and in the test log; playback stops for
// the import and restarts with the new set (or the old one when the copy
// could not be completed).

#include <cstdint>

namespace led {

class Player;
class DiskWatcher;

inline constexpr int32_t kUsbInserted = 0xA1;
inline constexpr int32_t kUsbRemoved = 0xA2;
// The device-change message's wParam: arrival and removal complete.
inline constexpr uint64_t kDeviceArrival = 0x8000;
inline constexpr uint64_t kDeviceRemoveComplete = 0x8004;

// Started at start-up unless "\nand\usbthread.dat" exists: watches the HDD
// volume's directory and handles its notices.
void UsbDiskThread(Player& player);
// The same with a given watcher (tests give a fake).
void RunUsbDiskThread(Player& player, DiskWatcher& watcher);
// The main window's device-change notice: sets and returns `usbNotice`.
int64_t UsbDeviceChangeNotice(Player& player, uint64_t wParam, int64_t lParam);
// One pass of the thread over `usbNotice`: the import on 0xA1, the removal
// on 0xA2.
void HandleUsbNotice(Player& player);

}  // namespace led
