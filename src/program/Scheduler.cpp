#include "program/Scheduler.h"

#include <spdlog/spdlog.h>

#include "core/Player.h"
#include "core/ScreenText.h"
#include "program/ProgramControl.h"
#include "program/ScheduleRules.h"
#include "screen/OsdWindow.h"
#include "storage/Files.h"

namespace led {
namespace {

struct SchedulerMessage {
    const char* english;
    const char* chinese;
    int width;
    int pauseMs;
};

constexpr SchedulerMessage kFlashMissing{"Memory error,change run mode",
                                         "存储器损坏,请更换存储方式", 220, 10000};
constexpr SchedulerMessage kSdMissing{"Insert SD,or change mode", "请插入SD卡,或更换存储方式", 220,
                                      10000};
constexpr SchedulerMessage kNoPrograms{"Add programs pls", "请加节目", 128, 5000};

void ShowMessage(Player& player, const SchedulerMessage& m) {
    const char* text = player.boot.chinese ? m.chinese : m.english;
    if (player.output.mainWindow)
        DrawMessageText(*player.output.mainWindow, 0, 0, m.width, 32, text);
    player.events.Emit("message", {{"text", text}});
}

const std::vector<ProgramRecord>& ListOf(const ProgramLists& lists, Layer layer) {
    return layer == Layer::Normal ? lists.normal : lists.osd;
}

// The stop each layer uses when it switches programs.
void StopLayerForSwitch(Player& player, Layer layer) {
    int32_t areas = player.LayerOf(layer).areaCount.load();
    if (layer == Layer::Normal)
        StopProgram(player, areas, false);
    else
        StopOSDProgramWithoutLimit(player, areas);
}

// A finished inserted program leaves the in-memory list; the file keeps it
// until the next start-up removes it. The index belongs to the pass's
// snapshot: when other lists were published meanwhile (a reread), nothing is
// removed and false is returned, and the next pass decides on the new lists.
bool DropFromList(Player& player, Layer layer, const std::shared_ptr<const ProgramLists>& snapshot,
                  int index) {
    auto copy = std::make_shared<ProgramLists>(*snapshot);
    auto& list = layer == Layer::Normal ? copy->normal : copy->osd;
    if (index < 0 || index >= int(list.size())) return true;
    list.erase(list.begin() + index);
    return player.ReplacePrograms(snapshot, std::move(copy));
}

std::optional<int> ReadIndexFile(Player& player, const char* path) {
    if (!player.fs.Exists(path)) return std::nullopt;
    auto bytes = player.fs.ReadFile(path, 1);
    return (bytes && !bytes->empty()) ? (*bytes)[0] : 0;
}

// Steps 1-3 of the normal pass: storage and empty-list messages. False ends
// the pass.
bool CheckStorageAndPrograms(Player& player, SchedulerState& s, bool listEmpty) {
    const RunMode runMode = player.Storage()->runMode;
    if (++s.idle > 20) {
        if (runMode == RunMode::Flash && !player.fs.VolumeExists("\\Storage Card\\")) {
            ShowMessage(player, kFlashMissing);
            player.SleepOrStop(kFlashMissing.pauseMs);
            s.idle = 0;
        } else if (runMode == RunMode::SdCard && !player.fs.VolumeExists("\\Storage Card 1_0\\")) {
            ShowMessage(player, kSdMissing);
            player.SleepOrStop(kSdMissing.pauseMs);
            s.idle = 0;
        }
    }
    if (listEmpty && s.idle > 20) {
        ShowMessage(player, kNoPrograms);
        s.idle = 0;
        player.SleepOrStop(kNoPrograms.pauseMs);
    }
    if (runMode == RunMode::SdCard && !player.fs.IsDirectory("\\Storage Card 1_0\\xml\\"))
        return false;
    return true;
}

}  // namespace

void RunSchedulerPass(Player& player, Layer layer, SchedulerState& s) {
    LayerState& L = player.LayerOf(layer);
    const bool normal = layer == Layer::Normal;
    auto lists = player.Programs();  // one snapshot for the whole pass
    const auto& list = ListOf(*lists, layer);
    const int n = int(list.size());

    if (normal && !CheckStorageAndPrograms(player, s, n == 0)) return;
    if (player.playback.hold.Suspended()) {
        for (auto& counter : L.Run()->completionCounters) counter = 0;
        return;
    }
    if (player.playback.hold.Busy()) return;

    const LocalTime now = player.clock.Now();
    int candidate = -1;
    for (int cls = 2; cls >= 0 && candidate < 0; --cls)
        candidate = FindEligibleProgram(list, cls, L.currentIndex.load(), now);
    if (candidate < 0) {
        StopLayerForSwitch(player, layer);
        L.currentIndex = -1;
        return;
    }
    if (L.currentIndex.load() == -1) {
        s.lastStarted = -1;
        L.currentIndex = candidate;
    }

    const int candidateClass = list[candidate].schedule.priority;
    auto playing = std::atomic_load(&L.currentProgram);
    auto ended = [&] {
        return ProgramHasEnded(L, s.waitfinish, L.areaCount.load(),
                               player.clock.Ticks() - s.startTick, s.playtimeMs);
    };
    bool doSwitch = false;
    if (candidateClass != s.currentClass) {
        doSwitch = true;
    } else if (candidateClass == int(ProgramClass::Timed)) {
        doSwitch =
            !(playing && BothWindowsHold(playing->schedule, list[candidate].schedule, now)) ||
            ended();
    } else if (candidateClass == int(ProgramClass::Inserted)) {
        if (ended()) {
            if (!DropFromList(player, layer, lists, L.currentIndex.load())) return;
            L.currentIndex = -1;
            s.currentClass = -1;
            L.programFinished = true;
            return;
        }
        doSwitch = L.programFinished.load();
    } else {
        doSwitch = ended();
    }

    if (L.currentIndex.load() == candidate && s.firstPass) {
        s.firstPass = false;
        return;
    }
    if (normal) {
        if (auto r = ReadIndexFile(player, files::kCurProg)) {
            player.fs.Remove(files::kCurProg);
            candidate = *r >= n ? 0 : *r;
            doSwitch = true;
        }
        if (s.resume) {
            if (auto r = ReadIndexFile(player, files::kSaveCurProg)) {
                candidate = *r < n ? *r : 0;
                doSwitch = true;
                s.resume = false;
            }
        }
    }
    const bool stepRequested = normal && (L.nextRequested.load() || L.previousRequested.load());
    if (!((doSwitch && candidate != s.lastStarted) || stepRequested)) return;

    StopLayerForSwitch(player, layer);
    int index = candidate;
    s.lastStarted = candidate;
    if (normal) {
        if (L.previousRequested.exchange(false)) index = ((candidate - 2) % n + n) % n;
        L.nextRequested = false;
    }
    L.currentIndex = index;
    auto program = std::make_shared<const ProgramRecord>(list[index]);
    L.areaCount = int32_t(program->areas.size());
    s.currentClass = program->schedule.priority;
    L.cycleMessageCount = 0;
    // Before the areas start: an area without items stores the required
    // count as soon as it runs, and must store this program's.
    if (program->waitfinish == 1) L.requiredPlaytimes = program->playtimes;
    if (!normal) SendOsdWindowCommand(player.ports, *program, player.screen.osdOffsetLine.load());
    StartProgram(player, program, layer);
    s.startTick = player.clock.Ticks();
    s.playtimeMs = int64_t(program->playtime) * 1000;
    s.waitfinish = program->waitfinish;
    if (normal) {
        uint8_t byte = uint8_t(index);
        player.fs.WriteFile(files::kSaveCurProg, &byte, 1);
    }
}

namespace {

void SchedulerLoop(Player& player, Layer layer, int periodMs) {
    SchedulerState state;
    while (!player.ShuttingDown()) {
        RunSchedulerPass(player, layer, state);
        if (!player.SleepOrStop(periodMs)) break;
    }
}

}  // namespace

void NormalSchedulerThread(Player& player) { SchedulerLoop(player, Layer::Normal, 200); }
void OsdSchedulerThread(Player& player) { SchedulerLoop(player, Layer::Osd, 100); }

}  // namespace led
