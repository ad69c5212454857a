// Picture-text pages and animation frames at 1920 x 1080:
// - BM_PageSwitch: a picture-text area of JPEG pages with remain 0 and a
//   plain entry: the time from one page to the next (decode and draw), per
//   page (target: under 25 ms), and its ratio to decoding the same pages
//   alone in the same run.
// - BM_PagedAreaPeakRss: the peak resident size of one pass over a 200-page
//   item against a 1-page item, in decoded 1080p pages ("extra_pages",
//   target: at most 2).
// - BM_AnimationPacing: 1000 JPEG frames at 25 fps (anispeed 2) through the
//   animate area's pacing and frame decoder into a window: frames drawn later
//   than their time, the worst lateness, the drift of the last frame from its
//   ideal time and the CPU used in percent of one core (target: under 100).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "app/AreaBodyTable.h"
#include "core/Player.h"
#include "platform/display/Display.h"
#include "platform/image/ImageCodec.h"
#include "platform/image/ImageWriters.h"
#include "program/ProgramControl.h"
#include "render/AnimateArea.h"
#include "render/AreaDrawing.h"
#include "render/FrameDecoder.h"

namespace {

using namespace led;

constexpr int kW = 1920, kH = 1080;
constexpr int kPages = 200;
constexpr double kPageMb = kW * kH * 4 / 1048576.0;

using bench::PeakRssMb;
using bench::ResetPeakRss;

using bench::CpuSeconds;

Surface Gradient(int seed) {
    Surface s(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            s.SetPixel(x, y,
                       uint32_t((x + seed * 37) & 0xff) << 16 | uint32_t(y & 0xff) << 8 |
                           uint32_t((x ^ y) & 0xff));
    return s;
}

std::string PagePath(int i) { return "\\Storage Card\\video\\page" + std::to_string(i) + ".jpg"; }

struct DeviceRoot {
    DeviceRoot() {
        path = std::filesystem::temp_directory_path() /
               ("ledplayer-bench-paged-" + std::to_string(getpid()));
        std::filesystem::create_directories(path / "nand" / "table");
        const auto video = path / "Storage Card" / "video";
        std::filesystem::create_directories(video);
        // A few different pictures, repeated: decoding cost is what counts.
        std::vector<std::vector<uint8_t>> jpegs;
        for (int i = 0; i < 8; ++i) jpegs.push_back(EncodeJpeg(Gradient(i), 85));
        for (int i = 0; i < kPages; ++i) {
            const auto& jpeg = jpegs[size_t(i) % jpegs.size()];
            std::ofstream(video / ("page" + std::to_string(i) + ".jpg"), std::ios::binary)
                .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
        }
    }
    ~DeviceRoot() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
};

const DeviceRoot& Root() {
    static const DeviceRoot root;
    return root;
}

struct BenchPlayer {
    explicit BenchPlayer(double scale) {
        Settings settings;
        settings.root = Root().path.string();
        auto start = LocalTime::Parse("2026-03-05 10:00:00");
        player = std::make_unique<Player>(settings, Clock(*start, scale), MakeHeadlessBackend());
        RegisterAreaBodies(player->areaBodies);
        player->OpenDisplay({kW, kH}, {});
        loop =
            std::thread([this] { player->queue.Run([](const Message&) { return int64_t(0); }); });
    }
    ~BenchPlayer() {
        player->BeginShutdown();
        player->queue.Quit(0);
        loop.join();
    }
    // Plays one cycle of a full-screen picture-text item of `pages` pages;
    // false when it did not end within five minutes.
    bool OnePass(int pages) {
        auto program = std::make_shared<ProgramRecord>();
        AreaRecord area;
        area.type = area_type::kPictureText;
        area.right = kW - 1, area.bottom = kH - 1;
        AreaItem item;
        for (int i = 0; i < pages; ++i) item.pageFiles.push_back(PagePath(i));
        item.remain = 0;
        area.items.push_back(item);
        program->areas.push_back(area);
        StartProgram(*player, program, Layer::Normal);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        bool done = false;
        while (!(done = player->playback.normal.Run()->completionCounters[0].load() >= 1) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        StopProgram(*player, 1, false);
        return done;
    }
    std::unique_ptr<Player> player;
    std::thread loop;
};

void BM_PageSwitch(benchmark::State& state) {
    BenchPlayer p(1.0);
    if (!p.OnePass(2)) {  // warm the decoder and the caches
        state.SkipWithError("the pages did not play");
        return;
    }
    constexpr int kSwitches = 50;
    double msPerPage = 0, decodeMs = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!p.OnePass(kSwitches)) {
            state.SkipWithError("the pages did not play");
            return;
        }
        const auto t1 = std::chrono::steady_clock::now();
        // The baseline: the same pages decoded alone, without an area.
        ImageCodec codec;
        for (int i = 0; i < kSwitches; ++i)
            benchmark::DoNotOptimize(codec.Load(*p.player->fs.Resolve(PagePath(i)), Colour{0}));
        const auto t2 = std::chrono::steady_clock::now();
        msPerPage = std::chrono::duration<double, std::milli>(t1 - t0).count() / kSwitches;
        decodeMs = std::chrono::duration<double, std::milli>(t2 - t1).count() / kSwitches;
    }
    state.counters["ms_per_page"] = msPerPage;
    state.counters["decode_only_ms"] = decodeMs;
    state.counters["ratio_to_decode"] = msPerPage / decodeMs;
    state.counters["target_ms"] = 25;
}
BENCHMARK(BM_PageSwitch)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

void BM_PagedAreaPeakRss(benchmark::State& state) {
    double one = 0, many = 0;
    for (auto _ : state) {
        {
            BenchPlayer p(1000.0);
            ResetPeakRss();
            if (!p.OnePass(1)) {
                state.SkipWithError("the page did not play");
                return;
            }
            one = PeakRssMb();
        }
        BenchPlayer p(1000.0);
        ResetPeakRss();
        if (!p.OnePass(kPages)) {
            state.SkipWithError("the pages did not play");
            return;
        }
        many = PeakRssMb();
    }
    state.counters["peak_mb_1_page"] = one;
    state.counters["peak_mb_200_pages"] = many;
    state.counters["extra_pages"] = (many - one) / kPageMb;
    state.counters["target"] = 2;
}
BENCHMARK(BM_PagedAreaPeakRss)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_AnimationPacing(benchmark::State& state) {
    constexpr int kFrames = 1000;
    constexpr int64_t kFrameMs = 2 * 20;  // anispeed 2: 25 fps
    BenchPlayer p(1.0);
    auto window =
        p.player->output.display->CreateWindow("picture text window", {0, 0, kW, kH}, true);
    ImageCodec codec;
    FrameDecoder decoder(codec, p.player->fs, kBlack);
    std::vector<int64_t> drawn;
    FrameSequence frames;
    frames.count = kFrames;
    frames.frameTimeMs = kFrameMs;
    frames.take = [&](size_t i) {
        auto frame = decoder.Take(PagePath(int(i % kPages)));
        decoder.Prefetch(PagePath(int((i + 1) % kPages)));
        return frame;
    };
    frames.draw = [&](const Surface& frame) {
        drawn.push_back(p.player->clock.Ticks());
        DrawPlain(*window, &frame);
    };
    frames.stopped = [] { return false; };
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double c0 = CpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        PlayFrameSequence(frames, p.player->clock, p.player->ShutdownFlag());
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu = CpuSeconds() - c0;
    }
    int late = 0;
    int64_t worst = 0;
    for (size_t i = 1; i < drawn.size(); ++i) {
        const int64_t lateness = drawn[i] - drawn[i - 1] - kFrameMs;
        if (lateness > 2) ++late;
        worst = std::max(worst, lateness);
    }
    state.counters["late_frames"] = late;
    state.counters["worst_late_ms"] = double(worst);
    state.counters["drift_ms"] =
        drawn.empty() ? 0 : double(drawn.back() - drawn.front() - (kFrames - 1) * kFrameMs);
    state.counters["cpu_pct_of_core"] = cpu / wall * 100;
}
BENCHMARK(BM_AnimationPacing)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
