// Brightness command round trips against cardsim on a pseudo-terminal: how
// many commands a second one thread gets through, and four threads sharing the
// port. Each exchange holds the port for its write, its 20 ms wait and its
// read, so four threads together should get as far as one thread and no
// further; the ratio four/one shows whether the lock serialises more than that.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "../tests/support/CardSim.h"
#include "platform/clock/Clock.h"
#include "platform/config/Settings.h"
#include "platform/events/EventLog.h"
#include "screen/Brightness.h"
#include "screen/CardProbe.h"

namespace led {
namespace {

std::string OwnDir() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

struct Line {
    Line() : sim(OwnDir(), {}), events(clock) {
        Settings settings;
        settings.serialCom3 = sim.CardPath();
        ports = std::make_unique<CardPorts>(settings, events, &clock);
        OpenCardPortAt(ports->cardPort, kCardPortNumber, 576000);
    }
    test::CardSim sim;
    Clock clock;
    EventLog events;
    std::unique_ptr<CardPorts> ports;
};

Line& SharedLine() {
    static Line line;
    return line;
}

void BM_Brightness(benchmark::State& state) {
    Line& line = SharedLine();
    int failures = 0;
    for (auto _ : state) failures += SetCardBrightness(*line.ports, 128) == 1 ? 0 : 1;
    state.counters["commands_per_s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["failures"] = failures;
}
BENCHMARK(BM_Brightness)
    ->Threads(1)
    ->Threads(4)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// Commands a second over `seconds`, from `threads` threads sharing the port.
double CommandsPerSecond(Line& line, int threads, double seconds) {
    std::atomic<long> done{0};
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            while (std::chrono::steady_clock::now() < end) {
                SetCardBrightness(*line.ports, 64);
                ++done;
            }
        });
    for (auto& t : pool) t.join();
    return double(done) /
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The ratios, measured in one run. Baseline: the exchange's own floor, a 20 ms
// sleep on real time (the ports' clock) followed by the 2 ms of silence that ends a read.
void BM_BrightnessRatios(benchmark::State& state) {
    Line& line = SharedLine();
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < 20; ++i) {
            line.clock.Sleep(20);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        double floorPerSecond =
            20.0 / std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        double one = CommandsPerSecond(line, 1, 1.0);
        double four = CommandsPerSecond(line, 4, 1.0);
        state.counters["floor_per_s"] = floorPerSecond;
        state.counters["one_thread_per_s"] = one;
        state.counters["four_threads_per_s"] = four;
        state.counters["one_over_floor"] = one / floorPerSecond;
        state.counters["four_over_one"] = four / one;
        state.counters["target"] = 0.9;  // both ratios at or near 1
    }
}
BENCHMARK(BM_BrightnessRatios)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace led

BENCHMARK_MAIN();
