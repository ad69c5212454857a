#pragma once
// What several benchmarks measure with or run against: the process's memory
// and CPU, loopback sockets, and a player serving one of its control ports.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spdlog/spdlog.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/Player.h"
#include "platform/display/Backend.h"
#include "platform/display/Display.h"

namespace led::bench {

// A line of /proc/self/status ("VmHWM:", "VmRSS:") in KiB.
inline long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return 0;
}
inline long RssKb() { return StatusKb("VmRSS:"); }
// The kernel's high-water mark of the resident set, in MiB.
inline double PeakRssMb() { return double(StatusKb("VmHWM:")) / 1024.0; }
// Lowers the high-water mark to the current resident size.
inline void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

// User and system CPU time of the process so far.
inline double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A TCP connection to 127.0.0.1:port, Nagle off; -1 when refused.
inline int ConnectLoopback(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

// A listening TCP socket on 127.0.0.1 at a free port, which `port` receives:
// the baselines' bare servers.
inline int ListenLoopback(int& port) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listener, 1);
    socklen_t n = sizeof a;
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &n);
    port = ntohs(a.sin_port);
    return listener;
}

inline bool ReadExactly(int fd, uint8_t* buffer, size_t n) {
    size_t got = 0;
    while (got < n) {
        ssize_t r = recv(fd, buffer + got, n - got, 0);
        if (r <= 0) return false;
        got += size_t(r);
    }
    return true;
}

// A player on a fresh device root serving one control port on 127.0.0.1
// (any free port: `port` says which), real time, logging warnings only.
struct ServingPlayer {
    explicit ServingPlayer(const std::string& name, void (*loop)(Player&),
                           const std::vector<std::string>& directories = {"nand"},
                           bool window = false) {
        spdlog::set_level(spdlog::level::warn);  // a line per connection would be measured too
        std::random_device random;
        root = std::filesystem::temp_directory_path() /
               ("ledplayer-bench-" + name + "-" + std::to_string(random()));
        for (const auto& d : directories) std::filesystem::create_directories(root / d);
        Settings settings;
        settings.root = root.string();
        settings.listenAddress = "127.0.0.1";
        settings.tcpPort = settings.udpPort = settings.textPort = 0;
        settings.maxSessions = 1000;
        player = std::make_unique<Player>(settings, Clock(), MakeHeadlessBackend());
        player->events.Open((root / "events.jsonl").string());
        if (window) {
            const Size size{640, 480};
            player->output.windowSize = size;
            player->OpenDisplay(size, {});
            player->output.mainWindow = player->output.display->CreateWindow(
                "J7 Application", {0, 0, size.width, size.height}, false);
        }
        thread = std::thread([this, loop] { loop(*player); });
        // The bound port is in the "listening" event.
        for (int i = 0; i < 500 && port == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::ifstream in(root / "events.jsonl");
            for (std::string line; std::getline(in, line);)
                if (auto at = line.find("\"port\":"); at != std::string::npos)
                    port = std::atoi(line.c_str() + at + 7);
        }
    }
    ~ServingPlayer() {
        player->BeginShutdown();
        thread.join();
        player.reset();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    std::filesystem::path root;
    std::unique_ptr<Player> player;
    std::thread thread;
    int port = 0;
};

}  // namespace led::bench
