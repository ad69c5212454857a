// Compositor cost: composing and presenting (headless) a full 1920x1080 raster
// with one full-screen window, against a plain memcpy of the same bytes.

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/display/Display.h"

namespace {

using namespace led;

constexpr int kW = 1920, kH = 1080;

void BM_MemcpyFullRaster(benchmark::State& state) {
    std::vector<uint32_t> a(size_t(kW) * kH, 0x123456), b(size_t(kW) * kH);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFullRaster)->Unit(benchmark::kMicrosecond);

void BM_ComposeFullRaster(benchmark::State& state) {
    Display display(MakeHeadlessBackend(), {kW, kH});
    auto window = display.CreateWindow("main", {0, 0, kW, kH}, false);
    window->Paint()->FillAll(Colour::FromRgb(10, 20, 30));
    display.ComposeNow();
    for (auto _ : state) {
        display.Damage({0, 0, kW, kH});
        display.ComposeNow();
    }
}
BENCHMARK(BM_ComposeFullRaster)->Unit(benchmark::kMicrosecond);

// The ratio, measured in one run: compose time over memcpy time.
void BM_ComposeRatio(benchmark::State& state) {
    std::vector<uint32_t> a(size_t(kW) * kH, 0x123456), b(size_t(kW) * kH);
    Display display(MakeHeadlessBackend(), {kW, kH});
    auto window = display.CreateWindow("main", {0, 0, kW, kH}, false);
    double copyNs = 0, composeNs = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
        auto t1 = std::chrono::steady_clock::now();
        display.Damage({0, 0, kW, kH});
        display.ComposeNow();
        auto t2 = std::chrono::steady_clock::now();
        copyNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
        composeNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
    }
    state.counters["compose_over_memcpy"] = composeNs / copyNs;
    state.counters["target"] = 2.0;
}
BENCHMARK(BM_ComposeRatio)->Unit(benchmark::kMicrosecond)->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
