#pragma once
// A stand-in for systemd's notify socket: a datagram socket bound at `path`
// and named in NOTIFY_SOCKET (for this process and the players it starts)
// while it exists. Collects what the player sends to its supervisor.

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace led::test {

class NotifySocket {
public:
    explicit NotifySocket(const std::filesystem::path& path) : path_(path.string()) {
        fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        path_.copy(addr.sun_path, sizeof addr.sun_path - 1);
        bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        setenv("NOTIFY_SOCKET", path_.c_str(), 1);
    }
    ~NotifySocket() {
        unsetenv("NOTIFY_SOCKET");
        close(fd_);
    }
    NotifySocket(const NotifySocket&) = delete;
    NotifySocket& operator=(const NotifySocket&) = delete;

    bool Bound() const { return bound_; }
    // Every message received so far, in order of arrival.
    const std::vector<std::string>& Messages() {
        char buffer[256];
        ssize_t n;
        while ((n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0)
            messages_.emplace_back(buffer, size_t(n));
        return messages_;
    }
    long Count(const std::string& message) {
        const auto& all = Messages();
        return std::count(all.begin(), all.end(), message);
    }
    int KeepAlives() { return int(Count("WATCHDOG=1")); }

private:
    std::string path_;
    int fd_ = -1;
    bool bound_ = false;
    std::vector<std::string> messages_;
};

}  // namespace led::test
