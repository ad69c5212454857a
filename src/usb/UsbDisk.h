#pragma once

#include <cstdint>

namespace led {

class Player;

void UsbDiskThread(Player& player);
// The main window's device-change notice.
int64_t UsbDeviceChangeNotice(Player& player, uint64_t wParam, int64_t lParam);

}  // namespace led
