#include "app/Monitors.h"

#include <cstdio>
#include <random>
#include <string>

#include "core/Player.h"
#include "core/Records.h"
#include "core/ScreenText.h"
#include "platform/system/Threads.h"
#include "screen/CardLink.h"
#include "storage/Files.h"

namespace led {

std::vector<RestartTime> LoadRestartTable(const DeviceFs& fs) {
    std::vector<RestartTime> table;
    auto bytes = fs.ReadFile(files::kSetReset, 9);
    if (!bytes) return table;
    for (size_t i = 0; i + 3 <= bytes->size(); i += 3)
        table.push_back({(*bytes)[i], (*bytes)[i + 1], (*bytes)[i + 2]});
    return table;
}

bool RestartDue(const std::vector<RestartTime>& table, int hour, int minute, bool& armed) {
    if (!table.empty()) {
        // The minute [h:m:00, h:(m+1):00) as a window that may wrap at midnight.
        TimeWindow window;
        window.beginHour = uint8_t(hour);
        window.beginMinute = uint8_t(minute);
        int end = (hour * 60 + minute + 1) % (24 * 60);
        window.endHour = uint8_t(end / 60);
        window.endMinute = uint8_t(end % 60);
        for (const auto& t : table)
            if (window.Contains(t.hour * 3600 + t.minute * 60 + t.second)) return true;
        return false;
    }
    if (hour == 1 && minute > 30) armed = true;
    return hour == 2 && armed;
}

void KeepAliveThread(Player& player) {
    while (player.SleepOrStop(5000)) {
        // While a video plays, the video area sends the keep-alive.
        if (player.device.keepAliveHandover.load() != 0) continue;
        NotifySupervisor("WATCHDOG=1");
    }
}

void ScheduledRestartThread(Player& player) {
    auto table = LoadRestartTable(player.fs);
    bool armed = false;
    while (!player.ShuttingDown()) {
        LocalTime now = player.clock.Now();
        if (RestartDue(table, now.hour, now.minute, armed))
            player.system->RequestReboot("scheduled restart at " + now.Format());
        SendBrightness(player, player.device.brightness.load(), "restart");
        if (!player.SleepOrStop(100) || !player.SleepOrStop(25000)) break;
    }
}

void MemoryMonitorThread(Player& player) {
    std::minstd_rand random(12345);
    while (!player.ShuttingDown()) {
        long available = player.system->AvailableMemory();
        long idleSum = 0;
        for (int i = 0; i < 10; ++i) {
            System::CpuTimes before, after;
            player.system->ReadCpuTimes(before);
            if (!player.SleepOrStop(100)) return;
            player.system->ReadCpuTimes(after);
            if (after.total > before.total)
                idleSum += long((after.idle - before.idle) * 100 / (after.total - before.total));
        }
        char text[128];
        std::snprintf(text, sizeof text, "有效 mem=%ld,cpu=%ld,Id=%d", available, idleSum / 10,
                      int(random() & 0x7fff));
        if (player.output.mainWindow)
            DrawMessageText(*player.output.mainWindow, 0, 800, 900, 1000, text);
        if (!player.SleepOrStop(3000)) return;
    }
}

}  // namespace led
