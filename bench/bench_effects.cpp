// Cost of one effect frame per family on a 1920x1080 area, as a ratio
// against one full-area copy measured in the same run. A frame's cost is the
// average over a whole run of the effect (unpaced, off screen), in thread CPU
// time so that other load on the machine does not skew the ratio. Also counts
// heap allocations made while frames are drawn: there should be none.

#include <benchmark/benchmark.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/display/Canvas.h"
#include "platform/display/Display.h"
#include "render/effects/Effects.h"

namespace {

std::atomic<long> gAllocations{0};

}  // namespace

void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace led;

constexpr int kW = 1920, kH = 1080;

struct FamilyCase {
    const char* name;
    int number;
    double target;  // the most full-area copies a frame may cost; 0: none set
};

const FamilyCase kFamilies[] = {
    {"push", 1, 0},          {"edge_wipe", 9, 0}, {"split", 15, 0},       {"doors", 20, 0},
    {"slats", 21, 0},        {"comb", 25, 0},     {"corner_box", 32, 0},  {"prop_corner", 33, 0},
    {"diagonal", 37, 4},     {"box", 41, 0},      {"box_in", 42, 0},      {"cross", 43, 0},
    {"polygon_mask", 45, 0}, {"circle", 47, 0},   {"rect_mask", 82, 0},   {"corner_fly_in", 49, 0},
    {"sweep", 53, 0},        {"zoom", 61, 0},     {"squeeze", 66, 0},     {"stretch_slide", 84, 0},
    {"smear", 88, 0},        {"dissolve", 92, 0}, {"grid_growth", 94, 0}, {"slide_in_bands", 96, 0},
    {"block_zoom", 108, 0},
};

Surface Gradient() {
    Surface s(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            s.SetPixel(x, y, uint32_t(x & 0xff) << 16 | uint32_t(y & 0xff) << 8 | uint32_t(x ^ y));
    return s;
}

// Counts allocations between the end of the first frame and the end of the last.
class CountingTarget final : public SurfaceEffectTarget {
public:
    using SurfaceEffectTarget::SurfaceEffectTarget;
    long AllocationsDuringFrames() const { return last_ - first_; }

protected:
    void FrameEnded(const Surface&, int frame) override {
        long now = gAllocations.load(std::memory_order_relaxed);
        if (frame == 0) first_ = now;
        last_ = now;
    }

private:
    long first_ = 0, last_ = 0;
};

double ThreadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

// The baseline of every ratio: CPU time of one full-area copy, the mean of 8.
double FullCopyNs(const Surface& picture, Surface& copy) {
    Canvas copier(copy);
    double t0 = ThreadCpuNs();
    for (int i = 0; i < 8; ++i) copier.Copy(picture, {0, 0});
    double t1 = ThreadCpuNs();
    benchmark::DoNotOptimize(copy.Data());
    return (t1 - t0) / 8;
}

void BM_EffectFrame(benchmark::State& state, FamilyCase family) {
    static const Surface picture = Gradient();
    Surface window(kW, kH), copy(kW, kH);
    const Clock clock = Clock::Stepped(*LocalTime::Parse("2024-01-01 00:00:00"));
    std::atomic<bool> stop{false};
    EffectRequest request;
    request.number = family.number;
    request.delay = 0xFFFFFFFFu;  // unpaced: measure drawing only
    request.background = Colour::FromRgb(0, 0, 64);
    double copyNs = 0, effectNs = 0;
    long frames = 0, allocations = 0;
    for (auto _ : state) {
        copyNs += FullCopyNs(picture, copy);

        Canvas(window).FillAll(Colour::FromRgb(200, 0, 0));
        CountingTarget target(window);
        double t2 = ThreadCpuNs();
        EffectResult result = RunEffect(request, target, picture, clock, stop);
        double t3 = ThreadCpuNs();
        effectNs += t3 - t2;
        frames += result.frames;
        allocations += target.AllocationsDuringFrames();
    }
    double iterations = double(state.iterations());
    state.counters["frames"] = double(frames) / iterations;
    state.counters["frame_over_copy"] = (effectNs / double(frames)) / (copyNs / iterations);
    state.counters["allocs_per_frame"] = double(allocations) / double(frames);
    if (family.target > 0) state.counters["target"] = family.target;
}

// An area window on a headless display, composed after every frame as the
// compositor would: the whole cost of a frame reaching the raster.
class ComposingTarget final : public EffectTarget {
public:
    ComposingTarget(Display& display, Window& window) : display_(display), window_(window) {}
    Size GetSize() const override { return window_.GetSize(); }
    void CaptureInto(Surface& into) override { window_.CaptureInto(into); }
    Canvas& BeginFrame() override { return window_.BeginFrame(); }
    void EndFrame() override {
        window_.EndFrame();
        display_.ComposeNow();
    }

private:
    Display& display_;
    WindowEffectTarget window_;
};

void BM_EffectFrameComposed(benchmark::State& state, FamilyCase family) {
    static const Surface picture = Gradient();
    Display display(MakeHeadlessBackend(), {kW, kH});
    auto window = display.CreateWindow("picture window", {0, 0, kW, kH}, true);
    Surface copy(kW, kH);
    const Clock clock = Clock::Stepped(*LocalTime::Parse("2024-01-01 00:00:00"));
    std::atomic<bool> stop{false};
    EffectRequest request;
    request.number = family.number;
    request.delay = 0xFFFFFFFFu;
    double copyNs = 0, effectNs = 0;
    long frames = 0;
    for (auto _ : state) {
        copyNs += FullCopyNs(picture, copy);

        window->Paint()->FillAll(Colour::FromRgb(200, 0, 0));
        display.ComposeNow();
        ComposingTarget target(display, *window);
        double t2 = ThreadCpuNs();
        EffectResult result = RunEffect(request, target, picture, clock, stop);
        double t3 = ThreadCpuNs();
        effectNs += t3 - t2;
        frames += result.frames;
    }
    double iterations = double(state.iterations());
    state.counters["frames"] = double(frames) / iterations;
    state.counters["frame_over_copy"] = (effectNs / double(frames)) / (copyNs / iterations);
    if (family.target > 0) state.counters["target"] = family.target;
}

}  // namespace

int main(int argc, char** argv) {
    for (const FamilyCase& family : kFamilies)
        benchmark::RegisterBenchmark((std::string("BM_EffectFrame/") + family.name).c_str(),
                                     BM_EffectFrame, family)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    // Drawn into a window and composed onto the raster after every frame.
    for (const FamilyCase& family : kFamilies)
        if (family.target > 0)
            benchmark::RegisterBenchmark(
                (std::string("BM_EffectFrameComposed/") + family.name).c_str(),
                BM_EffectFrameComposed, family)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
