// The control port under load, against plain loopback sockets measured in the
// same run:
// - BM_DeviceInfoLatency: request -> reply of GetDeviceInfo over a TCP
//   session, p50/p99, and the ratio to an echo of the same bytes by a bare
//   thread (the cost of the kernel's loopback alone).
// - BM_IdleSessions: 64 sessions that only send heartbeats; the player's CPU
//   in percent of one core above the same player with none open.
// - BM_IdleScheduleThreads: the brightness, volume, power and sensor threads
//   with a time table, power windows and a volume schedule, on real time and
//   without a card: their CPU in percent of one core above the same process
//   with none running (target: under 0.5).
// - BM_ConnectCloseCycles: 10 000 connects and closes; threads and open files
//   before and after.
// - BM_TextMessages: 1000 text messages over one session on port 5005, each
//   answered before the next: messages per second and the RSS growth over a
//   second thousand.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spdlog/spdlog.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "clock/SensorPolling.h"
#include "core/Player.h"
#include "net/NetworkThreads.h"
#include "platform/display/Backend.h"
#include "program/PowerSchedule.h"
#include "screen/Schedules.h"
#include "video/VolumeSchedule.h"

namespace {

using namespace led;
namespace fs = std::filesystem;
using Clock_ = std::chrono::steady_clock;

const uint8_t kDeviceInfo[] = {'*', '#', 4, 0, 0, 0, 0, '#', '*'};
const uint8_t kHeartbeat[] = {'*', '#', 100, 0, 0, 0, 0, '#', '*'};

struct RunningPlayer : bench::ServingPlayer {
    explicit RunningPlayer(void (*loop)(Player&) = TcpAcceptLoop, bool window = false)
        : ServingPlayer("control", loop, {"nand"}, window) {}
};

int Connect(int port) { return bench::ConnectLoopback(port); }
using bench::ReadExactly;

// A bare echo server on loopback: the baseline round trip.
struct EchoServer {
    EchoServer() {
        listener = bench::ListenLoopback(port);
        thread = std::thread([this] {
            int fd = accept(listener, nullptr, nullptr);
            int on = 1;
            setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            uint8_t b[9];
            uint8_t reply[57] = {};
            while (ReadExactly(fd, b, 9)) send(fd, reply, sizeof reply, MSG_NOSIGNAL);
            close(fd);
        });
    }
    ~EchoServer() {
        thread.join();
        close(listener);
    }
    int listener = -1, port = 0;
    std::thread thread;
};

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

std::vector<double> RoundTrips(int fd, const uint8_t* request, size_t replySize, int count) {
    std::vector<double> us;
    uint8_t reply[128];
    for (int i = 0; i < count; ++i) {
        auto t0 = Clock_::now();
        send(fd, request, 9, MSG_NOSIGNAL);
        if (!ReadExactly(fd, reply, replySize)) break;
        us.push_back(std::chrono::duration<double, std::micro>(Clock_::now() - t0).count());
    }
    return us;
}

void BM_DeviceInfoLatency(benchmark::State& state) {
    RunningPlayer p;
    std::vector<double> player, echo;
    for (auto _ : state) {
        int fd = Connect(p.port);
        auto a = RoundTrips(fd, kDeviceInfo, 57, 2000);
        close(fd);
        EchoServer e;
        int efd = Connect(e.port);
        auto b = RoundTrips(efd, kDeviceInfo, 57, 2000);
        close(efd);
        player.insert(player.end(), a.begin(), a.end());
        echo.insert(echo.end(), b.begin(), b.end());
    }
    state.counters["p50_us"] = Percentile(player, 0.5);
    state.counters["p99_us"] = Percentile(player, 0.99);
    state.counters["echo_p99_us"] = Percentile(echo, 0.99);
    state.counters["p99_ratio_to_echo"] = Percentile(player, 0.99) / Percentile(echo, 0.99);
}
BENCHMARK(BM_DeviceInfoLatency)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

using bench::CpuSeconds;

// CPU used over `seconds` of real time, in percent of one core.
double CpuPercentOver(double seconds) {
    double c0 = CpuSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return (CpuSeconds() - c0) / seconds * 100.0;
}

void BM_IdleSessions(benchmark::State& state) {
    RunningPlayer p;
    double idle = 0, busy = 0;
    for (auto _ : state) {
        idle = CpuPercentOver(5);
        std::vector<int> fds;
        for (int i = 0; i < 64; ++i) fds.push_back(Connect(p.port));
        uint8_t ack[9];
        // One heartbeat each, as the tool sends every 30 s, then quiet.
        for (int fd : fds) {
            send(fd, kHeartbeat, 9, MSG_NOSIGNAL);
            ReadExactly(fd, ack, 9);
        }
        busy = CpuPercentOver(5);
        for (int fd : fds) close(fd);
    }
    state.counters["cpu_pct_idle_player"] = idle;
    state.counters["cpu_pct_64_sessions"] = busy;
    state.counters["cpu_pct_above_idle"] = busy - idle;
}
BENCHMARK(BM_IdleSessions)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_IdleScheduleThreads(benchmark::State& state) {
    spdlog::set_level(spdlog::level::warn);
    std::random_device random;
    auto root = fs::temp_directory_path() / ("ledplayer-bench-sched-" + std::to_string(random()));
    fs::create_directories(root / "nand" / "table");
    Settings settings;
    settings.root = root.string();
    Player player(settings, Clock(), MakeHeadlessBackend());
    const std::vector<uint8_t> type{2, 0, 0, 0}, table{22, 0, 6, 0, 40, 6, 0, 22, 0, 200},
        power{0, 0, 0, 23, 59, 0}, volume{0, 0, 23, 59, 50};
    player.fs.WriteFile("\\nand\\table\\brighttype.dat", type);
    player.fs.WriteFile("\\nand\\table\\brightAdj.dat", table);
    player.fs.WriteFile("\\nand\\table\\poweronoff.dat", power);
    player.fs.WriteFile("\\nand\\table\\adjvolume.dat", volume);
    LoadSchedules(player);
    double baseline = 0, running = 0;
    for (auto _ : state) {
        baseline = CpuPercentOver(10);
        std::vector<std::thread> threads;
        for (auto body :
             {BrightnessScheduleThread, VolumeThread, PowerScheduleThread, SensorPollingThread})
            threads.emplace_back(body, std::ref(player));
        running = CpuPercentOver(10);
        player.BeginShutdown();
        for (auto& t : threads) t.join();
    }
    fs::remove_all(root);
    state.counters["cpu_pct_baseline"] = baseline;
    state.counters["cpu_pct_schedules"] = running;
    state.counters["cpu_pct_above_baseline"] = running - baseline;
}
BENCHMARK(BM_IdleScheduleThreads)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

int CountEntries(const char* dir) {
    int n = 0;
    if (DIR* d = opendir(dir)) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

void BM_ConnectCloseCycles(benchmark::State& state) {
    RunningPlayer p;
    int threads0 = 0, files0 = 0, threads1 = 0, files1 = 0;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        threads0 = CountEntries("/proc/self/task");
        files0 = CountEntries("/proc/self/fd");
        // Each cycle is a real session: a heartbeat answered, then the close.
        uint8_t ack[9];
        for (int i = 0; i < 10000; ++i) {
            int fd = Connect(p.port);
            if (fd < 0) continue;
            send(fd, kHeartbeat, 9, MSG_NOSIGNAL);
            ReadExactly(fd, ack, 9);
            close(fd);
        }
        // Sessions notice the close at their next receive; the accept loop
        // reaps them at its next turn.
        for (int i = 0; i < 100 && p.player->network.openSessions.load() > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        threads1 = CountEntries("/proc/self/task");
        files1 = CountEntries("/proc/self/fd");
    }
    state.counters["thread_growth"] = threads1 - threads0;
    state.counters["fd_growth"] = files1 - files0;
}
BENCHMARK(BM_ConnectCloseCycles)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

using bench::RssKb;

// One 'o' frame: top, left, width, height, then 512 bytes of UTF-16LE text.
std::vector<uint8_t> TextMessageFrame(int n) {
    std::vector<uint8_t> payload(8 + 512, 0);
    const int16_t rect[4] = {10, 10, 300, 60};
    std::memcpy(payload.data(), rect, sizeof rect);
    std::string text = "\\F20message " + std::to_string(n);
    for (size_t i = 0; i < text.size(); ++i) payload[8 + 2 * i] = uint8_t(text[i]);
    std::vector<uint8_t> frame = {'*', '#', 'o'};
    const uint32_t length = uint32_t(payload.size());
    for (int i = 0; i < 4; ++i) frame.push_back(uint8_t(length >> (8 * i)));
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back('#');
    frame.push_back('*');
    return frame;
}

// 1000 messages back to back over one text session, each answered with its
// 10 bytes before the next goes out; the player's RSS after a first thousand
// (warm caches, fonts) against after a second.
void BM_TextMessages(benchmark::State& state) {
    RunningPlayer p(TextAcceptLoop, true);
    const int count = 1000;
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < count; ++i) frames.push_back(TextMessageFrame(i));
    auto sendAll = [&](int fd) {
        uint8_t answer[10];
        int answered = 0;
        for (const auto& f : frames) {
            send(fd, f.data(), f.size(), MSG_NOSIGNAL);
            answered += ReadExactly(fd, answer, sizeof answer);
        }
        return answered;
    };
    int fd = Connect(p.port);
    sendAll(fd);  // warm-up
    const long rssWarm = RssKb();
    double seconds = 0;
    int answered = 0;
    for (auto _ : state) {
        auto t0 = Clock_::now();
        answered = sendAll(fd);
        seconds = std::chrono::duration<double>(Clock_::now() - t0).count();
    }
    close(fd);
    state.counters["answered"] = answered;
    state.counters["messages_per_s"] = count / seconds;
    state.counters["rss_growth_kb"] = double(RssKb() - rssWarm);
}
BENCHMARK(BM_TextMessages)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
