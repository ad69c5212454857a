// Memory of a picture area: a 1920 x 1080 area playing a list of 1920 x 1080
// JPEG pictures must hold at most two decoded pictures at a time, however
// long the list. The peak resident size of one pass over a 100-picture list
// is compared with one pass over a single-picture list in the same run; the
// difference, in 1080p pictures, is the "extra_pictures" counter (target: at
// most 1, the picture decoded while the previous one is still on screen).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "app/AreaBodyTable.h"
#include "core/Player.h"
#include "platform/image/ImageWriters.h"
#include "program/ProgramControl.h"

namespace {

using namespace led;

constexpr int kW = 1920, kH = 1080;
constexpr double kPictureMb = kW * kH * 4 / 1048576.0;

using bench::PeakRssMb;
using bench::ResetPeakRss;

Surface Noisy(uint32_t seed) {
    Surface s(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            seed = seed * 1664525u + 1013904223u;
            s.SetPixel(x, y, ((x * 255 / kW) << 16 | (y * 255 / kH) << 8) ^ (seed >> 28));
        }
    return s;
}

struct DeviceRoot {
    DeviceRoot() {
        path = std::filesystem::temp_directory_path() /
               ("ledplayer-bench-pictures-" + std::to_string(getpid()));
        std::filesystem::create_directories(path / "nand" / "table");
        std::filesystem::create_directories(path / "Storage Card" / "video");
        const std::vector<uint8_t> jpeg = EncodeJpeg(Noisy(7), 90);
        for (int i = 0; i < 100; ++i)
            std::ofstream(path / "Storage Card" / "video" / ("p" + std::to_string(i) + ".jpg"),
                          std::ios::binary)
                .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    }
    ~DeviceRoot() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

// Plays one pass of a list of `count` pictures (plain entry, no remain) in a
// full-screen picture area and returns the peak resident size during it.
double PeakOfOnePass(const DeviceRoot& root, int count) {
    Settings settings;
    settings.root = root.path.string();
    auto start = LocalTime::Parse("2026-03-05 10:00:00");
    Player player(settings, Clock(*start, 1000.0), MakeHeadlessBackend());
    RegisterAreaBodies(player.areaBodies);
    player.OpenDisplay({kW, kH}, {});
    std::thread loop([&] { player.queue.Run([](const Message&) { return int64_t(0); }); });

    auto program = std::make_shared<ProgramRecord>();
    AreaRecord area;
    area.type = area_type::kPicture;
    area.right = kW - 1, area.bottom = kH - 1;
    for (int i = 0; i < count; ++i) {
        AreaItem item;
        item.path = "\\Storage Card\\video\\p" + std::to_string(i) + ".jpg";
        item.remain = 0;
        area.items.push_back(item);
    }
    program->areas.push_back(area);

    ResetPeakRss();
    StartProgram(player, program, Layer::Normal);
    while (player.playback.normal.Run()->completionCounters[0].load() < 1)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double peak = PeakRssMb();
    StopProgram(player, 1, false);
    player.BeginShutdown();
    player.queue.Quit(0);
    loop.join();
    return peak;
}

void BM_PictureAreaPeakRss(benchmark::State& state) {
    static const DeviceRoot root;
    double one = 0, hundred = 0;
    for (auto _ : state) {
        one = PeakOfOnePass(root, 1);
        hundred = PeakOfOnePass(root, 100);
    }
    state.counters["peak_mb_1_picture"] = one;
    state.counters["peak_mb_100_pictures"] = hundred;
    state.counters["extra_pictures"] = (hundred - one) / kPictureMb;
    state.counters["target"] = 1;
}
BENCHMARK(BM_PictureAreaPeakRss)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
