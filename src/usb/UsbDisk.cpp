#include "usb/UsbDisk.h"

#include "core/Idle.h"

namespace led {

void UsbDiskThread(Player& player) { IdleUntilShutdown(player, "USB disk"); }
int64_t UsbDeviceChangeNotice(Player&, uint64_t, int64_t) { return 0; }

}  // namespace led
