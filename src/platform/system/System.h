#pragma once
// The board's system services: restart requests, the program run shortly
// after start, the system clock, and the Ethernet adapter's addresses.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace led {

struct AdapterInfo {
    std::string name;
    std::array<uint8_t, 6> mac{};
    std::array<uint8_t, 4> ip{};  // network order: ip[0] is the first number
    std::array<uint8_t, 4> netmask{};
    std::array<uint8_t, 4> gateway{};
    bool found = false;
};

class System {
public:
    struct Commands {
        std::string reboot;
        std::string startup;
        std::string setTime;
    };
    using Log = std::function<void(const std::string& what, const std::string& detail)>;

    System(Commands commands, Log log) : commands_(std::move(commands)), log_(std::move(log)) {}
    virtual ~System() = default;

    // The board's KernelIoControl restart. Returns when the request did not
    // take (as on the board, the caller goes on).
    virtual void RequestReboot(const std::string& reason);
    // CeRunAppAtTime: runs the configured start-up command in the background.
    virtual void RunAtStart(const std::string& boardProgram);
    virtual bool SetSystemTime(const std::string& localTime);
    // The addresses of the named interface, or of the first non-loopback
    // interface with an IPv4 address when the name is empty.
    virtual AdapterInfo ReadAdapter(const std::string& interfaceName) const;
    // The server link's network check: the named interface (any interface
    // but loopback when the name is empty) is up, has its carrier and holds
    // an address. Each interface walked is described in the debug log.
    virtual bool InterfaceConnected(const std::string& interfaceName) const;

    // Free physical memory in bytes (the memory monitor's "mem=").
    virtual long AvailableMemory() const;
    // Idle and total processor time since boot, in clock ticks, summed over
    // every processor; false when unknown.
    struct CpuTimes {
        uint64_t idle = 0;
        uint64_t total = 0;
    };
    virtual bool ReadCpuTimes(CpuTimes& times) const;

    int RebootRequests() const { return rebootRequests_; }

private:
    Commands commands_;
    Log log_;
    int rebootRequests_ = 0;
};

}  // namespace led
