// Picture loading against its floors, 1920 x 1080:
// - JPEG decoded into a surface (header, allocation, decode, orientation)
//   against tjDecompress2 alone into a buffer it already has; target <= 1.2.
// - 24-bit BMP loaded from a file against reading the same file into memory
//   (the I/O floor); target <= 2.
// The *Ratio benchmarks time both sides alternately in one run and report the
// ratio of the medians.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "platform/image/ImageCodec.h"
#include "platform/image/ImageWriters.h"

namespace led {
namespace {

constexpr int kW = 1920, kH = 1080;

// Something like a photograph: smooth light, texture and edges.
Surface PhotoLike() {
    Surface s(kW, kH);
    uint32_t seed = 12345;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = int(seed >> 28) - 8;
            const double wave = 40 * std::sin(x * 0.02) * std::cos(y * 0.013);
            const int r = std::clamp(int(80 + y * 0.12 + wave) + noise, 0, 255);
            const int g = std::clamp(int(120 + (x % 240 < 120 ? 40 : -20) + wave) + noise, 0, 255);
            const int b = std::clamp(int(200 - y * 0.15 - wave) + noise, 0, 255);
            s.SetPixel(x, y, uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
        }
    return s;
}

const std::vector<uint8_t>& JpegFile() {
    static const std::vector<uint8_t> file = EncodeJpeg(PhotoLike(), 90);
    return file;
}

// Written on first use, removed at exit.
const std::filesystem::path kBmpPath =
    std::filesystem::temp_directory_path() / ("bench_image_" + std::to_string(::getpid()) + ".bmp");
const struct RemoveAtExit {
    ~RemoveAtExit() {
        std::error_code ec;
        std::filesystem::remove(kBmpPath, ec);
    }
} kRemoveAtExit;

const std::filesystem::path& BmpPath() {
    static const bool written = [] {
        const std::vector<uint8_t> bytes = EncodeBmp24(PhotoLike());
        std::ofstream(kBmpPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return true;
    }();
    (void)written;
    return kBmpPath;
}

// TurboJPEG alone: one handle, one output buffer, reused.
struct TjOnly {
    TjOnly() : handle(tjInitDecompress()), out(size_t(kW) * kH * 4) {}
    ~TjOnly() { tjDestroy(handle); }
    void Run() {
        const auto& f = JpegFile();
        tjDecompress2(handle, f.data(), f.size(), out.data(), kW, kW * 4, kH, TJPF_BGRX, 0);
        benchmark::DoNotOptimize(out.data());
    }
    tjhandle handle;
    std::vector<unsigned char> out;
};

void DecodeJpegIntoSurface(const ImageCodec& codec) {
    ImageResult r = codec.Decode(JpegFile());
    benchmark::DoNotOptimize(r.picture.Data());
}

// The I/O floor: the whole file into fresh memory, as a plain reader does it.
void ReadFileIntoMemory() {
    const int fd = ::open(BmpPath().c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    ::fstat(fd, &st);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size_t(st.st_size)]);
    size_t done = 0;
    while (done < size_t(st.st_size)) {
        const ssize_t n = ::pread(fd, buffer.get() + done, size_t(st.st_size) - done, off_t(done));
        if (n <= 0) break;
        done += size_t(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buffer.get());
}

void LoadBmp(const ImageCodec& codec) {
    ImageResult r = codec.Load(BmpPath());
    benchmark::DoNotOptimize(r.picture.Data());
}

void BM_JpegDecodeIntoSurface(benchmark::State& state) {
    ImageCodec codec;
    for (auto _ : state) DecodeJpegIntoSurface(codec);
}
BENCHMARK(BM_JpegDecodeIntoSurface)->Unit(benchmark::kMillisecond);

void BM_TjDecompress2Alone(benchmark::State& state) {
    TjOnly tj;
    for (auto _ : state) tj.Run();
}
BENCHMARK(BM_TjDecompress2Alone)->Unit(benchmark::kMillisecond);

void BM_BmpLoad24(benchmark::State& state) {
    ImageCodec codec;
    for (auto _ : state) LoadBmp(codec);
}
BENCHMARK(BM_BmpLoad24)->Unit(benchmark::kMillisecond);

void BM_ReadFileIntoMemory(benchmark::State& state) {
    for (auto _ : state) ReadFileIntoMemory();
}
BENCHMARK(BM_ReadFileIntoMemory)->Unit(benchmark::kMillisecond);

double Seconds(const std::function<void()>& fn) {
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Times `subject` and `floor` alternately and reports the ratio of medians.
void ReportRatio(benchmark::State& state, const std::function<void()>& subject,
                 const std::function<void()>& floor, double target, int rounds) {
    for (auto _ : state) {
        subject(), floor();  // warm caches and the allocator
        std::vector<double> a, b;
        for (int i = 0; i < rounds; ++i) {
            a.push_back(Seconds(subject));
            b.push_back(Seconds(floor));
        }
        const double ma = Median(a), mb = Median(b);
        state.counters["subject_ms"] = ma * 1e3;
        state.counters["floor_ms"] = mb * 1e3;
        state.counters["ratio"] = ma / mb;
        state.counters["target"] = target;
    }
}

void BM_JpegRatio(benchmark::State& state) {
    ImageCodec codec;
    TjOnly tj;
    ReportRatio(
        state, [&] { DecodeJpegIntoSurface(codec); }, [&] { tj.Run(); }, 1.2, 41);
}
BENCHMARK(BM_JpegRatio)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_BmpRatio(benchmark::State& state) {
    ImageCodec codec;
    ReportRatio(
        state, [&] { LoadBmp(codec); }, [] { ReadFileIntoMemory(); }, 2.0, 101);
}
BENCHMARK(BM_BmpRatio)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace led

BENCHMARK_MAIN();
