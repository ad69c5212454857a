#pragma once
// The network settings of "\nand\netinfo.txt" and the control sessions' shared
// state. The settings are one immutable snapshot, replaced whole when the tool
// sends new ones, so a reader never sees a host of one and a port of another.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace led {

struct NetInfo {
    std::string account = "guest";  // the device's account name on the server side
    std::string serverHost;         // empty keeps the server link idle
    int serverPort = 5019;
};

// The text of netinfo.txt: comma-separated fields; field 0 is not used,
// fields 1..3 are account, server host and server port. Missing fields keep
// their defaults.
NetInfo ParseNetInfo(const std::string& text);

// The silence limit follows the heartbeat interval: (interval + 30) seconds.
inline constexpr uint32_t HeartbeatTimeoutMs(int intervalSeconds) {
    return uint32_t(intervalSeconds + 30) * 1000;
}

struct NetworkState {
    std::atomic<int> heartbeatInterval{30};
    std::atomic<uint32_t> heartbeatTimeoutMs{HeartbeatTimeoutMs(30)};
    std::atomic<bool> serverConnected{false};
    std::atomic<bool> pcConnected{false};
    std::atomic<bool> uploadInProgress{false};
    // Set after a successful dial of the mobile link, cleared by its hang-up.
    std::atomic<bool> mobileLinked{false};
    std::atomic<int> openSessions{0};
    std::atomic<int> udpPort{0};  // where the UDP server listens; the sessions relay there

    // The local ports of the sessions' relay sockets: the UDP server takes
    // their datagrams whatever net.allow says, or relayed commands would be
    // acknowledged and never run.
    void AddRelayPort(uint16_t port) {
        std::lock_guard lock(relayMutex_);
        relayPorts_.insert(port);
    }
    void RemoveRelayPort(uint16_t port) {
        std::lock_guard lock(relayMutex_);
        relayPorts_.erase(port);
    }
    bool IsRelayPort(uint16_t port) const {
        std::lock_guard lock(relayMutex_);
        return relayPorts_.count(port) != 0;
    }

    std::shared_ptr<const NetInfo> Info() const { return std::atomic_load(&info_); }
    void SetInfo(NetInfo info) {
        std::atomic_store(&info_, std::make_shared<const NetInfo>(std::move(info)));
    }

private:
    mutable std::mutex relayMutex_;
    std::set<uint16_t> relayPorts_;
    std::shared_ptr<const NetInfo> info_ = std::make_shared<const NetInfo>();
};

}  // namespace led
