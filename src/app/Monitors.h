#pragma once
// Self-supervision threads: the keep-alive watchdog, the scheduled restart
// and the memory monitor.

#include <array>
#include <cstdint>
#include <vector>

namespace led {

class Player;
class DeviceFs;

struct RestartTime {
    int hour = 0, minute = 0, second = 0;
};

// "\nand\table\setresetfile.dat": 3-byte records (hour, minute, second), at
// most three are kept.
std::vector<RestartTime> LoadRestartTable(const DeviceFs& fs);

// One pass of the scheduled-restart rule at hour:minute. `armed` is the night
// rule's flag. True when the device must restart now.
bool RestartDue(const std::vector<RestartTime>& table, int hour, int minute, bool& armed);

void KeepAliveThread(Player& player);
void ScheduledRestartThread(Player& player);
void MemoryMonitorThread(Player& player);

}  // namespace led
