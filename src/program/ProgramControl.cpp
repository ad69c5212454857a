#include "program/ProgramControl.h"

#include <spdlog/spdlog.h>

#include <thread>

#include "core/Player.h"
#include "core/ScreenText.h"
#include "platform/system/Threads.h"
#include "program/RemoteWindow.h"
#include "storage/Files.h"

namespace led {
namespace {

// Every path out of an area thread passes here exactly once.
void RunAreaThread(Player& player, Layer layer, std::shared_ptr<const ProgramRecord> program,
                   std::shared_ptr<ProgramRun> run, size_t areaIndex, AreaBodyChoice choice) {
    SetCurrentThreadName(choice.name);
    SetCurrentThreadPriority(choice.priority);
    LayerState& state = player.LayerOf(layer);
    {
        AreaContext context{player.ForAreas(), layer, state,
                            program,           run,   program->areas[areaIndex]};
        try {
            choice.body(context);
        } catch (const std::exception& e) {
            spdlog::error("{} area {} ended by an error: {}", LayerName(layer), areaIndex,
                          e.what());
        }
    }
    run->exitCounter.fetch_add(1);
    player.clock.Sleep(1);
    player.playback.areaThreads.Ended();
}

void Launch(Player& player, std::shared_ptr<const ProgramRecord> program,
            std::shared_ptr<ProgramRun> run, Layer layer) {
    for (size_t i = 0; i < program->areas.size(); ++i) {
        AreaBodyChoice choice = player.areaBodies.Choose(program->areas[i].type, layer);
        player.playback.areaThreads.Started();
        try {
            std::thread(RunAreaThread, std::ref(player), layer, program, run, i, choice).detach();
        } catch (const std::system_error& e) {
            // A thread that cannot be created is not retried; the program plays without it.
            player.playback.areaThreads.Ended();
            spdlog::error("area thread {} cannot start: {}", i, e.what());
        }
    }
    if (layer == Layer::Normal) RestartRemoteWindow(player);
    player.playback.areaThreads.Ended();  // the launcher itself
}

int StopLayer(Player& player, Layer layer, int32_t areaCount, bool limited) {
    LayerState& state = player.LayerOf(layer);
    // The run playing now. Its flag stays raised after the stop, also when
    // the stop gives up: a thread that has not ended yet must still end, and
    // the next start has a run of its own.
    auto run = state.Run();
    auto raise = [&] {
        run->stopFlag = true;
        if (layer == Layer::Normal) player.video.normal.videoPlaying = false;
    };
    raise();
    player.clock.Sleep(100);
    bool completed = false;
    // Without a limit the stop still gives up once the player is going away.
    for (int checks = 0; (!limited && !player.ShuttingDown()) || checks < 300; ++checks) {
        if (run->exitCounter.load() >= areaCount) {
            completed = true;
            break;
        }
        raise();
        player.clock.Sleep(100);
    }
    auto program = std::atomic_load(&state.currentProgram);
    if (program && state.running.exchange(false)) {
        player.events.Emit("program-stop", {{"layer", LayerName(layer)},
                                            {"index", state.currentIndex.load()},
                                            {"id", program->idText},
                                            {"completed", completed}});
    }
    if (!completed)
        spdlog::warn("{} layer: area threads did not end within 30 s", LayerName(layer));
    return completed ? 1 : 0;
}

void SaveCurrentIndex(Player& player) {
    uint8_t index = uint8_t(player.playback.normal.currentIndex.load());
    player.fs.WriteFile(files::kCurProg, &index, 1);
}

}  // namespace

void StartProgram(Player& player, std::shared_ptr<const ProgramRecord> program, Layer layer) {
    if (player.ShuttingDown() || !program) return;
    LayerState& state = player.LayerOf(layer);
    const int64_t begin = player.clock.Ticks();
    // A new run: counters at zero, the stop flag clear.
    auto run = std::make_shared<ProgramRun>();
    state.BeginRun(run);
    player.video.Of(layer).videoPlaying = true;
    state.programFinished = false;
    if (player.output.mainWindow) FillBlack(*player.output.mainWindow);
    std::atomic_store(&state.currentProgram, program);
    player.events.Emit("program-start", {{"layer", LayerName(layer)},
                                         {"index", state.currentIndex.load()},
                                         {"id", program->idText}});
    state.running = true;
    player.playback.areaThreads.Started();  // the launcher, tracked like the area threads
    std::thread(Launch, std::ref(player), program, std::move(run), layer).detach();
    player.clock.SleepUntil(begin + 51);
}

int StopProgram(Player& player, int32_t areaCount, bool save) {
    if (save) SaveCurrentIndex(player);
    return StopLayer(player, Layer::Normal, areaCount, true);
}

int StopProgramWithoutLimit(Player& player, int32_t areaCount, bool save) {
    if (save) SaveCurrentIndex(player);
    return StopLayer(player, Layer::Normal, areaCount, false);
}

int StopOSDProgram(Player& player, int32_t areaCount) {
    return StopLayer(player, Layer::Osd, areaCount, true);
}

int StopOSDProgramWithoutLimit(Player& player, int32_t areaCount) {
    return StopLayer(player, Layer::Osd, areaCount, false);
}

}  // namespace led
