// Playback core costs: a scheduler pass over a 1000-program list (target
// under 1 ms of CPU), and how long a stop takes to reach an area thread that
// sits in its remain wait (target 20 ms plus one frame).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "app/AreaBodyTable.h"
#include "core/Player.h"
#include "program/Scheduler.h"
#include "render/AreaFrame.h"

namespace {

using namespace led;

std::filesystem::path MakeRoot() {
    auto root =
        std::filesystem::temp_directory_path() / ("ledplayer-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(root / "nand" / "table");
    std::filesystem::create_directories(root / "Storage Card" / "xml");
    return root;
}

ProgramRecord MakeProgram(int i) {
    ProgramRecord p;
    p.idText = std::to_string(i);
    p.playtime = 100000;
    // Mostly timed programs outside their window, so the search walks the list.
    p.schedule.priority = i == 999 ? 0 : 1;
    p.schedule.beginYear = 2020, p.schedule.beginMonth = 1, p.schedule.beginDay = 1;
    p.schedule.endYear = 2040, p.schedule.endMonth = 1, p.schedule.endDay = 1;
    p.schedule.windows.push_back({0, 3, 0, 0, 3, 0, 1});
    AreaRecord a;
    a.type = 99;
    a.items.resize(4);
    p.areas.assign(4, a);
    return p;
}

void BM_SchedulerPass1000Programs(benchmark::State& state) {
    auto root = MakeRoot();
    Settings settings;
    settings.root = root.string();
    Player player(settings, Clock(), MakeHeadlessBackend());
    RegisterAreaBodies(player.areaBodies);
    auto lists = std::make_shared<ProgramLists>();
    for (int i = 0; i < 1000; ++i) lists->normal.push_back(MakeProgram(i));
    player.SetPrograms(lists);
    std::thread loop([&] { player.queue.Run([](const Message&) { return int64_t(0); }); });
    SchedulerState s;
    for (int i = 0; i < 3; ++i) RunSchedulerPass(player, Layer::Normal, s);  // start the program
    for (auto _ : state) RunSchedulerPass(player, Layer::Normal, s);
    state.counters["target_us"] = 1000;
    player.BeginShutdown();
    player.queue.Quit(0);
    loop.join();
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_SchedulerPass1000Programs)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_StopDuringRemainWait(benchmark::State& state) {
    auto root = MakeRoot();
    Settings settings;
    settings.root = root.string();
    Player player(settings, Clock(), MakeHeadlessBackend());
    RegisterAreaBodies(player.areaBodies);
    player.OpenDisplay({256, 128}, {});
    std::thread loop([&] { player.queue.Run([](const Message&) { return int64_t(0); }); });
    auto program = std::make_shared<ProgramRecord>();
    AreaRecord area;
    area.right = 63, area.bottom = 31;
    area.items.resize(1);
    program->areas.push_back(area);
    PictureLikeBody body{"picture window",
                         "PictureArea completed",
                         true,
                         1,
                         1,
                         100,
                         [](const AreaContext& c, Window&, const AreaItem&) {
                             c.WaitOrStop(60000);
                             return !c.StopRequested();
                         }};
    std::vector<double> latencies;
    for (auto _ : state) {
        auto run = std::make_shared<ProgramRun>();
        std::atomic<bool> ended{false};
        std::chrono::steady_clock::time_point endedAt;
        std::thread area([&] {
            AreaContext c{player.ForAreas(), Layer::Normal, player.playback.normal,
                          program,           run,           program->areas[0]};
            RunPictureLikeArea(c, body);
            endedAt = std::chrono::steady_clock::now();
            ended = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(30));  // into the remain wait
        auto asked = std::chrono::steady_clock::now();
        run->stopFlag = true;
        area.join();
        latencies.push_back(std::chrono::duration<double, std::milli>(endedAt - asked).count());
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["p50_ms"] = latencies[latencies.size() / 2];
    state.counters["p95_ms"] = latencies[latencies.size() * 95 / 100];
    state.counters["max_ms"] = latencies.back();
    state.counters["target_ms"] = 20;
    player.queue.Quit(0);
    loop.join();
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_StopDuringRemainWait)->Unit(benchmark::kMillisecond)->Iterations(40)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
