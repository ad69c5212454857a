// File upload through a control session against a plain loopback copy
// measured in the same run:
// - BM_Upload200MB: a 200 MB program file announced and sent as one data
//   frame; throughput in MB/s, the ratio to a bare socket-to-file copy of the
//   same bytes (target: at least 0.8) and the process's RSS growth (target:
//   under 4 MB: the file is streamed, never held whole).
// - BM_Resume200MBAt150MB: the same file cut at 150 MB: the answer asks for
//   the rest, and only 50 MB travel.

#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "core/Player.h"
#include "net/NetworkThreads.h"
#include "platform/display/Backend.h"

namespace {

using namespace led;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

constexpr size_t kFileBytes = 200u << 20;
constexpr size_t kChunk = 256 * 1024;

using bench::RssKb;

struct RunningPlayer : bench::ServingPlayer {
    RunningPlayer()
        : ServingPlayer(
              "upload", TcpAcceptLoop,
              {"nand/table", "Storage Card/videotemp", "Storage Card/video", "Storage Card/xml"}) {}
};

int Connect(int port) { return bench::ConnectLoopback(port); }

bool SendAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t s = send(fd, p, n, MSG_NOSIGNAL);
        if (s <= 0) return false;
        p += s;
        n -= size_t(s);
    }
    return true;
}

std::vector<uint8_t> Frame(uint8_t code, const std::string& payload) {
    std::vector<uint8_t> f = {'*', '#', code};
    uint32_t n = uint32_t(payload.size());
    for (int i = 0; i < 4; ++i) f.push_back(uint8_t(n >> (8 * i)));
    f.insert(f.end(), payload.begin(), payload.end());
    f.push_back('#');
    f.push_back('*');
    return f;
}

// Announces and returns the filelen the player asks from.
long long Announce(int fd, size_t size, int overwrite) {
    std::string xml = "<root><files><file><filename>big.bin</filename><filelen>" +
                      std::to_string(size) + "</filelen><ifoverwrite>" + std::to_string(overwrite) +
                      "</ifoverwrite></file></files></root>";
    auto f = Frame(8, xml);
    SendAll(fd, f.data(), f.size());
    std::string reply;
    char buffer[4096];
    while (reply.find("</root>") == std::string::npos) {
        ssize_t r = recv(fd, buffer, sizeof buffer, 0);
        if (r <= 0) return -1;
        reply.append(buffer, size_t(r));
    }
    std::smatch m;
    return std::regex_search(reply, m, std::regex("<filelen>([0-9]+)</filelen>")) ? std::stoll(m[1])
                                                                                  : -1;
}

// Sends content[from..] as one data frame; waits until the file holds it all
// (false when it does not within two minutes).
bool SendData(int fd, const std::vector<uint8_t>& content, size_t from, const fs::path& file) {
    uint32_t n = uint32_t(content.size() - from);
    uint8_t head[7] = {
        '*', '#', 9, uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    SendAll(fd, head, 7);
    for (size_t at = from; at < content.size(); at += kChunk)
        SendAll(fd, content.data() + at, std::min(kChunk, content.size() - at));
    const uint8_t end[2] = {'#', '*'};
    SendAll(fd, end, 2);
    std::error_code ec;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (fs::file_size(file, ec) != content.size() || ec) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

// The baseline: a bare thread receives the same bytes and writes them to a file.
double PlainCopySeconds(const std::vector<uint8_t>& content, const fs::path& file) {
    int port = 0;
    int listener = bench::ListenLoopback(port);
    std::thread sink([&] {
        int fd = accept(listener, nullptr, nullptr);
        FILE* out = fopen(file.c_str(), "wb");
        uint8_t buffer[4096];
        ssize_t r;
        while ((r = recv(fd, buffer, sizeof buffer, 0)) > 0) fwrite(buffer, 1, size_t(r), out);
        fclose(out);
        close(fd);
    });
    auto start = Steady::now();
    int fd = Connect(port);
    for (size_t at = 0; at < content.size(); at += kChunk)
        SendAll(fd, content.data() + at, std::min(kChunk, content.size() - at));
    close(fd);
    sink.join();
    double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    close(listener);
    fs::remove(file);
    return seconds;
}

std::vector<uint8_t> Content() {
    std::vector<uint8_t> content(kFileBytes);
    std::mt19937 random(5);
    for (size_t i = 0; i < content.size(); i += 4) {
        uint32_t v = random();
        std::memcpy(&content[i], &v, 4);
    }
    return content;
}

void BM_Upload200MB(benchmark::State& state) {
    RunningPlayer p;
    const auto content = Content();
    const fs::path file = p.root / "Storage Card" / "videotemp" / "big.bin";
    double player = 0, plain = 0;
    long rssGrowth = 0;
    for (auto _ : state) {
        plain += PlainCopySeconds(content, p.root / "plain.bin");
        long before = RssKb();
        auto start = Steady::now();
        int fd = Connect(p.port);
        Announce(fd, content.size(), 1);
        if (!SendData(fd, content, 0, file)) {
            close(fd);
            state.SkipWithError("the player did not store the whole file");
            break;
        }
        player += std::chrono::duration<double>(Steady::now() - start).count();
        rssGrowth = std::max(rssGrowth, RssKb() - before);
        close(fd);
        fs::remove(file);
    }
    const double mb = double(kFileBytes) / (1 << 20) * double(state.iterations());
    state.counters["player_MBps"] = mb / player;
    state.counters["plain_MBps"] = mb / plain;
    state.counters["ratio"] = plain / player;
    state.counters["rss_growth_MB"] = double(rssGrowth) / 1024;
}
BENCHMARK(BM_Upload200MB)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_Resume200MBAt150MB(benchmark::State& state) {
    RunningPlayer p;
    const auto content = Content();
    const fs::path file = p.root / "Storage Card" / "videotemp" / "big.bin";
    long long askedFrom = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(content.data()), 150 << 20);
        }
        state.ResumeTiming();
        int fd = Connect(p.port);
        askedFrom = Announce(fd, content.size(), 0);
        const bool stored = SendData(fd, content, size_t(askedFrom), file);
        close(fd);
        if (!stored) {
            state.SkipWithError("the player did not store the whole file");
            break;
        }
    }
    state.counters["asked_from_MB"] = double(askedFrom) / (1 << 20);
    state.counters["sent_MB"] = double(kFileBytes - size_t(askedFrom)) / (1 << 20);
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> back((std::istreambuf_iterator<char>(in)), {});
    state.counters["byte_exact"] = back == content ? 1 : 0;
}
BENCHMARK(BM_Resume200MBAt150MB)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
