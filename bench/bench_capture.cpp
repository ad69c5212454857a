// Screen capture and USB import against their floors, in one run:
// - CaptureToCamera of a 1920 x 1080 screen (compose, both bitmaps written)
//   against writing the same bytes (one 6 MB and one empty bitmap) with
//   plain file writes; target: both bitmaps in under 60 ms.
// - The JPEG of a 1080p frame (EncodeJpeg); target under 30 ms.
// - ImportPrograms of 64 MB in 8 files against `cp -r` of the same files on
//   the same disk; target ratio (cp time / import time) >= 0.8.
// Each *Ratio benchmark times both sides alternately and reports the ratio
// of the medians.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "app/Hooks.h"
#include "capture/ScreenCapture.h"
#include "core/Player.h"
#include "platform/image/ImageWriters.h"
#include "usb/UsbImport.h"

namespace led {
namespace {

namespace stdfs = std::filesystem;
using Clock = std::chrono::steady_clock;

const stdfs::path kDir =
    stdfs::temp_directory_path() / ("bench_capture_" + std::to_string(::getpid()));
const struct RemoveAtExit {
    ~RemoveAtExit() {
        std::error_code ec;
        stdfs::remove_all(kDir, ec);
    }
} kRemoveAtExit;

Surface Busy(int w, int h) {
    Surface s(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) s.SetPixel(x, y, uint32_t(x * 7 + y * 13) * 2654435761u);
    return s;
}

std::unique_ptr<Player> MakePlayer(const stdfs::path& root) {
    Settings settings;
    settings.root = root.string();
    auto player = std::make_unique<Player>(settings, led::Clock(), MakeHeadlessBackend());
    FillUpperHooks(*player);
    stdfs::create_directories(root / "nand");
    player->OpenDisplay({1920, 1080}, {});
    player->output.mainWindow =
        player->output.display->CreateWindow("J7 Application", {0, 0, 1920, 1080}, false);
    auto painter = player->output.mainWindow->Paint();
    painter->Copy(Busy(1920, 1080));
    return player;
}

double Millis(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Time(const std::function<void()>& f) {
    const auto t0 = Clock::now();
    f();
    return Millis(Clock::now() - t0);
}

void BM_CaptureRatio(benchmark::State& state) {
    auto player = MakePlayer(kDir / "capture");
    const std::vector<uint8_t> bytes = EncodeBmp24(Busy(1920, 1080));
    std::vector<double> ours, floor;
    for (auto _ : state) {
        ours.push_back(Time([&] { CaptureToCamera(*player); }));
        floor.push_back(Time([&] {
            std::ofstream(kDir / "plain.bmp", std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            std::ofstream(kDir / "plain-osd.bmp", std::ios::binary).write("BM", 2);
        }));
    }
    state.counters["capture_ms"] = Median(ours);
    state.counters["write_ms"] = Median(floor);
    state.counters["ratio"] = Median(ours) / Median(floor);
}
BENCHMARK(BM_CaptureRatio)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_Jpeg1080p(benchmark::State& state) {
    const Surface frame = Busy(1920, 1080);
    std::vector<double> times;
    for (auto _ : state)
        times.push_back(Time([&] { benchmark::DoNotOptimize(EncodeJpeg(frame)); }));
    state.counters["jpeg_ms"] = Median(times);
}
BENCHMARK(BM_Jpeg1080p)->Iterations(20)->Unit(benchmark::kMillisecond);

void BM_ImportRatio(benchmark::State& state) {
    const stdfs::path root = kDir / "usb";
    auto player = MakePlayer(root);
    const std::string chunk(8 << 20, 'v');
    stdfs::create_directories(root / "HDD" / "video");
    stdfs::create_directories(root / "HDD" / "xml");
    std::ofstream(root / "HDD" / "xml" / "playlist.xml") << "<root/>";
    for (int i = 0; i < 8; ++i)
        std::ofstream(root / "HDD" / "video" / ("clip" + std::to_string(i) + ".mp4"),
                      std::ios::binary)
            << chunk;
    stdfs::create_directories(root / "Storage Card" / "video");
    stdfs::create_directories(root / "Storage Card" / "xml");
    const std::string cp =
        "cp -r '" + (root / "HDD" / "video").string() + "' '" + (kDir / "cp-video").string() + "'";
    std::vector<double> ours, theirs;
    for (auto _ : state) {
        ours.push_back(Time([&] { ImportPrograms(*player); }));
        stdfs::remove_all(kDir / "cp-video");
        theirs.push_back(Time([&] {
            if (std::system(cp.c_str()) != 0) state.SkipWithError("cp failed");
        }));
    }
    state.counters["import_ms"] = Median(ours);
    state.counters["cp_ms"] = Median(theirs);
    state.counters["throughput_vs_cp"] = Median(theirs) / Median(ours);
}
BENCHMARK(BM_ImportRatio)->Iterations(7)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace led

BENCHMARK_MAIN();
