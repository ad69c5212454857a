#include "video/VolumeSchedule.h"

#include "core/Player.h"
#include "screen/AuxBoard.h"
#include "screen/ScheduleFiles.h"
#include "screen/ScheduleRules.h"
#include "screen/Schedules.h"
#include "video/VideoItems.h"

namespace led {

void VolumePass(Player& player) {
    ScheduleTables tables;
    ReadRelayAndVolume(player.fs, tables);
    const DayTime now = DayTimeOf(player.clock.Now());

    std::array<bool, 4> on{};
    for (const auto& r : tables.relaySchedule) {
        if (!InTimeWindow(now, r.begin, r.end)) continue;
        SetRelay(player.ports, 1, r.relay - 1, "schedule");
        on[size_t(r.relay - 1)] = true;
        if (!player.SleepOrStop(1000)) return;
    }
    if (tables.hasRelaySchedule) {
        for (int relay = 0; relay < 4; ++relay) {
            if (on[size_t(relay)]) continue;
            SetRelay(player.ports, 0, relay, "schedule");
            if (!player.SleepOrStop(100)) return;
        }
    }

    const int volume = CurrentVolume(tables, now);
    const int previous = player.schedules.volume.exchange(volume);
    player.device.volume = volume;
    player.video.waveOut->SetWaveVolume(uint32_t(volume * 65535 / 100));
    SetVideoVolume(player, volume);
    if (previous != volume)
        player.events.Emit("volume", {{"volume", volume}, {"source", "schedule"}});
}

void VolumeThread(Player& player) {
    while (player.SleepOrStop(5000)) VolumePass(player);
}

}  // namespace led
