#include "platform/system/System.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <spawn.h>
#include <spdlog/spdlog.h>
#include <sys/sysinfo.h>
#include <sys/wait.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace led {
namespace {

// Runs `sh -c command` without waiting (start-up program) or waiting.
int RunShell(const std::string& command, bool wait) {
    pid_t pid = 0;
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return -1;
    if (!wait) {
        std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
        return 0;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::array<uint8_t, 4> Ipv4Bytes(const sockaddr* sa) {
    std::array<uint8_t, 4> out{};
    if (sa && sa->sa_family == AF_INET)
        std::memcpy(out.data(), &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, 4);
    return out;
}

// Default gateway of an interface from the kernel's routing table.
std::array<uint8_t, 4> ReadGateway(const std::string& ifname) {
    std::array<uint8_t, 4> out{};
    std::ifstream routes("/proc/net/route");
    std::string line;
    std::getline(routes, line);  // header
    while (std::getline(routes, line)) {
        std::istringstream in(line);
        std::string name, dest, gateway;
        in >> name >> dest >> gateway;
        if (name == ifname && dest == "00000000") {
            uint32_t g = std::stoul(gateway, nullptr, 16);  // already network order in memory
            std::memcpy(out.data(), &g, 4);
            break;
        }
    }
    return out;
}

}  // namespace

void System::RequestReboot(const std::string& reason) {
    ++rebootRequests_;
    log_("reboot-requested", reason);
    if (!commands_.reboot.empty()) RunShell(commands_.reboot, true);
}

void System::RunAtStart(const std::string& boardProgram) {
    log_("run-at-start", boardProgram);
    if (!commands_.startup.empty()) RunShell(commands_.startup, false);
}

bool System::SetSystemTime(const std::string& localTime) {
    if (commands_.setTime.empty()) return false;
    return RunShell(commands_.setTime + " '" + localTime + "'", true) == 0;
}

AdapterInfo System::ReadAdapter(const std::string& interfaceName) const {
    AdapterInfo info;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return info;
    // First pass: choose the interface (the board took the first adapter with
    // an address other than 0.0.0.0).
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
        std::string name = a->ifa_name;
        if (!interfaceName.empty() ? name != interfaceName : (a->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        auto ip = Ipv4Bytes(a->ifa_addr);
        if (ip == std::array<uint8_t, 4>{}) continue;
        info.name = name;
        info.ip = ip;
        info.netmask = Ipv4Bytes(a->ifa_netmask);
        info.found = true;
        break;
    }
    if (info.found) {
        for (ifaddrs* a = list; a; a = a->ifa_next) {
            if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET || info.name != a->ifa_name)
                continue;
            auto* ll = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
            if (ll->sll_halen == 6) std::memcpy(info.mac.data(), ll->sll_addr, 6);
        }
        info.gateway = ReadGateway(info.name);
    }
    freeifaddrs(list);
    return info;
}

bool System::InterfaceConnected(const std::string& interfaceName) const {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool connected = false;
    for (ifaddrs* a = list; a; a = a->ifa_next) {
        if (!a->ifa_addr) continue;
        const int family = a->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6) continue;
        const std::string name = a->ifa_name;
        if (!interfaceName.empty() ? name != interfaceName : (a->ifa_flags & IFF_LOOPBACK) != 0)
            continue;
        const bool up = (a->ifa_flags & IFF_UP) && (a->ifa_flags & IFF_RUNNING);
        spdlog::debug("interface {}: {} {}, {}", name, family == AF_INET ? "IPv4" : "IPv6",
                      (a->ifa_flags & IFF_POINTOPOINT) ? "point-to-point" : "broadcast",
                      up ? "up" : "down");
        connected = connected || up;
    }
    freeifaddrs(list);
    return connected;
}

long System::AvailableMemory() const {
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return 0;
    return long(info.freeram) * long(info.mem_unit);
}

bool System::ReadCpuTimes(CpuTimes& times) const {
    std::ifstream stat("/proc/stat");
    std::string cpu;
    uint64_t v[8] = {};
    if (!(stat >> cpu)) return false;
    for (auto& x : v) stat >> x;
    times.idle = v[3] + v[4];  // idle and I/O wait
    times.total = 0;
    for (auto x : v) times.total += x;
    return times.total > 0;
}

}  // namespace led
